#include "app/text_number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace korvalin {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// Reads characters one at a time, skipping blanks, so the caller never copies a huge input.
class Cursor {
public:
    explicit Cursor(std::string_view t) : text_(t) { Skip(); }
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    void Next() { ++pos_; Skip(); }
    // Position and character after the current one (blanks skipped), without moving.
    char PeekSecond() const {
        size_t p = pos_ + 1;
        while (p < text_.size() && IsBlank(text_[p])) ++p;
        return p < text_.size() ? text_[p] : '\0';
    }
private:
    void Skip() { while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_; }
    std::string_view text_;
    size_t pos_ = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
    c = Upper(c);
    if (IsDigit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Integers after &H or &O: up to four digits' worth is a 16-bit pattern, up to eight a 32-bit
// one (so &HFFFF reads -1, as such literals are read everywhere in the application's tradition of
// 16-bit integers); longer values are taken as their plain magnitude.
double PrefixedInteger(Cursor& c, int base, int& digits) {
    unsigned long long v = 0;
    bool overflow = false;
    digits = 0;
    while (!c.AtEnd()) {
        int d = HexDigit(c.Peek());
        if (d < 0 || d >= base) break;
        if (v > (std::numeric_limits<unsigned long long>::max() >> 4)) overflow = true;
        else v = v * base + d;
        ++digits;
        c.Next();
    }
    if (overflow) return std::numeric_limits<double>::infinity();
    if (v <= 0xFFFFull) return v > 0x7FFF ? double(int64_t(v) - 0x10000) : double(v);
    if (v <= 0xFFFFFFFFull) return v > 0x7FFFFFFF ? double(int64_t(v) - 0x100000000ll) : double(v);
    return double(v);
}

} // namespace

double RoundHalfEven(double v) {
    if (!std::isfinite(v)) return v;
    double f = std::floor(v);
    double diff = v - f;
    if (diff > 0.5) return f + 1;
    if (diff < 0.5) return f;
    return std::fmod(f, 2.0) == 0.0 ? f : f + 1;
}

TextNumber ReadTextNumber(std::string_view text) {
    TextNumber r;
    Cursor c(text);

    if (c.Peek() == '&') {
        char kind = Upper(c.PeekSecond());
        int digits = 0;
        if (kind == 'H' || kind == 'O') {
            c.Next();
            c.Next();
            r.value = PrefixedInteger(c, kind == 'H' ? 16 : 8, digits);
        } else {
            c.Next();
            r.value = PrefixedInteger(c, 8, digits);
        }
        r.hasNumber = digits > 0;
    } else {
        // Gather the number's characters (blanks removed) with a bounded length: digits beyond
        // what a double can tell apart only change the exponent, which is tracked separately.
        std::string mantissa;
        bool negative = false;
        if (c.Peek() == '+' || c.Peek() == '-') {
            negative = c.Peek() == '-';
            c.Next();
        }
        long long extraExponent = 0;
        bool anyDigit = false;
        constexpr size_t kMaxDigits = 40;
        while (IsDigit(c.Peek())) {
            anyDigit = true;
            if (mantissa.empty() && c.Peek() == '0') { /* leading zero: no value */ }
            else if (mantissa.size() < kMaxDigits) mantissa.push_back(c.Peek());
            else ++extraExponent;
            c.Next();
        }
        if (c.Peek() == '.') {
            c.Next();
            bool fraction = false;
            std::string frac;
            while (IsDigit(c.Peek())) {
                anyDigit = true;
                fraction = true;
                if (mantissa.size() + frac.size() < kMaxDigits) frac.push_back(c.Peek());
                c.Next();
            }
            if (fraction) {
                mantissa += frac;
                extraExponent -= static_cast<long long>(frac.size());
            }
        }
        if (anyDigit) {
            r.hasNumber = true;
            char e = Upper(c.Peek());
            if (e == 'E' || e == 'D') {
                c.Next();
                bool expNegative = false;
                if (c.Peek() == '+' || c.Peek() == '-') {
                    expNegative = c.Peek() == '-';
                    c.Next();
                }
                long long exp = 0;
                while (IsDigit(c.Peek())) {
                    if (exp < 100000) exp = exp * 10 + (c.Peek() - '0');
                    c.Next();
                }
                extraExponent += expNegative ? -exp : exp;
            }
            if (extraExponent > 100000) extraExponent = 100000;
            if (extraExponent < -100000) extraExponent = -100000;
            if (mantissa.empty()) mantissa = "0";
            std::string number = mantissa + "e" + std::to_string(extraExponent);
            double v = 0.0;
            auto res = std::from_chars(number.data(), number.data() + number.size(), v);
            if (res.ec == std::errc::result_out_of_range) {
                // Too large gives infinity; too small is zero.
                bool allZero = mantissa.find_first_not_of('0') == std::string::npos;
                v = (extraExponent > 0 && !allZero) ? std::numeric_limits<double>::infinity() : 0.0;
            }
            r.value = negative ? -v : v;
        }
    }

    double rounded = RoundHalfEven(r.value);
    if (rounded >= -32768.0 && rounded <= 32767.0) {
        r.fits16 = true;
        r.int16 = static_cast<int16_t>(rounded);
    } else {
        r.fits16 = false;
        r.int16 = rounded < 0 ? int16_t(-32768) : int16_t(32767);
    }
    if (r.value == 0.0) r.value = 0.0; // no negative zero
    return r;
}

int16_t TextToInt16(std::string_view text) { return ReadTextNumber(text).int16; }

} // namespace korvalin
