#include "app/korvalin1.h"
#include "app/note_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace korvalin;

namespace {

class NoteTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetKorvalin1();
        BuildNoteTable();
    }
};

// The rows of an enharmonic pair: the sharp spelling and the flat one right after it.
std::vector<std::pair<int, int>> EnharmonicPairs() {
    std::vector<std::pair<int, int>> pairs;
    for (int r = 1; r < 153; ++r) {
        int j = SpellingPosition(r);
        if (j == 1 || j == 5 || j == 8 || j == 12 || j == 15) pairs.push_back({r, r + 1});
    }
    return pairs;
}

TEST_F(NoteTableTest, RowZeroAndOutOfTableReadsAreEmpty) {
    for (int c = 0; c < kNoteColumns; ++c) {
        EXPECT_EQ(NoteCell(0, NoteColumn(c)), "");
        EXPECT_EQ(NoteValue(0, NoteColumn(c)), 0);
    }
    for (int n : {-1, -32768, 154, 1000}) {
        EXPECT_EQ(NoteCell(n, Name), "") << n;
        EXPECT_EQ(NoteValue(n, Pitch), 0) << n;
    }
    EXPECT_EQ(NoteCell(73, NoteColumn(10)), "");
    EXPECT_EQ(NoteCell(73, NoteColumn(-1)), "");
}

TEST_F(NoteTableTest, EveryNameIsEightCharacters) {
    for (int r = 1; r <= 153; ++r) EXPECT_EQ(NoteCell(r, Name).size(), 8u) << r;
    EXPECT_EQ(NoteCell(1, Name), "A-4     ");
    EXPECT_EQ(NoteCell(2, Name), "A#-4(Bb)");
    EXPECT_EQ(NoteCell(4, Name), "B-4 (Cb)");
    EXPECT_EQ(NoteCell(11, Name), "E-4 (Fb)");
    EXPECT_EQ(NoteCell(61, Name), "Eb-1(D#)");
    EXPECT_EQ(NoteCell(69, Name), "A0      ");
    EXPECT_EQ(NoteCell(70, Name), "A#0 (Bb)");
    EXPECT_EQ(NoteCell(72, Name), "B0  (Cb)");
    EXPECT_EQ(NoteCell(73, Name), "C0      ");
    EXPECT_EQ(NoteCell(79, Name), "E0  (Fb)");
    EXPECT_EQ(NoteCell(151, Name), "G4      ");
    EXPECT_EQ(NoteCell(153, Name), "Ab4 (G#)");
}

TEST_F(NoteTableTest, PitchRisesBySemitonesThroughTheTable) {
    EXPECT_EQ(NoteValue(1, Pitch), 9);
    EXPECT_EQ(NoteValue(73, Pitch), 60);
    EXPECT_EQ(NoteValue(153, Pitch), 116);
    // Consecutive rows rise by one semitone except inside an enharmonic pair.
    std::set<int> secondOfPair;
    for (auto [a, b] : EnharmonicPairs()) secondOfPair.insert(b);
    for (int r = 2; r <= 153; ++r) {
        int step = NoteValue(r, Pitch) - NoteValue(r - 1, Pitch);
        EXPECT_EQ(step, secondOfPair.count(r) ? 0 : 1) << r;
    }
}

TEST_F(NoteTableTest, EnharmonicPairsShareSoundAndKeyButNotStaffPlace) {
    auto pairs = EnharmonicPairs();
    ASSERT_EQ(pairs.size(), 45u);
    for (auto [a, b] : pairs) {
        EXPECT_EQ(NoteCell(a, Pitch), NoteCell(b, Pitch)) << a;
        EXPECT_EQ(NoteCell(a, Fingering), NoteCell(b, Fingering)) << a;
        // Above the keyboard (rows 141..153) the key places are copied from 13 rows down, pair or not.
        if (b <= 140) {
            EXPECT_EQ(NoteCell(a, KeyboardX), NoteCell(b, KeyboardX)) << a;
        }
        EXPECT_EQ(NoteCell(a, PrintAdvance), NoteCell(b, PrintAdvance)) << a;
        if (a >= 39 && b <= 135) {
            EXPECT_NE(NoteCell(a, StaffY), NoteCell(b, StaffY)) << a;
            EXPECT_NE(NoteCell(a, StaffSymbol), NoteCell(b, StaffSymbol)) << a;
        }
    }
    EXPECT_EQ(NoteValue(70, StaffY), 173);
    EXPECT_EQ(NoteValue(70, StaffSymbol), 0);
    EXPECT_EQ(NoteValue(71, StaffY), 167);
    EXPECT_EQ(NoteValue(71, StaffSymbol), 4);
}

TEST_F(NoteTableTest, StaffPlacesFollowTheLetters) {
    EXPECT_EQ(NoteValue(39, StaffY), 245);  // C-2
    EXPECT_EQ(NoteValue(73, StaffY), 161);  // C0, on the ledger line at 165 (marker head at 161 - 7 + 12)
    EXPECT_EQ(NoteValue(61, StaffY), 191);  // Eb-1
    EXPECT_EQ(NoteValue(137, StaffY), 5);   // A4
    EXPECT_EQ(NoteValue(138, StaffY), 5);
    EXPECT_EQ(NoteValue(139, StaffY), 5);
    EXPECT_EQ(NoteValue(140, StaffY), 5);
    for (int r = 1; r <= 38; ++r) EXPECT_EQ(NoteValue(r, StaffY), 0) << r;
    // One staff step is 6 pixels: a natural and the next natural above differ by 6.
    for (int r = 40; r <= 137; ++r) {
        int below = r - 1;
        while (IsBlackKeySpelling(below)) --below;
        if (IsBlackKeySpelling(r) || below < 39) continue;
        EXPECT_EQ(NoteValue(below, StaffY) - NoteValue(r, StaffY), 6) << r;
    }
}

TEST_F(NoteTableTest, HighRowsRepeatTheRowThirteenBelow) {
    const int staffY[] = {29, 23, 23, 17, 17, 11, 11, 11, 5, 5, 5, 5, 5};
    const int keyX[] = {444, 444, 450, 462, 468, 468, 474, 480, 480, 486, 492, 492, 498};
    for (int r = 141; r <= 153; ++r) {
        EXPECT_EQ(NoteCell(r, StaffY), NoteCell(r - 13, StaffY)) << r;
        EXPECT_EQ(NoteCell(r, KeyboardX), NoteCell(r - 13, KeyboardX)) << r;
        EXPECT_EQ(NoteValue(r, StaffY), staffY[r - 141]) << r;
        EXPECT_EQ(NoteValue(r, KeyboardX), keyX[r - 141]) << r;
        EXPECT_EQ(NoteValue(r, StaffSymbol), 7) << r;
    }
}

TEST_F(NoteTableTest, KeyboardPlacesAreKeyCentresAndBoundaries) {
    EXPECT_EQ(NoteValue(39, KeyboardX), 6);
    EXPECT_EQ(NoteValue(73, KeyboardX), 174);
    EXPECT_EQ(NoteValue(140, KeyboardX), 498);
    for (int r = 39; r <= 140; ++r) {
        int x = NoteValue(r, KeyboardX);
        // White keys get the centre of their 12-pixel key (6 mod 12), black keys the boundary (0 mod 12).
        EXPECT_EQ(x % 12, IsBlackKeySpelling(r) ? 0 : 6) << r;
    }
    for (int r = 1; r <= 38; ++r) EXPECT_EQ(NoteValue(r, KeyboardX), 0) << r;
}

TEST_F(NoteTableTest, StaffSymbolsByAccidentalAndLine) {
    for (int r = 1; r <= 38; ++r) EXPECT_EQ(NoteValue(r, StaffSymbol), 7) << r;
    for (int r = 136; r <= 140; ++r) EXPECT_EQ(NoteValue(r, StaffSymbol), 8) << r;
    for (int r = 39; r <= 135; ++r) {
        int g = NoteValue(r, StaffSymbol);
        int accidental = g % 3;
        int j = SpellingPosition(r);
        int expected = (j == 1 || j == 5 || j == 8 || j == 12 || j == 15) ? 0 : IsBlackKeySpelling(r) ? 1 : 2;
        EXPECT_EQ(accidental, expected) << r;
        // Lines sit every 12 pixels from row 9 of the picture, which lies one pixel inside its
        // control; a marker placed at StaffY - 7 in the control has the staff's line through its
        // row 12 exactly when the note sits on a line (glyphs 0 to 2).
        bool onLine = (NoteValue(r, StaffY) - 7 + 12 - 1 - 9) % 12 == 0;
        EXPECT_EQ(g < 3, onLine) << r;
    }
}

TEST_F(NoteTableTest, FingeringsAndPrintColumns) {
    std::map<int, int> countByRow = {{81, 2}, {82, 0}, {87, 4}, {88, 4}, {90, 2}, {113, 2}, {115, 4},
                                     {120, 3}, {137, 0}, {72, 0}};
    for (auto [row, count] : countByRow) EXPECT_EQ(NoteValue(row, FingeringCount), count) << row;
    EXPECT_EQ(NoteValue(70, Fingering), 0);
    EXPECT_EQ(NoteValue(73, Fingering), 2);
    EXPECT_EQ(NoteValue(87, Fingering), 13);
    EXPECT_EQ(NoteValue(137, Fingering), 98);
    for (int r : {1, 69, 138, 153}) {
        EXPECT_EQ(NoteValue(r, Fingering), 46) << r;
        EXPECT_EQ(NoteValue(r, FingeringCount), 0) << r;
    }
    // Pictures of consecutive pitches follow each other without gaps or overlaps, 45..49 and 58 apart.
    std::set<int> used;
    for (int r = 70; r <= 137; ++r) {
        int f = NoteValue(r, Fingering), c = std::max<int>(NoteValue(r, FingeringCount), 1);
        EXPECT_NE(NoteValue(r, FingeringCount), 1) << r;
        for (int k = 0; k < c; ++k) used.insert(f + k);
    }
    for (int i = 0; i < 99; ++i) {
        bool spare = i == 45 || i == 46 || i == 47 || i == 48 || i == 49 || i == 58;
        EXPECT_EQ(used.count(i) == 0, spare) << i;
    }
    // Printed page: rows 70..120 only; the advance is the strip's width for 1, 2 or 4 diagrams.
    for (int r = 1; r <= 153; ++r) {
        bool printable = r >= 70 && r <= 120;
        EXPECT_EQ(NoteCell(r, PrintPicture).empty(), !printable) << r;
        EXPECT_EQ(NoteCell(r, PrintAdvance).empty(), !printable) << r;
        if (printable) {
            EXPECT_EQ(NoteValue(r, PrintPicture), NoteValue(r, Pitch) - 58) << r;
            int c = NoteValue(r, FingeringCount);
            int expected = r >= 115 ? 645 : (c == 4 ? 2580 : (c == 2 || r == 82) ? 1290 : 645);
            EXPECT_EQ(NoteValue(r, PrintAdvance), expected) << r;
        }
    }
    for (int r = 1; r <= 153; ++r) EXPECT_EQ(NoteCell(r, NoteColumn(8)), "") << r;
}

TEST_F(NoteTableTest, SoundingNoteLowersByTheInstrumentsInterval) {
    const std::pair<int, int> instruments[] = {{2, 2}, {12, 9}, {19, 14}, {29, 21}};
    for (auto [rows, semitones] : instruments) {
        for (int r = 30; r <= 153; ++r) {
            int s = SoundingNoteFor(r, rows);
            if (s < 1) continue;
            EXPECT_EQ(NoteValue(s, Pitch), NoteValue(r, Pitch) - semitones) << r << " transposed " << rows;
        }
    }
    EXPECT_EQ(SoundingNoteFor(73, 12), 61);
    EXPECT_EQ(SoundingNoteFor(76, 12), 63);
    EXPECT_EQ(SoundingNoteFor(69, 12), 56);
    EXPECT_EQ(SoundingNoteFor(73, 19), 54);
    EXPECT_EQ(SoundingNoteFor(73, 2), 71);
    EXPECT_EQ(SoundingNoteFor(73, 29), 44);
}

TEST_F(NoteTableTest, KeyMarkerHeights) {
    EXPECT_EQ(KeyMarkerHeight(61), 30);
    EXPECT_EQ(KeyMarkerHeight(73), 65);
    EXPECT_EQ(KeyMarkerHeight(40), 30);
    EXPECT_EQ(KeyMarkerHeight(139), 30);
    EXPECT_EQ(KeyMarkerHeight(2), 65);   // below the keyboard
    EXPECT_EQ(KeyMarkerHeight(141), 65); // above it
    EXPECT_EQ(KeyMarkerHeight(0), 65);
}

TEST_F(NoteTableTest, BuildingTwiceGivesTheSameTable) {
    auto first = KORVALIN1.NoteTable;
    BuildNoteTable();
    EXPECT_EQ(first, KORVALIN1.NoteTable);
}

} // namespace
