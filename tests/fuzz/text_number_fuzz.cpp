// Fuzz target for the text-to-number rule: any bytes give a 16-bit result that agrees with the
// value read, blanks never change it, and nothing reads outside the input.
#include "app/text_number.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const korvalin::TextNumber r = korvalin::ReadTextNumber(text);
    if (r.fits16 && double(r.int16) != korvalin::RoundHalfEven(r.value)) std::abort();
    if (!r.fits16 && r.int16 != 32767 && r.int16 != -32768) std::abort();
    if (!r.hasNumber && r.value != 0.0) std::abort();

    // The same text with blanks between its characters reads the same.
    std::string spaced;
    spaced.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        spaced.push_back(text[i]);
        if (i % 3 == 1) spaced.push_back(i % 2 ? ' ' : '\t');
    }
    if (korvalin::TextToInt16(spaced) != r.int16) std::abort();
    return 0;
}
