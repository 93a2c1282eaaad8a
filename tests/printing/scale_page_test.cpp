// The scale page as data: which strip lands in which slot at which position, for the catalogue's
// scales and for patterns that overrun the page.
#include "app/korvalin1.h"
#include "app/note_table.h"
#include "printing/scale_page.h"
#include "scales/scale_catalogue.h"

#include <gtest/gtest.h>

#include <string>

namespace korvalin {
namespace {

class ScalePageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ResetKorvalin1();
        BuildNoteTable();
        FillScalePatterns();
    }
};

std::string Repeat(const std::string& field, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += field;
    return s;
}

int InRow(const ScalePage& page, int top) {
    int n = 0;
    for (const PlacedStrip& s : page.noteStrips) n += s.top == top;
    return n;
}

TEST_F(ScalePageTest, StripWidthsAreThePrintedAdvanceOfTheirNotes) {
    for (int row = 70; row <= 120; ++row) {
        const int strip = NoteValue(row, PrintPicture);
        EXPECT_EQ(strip, NoteValue(row, Pitch) - 58) << "row " << row;
        EXPECT_EQ(StripWidth(strip), NoteValue(row, PrintAdvance)) << "row " << row;
        EXPECT_EQ(StripWidth(strip), kDiagramWidth * StripDiagramCount(strip)) << "row " << row;
    }
    EXPECT_EQ(StripWidth(36), 315);
    EXPECT_EQ(StripWidth(37), 315);
    EXPECT_EQ(StripWidth(38), 0);
    EXPECT_EQ(StripWidth(-1), 0);
}

struct RowCase {
    const char* name;
    int entry;           // ScalePatterns index
    int firstRow, secondRow;
};

class CatalogueRows : public ScalePageTest, public ::testing::WithParamInterface<RowCase> {};

TEST_P(CatalogueRows, FillsTheRowsInPatternOrder) {
    const RowCase& c = GetParam();
    const std::string& pattern = KORVALIN1.ScalePatterns[std::size_t(c.entry)];
    const ScalePage page = ComposeScalePage(pattern, "Label5");

    EXPECT_EQ(InRow(page, 400), c.firstRow);
    EXPECT_EQ(InRow(page, 5400), c.secondRow);
    ASSERT_EQ(page.noteStrips.size(), std::size_t(c.firstRow + c.secondRow));
    ASSERT_EQ(page.rowStarts.size(), c.secondRow > 0 ? 2u : 1u);
    EXPECT_EQ(page.rowStarts[0], (PlacedStrip{36, -1, 100, 400, 315, 4875}));
    if (c.secondRow > 0) {
        EXPECT_EQ(page.rowStarts[1], (PlacedStrip{37, -1, 100, 5400, 315, 4875}));
    }

    // Each note's strip follows the last at its advance; a row begins 322 twips after its start.
    int penX = 422;
    for (std::size_t i = 0; i < page.noteStrips.size(); ++i) {
        const PlacedStrip& s = page.noteStrips[i];
        const int note = FieldValue(pattern, int(3 * i + 1));
        if (i == std::size_t(c.firstRow)) penX = 422;
        EXPECT_EQ(s.slot, int(i));
        EXPECT_EQ(s.strip, NoteValue(note, PrintPicture)) << "slot " << i;
        EXPECT_EQ(s.left, penX) << "slot " << i;
        EXPECT_EQ(s.top, i < std::size_t(c.firstRow) ? 400 : 5400);
        EXPECT_EQ(s.width, StripWidth(s.strip));
        EXPECT_EQ(s.height, 4875);
        EXPECT_LE(s.left, 14500) << "a strip begun past the row's end";
        penX += NoteValue(note, PrintAdvance);
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, CatalogueRows,
                         ::testing::Values(RowCase{"CMajor", 0, 20, 9},         // 29 notes, all shown
                                           RowCase{"FMajor", 1, 14, 12},        // stops after 26
                                           RowCase{"APentMaj", 80, 17, 4},      // 21 notes, all shown
                                           RowCase{"Chromatic", 13, 16, 16}),  // 64 notes, row two fills
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScalePageTest, FMajorStopsWhenTheSecondRowPassesItsEnd) {
    const ScalePage page = ComposeScalePage(KORVALIN1.ScalePatterns[1], "F Major");
    ASSERT_EQ(page.noteStrips.size(), 26u);
    const PlacedStrip& last = page.noteStrips.back();
    EXPECT_GT(last.left + last.width, kRowEnd);
    EXPECT_EQ(last.width, 2580) << "the 26th note is a B-flat with four diagrams";
}

TEST_F(ScalePageTest, LongPatternsStopAtThirtySixStripsOrWhenRowTwoIsFull) {
    // Narrow strips: 22 fit the first row, the second stops at the 36th strip.
    const ScalePage narrow = ComposeScalePage(Repeat("73 ", 50), "User Set");
    EXPECT_EQ(narrow.noteStrips.size(), 36u);
    EXPECT_EQ(InRow(narrow, 400), 22);
    EXPECT_EQ(narrow.noteStrips.back().slot, 35);

    // Four-diagram strips: six per row, and row two ends the page.
    const ScalePage wide = ComposeScalePage(Repeat("104", 50), "User Set");
    EXPECT_EQ(wide.noteStrips.size(), 12u);
    EXPECT_EQ(InRow(wide, 400), 6);
    EXPECT_EQ(InRow(wide, 5400), 6);
}

TEST_F(ScalePageTest, EmptyPatternGivesTitleAndOneRowStart) {
    const ScalePage page = ComposeScalePage("", "Label5");
    EXPECT_EQ(page.title, "C Major" + std::string(kScaleCredit));
    EXPECT_TRUE(page.noteStrips.empty());
    ASSERT_EQ(page.rowStarts.size(), 1u);
    EXPECT_EQ(page.rowStarts[0].strip, 36);
}

TEST_F(ScalePageTest, SelectionOutsideTheTableComposesAnEmptyPage) {
    KORVALIN1.ScaleType = 120;
    KORVALIN1.ScaleKey = 14; // entry 134: past the table
    const ScalePage page = ComposeScalePage(CurrentScalePattern(), "Blues");
    KORVALIN1.ScaleType = 0;
    KORVALIN1.ScaleKey = 0;
    EXPECT_TRUE(page.noteStrips.empty());
    EXPECT_EQ(page.rowStarts.size(), 1u);
}

TEST_F(ScalePageTest, TitleNamesTheScaleAndTheProgram) {
    EXPECT_EQ(ScalePageTitle("Bb Minor(h)").rfind("Bb Minor(h) Scale - ", 0), 0u);
    EXPECT_NE(ScalePageTitle("User Set").find("Korvalin"), std::string::npos);
    // Only the initial caption stands for "nothing chosen".
    EXPECT_EQ(ScalePageTitle("").rfind(" Scale - ", 0), 0u);
}

TEST_F(ScalePageTest, FieldsReadByTheTextNumberRule) {
    // The file form with leading zeros and the catalogue form give the same page.
    EXPECT_EQ(ComposeScalePage("073076079", "x"), ComposeScalePage("73 76 79 ", "x"));
    // Notes without a printed picture (blank, outside the table, a short last field) take
    // strip 0 and do not move the pen.
    const ScalePage odd = ComposeScalePage("   999-5 76 7", "x");
    ASSERT_EQ(odd.noteStrips.size(), 5u);
    for (int i : {0, 1, 2}) {
        EXPECT_EQ(odd.noteStrips[std::size_t(i)].strip, 0);
        EXPECT_EQ(odd.noteStrips[std::size_t(i)].left, 422);
    }
    EXPECT_EQ(odd.noteStrips[3].strip, 4); // D0, pitch 62
    EXPECT_EQ(odd.noteStrips[3].left, 422);
    EXPECT_EQ(odd.noteStrips[4].left, 422 + 645);
}

} // namespace
} // namespace korvalin
