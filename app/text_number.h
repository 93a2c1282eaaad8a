// The one rule by which the application turns text into a number: note table cells, pattern
// fields and the answers typed into the Speed and Loop boxes are all read through it.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvalin {

struct TextNumber {
    double value = 0.0;     // the leading number, exactly as read (0 when there is none)
    bool hasNumber = false; // false when no digits lead the text (the value is then 0)
    bool fits16 = true;     // false when the value rounded does not fit a 16-bit signed integer
    int16_t int16 = 0;      // rounded half to even; saturated at the 16-bit limits when !fits16
};

// Blanks (space, tab, line feed) are ignored wherever they stand. The value is the longest
// leading run that forms a number: optional sign, digits, decimal point and fraction, an exponent
// introduced by E or D, or an integer after &H (hexadecimal) or &O / & (octal). Total: any byte
// string gives a result.
TextNumber ReadTextNumber(std::string_view text);

// Shorthand for ReadTextNumber(text).int16.
int16_t TextToInt16(std::string_view text);

// Rounds to the nearest integer, halves to the even neighbour.
double RoundHalfEven(double v);

} // namespace korvalin
