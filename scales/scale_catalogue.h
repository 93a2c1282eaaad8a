// The scale catalogue: every built-in scale as a pattern text of three-character fields, each a
// note number, played in field order from the tonic two octaves up and back down. The table
// KORVALIN1.ScalePatterns holds them at index type base + key index; ScaleType and ScaleKey
// select the current one.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvalin {

// Type bases: the first table entry of each scale type.
inline constexpr int16_t kMajorType = 0;
inline constexpr int16_t kHarmonicMinorType = 20;
inline constexpr int16_t kMelodicMinorType = 40;
inline constexpr int16_t kNaturalMinorType = 60;
inline constexpr int16_t kMajorPentatonicType = 80;
inline constexpr int16_t kMinorPentatonicType = 100;
inline constexpr int16_t kBluesType = 120;

inline constexpr int kKeyCount = 13;             // key indices 0..12, round the circle of fifths
inline constexpr int16_t kChromaticKey = 13;     // entry 13 with type base 0
inline constexpr int16_t kUserPatternKey = 14;   // entry 14 with type base 0
inline constexpr int kFieldWidth = 3;

struct ScaleTypeInfo {
    int16_t base;
    const char* button;  // caption of its button in the selection window
    const char* tooltip;
    const char* suffix;  // follows the tonic in a scale's caption
    std::span<const int> steps; // one octave of ascending semitone steps
    bool minorTonics;    // tonics from the relative-minor list (every type but Major)
};

// The seven types in the order of their table entries.
const std::array<ScaleTypeInfo, 7>& ScaleTypes();
// The type with this base, or nullptr.
const ScaleTypeInfo* FindScaleType(int16_t base);

// The catalogue row: the ascending note numbers of a built-in scale, tonic to top note. Empty for
// anything that is not a type base with a key index 0..12. The chromatic ascent is ChromaticAscent().
std::span<const int> AscendingNotes(int16_t typeBase, int keyIndex);
std::span<const int> ChromaticAscent();

// A note number as a pattern field: below 100 two digits and a space ("73 "), else three digits.
std::string PatternField(int note);

// The complete pattern text of a built-in entry (0..12, 13, 20..32, ..., 120..132); empty for
// the entries that are never filled and for the user entry.
std::string BuiltInPattern(int entry);

// Writes all built-in patterns into KORVALIN1.ScalePatterns and empties every other entry.
void FillScalePatterns();

// The note number of the field starting at 1-based position p: the characters p..p+2 (fewer
// when the text ends earlier) read by the text-to-number rule; 0 past the end.
int16_t FieldValue(std::string_view pattern, int p);

// ScaleType + ScaleKey, summed in 16-bit arithmetic.
int16_t CurrentScaleIndex();
// The current scale's pattern text. A selection outside the table has no pattern: it reads as
// the empty text, so nothing ever indexes outside ScalePatterns.
std::string_view CurrentScalePattern();

// True for a note number that ShowNote can show and sound (a filled row of the note table).
constexpr bool IsPlayableNote(int n) { return n >= 1 && n <= 153; }

// Tonic names of key indices 0..12: major keys, and the relative minors used by the other types.
std::string_view MajorTonic(int keyIndex);
std::string_view MinorTonic(int keyIndex);

// The caption of a built-in scale ("Bb Minor(h)", "Gb/F# Major"); empty when there is none.
std::string KeyCaption(int16_t typeBase, int keyIndex);
// The captions the key buttons carry before any type is chosen: the major ones, with key 6
// reading "Gb Major".
std::string InitialKeyCaption(int keyIndex);

inline constexpr std::string_view kChromaticCaption = "Chromatic";
inline constexpr std::string_view kUserPatternCaption = "User Set";

} // namespace korvalin
