// Reading pattern files: fields, lines and their ends, the 200-line limit, files that cannot be
// read, how little of a bad or huge file is read, and the example files shipped.
#include "scales/pattern_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>

namespace korvalin {
namespace {

using F = PatternFault;

struct TextCase {
    const char* name;
    std::string text, pattern;
    PatternFault fault;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }
class TextReading : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextReading, Reads) {
    const PatternLoad r = ParsePattern(GetParam().text);
    EXPECT_EQ(r.pattern, GetParam().pattern);
    EXPECT_EQ(r.fault, GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextReading,
    ::testing::Values(
        TextCase{"FiveGoodLines", "073\r\n076\r\n079\r\n080\r\n083\r\n", "073076079080083", F::None},
        TextCase{"CommentsAfterFields", "073 C0, a comment\r\n100x\r\n115", "073100115", F::None},
        TextCase{"CarriageReturnsOnly", "070\r076\r099\r", "070076099", F::None},
        TextCase{"LineFeedsOnly", "073\n076\n079\n", "073076079", F::None},
        TextCase{"MixedLineEnds", "073\r\n076\n079\r080", "073076079080", F::None},
        TextCase{"ExponentsStoredAsWritten", "1e2\r\n1D2", "1e21D2", F::None},
        TextCase{"BinaryComment", std::string("073\0\xff\r\n076", 10), "073076", F::None},
        TextCase{"Empty", "", "", F::None},
        TextCase{"TwoCharacters", "073\r\n70\r\n076\r\n", "073", F::NotThreeCharacters},
        TextCase{"SpaceFirst", " 73\r\n", "", F::NoLeadingZero},
        TextCase{"SignFirst", "073\r\n+99", "073", F::NoLeadingZero},
        TextCase{"BelowRange", "073\r\n069\r\n076\r\n", "073", F::OutOfRange},
        TextCase{"AboveRange", "073\r\n116\r\n", "073", F::OutOfRange},
        TextCase{"BlankLineFirst", "\r\n073\r\n", "", F::OutOfRange},
        TextCase{"BlankLineBetween", "073\n\n076\n", "073", F::OutOfRange},
        TextCase{"DoubledEndAtTheEnd", "073\r\n076\r\n\r\n", "073076", F::OutOfRange},
        TextCase{"LineFeedThenReturnIsTwoEnds", "073\n\r076", "073", F::OutOfRange}),
    [](const auto& info) { return std::string(info.param.name); });

std::string GoodLines(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += std::to_string(100 + i % 16) + "\r\n";
    return s;
}

TEST(PatternLines, TwoHundredLoadAndA201stIsRefusedAfterThem) {
    const PatternLoad full = ParsePattern(GoodLines(200));
    EXPECT_TRUE(full.ok());
    EXPECT_EQ(full.pattern.size(), 600u);
    const PatternLoad over = ParsePattern(GoodLines(201));
    EXPECT_EQ(over.fault, F::TooManyLines);
    EXPECT_EQ(over.pattern, full.pattern);
}

struct PatternFiles : ::testing::Test {
    QTemporaryDir dir;
    std::string Write(const char* name, const std::string& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), qint64(bytes.size()));
        return QFile::encodeName(f.fileName()).toStdString();
    }
};

TEST_F(PatternFiles, WhatIsNotAReadablePlainFileIsRefusedWithNothingRead) {
    const std::string folder = QFile::encodeName(dir.path()).toStdString();
    const std::string fifo = folder + "/pipe.stp"; // no writer: opening must not wait for one
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string locked = Write("locked.stp", "073\r\n");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    std::vector<std::string> paths{folder + "/missing.stp", folder, fifo, "/dev/zero", ""};
    if (::access(locked.c_str(), R_OK) != 0) paths.push_back(locked); // else this user reads anything
    for (const std::string& path : paths) {
        const PatternLoad r = ReadPatternFile(path);
        EXPECT_EQ(r.fault, F::CannotOpen) << path;
        EXPECT_EQ(r.pattern, "") << path;
        EXPECT_EQ(r.bytesRead, 0u) << path;
    }
}

TEST_F(PatternFiles, ReadingStopsAtTheFirstBadLineOrAtLine201) {
    std::mt19937 random(7);
    std::string noise(32u << 20, '\0');
    for (char& c : noise) c = char(random());
    const PatternLoad binary = ReadPatternFile(Write("noise.stp", "\x7f" "ELF" + noise));
    EXPECT_FALSE(binary.ok());
    EXPECT_LE(binary.bytesRead, kPatternReadChunk);
    const std::string head = GoodLines(201);
    const PatternLoad longer = ReadPatternFile(Write("long.stp", head + noise));
    EXPECT_EQ(longer.fault, F::TooManyLines);
    EXPECT_LE(longer.bytesRead, head.size() + kPatternReadChunk);
    // A good field with a long comment and a line end past the first chunk is read through.
    const std::string text = "073" + std::string(kPatternReadChunk * 3, 'x') + "\r\n076";
    EXPECT_EQ(ReadPatternFile(Write("comment.stp", text)).pattern, "073076");
}

// However large a file, no more than the limit is read; one that has not ended its lines within
// the limit is refused, without the field of the line the limit cut off. The sparse files take no
// disk space.
TEST_F(PatternFiles, NothingPastTheLimitIsReadAndALineNotEndedWithinItIsBad) {
    constexpr qint64 kEightGb = qint64(8) << 30;
    auto fields = [](int lines) { return ParsePattern(GoodLines(lines)).pattern; };
    // 200 lines that fill the limit exactly, the last one's comment padding it out.
    std::string full = GoodLines(199) + "076 ";
    full += std::string(kMostPatternBytes - full.size(), 'x');
    const struct {
        const char* name;
        std::string head;
        qint64 sparseSize; // 0: the file is just its head; else NULs follow it up to this size
        std::string pattern;
        PatternFault fault;
    } cases[] = {
        {"nuls.stp", "073", kEightGb, "", F::TooLarge},
        {"lines-then-nuls.stp", GoodLines(150) + "076", kEightGb, fields(150), F::TooLarge},
        {"no-end.stp", "073 " + std::string(kMostPatternBytes, ';'), 0, "", F::TooLarge},
        {"one-byte-over.stp", full + "x", 0, fields(199), F::TooLarge},
        {"exactly-the-limit.stp", full, 0, fields(199) + "076", F::None},
        {"line-201-of-nuls.stp", GoodLines(200), kEightGb, fields(200), F::TooManyLines},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write(c.name, c.head);
        if (c.sparseSize > 0) {
            ASSERT_TRUE(QFile::resize(QString::fromStdString(path), c.sparseSize));
        }
        const PatternLoad r = ReadPatternFile(path);
        EXPECT_EQ(r.fault, c.fault);
        EXPECT_EQ(r.pattern, c.pattern);
        EXPECT_LE(r.bytesRead, kMostPatternBytes);
    }
}

TEST(ExamplePatterns, EachLoadsAndCommentsItsFirstLine) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(KORVALIN_PATTERN_DIR)) {
        ++files;
        const PatternLoad r = ReadPatternFile(entry.path().string());
        EXPECT_TRUE(r.ok()) << entry.path() << " line " << r.lines;
        EXPECT_GE(r.lines, 8) << entry.path();
        QFile f(QString::fromStdString(entry.path().string()));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_GT(f.readLine().trimmed().size(), 3) << entry.path();
    }
    EXPECT_GE(files, 3);
}

} // namespace
} // namespace korvalin
