// The built-in scale catalogue checked against music rather than against its own rows: every
// pattern's steps, span, ending, length and spelling, and the selection that reads it.
#include "app/korvalin1.h"
#include "app/note_table.h"
#include "scales/scale_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace korvalin {
namespace {

std::vector<int> Fields(std::string_view pattern) {
    std::vector<int> notes;
    for (int p = 1; p <= int(pattern.size()); p += 3) notes.push_back(FieldValue(pattern, p));
    return notes;
}

std::vector<int> Pitches(const std::vector<int>& notes) {
    std::vector<int> pitches;
    for (int n : notes) pitches.push_back(NoteValue(n, Pitch));
    return pitches;
}

std::vector<int> Steps(const std::vector<int>& pitches) {
    std::vector<int> steps;
    for (size_t i = 1; i < pitches.size(); ++i) steps.push_back(pitches[i] - pitches[i - 1]);
    return steps;
}

std::string Spelling(int note) {
    const std::string& name = NoteCell(note, Name);
    size_t end = 1;
    if (end < name.size() && (name[end] == '#' || name[end] == 'b')) ++end;
    return name.substr(0, end);
}

class Catalogue : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ResetKorvalin1();
        BuildNoteTable();
        FillScalePatterns();
    }
};

struct Entry {
    int16_t base;
    int key;
};

void PrintTo(const Entry& e, std::ostream* os) { *os << "type " << e.base << " key " << e.key; }

std::vector<Entry> AllBuiltIn() {
    std::vector<Entry> entries;
    for (const ScaleTypeInfo& t : ScaleTypes())
        for (int k = 0; k < kKeyCount; ++k) entries.push_back({t.base, k});
    return entries;
}

class BuiltInScale : public Catalogue, public ::testing::WithParamInterface<Entry> {
protected:
    const ScaleTypeInfo& type() const { return *FindScaleType(GetParam().base); }
    std::string_view pattern() const { return KORVALIN1.ScalePatterns[size_t(GetParam().base + GetParam().key)]; }
};

TEST_P(BuiltInScale, RisesByItsTypeStepsForTwoOctavesAndComesBackToTheTonic) {
    const std::vector<int> notes = Fields(pattern());
    const size_t up = type().steps.size() * 2 + 1;
    const size_t expectedLength = type().base == kMajorPentatonicType || type().base == kMinorPentatonicType ? 63
                                  : type().base == kBluesType                                           ? 75
                                                                                                        : 87;
    ASSERT_EQ(pattern().size(), expectedLength);
    ASSERT_EQ(notes.size(), 2 * up - 1);

    const std::vector<int> pitch = Pitches(notes);
    std::vector<int> expectedUp(type().steps.begin(), type().steps.end());
    expectedUp.insert(expectedUp.end(), type().steps.begin(), type().steps.end());
    const std::vector<int> steps = Steps(pitch);
    EXPECT_EQ(std::vector<int>(steps.begin(), steps.begin() + long(up - 1)), expectedUp);
    EXPECT_EQ(pitch[up - 1] - pitch[0], 24);
    EXPECT_EQ(notes.back(), notes.front()) << "ends on its tonic";
    EXPECT_EQ(*std::max_element(pitch.begin(), pitch.end()), pitch[up - 1]) << "top note played once";
    EXPECT_EQ(std::count(notes.begin(), notes.end(), notes[up - 1]), 1);

    // The way down: the natural minor's steps for the melodic minor, else the way up mirrored.
    std::vector<int> downSteps(steps.begin() + long(up - 1), steps.end());
    std::vector<int> expectedDown;
    if (type().base == kMelodicMinorType) {
        const ScaleTypeInfo& natural = *FindScaleType(kNaturalMinorType);
        for (int pass = 0; pass < 2; ++pass)
            for (auto it = natural.steps.rbegin(); it != natural.steps.rend(); ++it) expectedDown.push_back(-*it);
    } else {
        for (auto it = expectedUp.rbegin(); it != expectedUp.rend(); ++it) expectedDown.push_back(-*it);
    }
    EXPECT_EQ(downSteps, expectedDown);
}

TEST_P(BuiltInScale, IsWrittenInThreeCharacterFieldsOfPlayableNotes) {
    const std::string_view text = pattern();
    for (size_t p = 0; p < text.size(); p += 3) {
        const int n = FieldValue(text, int(p) + 1);
        EXPECT_EQ(std::string(text.substr(p, 3)), n < 100 ? std::to_string(n) + " " : std::to_string(n));
        EXPECT_GE(n, 70);
        EXPECT_LE(n, 120);
        EXPECT_NE(NoteValue(n, PrintAdvance), 0) << "note " << n << " has no printable strip";
    }
}

TEST_P(BuiltInScale, StartsOnTheTonicItsCaptionNames) {
    const std::string caption = KeyCaption(type().base, GetParam().key);
    ASSERT_FALSE(caption.empty());
    EXPECT_EQ(caption.substr(caption.find(' ') + 1), type().suffix);
    std::string tonic = caption.substr(0, caption.find(' '));
    if (tonic == "Gb/F#") tonic = "Gb";
    const int first = Fields(pattern()).front();
    const std::string& name = NoteCell(first, Name);
    const bool named = Spelling(first) == tonic || name.find("(" + tonic + ")") != std::string::npos;
    EXPECT_TRUE(named) << caption << " starts on " << name;
    EXPECT_GE(first, 71);
    EXPECT_LE(first, 86);
}

// The scales built on the key signature spell their notes with exactly its accidentals (the flats
// Cb and Fb have no rows of their own and use B and E). The harmonic minor and the blues alter
// degrees of the signature, and the major pentatonic stands on the relative minor's tonic.
class SignatureScale : public BuiltInScale {};

TEST_P(SignatureScale, SpellsItsNotesWithTheKeySignature) {
    const int16_t base = type().base;
    const int key = GetParam().key;
    static const std::vector<std::string> flats{"Bb", "Eb", "Ab", "Db", "Gb"};
    static const std::vector<std::string> sharps{"F#", "C#", "G#", "D#", "A#"};
    std::set<std::string> expected;
    if (key >= 1 && key <= 7) expected.insert(flats.begin(), flats.begin() + std::min(key, 5));
    if (key >= 8) expected.insert(sharps.begin(), sharps.begin() + (kKeyCount - key));

    std::set<std::string> used;
    std::vector<int> notes = Fields(pattern());
    if (base == kMelodicMinorType) {
        notes.erase(notes.begin(), notes.begin() + 15); // the raised degrees
        // Ab melodic minor leaves its top note through the F# row, the same pitch as Gb.
        if (key == 7) std::erase(notes, 115);
    }
    // The catalogue writes the F# of B minor pentatonic through the Gb rows.
    if (base == kMinorPentatonicType && key == 11) {
        EXPECT_EQ(std::erase(notes, 82) + std::erase(notes, 99), 4u);
    }
    for (int n : notes)
        if (Spelling(n).size() == 2) used.insert(Spelling(n));
    if (base == kMajorType || base == kNaturalMinorType)
        EXPECT_EQ(used, expected);
    else
        EXPECT_TRUE(std::includes(expected.begin(), expected.end(), used.begin(), used.end()));
}

std::string EntryName(const ::testing::TestParamInfo<Entry>& info) {
    return "entry" + std::to_string(info.param.base + info.param.key);
}

INSTANTIATE_TEST_SUITE_P(AllTypesAndKeys, BuiltInScale, ::testing::ValuesIn(AllBuiltIn()), EntryName);

std::vector<Entry> SignatureScales() {
    std::vector<Entry> entries;
    for (const Entry& e : AllBuiltIn())
        if (e.base == kMajorType || e.base == kMelodicMinorType || e.base == kNaturalMinorType ||
            e.base == kMinorPentatonicType)
            entries.push_back(e);
    return entries;
}

INSTANTIATE_TEST_SUITE_P(KeySignatureTypes, SignatureScale, ::testing::ValuesIn(SignatureScales()), EntryName);

TEST_F(Catalogue, CMajorIsEntryZeroWrittenAsTheCatalogueShowsIt) {
    const std::string start = "73 76 79 80 83 86 89 90 93 96 97 10010310610710610310097 96 ";
    EXPECT_EQ(KORVALIN1.ScalePatterns[0].substr(0, start.size()), start);
    EXPECT_EQ(CurrentScaleIndex(), 0);
    EXPECT_EQ(CurrentScalePattern(), KORVALIN1.ScalePatterns[0]);
    EXPECT_EQ(Fields(CurrentScalePattern()).back(), 73);
}

TEST_F(Catalogue, ChromaticRisesBySemitonesToF2AndPlaysItTwice) {
    const std::string& text = KORVALIN1.ScalePatterns[kChromaticKey];
    ASSERT_EQ(text.size(), 192u);
    const std::vector<int> notes = Fields(text);
    EXPECT_EQ(notes[31], 114);
    EXPECT_EQ(notes[32], 114);
    EXPECT_EQ(notes.front(), 70);
    EXPECT_EQ(notes.back(), 70);
    const std::vector<int> steps = Steps(Pitches(std::vector<int>(notes.begin(), notes.begin() + 32)));
    EXPECT_TRUE(std::all_of(steps.begin(), steps.end(), [](int s) { return s == 1; }));
    for (int n : notes) EXPECT_NE(Spelling(n).back(), 'b') << "sharp-named rows only";
}

TEST_F(Catalogue, EnharmonicKeysUseTheirOwnRows) {
    const std::vector<int> cb = Fields(KORVALIN1.ScalePatterns[7]);
    const std::vector<int> b = Fields(KORVALIN1.ScalePatterns[8]);
    EXPECT_EQ(cb.front(), 72);
    EXPECT_EQ(b.front(), 72);
    EXPECT_EQ(std::vector<int>(cb.begin(), cb.begin() + 7), (std::vector<int>{72, 75, 78, 79, 82, 85, 88}));
    EXPECT_EQ(std::vector<int>(b.begin(), b.begin() + 7), (std::vector<int>{72, 74, 77, 79, 81, 84, 87}));
    EXPECT_EQ(Pitches(cb), Pitches(b));

    const std::vector<int> abMinor = Fields(KORVALIN1.ScalePatterns[20 + 7]);
    const std::vector<int> gsMinor = Fields(KORVALIN1.ScalePatterns[20 + 8]);
    EXPECT_EQ(Pitches(abMinor), Pitches(gsMinor));
    EXPECT_EQ(std::vector<int>(abMinor.begin(), abMinor.begin() + 3), (std::vector<int>{85, 88, 89}));
    EXPECT_EQ(std::vector<int>(gsMinor.begin(), gsMinor.begin() + 3), (std::vector<int>{84, 87, 89}));
    EXPECT_EQ(abMinor[6], 100); // the raised seventh in both octaves
    EXPECT_EQ(abMinor[13], 117);
}

TEST_F(Catalogue, AbMelodicMinorDescendsThroughTheOtherSpellingOfGb) {
    const std::vector<int> melodic = Fields(KORVALIN1.ScalePatterns[40 + 7]);
    const std::vector<int> natural = Fields(KORVALIN1.ScalePatterns[60 + 7]);
    EXPECT_EQ(std::vector<int>(melodic.begin() + 14, melodic.begin() + 18), (std::vector<int>{119, 115, 113, 112}));
    EXPECT_EQ(std::vector<int>(natural.begin() + 14, natural.begin() + 18), (std::vector<int>{119, 116, 113, 112}));
    // Every other melodic minor descends exactly as its natural minor.
    for (int k = 0; k < kKeyCount; ++k) {
        if (k == 7) continue;
        const std::string& m = KORVALIN1.ScalePatterns[size_t(40 + k)];
        const std::string& n = KORVALIN1.ScalePatterns[size_t(60 + k)];
        EXPECT_EQ(m.substr(45), n.substr(45)) << "key " << k;
    }
}

TEST_F(Catalogue, OnlyTheBuiltInEntriesAreFilled) {
    int filled = 0;
    for (int e = 0; e < kScaleEntries; ++e) {
        const bool builtIn = e == kChromaticKey || (e % 20 < kKeyCount && e != kUserPatternEntry);
        EXPECT_EQ(!KORVALIN1.ScalePatterns[size_t(e)].empty(), builtIn) << "entry " << e;
        filled += builtIn;
    }
    EXPECT_EQ(filled, 92);
}

TEST_F(Catalogue, FieldsReadByTheTextToNumberRule) {
    EXPECT_EQ(FieldValue("97 ", 1), 97);
    EXPECT_EQ(FieldValue("100", 1), 100);
    EXPECT_EQ(FieldValue(" 73", 1), 73);
    EXPECT_EQ(FieldValue("073076", 4), 76);
    EXPECT_EQ(FieldValue("73 7", 4), 7);  // a short last field
    EXPECT_EQ(FieldValue("73 ", 4), 0);   // past the end
    EXPECT_EQ(FieldValue("", 1), 0);
    EXPECT_EQ(FieldValue("ab ", 1), 0);
    EXPECT_EQ(FieldValue("73 ", 0), 0);
}

struct Selection {
    int16_t type, key;
    int expectedEntry; // -1: no pattern
};

void PrintTo(const Selection& s, std::ostream* os) { *os << "type " << s.type << " key " << s.key; }

class SelectionRead : public Catalogue, public ::testing::WithParamInterface<Selection> {};

TEST_P(SelectionRead, NeverReadsOutsideTheTable) {
    KORVALIN1.ScaleType = GetParam().type;
    KORVALIN1.ScaleKey = GetParam().key;
    if (GetParam().expectedEntry < 0)
        EXPECT_TRUE(CurrentScalePattern().empty());
    else
        EXPECT_EQ(CurrentScalePattern(), KORVALIN1.ScalePatterns[size_t(GetParam().expectedEntry)]);
    KORVALIN1.ScaleType = 0;
    KORVALIN1.ScaleKey = 0;
}

INSTANTIATE_TEST_SUITE_P(Selections, SelectionRead,
                         ::testing::Values(Selection{0, 0, 0}, Selection{80, 0, 80}, Selection{120, 12, 132},
                                           Selection{0, 13, 13}, Selection{20, 13, -1}, Selection{120, 13, -1},
                                           Selection{120, 14, -1}, Selection{-1, 0, -1},
                                           Selection{32767, 1, -1}));

TEST(Captions, GbMajorIsSpeltBothWaysOnlyOnceChosen) {
    EXPECT_EQ(KeyCaption(kMajorType, 6), "Gb/F# Major");
    EXPECT_EQ(KeyCaption(kMajorPentatonicType, 0), "A Pent. Maj");
    EXPECT_EQ(KeyCaption(10, 0), "");
    EXPECT_EQ(KeyCaption(kMajorType, 13), "");
    const std::vector<std::string> expected{"C Major",  "F Major", "Bb Major", "Eb Major", "Ab Major",
                                            "Db Major", "Gb Major", "Cb Major", "B Major",  "E Major",
                                            "A Major",  "D Major", "G Major"};
    for (int k = 0; k < kKeyCount; ++k) EXPECT_EQ(InitialKeyCaption(k), expected[size_t(k)]);
}

} // namespace
} // namespace korvalin
