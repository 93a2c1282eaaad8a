// The fingering database: the compiled-in data file checked against rules every correct saxophone
// fingering obeys, and the parser's handling of a damaged file.
#include "app/note_table.h"
#include "assets/fingering_db.h"
#include "assets/key_diagram.h"

#include <QFile>
#include <gtest/gtest.h>

#include <bit>
#include <map>
#include <set>

using namespace korvalin;

namespace {

constexpr KeyMask kSixMainKeys = KeyBit(SaxKey::Lh1) | KeyBit(SaxKey::Lh2) | KeyBit(SaxKey::Lh3) |
                                 KeyBit(SaxKey::Rh1) | KeyBit(SaxKey::Rh2) | KeyBit(SaxKey::Rh3);
constexpr KeyMask kPalmKeys = KeyBit(SaxKey::PalmD) | KeyBit(SaxKey::PalmEb) | KeyBit(SaxKey::PalmF);

// The note's pictures as the note table lists them (standard first), by written MIDI number.
std::vector<const FingeringEntry*> PicturesOf(int midi) {
    BuildNoteTable();
    std::vector<const FingeringEntry*> out;
    for (int row = 70; row <= 137; ++row) {
        if (NoteValue(row, Pitch) != midi) continue;
        const int first = NoteValue(row, Fingering), count = std::max<int>(NoteValue(row, FingeringCount), 1);
        if (count > int(out.size())) {
            out.clear();
            for (int k = 0; k < count; ++k) out.push_back(Fingerings().Find(first + k));
        }
    }
    return out;
}

const FingeringEntry& Standard(int midi) {
    static const FingeringEntry none;
    auto pics = PicturesOf(midi);
    return pics.empty() || !pics[0] ? none : *pics[0];
}

std::string Describe(const FingeringEntry& e) {
    std::string keys;
    for (const auto& k : KeyNames(e.keys)) keys += k + " ";
    return "picture " + std::to_string(e.picture) + " " + e.note + " " + e.variant + ": " + keys;
}

std::string DataFileText() {
    QFile f(QStringLiteral(":/korvalin/fingerings.txt"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

TEST(FingeringData, LoadsWithoutFaultsAndAgreesWithTheNoteTable) {
    const FingeringSet& set = Fingerings();
    for (const auto& e : set.errors) ADD_FAILURE() << e;
}

TEST(FingeringData, EveryNoteHasAsManyPicturesAsItsFingeringCount) {
    BuildNoteTable();
    for (int row = 70; row <= 137; ++row) {
        const int midi = NoteValue(row, Pitch);
        const int first = NoteValue(row, Fingering);
        const int wanted = std::max<int>(NoteValue(row, FingeringCount), 1);
        for (int k = 0; k < wanted; ++k) {
            const FingeringEntry* e = Fingerings().Find(first + k);
            ASSERT_NE(e, nullptr);
            EXPECT_EQ(e->midi, midi) << "row " << row << " picture " << first + k;
            EXPECT_EQ(e->kind, k == 0 ? FingeringKind::Standard : FingeringKind::Alternate) << Describe(*e);
        }
    }
    EXPECT_EQ(PicturesOf(66).size(), 2u); // F#4: two, although its flat spelling offers none
}

TEST(FingeringData, OctaveKeyOnEveryNoteFromD5ToF6AndOnNothingBelowD5) {
    for (int midi = 74; midi <= 89; ++midi)
        EXPECT_TRUE(Standard(midi).Presses(SaxKey::Octave)) << Describe(Standard(midi));
    for (const auto& e : Fingerings().pictures)
        if (e.midi && e.midi < 74) {
            EXPECT_FALSE(e.Presses(SaxKey::Octave)) << Describe(e);
        }
}

TEST(FingeringData, LowNotesCloseTheSixMainKeysAndOnePinkyKey) {
    EXPECT_EQ(Standard(58).keys, kSixMainKeys | KeyBit(SaxKey::LowBb));
    const std::map<int, SaxKey> pinky{{59, SaxKey::LowB}, {60, SaxKey::LowC}, {61, SaxKey::LowCSharp},
                                      {63, SaxKey::LowEb}, {75, SaxKey::LowEb}};
    for (auto [midi, key] : pinky)
        EXPECT_EQ(Standard(midi).keys & ~KeyBit(SaxKey::Octave), kSixMainKeys | KeyBit(key)) << midi;
}

TEST(FingeringData, NaturalsFromDToBLiftTheMainKeysFromTheBottomUp) {
    // D closes all six, E five, F four, G three, A two, B one: in both registers, nothing else
    // but the octave key above C#5.
    const std::vector<SaxKey> column{SaxKey::Lh1, SaxKey::Lh2, SaxKey::Lh3, SaxKey::Rh1, SaxKey::Rh2, SaxKey::Rh3};
    const int naturals[] = {62, 64, 65, 67, 69, 71};
    for (int octave : {0, 12}) {
        for (int i = 0; i < 6; ++i) {
            KeyMask want = octave ? KeyBit(SaxKey::Octave) : 0;
            for (int k = 0; k < 6 - i; ++k) want |= KeyBit(column[size_t(k)]);
            EXPECT_EQ(Standard(naturals[i] + octave).keys, want) << naturals[i] + octave;
        }
    }
}

TEST(FingeringData, SecondRegisterIsTheFirstWithTheOctaveKey) {
    for (int midi = 62; midi <= 73; ++midi) {
        auto low = PicturesOf(midi), high = PicturesOf(midi + 12);
        for (size_t k = 0; k < std::min(low.size(), high.size()); ++k)
            EXPECT_EQ(high[k]->keys, low[k]->keys | KeyBit(SaxKey::Octave)) << Describe(*high[k]);
    }
}

TEST(FingeringData, PalmKeysOnlyFromD6UpAndEachPalmNoteAddsOneKey) {
    for (const auto& e : Fingerings().pictures)
        if (e.keys & kPalmKeys) {
            EXPECT_GE(e.midi, 86) << Describe(e);
        }
    for (int midi = 86; midi <= 89; ++midi) {
        const KeyMask lower = Standard(midi).keys, upper = Standard(midi + 1).keys;
        EXPECT_EQ(lower & ~upper, 0u) << midi;
        EXPECT_EQ(std::popcount(upper & ~lower), 1) << midi + 1;
    }
}

TEST(FingeringData, NoFingeringAsksOneFingerForKeysItCannotHoldTogether) {
    for (const auto& e : Fingerings().pictures)
        for (const auto& c : FingerConflicts(e.keys)) ADD_FAILURE() << Describe(e) << "- " << c;
    // The rule itself: one key of a little-finger table at a time, D and the alternate F# key
    // share the ring finger, the side of the index finger spans neighbouring side keys only.
    EXPECT_FALSE(FingerConflicts(KeyBit(SaxKey::GSharp) | KeyBit(SaxKey::LowB)).empty());
    EXPECT_FALSE(FingerConflicts(KeyBit(SaxKey::Rh3) | KeyBit(SaxKey::AltFSharp)).empty());
    EXPECT_FALSE(FingerConflicts(KeyBit(SaxKey::HighE) | KeyBit(SaxKey::SideBb)).empty());
    EXPECT_TRUE(FingerConflicts(KeyBit(SaxKey::SideC) | KeyBit(SaxKey::SideBb) | KeyBit(SaxKey::Rh1)).empty());
    EXPECT_TRUE(FingerConflicts(KeyBit(SaxKey::Lh1) | KeyBit(SaxKey::Bis) | kPalmKeys).empty());
}

TEST(FingeringData, PublishedAlternatesAreOfferedByTheVariationButtons) {
    struct Want { int midi; const char* variant; KeyMask keys; };
    const Want wants[] = {
        {70, "bis", KeyBit(SaxKey::Lh1) | KeyBit(SaxKey::Bis)},
        {70, "1 and 1", KeyBit(SaxKey::Lh1) | KeyBit(SaxKey::Rh1)},
        {70, "side Bb", KeyBit(SaxKey::Lh1) | KeyBit(SaxKey::Lh2) | KeyBit(SaxKey::SideBb)},
        {72, "side C", KeyBit(SaxKey::Lh1) | KeyBit(SaxKey::SideC)},
        {66, "alternate F#", KeyBit(SaxKey::Lh1) | KeyBit(SaxKey::Lh2) | KeyBit(SaxKey::Lh3) |
                                 KeyBit(SaxKey::Rh1) | KeyBit(SaxKey::AltFSharp)},
        {89, "front F", KeyBit(SaxKey::Octave) | KeyBit(SaxKey::FrontF) | KeyBit(SaxKey::Lh2)},
    };
    for (const Want& w : wants) {
        bool found = false;
        for (const FingeringEntry* e : PicturesOf(w.midi)) found |= e->variant == w.variant && e->keys == w.keys;
        EXPECT_TRUE(found) << w.midi << " " << w.variant;
    }
    EXPECT_TRUE(Standard(90).Presses(SaxKey::HighFSharp)); // F#6 on a modern horn
}

TEST(FingeringData, VariantsOfANoteDifferAndAltissimoNamesItsSource) {
    std::map<int, std::set<KeyMask>> keysByNote;
    std::map<int, std::set<std::string>> namesByNote;
    for (const auto& e : Fingerings().pictures) {
        if (e.kind == FingeringKind::Blank) continue;
        EXPECT_TRUE(keysByNote[e.midi].insert(e.keys).second) << "same keys twice: " << Describe(e);
        EXPECT_TRUE(namesByNote[e.midi].insert(e.variant).second) << "same name twice: " << Describe(e);
        EXPECT_FALSE(e.source.empty()) << Describe(e);
    }
}

TEST(FingeringData, BlankAndExtraPictures) {
    const FingeringEntry* blank = Fingerings().Find(kBlankFingeringPicture);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(blank->kind, FingeringKind::Blank);
    EXPECT_EQ(blank->keys, 0u);
    // An extra is one more fingering of the note whose pictures it sits beside.
    const std::pair<int, int> extras[] = {{45, 44}, {47, 50}, {48, 50}, {49, 50}, {58, 57}};
    for (auto [extra, neighbour] : extras) {
        EXPECT_EQ(Fingerings().Find(extra)->kind, FingeringKind::Extra) << extra;
        EXPECT_EQ(Fingerings().Find(extra)->midi, Fingerings().Find(neighbour)->midi) << extra;
    }
}

TEST(FingeringParser, NoteNames) {
    const std::pair<const char*, int> cases[] = {{"Bb3", 58}, {"C4", 60}, {"C#5", 73}, {"A7", 105},
                                                 {"H4", -1}, {"C", -1}, {"C##4", -1}, {"Bb10", -1}};
    for (auto [name, midi] : cases) EXPECT_EQ(MidiOfNoteName(name), midi) << name;
}

// A fault put into the real data file is reported, naming what is wrong.
struct Damage {
    const char* from;
    const char* to;
    const char* message; // part of the expected report
};

class DamagedFile : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedFile, IsReportedNotSilentlyDrawn) {
    std::string text = DataFileText();
    ASSERT_FALSE(text.empty());
    ASSERT_TRUE(ParseFingerings(text).ok());
    const Damage& d = GetParam();
    const size_t at = text.find(d.from);
    ASSERT_NE(at, std::string::npos) << d.from;
    text.replace(at, std::string(d.from).size(), d.to);
    FingeringSet set = ParseFingerings(text);
    std::vector<std::string> all = set.errors;
    for (auto& e : CheckAgainstNoteTable(set)) all.push_back(e);
    bool found = false;
    for (const auto& e : all) found |= e.find(d.message) != std::string::npos;
    EXPECT_TRUE(found) << "no report containing \"" << d.message << "\"; got " << all.size() << " reports"
                       << (all.empty() ? "" : ", first: " + all[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DamagedFile,
    ::testing::Values(
        Damage{"| lh1 bis ", "| lh1 bys ", "unknown key name \"bys\""},
        Damage{"1 and 1            | lh1 rh1 ", "1 and 1 | lh1 rh1 rh1 ", "given twice"},
        Damage{"\n 14   |", "\n 13   |", "picture 13 is already given on line"},
        Damage{"\n 14   |", "\n#14   |", "picture 14 is missing"},
        Damage{"| Bb4 70  | alternate | 1 and 1", "| Bb4 71  | alternate | 1 and 1", "Bb4 is MIDI 70, not 71"},
        Damage{"| Bb4 70  | alternate | 1 and 2", "| Bb4 70  | extra     | 1 and 2", "should be the note's alternate"},
        Damage{"| F6 89   | extra ", "| F6 89   | alternate ", "no note offers it"},
        Damage{"  9   | F#4 66", "  9   | G4 67 ", "is a fingering of MIDI 67"},
        Damage{"| blank     | no fingering       |  ", "| blank     | no fingering       | lh1", "presses no key"},
        Damage{"\n 98   | A7 105  | standard  | altissimo 1 ", "\n 98 | A7 105 | standard ", "expected 6 columns"}));

} // namespace
