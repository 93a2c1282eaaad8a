// Any bytes given to the pattern reader, whole or in pieces of sizes the input itself chooses,
// must read as a plain line-by-line reading of the rules does, and an accepted pattern may hold
// only good fields; read with a byte limit the input also chooses, only the lines ended within the
// limit may count. Built with clang as a libFuzzer target; otherwise a test feeds it generated
// texts (good and bad fields, comments, every kind of line end, raw bytes) and some large ones.
#include "app/text_number.h"
#include "scales/pattern_file.h"

#include <string>
#include <vector>

namespace korvalin {
namespace {

// The plain reading: split the whole text into lines first, then judge them one by one.
PatternLoad PlainReading(std::string_view text) {
    PatternLoad r;
    for (size_t i = 0; i < text.size() && r.ok();) {
        const size_t end = std::min(text.find_first_of("\r\n", i), text.size());
        const std::string_view kept = text.substr(i, std::min<size_t>(end - i, 3));
        i = end + ((end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ? 2 : 1);
        const int value = TextToInt16(kept);
        if (++r.lines > 200) r.fault = PatternFault::TooManyLines;
        else if (value < 70 || value > 115) r.fault = PatternFault::OutOfRange;
        else if (kept.size() != 3) r.fault = PatternFault::NotThreeCharacters;
        else if (value < 100 && kept[0] != '0') r.fault = PatternFault::NoLeadingZero;
        else r.pattern.append(kept);
    }
    return r;
}

bool Same(const PatternLoad& a, const PatternLoad& b) {
    return a.fault == b.fault && a.pattern == b.pattern && a.lines == b.lines;
}

} // namespace

// Empty when the reader is right about `text`, otherwise what went wrong.
std::string CheckPatternReading(std::string_view text) {
    const PatternLoad whole = ParsePattern(text, text.size());
    if (!Same(whole, PlainReading(text))) return "differs from the plain reading";

    // Under a limit: a text that fits reads the same; a longer one either stopped within the limit
    // just as it does whole, or is refused as too large with the fields of the lines ended within it.
    const size_t most = text.size() > 2 ? size_t(uint8_t(text[2])) * 13 % (text.size() + 1) : text.size();
    const PatternLoad limited = ParsePattern(text, most);
    if (limited.bytesRead > most) return "read past its limit";
    if (limited.fault != PatternFault::TooLarge) {
        if (!Same(limited, whole)) return "differs under a limit";
    } else {
        if (text.size() <= most) return "refused a text within its limit";
        const size_t ended = text.substr(0, most).find_last_of("\r\n");
        const PatternLoad within = PlainReading(text.substr(0, ended == std::string_view::npos ? 0 : ended + 1));
        if (!within.ok() || limited.pattern != within.pattern) return "a line cut off by the limit counted";
    }

    PatternParser pieces;
    const size_t sizes[2] = {1 + (text.empty() ? 0u : size_t(uint8_t(text[0])) % 7), 1 + (text.size() > 1 ? size_t(uint8_t(text[1])) * 37 : 0u)};
    for (size_t at = 0, k = 0; at < text.size() && !pieces.Stopped(); at += sizes[k++ % 2])
        pieces.Feed(text.substr(at, sizes[k % 2]));
    if (!Same(pieces.Finish(), whole)) return "differs when read in pieces";
    for (size_t p = 0; p < whole.pattern.size(); p += 3)
        if (CheckPatternField(std::string_view(whole.pattern).substr(p, 3)) != PatternFault::None)
            return "accepted a bad field";
    return {};
}

} // namespace korvalin

#ifdef KORVALIN_LIBFUZZER
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!korvalin::CheckPatternReading(std::string_view(reinterpret_cast<const char*>(data), size)).empty())
        std::abort();
    return 0;
}
#else
#include <gtest/gtest.h>

#include <random>

namespace korvalin {
namespace {

TEST(GeneratedPatterns, ReaderAgreesWithThePlainReading) {
    int accepted = 0;
    for (unsigned seed = 0; seed < 3000; ++seed) {
        std::mt19937 random(seed);
        auto upto = [&random](int n) { return int(random() % unsigned(n)); };
        static const char* const odd[] = {"70", " 73", "069", "116", "1e2", "+99", "0 7", "&H7", "9e9", "", "7"};
        static const char* const ends[] = {"\r\n", "\r", "\n", "\n\r", "\r\n\r\n"};
        const bool clean = seed % 2; // half the texts avoid the faults, to reach far into them
        std::string text;
        for (int line = 0, lines = upto(230); line < lines; ++line) {
            const int n = 70 + upto(46);
            text += upto(1000) < (clean ? 999 : 900) ? (n < 100 ? "0" : "") + std::to_string(n) : odd[upto(11)];
            for (int k = upto(4) == 0 ? upto(40) : 0; k > 0; --k) text += char(clean ? 32 + upto(95) : upto(256));
            if (line + 1 < lines || upto(2)) text += ends[clean || upto(100) < 90 ? upto(3) : 3 + upto(2)];
        }
        accepted += ParsePattern(text).ok();
        ASSERT_EQ(CheckPatternReading(text), "") << testing::PrintToString(text.substr(0, 300));
    }
    EXPECT_GT(accepted, 300); // both outcomes are reached often
    EXPECT_LT(accepted, 2700);
}

// Texts of a few megabytes: a good field on every line with long comments, line ends only, and
// random bytes. Each is read no further than the limit, and as the plain reading has it.
TEST(GeneratedPatterns, AFewMegabytesOfAnythingAreReadOnlyUpToTheLimit) {
    std::mt19937 random(11);
    std::string comments, bytes(4u << 20, '\0');
    while (comments.size() < bytes.size()) comments += "073" + std::string(20000 + random() % 2000, ';') + "\n";
    for (char& c : bytes) c = char(random());
    const struct {
        std::string text;
        PatternFault fault;
    } cases[] = {{comments, PatternFault::TooLarge},
                 {std::string(4u << 20, '\r'), PatternFault::OutOfRange},
                 {bytes, PatternFault::OutOfRange}};
    for (const auto& c : cases) {
        EXPECT_EQ(CheckPatternReading(c.text), "");
        const PatternLoad r = ParsePattern(c.text);
        EXPECT_EQ(r.fault, c.fault);
        EXPECT_LE(r.bytesRead, kMostPatternBytes);
    }
}

} // namespace
} // namespace korvalin
#endif
