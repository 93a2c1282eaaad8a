#include "app/text_number.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using korvalin::ReadTextNumber;
using korvalin::RoundHalfEven;
using korvalin::TextToInt16;

namespace {

struct Case {
    const char* text;
    double value;
    int16_t rounded;
    bool fits;
};

void PrintTo(const Case& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class TextNumberCases : public ::testing::TestWithParam<Case> {};

TEST_P(TextNumberCases, ReadsTheLeadingNumber) {
    const Case& c = GetParam();
    const auto r = ReadTextNumber(c.text);
    EXPECT_DOUBLE_EQ(r.value, c.value) << '"' << c.text << '"';
    EXPECT_EQ(r.int16, c.rounded) << '"' << c.text << '"';
    EXPECT_EQ(r.fits16, c.fits) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Rule, TextNumberCases,
    ::testing::Values(
        // Pattern fields in both written forms.
        Case{"73 ", 73, 73, true}, Case{" 73", 73, 73, true}, Case{"073", 73, 73, true},
        Case{"100", 100, 100, true}, Case{"97 ", 97, 97, true},
        // Blanks anywhere, including inside the number.
        Case{"1 2\t3\n", 123, 123, true}, Case{"- 5", -5, -5, true},
        // No leading number.
        Case{"", 0, 0, true}, Case{"abc", 0, 0, true}, Case{"x12", 0, 0, true}, Case{"-", 0, 0, true},
        Case{".", 0, 0, true}, Case{"+", 0, 0, true}, Case{"e5", 0, 0, true},
        // Trailing text is ignored.
        Case{"12abc", 12, 12, true}, Case{"7-3", 7, 7, true}, Case{"1.2.3", 1.2, 1, true},
        // Sign, fraction and exponent (E or D, either case).
        Case{"+4", 4, 4, true}, Case{"-32768", -32768, -32768, true}, Case{"1e2", 100, 100, true},
        Case{"1D2", 100, 100, true}, Case{"2.5e-1", 0.25, 0, true}, Case{"1e", 1, 1, true},
        Case{"1e+", 1, 1, true}, Case{".5", 0.5, 0, true}, Case{"-.5", -0.5, 0, true},
        // Halves go to the even neighbour.
        Case{"2.5", 2.5, 2, true}, Case{"3.5", 3.5, 4, true}, Case{"-2.5", -2.5, -2, true},
        Case{"0.5", 0.5, 0, true}, Case{"1.5", 1.5, 2, true}, Case{"2.51", 2.51, 3, true},
        // The 16-bit limits.
        Case{"32767", 32767, 32767, true}, Case{"32767.5", 32767.5, 32767, false},
        Case{"32767.4", 32767.4, 32767, true}, Case{"40000", 40000, 32767, false},
        Case{"-32768.5", -32768.5, -32768, true}, Case{"-32769", -32769, -32768, false},
        Case{"1e9", 1e9, 32767, false},
        // Hexadecimal and octal integers.
        Case{"&H1F", 31, 31, true}, Case{"&h7FFF", 32767, 32767, true}, Case{"&HFFFF", -1, -1, true},
        Case{"&O17", 15, 15, true}, Case{"&17", 15, 15, true}, Case{"&H", 0, 0, true},
        Case{"&HG", 0, 0, true}, Case{"&H10000", 65536, 32767, false}));

TEST(TextNumber, HasNumberTellsAnEmptyReadFromZero) {
    EXPECT_FALSE(ReadTextNumber("").hasNumber);
    EXPECT_FALSE(ReadTextNumber("  x").hasNumber);
    EXPECT_TRUE(ReadTextNumber("0").hasNumber);
    EXPECT_TRUE(ReadTextNumber("&H0").hasNumber);
}

TEST(TextNumber, LongDigitRunsKeepTheirMagnitude) {
    EXPECT_DOUBLE_EQ(ReadTextNumber(std::string(5000, '0') + "7").value, 7.0);
    const auto big = ReadTextNumber("1" + std::string(400, '0'));
    EXPECT_FALSE(big.fits16);
    EXPECT_EQ(big.int16, 32767);
    const auto tiny = ReadTextNumber("0." + std::string(400, '0') + "1");
    EXPECT_EQ(tiny.int16, 0);
    EXPECT_TRUE(tiny.fits16);
    EXPECT_EQ(ReadTextNumber("1e99999999999999").int16, 32767);
    EXPECT_EQ(ReadTextNumber("-1e99999999999999").int16, -32768);
    EXPECT_EQ(ReadTextNumber("1e-99999999999999").int16, 0);
}

TEST(TextNumber, RoundsHalvesToEven) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(4.4999), 4);
}

// Any byte string gives an answer within the 16-bit range, and blanks never change it.
TEST(TextNumber, TotalOverGeneratedInput) {
    std::mt19937 rng(20261209);
    const std::string alphabet = "0123456789+-.eEdD&hHoO \t\nxZ\r\x7f\x80\xff";
    for (int i = 0; i < 20000; ++i) {
        std::string s;
        const int len = int(rng() % 24);
        for (int k = 0; k < len; ++k) {
            s.push_back(rng() % 4 == 0 ? char(rng() % 256) : alphabet[rng() % alphabet.size()]);
        }
        const auto r = ReadTextNumber(s);
        ASSERT_GE(r.int16, -32768);
        ASSERT_LE(r.int16, 32767);
        if (r.fits16) {
            ASSERT_EQ(double(r.int16), RoundHalfEven(r.value)) << s;
        }
        if (!r.hasNumber) {
            ASSERT_EQ(r.value, 0.0) << s;
        }

        std::string spaced;
        for (char c : s) {
            spaced.push_back(c);
            if (rng() % 3 == 0) spaced.push_back(' ');
        }
        ASSERT_EQ(TextToInt16(spaced), r.int16) << '"' << s << "\" vs \"" << spaced << '"';
    }
}

TEST(TextNumber, HugeInputIsReadWithoutCopyingIt) {
    std::string huge(4 * 1024 * 1024, ' ');
    huge += "42";
    EXPECT_EQ(TextToInt16(huge), 42);
    std::string digits(2 * 1024 * 1024, '9');
    EXPECT_FALSE(ReadTextNumber(digits).fits16);
}

} // namespace
