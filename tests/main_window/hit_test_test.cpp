#include "app/korvalin1.h"
#include "app/note_table.h"
#include "main_window/hit_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace korvalin;

namespace {

struct Point {
    float x, y;
    int note;
};

void PrintTo(const Point& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ") -> " << p.note; }

class KeyboardBoundaries : public ::testing::TestWithParam<Point> {};

TEST_P(KeyboardBoundaries, GivesTheNoteOfTheBand) {
    const Point& p = GetParam();
    EXPECT_EQ(KeyboardNoteAt(p.x, p.y), p.note);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, KeyboardBoundaries,
    ::testing::Values(
        // A separator line belongs to the band on its right.
        Point{13, 60, 42}, Point{13, 20, 41},
        // Strips whose lower bound is excluded, and those where it is included.
        Point{9, 20, 39}, Point{10, 20, 40}, Point{9.01f, 20, 40}, Point{12.99f, 20, 40},
        Point{49, 20, 49}, Point{50, 20, 48}, Point{49.5f, 20, 48}, Point{46, 20, 46}, Point{46.5f, 20, 47},
        Point{22, 20, 43}, Point{21.99f, 20, 42}, Point{16, 20, 42}, Point{15.99f, 20, 41},
        Point{178, 20, 73}, Point{178.01f, 20, 74}, Point{181, 20, 75}, Point{217, 20, 83},
        Point{217.5f, 20, 82}, Point{226, 20, 84},
        // The white-key zone starts at y = 49.
        Point{11, 49, 39}, Point{11, 48.9f, 40}, Point{11, 1000, 39},
        // No black key on that side: white.
        Point{36, 10, 45}, Point{37, 10, 46}, Point{88, 10, 56}, Point{420, 10, 123},
        // Outside the keys: middle C for any y.
        Point{1, 20, 73}, Point{1.99f, 60, 73}, Point{505, 20, 73}, Point{505, 60, 73},
        Point{-3000, -3000, 73}, Point{100000, 5, 73},
        Point{504.9f, 60, 140}, Point{504.9f, 20, 140}, Point{494, 20, 139}, Point{2, 20, 39},
        // Above the picture counts as the black-key zone.
        Point{14, -500, 41}, Point{30, -1, 45}, Point{24, -0.5f, 43}));

TEST(KeyboardNoteAt, EveryBandFollowsTheRegularPattern) {
    ResetKorvalin1();
    BuildNoteTable();
    for (int k = 1; k <= 42; ++k) {
        const float lo = k == 1 ? 2.0f : float(12 * k - 11);
        const float hi = float(12 * k + 1);
        const int white = KeyboardNoteAt(lo + 5, 70);
        EXPECT_FALSE(IsBlackKeySpelling(white)) << k;
        EXPECT_EQ(KeyboardNoteAt(hi - 0.01f, 70), white) << k;
        // Middle of the band is white in the black zone too.
        EXPECT_EQ(KeyboardNoteAt(lo + 5.5f, 10), white) << k;
        // Any strip note is the flat (left) or sharp (right) of this white key.
        const int left = KeyboardNoteAt(lo + 1.5f, 10);
        const int right = KeyboardNoteAt(hi - 1.5f, 10);
        EXPECT_TRUE(left == white || left == white - 1) << k;
        EXPECT_TRUE(right == white || right == white + 1) << k;
        if (left != white) {
            EXPECT_EQ(NoteValue(left, Pitch), NoteValue(white, Pitch) - 1) << k;
        }
        if (right != white) {
            EXPECT_EQ(NoteValue(right, Pitch), NoteValue(white, Pitch) + 1) << k;
        }
    }
}

TEST(KeyboardNoteAt, ReachesEveryWhiteNoteAndEverySharpAndFlatHalf) {
    ResetKorvalin1();
    BuildNoteTable();
    std::set<int> reached;
    for (float x = -5; x < 510; x += 0.25f)
        for (float y : {-10.0f, 10.0f, 48.9f, 60.0f}) reached.insert(KeyboardNoteAt(x, y));
    for (int r = 39; r <= 140; ++r) EXPECT_TRUE(reached.count(r)) << "row " << r << " " << NoteCell(r, Name);
    EXPECT_EQ(*reached.begin(), 39);
    EXPECT_EQ(*reached.rbegin(), 140);
}

TEST(KeyboardNoteAt, NonFinitePointsFallBack) {
    EXPECT_EQ(KeyboardNoteAt(NAN, 10), 73);
    EXPECT_EQ(KeyboardNoteAt(INFINITY, 10), 73);
    EXPECT_EQ(KeyboardNoteAt(-INFINITY, 60), 73);
}

TEST(StaffNoteAt, BandEdges) {
    EXPECT_EQ(StaffNoteAt(12.9f), 137);
    EXPECT_EQ(StaffNoteAt(-400), 137);
    EXPECT_EQ(StaffNoteAt(13), 134);
    EXPECT_EQ(StaffNoteAt(21), 131);   // the line at y = 21 belongs to F3
    EXPECT_EQ(StaffNoteAt(165), 73);   // middle C's ledger line
    EXPECT_EQ(StaffNoteAt(164), 73);
    EXPECT_EQ(StaffNoteAt(163.9f), 76);
    EXPECT_EQ(StaffNoteAt(169), 72);
    EXPECT_EQ(StaffNoteAt(237), 45);
    EXPECT_EQ(StaffNoteAt(247.9f), 42);
    EXPECT_FALSE(StaffNoteAt(248).has_value());
    EXPECT_FALSE(StaffNoteAt(263).has_value());
    EXPECT_FALSE(StaffNoteAt(NAN).has_value());
}

TEST(StaffNoteAt, EachBandIsOneNaturalBelowTheOneAbove) {
    ResetKorvalin1();
    BuildNoteTable();
    int previous = 137;
    int edge = 13, bands = 0;
    while (edge < 248) {
        const int height = bands % 2 == 0 ? 7 : 5;
        const int note = *StaffNoteAt(float(edge));
        EXPECT_EQ(*StaffNoteAt(float(edge + height) - 0.01f), note);
        EXPECT_FALSE(IsBlackKeySpelling(note));
        // One staff step down: the note's staff place is 6 pixels lower.
        EXPECT_EQ(NoteValue(note, StaffY) - NoteValue(previous, StaffY), 6) << note;
        previous = note;
        edge += height;
        ++bands;
    }
    EXPECT_EQ(edge, 248);
    EXPECT_EQ(previous, 42);
}

} // namespace
