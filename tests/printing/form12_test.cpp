// The scale print page window: laid out from the composed page, recomposed in full each time,
// shown in place of the main window and left with "Return".
#include "app/note_table.h"
#include "printing/form12.h"
#include "printing/note_strip.h"
#include "scales/scale_catalogue.h"
#include "tests/printing/print_fixture.h"
#include "tests/support/find_control.h"

#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>

namespace korvalin {
namespace {

using ScalePageWindow = PrintFixture;

std::vector<int> VisibleSlots(const Form12& w) {
    std::vector<int> shown;
    for (int i = 0; i < kPageSlots; ++i)
        if (!w.Image3[std::size_t(i)]->isHidden()) shown.push_back(i);
    return shown;
}

void SelectScale(Form1& f, int16_t type, int16_t key, const QString& caption) {
    KORVALIN1.ScaleType = type;
    KORVALIN1.ScaleKey = key;
    Find<QLabel>(f, "Label5")->setText(caption);
}

TEST_F(ScalePageWindow, ReplacesTheMainWindowWithTheComposedPage) {
    Form1& f = Window<Form1>();
    f.PrintScale_Click();
    Form12& w = Window<Form12>();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.isMaximized());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(w.windowTitle(), "PrintScale");
    EXPECT_TRUE(w.Label1->text().startsWith("C Major Scale - "));
    EXPECT_TRUE(w.Label1->font().bold());
    EXPECT_EQ(w.Label1->font().pointSize(), 12);

    // Nothing chosen: the page of C major, 29 strips in two rows.
    const ScalePage page = ComposeScalePage(KORVALIN1.ScalePatterns[0], "Label5");
    ASSERT_EQ(VisibleSlots(w).size(), page.noteStrips.size());
    for (const PlacedStrip& s : page.noteStrips) {
        const StripPicture* slot = w.Image3[std::size_t(s.slot)];
        EXPECT_EQ(slot->strip(), s.strip);
        // Twips to pixels at 15 a pixel, both edges rounded.
        EXPECT_EQ(slot->x(), qRound(s.left / 15.0));
        EXPECT_EQ(slot->y(), qRound(s.top / 15.0));
        EXPECT_EQ(slot->x() + slot->width(), qRound((s.left + s.width) / 15.0));
        EXPECT_EQ(slot->height(), 325);
    }
    EXPECT_FALSE(w.Image1[36]->isHidden());
    EXPECT_FALSE(w.Image1[37]->isHidden());
    EXPECT_EQ(w.Image1[37]->y(), 360);
    for (int k = 0; k < kNoteStrips; ++k) EXPECT_TRUE(w.Image1[std::size_t(k)]->isHidden()) << k;
}

TEST_F(ScalePageWindow, ComposingAgainLeavesNothingOfTheEarlierPage) {
    Form1& f = Window<Form1>();
    SelectScale(f, 0, 1, "F Major");
    f.PrintScale_Click();
    Form12& w = Window<Form12>();
    EXPECT_EQ(VisibleSlots(w).size(), 26u);
    EXPECT_TRUE(w.Label1->text().startsWith("F Major Scale - "));
    Keep(w, "f-major.png");

    w.ScaleReturnMnu_Click();
    KORVALIN1.ScalePatterns[14] = "073076079";
    SelectScale(f, 0, 14, "User Set");
    f.PrintScale_Click();
    const std::vector<int> shown = VisibleSlots(w);
    ASSERT_EQ(shown, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(w.Image1[37]->isHidden()) << "one row only";
    EXPECT_TRUE(w.Label1->text().startsWith("User Set Scale - "));

    // The same selection twice gives the same page.
    const std::vector<int> before = shown;
    std::vector<int> strips;
    for (int i : shown) strips.push_back(w.Image3[std::size_t(i)]->strip());
    f.PrintScale_Click();
    EXPECT_EQ(VisibleSlots(w), before);
    for (std::size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(w.Image3[std::size_t(shown[i])]->strip(), strips[i]);
}

TEST_F(ScalePageWindow, EmptyUserPatternShowsTitleAndFirstRowStart) {
    Form1& f = Window<Form1>();
    SelectScale(f, 0, 14, "User Set");
    f.PrintScale_Click();
    Form12& w = Window<Form12>();
    EXPECT_TRUE(VisibleSlots(w).empty());
    EXPECT_FALSE(w.Image1[36]->isHidden());
    EXPECT_TRUE(w.Image1[37]->isHidden());
    EXPECT_TRUE(w.Label1->text().startsWith("User Set Scale - "));
}

TEST_F(ScalePageWindow, PageWidensForAWideStripAtTheRowEndAndNarrowsAgain) {
    Form1& f = Window<Form1>();
    // 21 narrow strips take the pen to 13,967 twips; a four-diagram strip begun there ends at 16,547.
    std::string pattern;
    for (int i = 0; i < 21; ++i) pattern += "073";
    KORVALIN1.ScalePatterns[14] = pattern + "104";
    SelectScale(f, 0, 14, "User Set");
    f.PrintScale_Click();
    Form12& w = Window<Form12>();
    EXPECT_EQ(w.Page->width(), qRound((16547 + 100) / 15.0));
    EXPECT_EQ(w.Image3[21]->x() + w.Image3[21]->width(), qRound(16547 / 15.0));

    w.ScaleReturnMnu_Click();
    SelectScale(f, 0, 0, "C Major");
    f.PrintScale_Click();
    EXPECT_EQ(w.Page->width(), Form12::kPageWidth / 15);
}

TEST_F(ScalePageWindow, ReturnAndCloseBringBackTheMainWindowUnchanged) {
    Form1& f = Window<Form1>();
    f.ShowNote(90);
    Find<QRadioButton>(f, "Option3")->setChecked(true);
    f.PrintScale_Click();
    Form12& w = Window<Form12>();
    EXPECT_EQ(w.ScaleReturnMnu->text(), "Return");
    EXPECT_EQ(w.ScalePrintMnu->text(), "Print");
    EXPECT_TRUE(w.menuBar()->actions().contains(w.ScalePrintMnu));
    w.ScaleReturnMnu_Click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.CurrentNote, 90);
    EXPECT_EQ(f.Transposition, 19);

    f.PrintScale_Click();
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(WindowLoaded<Form12>()) << "the page window is kept";
}

TEST_F(ScalePageWindow, CancelledPrintLeavesThePageShown) {
    Form1& f = Window<Form1>();
    f.PrintScale_Click();
    Form12& w = Window<Form12>();
    Cancel();
    w.ScalePrintMnu_Click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_NE(PrintQuality(SystemPrinter()), kHighPrintQuality);
}

} // namespace
} // namespace korvalin
