// A heard concert note as the written note the main window shows, spelled as the player reads it,
// and the tuning needle's smoothing.
#include "app/note_table.h"
#include "listen/tuning_needle.h"
#include "listen/written_note.h"
#include "scales/scale_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace korvalin;

namespace {

// The main window's Transposition of each saxophone.
constexpr int kSopranoRows = kSoprano.transposition, kAltoRows = kAlto.transposition, kTenorRows = kTenor.transposition,
              kBaritoneRows = kBaritone.transposition;

struct WrittenCase {
    int concert;
    int transposition;
    BlackKeySpelling spelling;
    int written; // note number, 0 for none
};

class WrittenNoteTest : public ::testing::TestWithParam<WrittenCase> {};

TEST_P(WrittenNoteTest, ConcertNoteGivesTheWrittenRow) {
    const WrittenCase& c = GetParam();
    EXPECT_EQ(WrittenNoteFor(c.concert, c.transposition, c.spelling), c.written);
}

const BlackKeySpelling kDefault = BlackKeySpelling::Default();
const BlackKeySpelling kSharps = BlackKeySpelling::ForKeySignature(2);
const BlackKeySpelling kFlats = BlackKeySpelling::ForKeySignature(-3);

INSTANTIATE_TEST_SUITE_P(Rows, WrittenNoteTest, ::testing::Values(
    // Written C0 (row 73, MIDI 60) sounds Eb3 on alto, Bb2 on tenor, Bb3 on soprano, Eb2 on baritone.
    WrittenCase{51, kAltoRows, kDefault, 73}, WrittenCase{46, kTenorRows, kDefault, 73},
    WrittenCase{58, kSopranoRows, kDefault, 73}, WrittenCase{39, kBaritoneRows, kDefault, 73},
    // Written D0 (76) on alto sounds F3.
    WrittenCase{53, kAltoRows, kDefault, 76},
    // Black keys: written C#/Db0 (74/75) and A#/Bb0 (70/71) by the spelling in force.
    WrittenCase{52, kAltoRows, kDefault, 74}, WrittenCase{52, kAltoRows, kFlats, 75}, WrittenCase{52, kAltoRows, kSharps, 74},
    WrittenCase{49, kAltoRows, kDefault, 71}, WrittenCase{49, kAltoRows, kSharps, 70}, WrittenCase{49, kAltoRows, kFlats, 71},
    // Written Ab4 (153, MIDI 116) is the top of the table; a semitone higher has no row.
    WrittenCase{95, kBaritoneRows, kDefault, 153}, WrittenCase{96, kBaritoneRows, kDefault, 0},
    WrittenCase{107, kAltoRows, kSharps, 152},
    // A-4 (row 1, MIDI 9) is the bottom; lower, negative or absurd notes have none.
    WrittenCase{0, kAltoRows, kDefault, 1}, WrittenCase{-1, kAltoRows, kDefault, 0},
    WrittenCase{std::numeric_limits<int>::max(), kAltoRows, kDefault, 0},
    WrittenCase{std::numeric_limits<int>::min(), kAltoRows, kDefault, 0},
    // A Transposition none of the four saxophones has.
    WrittenCase{60, 0, kDefault, 0}, WrittenCase{60, 9, kDefault, 0}));

// Each saxophone sounds its written C (MIDI 60) a major second, a major sixth, an octave and a
// major second, and an octave and a major sixth lower; any other Transposition is none of them.
TEST(WrittenNote, TranspositionRowsAreTheSaxophonesIntervals) {
    const int cases[][2] = {{kSopranoRows, 58}, {kAltoRows, 51}, {kTenorRows, 46}, {kBaritoneRows, 39}};
    for (const auto& c : cases) EXPECT_EQ(60 - TranspositionSemitones(c[0]), c[1]) << c[0];
    for (int none : {0, 9, -12}) EXPECT_EQ(TranspositionSemitones(none), -1) << none;
}

// Every concert note, on every saxophone and in both spellings, lands on a row that the main
// window's own SoundingNote turns back into the same concert pitch, spelled as asked.
TEST(WrittenNote, AgreesWithSoundingNoteEverywhere) {
    BuildNoteTable();
    for (int t : {kSopranoRows, kAltoRows, kTenorRows, kBaritoneRows}) {
        for (const BlackKeySpelling& spelling : {kDefault, kSharps, kFlats}) {
            int rows = 0;
            for (int concert = 0; concert <= 127; ++concert) {
                const int w = WrittenNoteFor(concert, t, spelling);
                const int writtenPitch = concert + TranspositionSemitones(t);
                ASSERT_EQ(w != 0, writtenPitch >= 9 && writtenPitch <= 116) << concert;
                if (w == 0) continue;
                ++rows;
                EXPECT_EQ(NoteValue(w, Pitch), writtenPitch) << concert << " on " << t;
                if (IsBlackKeySpelling(w)) {
                    const bool flatRow = std::string(NoteCell(w, Name)).find('b') == 1;
                    EXPECT_EQ(flatRow, spelling.flat[std::size_t(writtenPitch % 12)]) << NoteCell(w, Name);
                }
                if (w >= t + 2) {
                    EXPECT_EQ(NoteValue(SoundingNoteFor(w, t), Pitch), concert) << concert << " on " << t;
                }
            }
            EXPECT_EQ(rows, 116 - std::max(9, TranspositionSemitones(t)) + 1);
        }
    }
}

// Black keys the way the current scale spells them: its own spelling for the keys it holds, the
// direction of most of its accidentals for the rest, the default when it has none.
TEST(WrittenNote, ScaleSpellsItsBlackKeys) {
    enum { Cs = 1, Eb = 3, Fs = 6, Ab = 8, Bb = 10 };
    struct Case {
        int16_t type;
        int key;
        bool flat[12];
    };
    const Case cases[] = {
        {kMajorType, 0, {false, false, false, true, false, false, false, false, true, false, true, false}}, // C
        {kMajorType, 1, {false, true, false, true, false, false, true, false, true, false, true, false}},  // F
        {kMajorType, 11, {false, false, false, false, false, false, false, false, false, false, false, false}}, // D
        {kMajorType, 6, {false, true, false, true, false, false, true, false, true, false, true, false}},  // Gb
        {kMajorType, 8, {false, false, false, false, false, false, false, false, false, false, false, false}}, // B
        {kHarmonicMinorType, 0, {false, false, false, false, false, false, false, false, false, false, false, false}}, // A
        {kHarmonicMinorType, 1, {false, false, false, true, false, false, false, false, true, false, true, false}},   // D: Bb and C#
    };
    for (const Case& c : cases) {
        const std::span<const int> notes = AscendingNotes(c.type, c.key);
        ASSERT_FALSE(notes.empty());
        const BlackKeySpelling s = BlackKeySpelling::FromScaleNotes(notes);
        for (int pc : {Cs, Eb, Fs, Ab, Bb}) EXPECT_EQ(s.flat[std::size_t(pc)], c.flat[pc]) << KeyCaption(c.type, c.key) << " pc " << pc;
    }
    const BlackKeySpelling none = BlackKeySpelling::FromScaleNotes({});
    EXPECT_EQ(none.flat, kDefault.flat);
    EXPECT_EQ(BlackKeySpelling::ForKeySignature(0).flat, kDefault.flat);
}

TEST(TuningNeedle, SmoothsTowardTheCentsHeard) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double shown, target, elapsed, tau, expected;
    };
    const Case cases[] = {
        {0, 10, 150, 150, 10 * (1 - std::exp(-1.0))}, // one time constant: 63 % of the way
        {0, 10, 0, 150, 0},                            // no time passed
        {-20, 20, 1e9, 150, 20},                       // long enough to arrive
        {5, 30, 10, 0, 30},                            // no smoothing
        {5, 30, -10, 150, 5},                          // time going backwards moves nothing
        {5, nan, 10, 150, 5},                          // a reading that is no number is ignored
        {nan, 12, 10, 150, 12},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(SmoothToward(c.shown, c.target, c.elapsed, c.tau), c.expected, 1e-9)
            << c.shown << " -> " << c.target << " after " << c.elapsed;

    TuningNeedle needle(100);
    EXPECT_FALSE(needle.HasPosition());
    EXPECT_DOUBLE_EQ(needle.Update(30, 6), 30); // the first reading is shown at once
    double last = 30;
    for (int hop = 0; hop < 100; ++hop) { // steps down to -10, never past it
        const double now = needle.Update(-10, 6);
        ASSERT_LT(now, last);
        ASSERT_GT(now, -10);
        last = now;
    }
    EXPECT_NEAR(last, -10, 0.1);
    EXPECT_DOUBLE_EQ(needle.Update(nan, 6), last);
    EXPECT_LE(needle.Update(400, 1e9), 50); // held to the meter's scale
    needle.Reset();
    EXPECT_DOUBLE_EQ(needle.Update(-80, 6), -50);
}

} // namespace
