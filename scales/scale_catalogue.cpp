#include "scales/scale_catalogue.h"

#include "app/korvalin1.h"
#include "app/text_number.h"

#include <algorithm>
#include <vector>

namespace korvalin {
namespace {

template <size_t N>
using Rows = std::array<std::array<int, N>, kKeyCount>;

// Ascending note numbers of every built-in scale, key index 0 to 12, tonic to top note. The rows
// fix which spelling of an enharmonic pair each scale uses (Cb major the flat rows, B major the
// sharp ones).
constexpr Rows<15> kMajorRows{{
    { 73,  76,  79,  80,  83,  86,  89,  90,  93,  96,  97, 100, 103, 106, 107}, // C Major
    { 80,  83,  86,  88,  90,  93,  96,  97, 100, 103, 105, 107, 110, 113, 114}, // F Major
    { 71,  73,  76,  78,  80,  83,  86,  88,  90,  93,  95,  97, 100, 103, 105}, // Bb Major
    { 78,  80,  83,  85,  88,  90,  93,  95,  97, 100, 102, 105, 107, 110, 112}, // Eb Major
    { 85,  88,  90,  92,  95,  97, 100, 102, 105, 107, 109, 112, 114, 117, 119}, // Ab Major
    { 75,  78,  80,  82,  85,  88,  90,  92,  95,  97,  99, 102, 105, 107, 109}, // Db Major
    { 82,  85,  88,  89,  92,  95,  97,  99, 102, 105, 106, 109, 112, 114, 116}, // Gb/F# Major
    { 72,  75,  78,  79,  82,  85,  88,  89,  92,  95,  96,  99, 102, 105, 106}, // Cb Major
    { 72,  74,  77,  79,  81,  84,  87,  89,  91,  94,  96,  98, 101, 104, 106}, // B Major
    { 79,  81,  84,  86,  89,  91,  94,  96,  98, 101, 103, 106, 108, 111, 113}, // E Major
    { 86,  89,  91,  93,  96,  98, 101, 103, 106, 108, 110, 113, 115, 118, 120}, // A Major
    { 76,  79,  81,  83,  86,  89,  91,  93,  96,  98, 100, 103, 106, 108, 110}, // D Major
    { 83,  86,  89,  90,  93,  96,  98, 100, 103, 106, 107, 110, 113, 115, 117}, // G Major
}};

constexpr Rows<15> kHarmonicMinorRows{{
    { 86,  89,  90,  93,  96,  97, 101, 103, 106, 107, 110, 113, 114, 118, 120}, // A Minor(h)
    { 76,  79,  80,  83,  86,  88,  91,  93,  96,  97, 100, 103, 105, 108, 110}, // D Minor(h)
    { 83,  86,  88,  90,  93,  95,  98, 100, 103, 105, 107, 110, 112, 115, 117}, // G Minor(h)
    { 73,  76,  78,  80,  83,  85,  89,  90,  93,  95,  97, 100, 102, 106, 107}, // C Minor(h)
    { 80,  83,  85,  88,  90,  92,  96,  97, 100, 102, 105, 107, 109, 113, 114}, // F Minor(h)
    { 71,  73,  75,  78,  80,  82,  86,  88,  90,  92,  95,  97,  99, 103, 105}, // Bb Minor(h)
    { 78,  80,  82,  85,  88,  89,  93,  95,  97,  99, 102, 105, 106, 110, 112}, // Eb Minor(h)
    { 85,  88,  89,  92,  95,  96, 100, 102, 105, 106, 109, 112, 113, 117, 119}, // Ab Minor(h)
    { 84,  87,  89,  91,  94,  96, 100, 101, 104, 106, 108, 111, 113, 117, 118}, // G# Minor(h)
    { 74,  77,  79,  81,  84,  86,  90,  91,  94,  96,  98, 101, 103, 107, 108}, // C# Minor(h)
    { 81,  84,  86,  89,  91,  93,  97,  98, 101, 103, 106, 108, 110, 114, 115}, // F# Minor(h)
    { 72,  74,  76,  79,  81,  83,  87,  89,  91,  93,  96,  98, 100, 104, 106}, // B Minor(h)
    { 79,  81,  83,  86,  89,  90,  94,  96,  98, 100, 103, 106, 107, 111, 113}, // E Minor(h)
}};

constexpr Rows<15> kMelodicMinorRows{{
    { 86,  89,  90,  93,  96,  98, 101, 103, 106, 107, 110, 113, 115, 118, 120}, // A Minor(m)
    { 76,  79,  80,  83,  86,  89,  91,  93,  96,  97, 100, 103, 106, 108, 110}, // D Minor(m)
    { 83,  86,  88,  90,  93,  96,  98, 100, 103, 105, 107, 110, 113, 115, 117}, // G Minor(m)
    { 73,  76,  78,  80,  83,  86,  89,  90,  93,  95,  97, 100, 103, 106, 107}, // C Minor(m)
    { 80,  83,  85,  88,  90,  93,  96,  97, 100, 102, 105, 107, 110, 113, 114}, // F Minor(m)
    { 71,  73,  75,  78,  80,  83,  86,  88,  90,  92,  95,  97, 100, 103, 105}, // Bb Minor(m)
    { 78,  80,  82,  85,  88,  90,  93,  95,  97,  99, 102, 105, 107, 110, 112}, // Eb Minor(m)
    { 85,  88,  89,  92,  95,  97, 100, 102, 105, 106, 109, 112, 114, 117, 119}, // Ab Minor(m)
    { 84,  87,  89,  91,  94,  97, 100, 101, 104, 106, 108, 111, 114, 117, 118}, // G# Minor(m)
    { 74,  77,  79,  81,  84,  87,  90,  91,  94,  96,  98, 101, 104, 107, 108}, // C# Minor(m)
    { 81,  84,  86,  89,  91,  94,  97,  98, 101, 103, 106, 108, 111, 114, 115}, // F# Minor(m)
    { 72,  74,  76,  79,  81,  84,  87,  89,  91,  93,  96,  98, 101, 104, 106}, // B Minor(m)
    { 79,  81,  83,  86,  89,  91,  94,  96,  98, 100, 103, 106, 108, 111, 113}, // E Minor(m)
}};

constexpr Rows<15> kNaturalMinorRows{{
    { 86,  89,  90,  93,  96,  97, 100, 103, 106, 107, 110, 113, 114, 117, 120}, // A Minor(N)
    { 76,  79,  80,  83,  86,  88,  90,  93,  96,  97, 100, 103, 105, 107, 110}, // D Minor(N)
    { 83,  86,  88,  90,  93,  95,  97, 100, 103, 105, 107, 110, 112, 114, 117}, // G Minor(N)
    { 73,  76,  78,  80,  83,  85,  88,  90,  93,  95,  97, 100, 102, 105, 107}, // C Minor(N)
    { 80,  83,  85,  88,  90,  92,  95,  97, 100, 102, 105, 107, 109, 112, 114}, // F Minor(N)
    { 71,  73,  75,  78,  80,  82,  85,  88,  90,  92,  95,  97,  99, 102, 105}, // Bb Minor(N)
    { 78,  80,  82,  85,  88,  89,  92,  95,  97,  99, 102, 105, 106, 109, 112}, // Eb Minor(N)
    { 85,  88,  89,  92,  95,  96,  99, 102, 105, 106, 109, 112, 113, 116, 119}, // Ab Minor(N)
    { 84,  87,  89,  91,  94,  96,  98, 101, 104, 106, 108, 111, 113, 115, 118}, // G# Minor(N)
    { 74,  77,  79,  81,  84,  86,  89,  91,  94,  96,  98, 101, 103, 106, 108}, // C# Minor(N)
    { 81,  84,  86,  89,  91,  93,  96,  98, 101, 103, 106, 108, 110, 113, 115}, // F# Minor(N)
    { 72,  74,  76,  79,  81,  83,  86,  89,  91,  93,  96,  98, 100, 103, 106}, // B Minor(N)
    { 79,  81,  83,  86,  89,  90,  93,  96,  98, 100, 103, 106, 107, 110, 113}, // E Minor(N)
}};

constexpr Rows<11> kMajorPentatonicRows{{
    { 86,  89,  91,  96,  98, 103, 106, 108, 113, 115, 120}, // A Pent. Maj
    { 76,  79,  81,  86,  89,  93,  96,  98, 103, 106, 110}, // D Pent. Maj
    { 83,  86,  89,  93,  96, 100, 103, 106, 110, 113, 117}, // G Pent. Maj
    { 73,  76,  79,  83,  86,  90,  93,  96, 100, 103, 107}, // C Pent. Maj
    { 80,  83,  86,  90,  93,  97, 100, 103, 107, 110, 114}, // F Pent. Maj
    { 71,  73,  76,  80,  83,  88,  90,  93,  97, 100, 105}, // Bb Pent. Maj
    { 78,  80,  83,  88,  90,  95,  97, 100, 105, 107, 112}, // Eb Pent. Maj
    { 85,  88,  90,  95,  97, 102, 105, 107, 112, 114, 119}, // Ab Pent. Maj
    { 84,  87,  90,  94,  97, 101, 104, 107, 111, 114, 118}, // G# Pent. Maj
    { 74,  77,  80,  84,  87,  91,  94,  97, 101, 104, 108}, // C# Pent. Maj
    { 81,  84,  87,  91,  94,  98, 101, 104, 108, 111, 115}, // F# Pent. Maj
    { 72,  74,  77,  81,  84,  89,  91,  94,  98, 101, 106}, // B Pent. Maj
    { 79,  81,  84,  89,  91,  96,  98, 101, 106, 108, 113}, // E Pent. Maj
}};

constexpr Rows<11> kMinorPentatonicRows{{
    { 86,  90,  93,  96, 100, 103, 107, 110, 113, 117, 120}, // A Pent. Min
    { 76,  80,  83,  86,  90,  93,  97, 100, 103, 107, 110}, // D Pent. Min
    { 83,  88,  90,  93,  97, 100, 105, 107, 110, 114, 117}, // G Pent. Min
    { 73,  78,  80,  83,  88,  90,  95,  97, 100, 105, 107}, // C Pent. Min
    { 80,  85,  88,  90,  95,  97, 102, 105, 107, 112, 114}, // F Pent. Min
    { 71,  75,  78,  80,  85,  88,  92,  95,  97, 102, 105}, // Bb Pent. Min
    { 78,  82,  85,  88,  92,  95,  99, 102, 105, 109, 112}, // Eb Pent. Min
    { 85,  89,  92,  95,  99, 102, 106, 109, 112, 116, 119}, // Ab Pent. Min
    { 84,  89,  91,  94,  98, 101, 106, 108, 111, 115, 118}, // G# Pent. Min
    { 74,  79,  81,  84,  89,  91,  96,  98, 101, 106, 108}, // C# Pent. Min
    { 81,  86,  89,  91,  96,  98, 103, 106, 108, 113, 115}, // F# Pent. Min
    { 72,  76,  79,  82,  86,  89,  93,  96,  99, 103, 106}, // B Pent. Min
    { 79,  83,  86,  89,  93,  96, 100, 103, 106, 110, 113}, // E Pent. Min
}};

constexpr Rows<13> kBluesRows{{
    { 86,  90,  93,  95,  96, 100, 103, 107, 110, 112, 113, 117, 120}, // A Blues
    { 76,  80,  83,  85,  86,  90,  93,  97, 100, 102, 103, 107, 110}, // D Blues
    { 83,  88,  90,  92,  93,  97, 100, 105, 107, 109, 110, 114, 117}, // G Blues
    { 73,  78,  80,  82,  83,  88,  90,  95,  97,  99, 100, 105, 107}, // C Blues
    { 80,  85,  88,  89,  90,  95,  97, 102, 105, 106, 107, 112, 114}, // F Blues
    { 71,  75,  78,  79,  80,  85,  88,  92,  95,  96,  97, 102, 105}, // Bb Blues
    { 78,  82,  85,  86,  88,  92,  95,  99, 102, 103, 105, 109, 112}, // Eb Blues
    { 85,  89,  92,  93,  95,  99, 102, 106, 109, 110, 112, 116, 119}, // Ab Blues
    { 84,  89,  91,  93,  94,  98, 101, 106, 108, 110, 111, 115, 118}, // G# Blues
    { 74,  79,  81,  83,  84,  89,  91,  96,  98, 100, 101, 106, 108}, // C# Blues
    { 81,  86,  89,  90,  91,  96,  98, 103, 106, 107, 108, 113, 115}, // F# Blues
    { 72,  76,  79,  80,  82,  86,  89,  93,  96,  97,  99, 103, 106}, // B Blues
    { 79,  83,  86,  88,  89,  93,  96, 100, 103, 105, 106, 110, 113}, // E Blues
}};

// A#0 up to F2, always the sharp-named row of a pair.
constexpr std::array<int, 32> kChromaticRow{70,  72,  73,  74,  76,  77,  79,  80,  81,  83,  84,
                                            86,  87,  89,  90,  91,  93,  94,  96,  97,  98,  100,
                                            101, 103, 104, 106, 107, 108, 110, 111, 113, 114};

constexpr std::array<int, 7> kMajorSteps{2, 2, 1, 2, 2, 2, 1};
constexpr std::array<int, 7> kHarmonicMinorSteps{2, 1, 2, 2, 1, 3, 1};
constexpr std::array<int, 7> kMelodicMinorSteps{2, 1, 2, 2, 2, 2, 1};
constexpr std::array<int, 7> kNaturalMinorSteps{2, 1, 2, 2, 1, 2, 2};
constexpr std::array<int, 5> kMajorPentatonicSteps{2, 2, 3, 2, 3};
constexpr std::array<int, 5> kMinorPentatonicSteps{3, 2, 2, 3, 2};
constexpr std::array<int, 6> kBluesSteps{3, 2, 1, 1, 3, 2};

const std::array<ScaleTypeInfo, 7> kTypes{{
    {kMajorType, "Major", "Major", "Major", kMajorSteps, false},
    {kHarmonicMinorType, "Harmonic Min", "Harmonic Minor", "Minor(h)", kHarmonicMinorSteps, true},
    {kMelodicMinorType, "Melodic Min", "Melodic Minor", "Minor(m)", kMelodicMinorSteps, true},
    {kNaturalMinorType, "Natural Min", "Natural Minor", "Minor(N)", kNaturalMinorSteps, true},
    {kMajorPentatonicType, "Pent. Maj", "Pentatonic Major", "Pent. Maj", kMajorPentatonicSteps, true},
    {kMinorPentatonicType, "Pent. Min", "Pentatonic Minor", "Pent. Min", kMinorPentatonicSteps, true},
    {kBluesType, "Blues", "Blues", "Blues", kBluesSteps, true},
}};

constexpr std::array<std::string_view, kKeyCount> kMajorTonics{"C",  "F",  "Bb", "Eb", "Ab", "Db", "Gb",
                                                               "Cb", "B",  "E",  "A",  "D",  "G"};
constexpr std::array<std::string_view, kKeyCount> kMinorTonics{"A",  "D",  "G",  "C",  "F",  "Bb", "Eb",
                                                               "Ab", "G#", "C#", "F#", "B",  "E"};

// The major scale of key index 6 is named by both its spellings once the Major type is chosen.
constexpr int kBothSpellingsKey = 6;
constexpr std::string_view kBothSpellingsTonic = "Gb/F#";

// The melodic minor descends as the natural minor of its key, except that Ab melodic minor leaves
// its top note for the row named F#2 (Gb) where the natural minor takes Gb2 (F#): same pitch.
constexpr int kMelodicExceptionKey = 7;
constexpr int kMelodicExceptionNote = 115;

template <size_t N>
std::span<const int> Row(const Rows<N>& rows, int key) {
    return std::span<const int>(rows[size_t(key)]);
}

void AppendFields(std::string& text, std::span<const int> notes) {
    for (int n : notes) text += PatternField(n);
}

} // namespace

const std::array<ScaleTypeInfo, 7>& ScaleTypes() { return kTypes; }

const ScaleTypeInfo* FindScaleType(int16_t base) {
    for (const ScaleTypeInfo& t : kTypes)
        if (t.base == base) return &t;
    return nullptr;
}

std::span<const int> AscendingNotes(int16_t typeBase, int keyIndex) {
    if (keyIndex < 0 || keyIndex >= kKeyCount) return {};
    switch (typeBase) {
    case kMajorType: return Row(kMajorRows, keyIndex);
    case kHarmonicMinorType: return Row(kHarmonicMinorRows, keyIndex);
    case kMelodicMinorType: return Row(kMelodicMinorRows, keyIndex);
    case kNaturalMinorType: return Row(kNaturalMinorRows, keyIndex);
    case kMajorPentatonicType: return Row(kMajorPentatonicRows, keyIndex);
    case kMinorPentatonicType: return Row(kMinorPentatonicRows, keyIndex);
    case kBluesType: return Row(kBluesRows, keyIndex);
    default: return {};
    }
}

std::span<const int> ChromaticAscent() { return kChromaticRow; }

std::string PatternField(int note) {
    std::string field = std::to_string(note);
    field.resize(kFieldWidth, ' ');
    return field;
}

std::string BuiltInPattern(int entry) {
    std::string text;
    if (entry == kChromaticKey) {
        // Up and straight back down: the top note is played twice.
        std::vector<int> notes(kChromaticRow.begin(), kChromaticRow.end());
        notes.insert(notes.end(), kChromaticRow.rbegin(), kChromaticRow.rend());
        AppendFields(text, notes);
        return text;
    }
    if (entry < 0) return text;
    const auto base = int16_t(entry / 20 * 20);
    const int key = entry % 20;
    const std::span<const int> up = AscendingNotes(base, key);
    if (up.empty()) return text;

    AppendFields(text, up);
    std::vector<int> down;
    if (base == kMelodicMinorType) {
        const std::span<const int> natural = AscendingNotes(kNaturalMinorType, key);
        down.assign(natural.rbegin() + 1, natural.rend());
        if (key == kMelodicExceptionKey) down.front() = kMelodicExceptionNote;
    } else {
        down.assign(up.rbegin() + 1, up.rend()); // the top note once
    }
    AppendFields(text, down);
    return text;
}

void FillScalePatterns() {
    for (int entry = 0; entry < kScaleEntries; ++entry) KORVALIN1.ScalePatterns[size_t(entry)] = BuiltInPattern(entry);
}

int16_t FieldValue(std::string_view pattern, int p) {
    if (p < 1 || size_t(p) > pattern.size()) return 0;
    return TextToInt16(pattern.substr(size_t(p - 1), kFieldWidth));
}

int16_t CurrentScaleIndex() { return int16_t(KORVALIN1.ScaleType + KORVALIN1.ScaleKey); }

std::string_view CurrentScalePattern() {
    const int16_t index = CurrentScaleIndex();
    if (index < 0 || index >= kScaleEntries) return {};
    return KORVALIN1.ScalePatterns[size_t(index)];
}

std::string_view MajorTonic(int keyIndex) {
    return keyIndex >= 0 && keyIndex < kKeyCount ? kMajorTonics[size_t(keyIndex)] : std::string_view{};
}

std::string_view MinorTonic(int keyIndex) {
    return keyIndex >= 0 && keyIndex < kKeyCount ? kMinorTonics[size_t(keyIndex)] : std::string_view{};
}

std::string KeyCaption(int16_t typeBase, int keyIndex) {
    const ScaleTypeInfo* type = FindScaleType(typeBase);
    if (!type || keyIndex < 0 || keyIndex >= kKeyCount) return {};
    std::string_view tonic = type->minorTonics ? MinorTonic(keyIndex) : MajorTonic(keyIndex);
    if (typeBase == kMajorType && keyIndex == kBothSpellingsKey) tonic = kBothSpellingsTonic;
    return std::string(tonic) + " " + type->suffix;
}

std::string InitialKeyCaption(int keyIndex) {
    if (keyIndex < 0 || keyIndex >= kKeyCount) return {};
    return std::string(MajorTonic(keyIndex)) + " Major";
}

} // namespace korvalin
