// Any bytes given to the pattern reader, whole or in pieces of sizes the input itself chooses,
// must read as a plain line-by-line reading of the rules does, and an accepted pattern may hold
// only good fields. Built with clang as a libFuzzer target; otherwise a test feeds it generated
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
    const PatternLoad whole = ParsePattern(text);
    if (!Same(whole, PlainReading(text))) return "differs from the plain reading";
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
#include <QElapsedTimer>
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

TEST(GeneratedPatterns, AFewMegabytesOfAnythingAreReadQuickly) {
    std::mt19937 random(11);
    std::string comments, bytes(4u << 20, '\0');
    while (comments.size() < bytes.size()) comments += "073" + std::string(20000 + random() % 2000, ';') + "\n";
    for (char& c : bytes) c = char(random());
    for (const std::string& text : {comments, std::string(4u << 20, '\r'), bytes}) {
        EXPECT_EQ(CheckPatternReading(text), "");
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 10; ++i) ParsePattern(text);
        EXPECT_LT(t.elapsed(), 2000);
    }
}

} // namespace
} // namespace korvalin
#endif
