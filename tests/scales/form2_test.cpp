// The selection window and the main window's scale mode.
#include "assets/main_art.h"
#include "main_window/picture_box.h"
#include "scales/form2.h"
#include "scales/scale_catalogue.h"
#include "tests/scales/scale_fixture.h"
#include "tests/support/find_control.h"

#include <QLabel>
#include <QTest>
#include <QPushButton>

namespace korvalin {
namespace {

using Selection = ScaleFixture;

bool Shown(const QWidget* w) { return !w->isHidden(); }

bool SamePicture(const PictureBox* box, int key) {
    return box->image() == KeySignaturePicture(key, box->devicePixelRatioF());
}

QStringList Captions(const Form2& w) {
    QStringList captions;
    for (const QPushButton* b : w.Command1) captions << b->text();
    return captions;
}

Form2& OpenFromScales(Form1& f) {
    f.Command4_Click();
    return Window<Form2>();
}

TEST_F(Selection, WindowHasItsDesignLayout) {
    Form1& f = Main();
    Form2& w = OpenFromScales(f);
    EXPECT_EQ(w.objectName(), "Form2");
    EXPECT_EQ(w.windowTitle(), "Select Scale");
    EXPECT_EQ(w.size(), QSize(510, 336));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_EQ(w.Label1->text(), "Select Scale and Type");
    EXPECT_EQ(w.Label1->geometry(), QRect(160, 8, 193, 20));
    EXPECT_TRUE(w.Label1->font().bold());
    EXPECT_DOUBLE_EQ(w.Label1->font().pointSizeF(), 13.5);
    EXPECT_DOUBLE_EQ(w.Command1[0]->font().pointSizeF(), 6.75);
    EXPECT_TRUE(w.Command1[0]->font().bold());

    struct TypeButton {
        QPushButton* button;
        const char* name;
        const char* caption;
        const char* tip;
        QRect place;
    };
    for (const TypeButton& t : std::vector<TypeButton>{
             {w.Command2, "Command2", "Major", "Major", {320, 232, 89, 25}},
             {w.Command3, "Command3", "Harmonic Min", "Harmonic Minor", {320, 256, 89, 25}},
             {w.Command5, "Command5", "Melodic Min", "Melodic Minor", {320, 280, 89, 25}},
             {w.Command6, "Command6", "Natural Min", "Natural Minor", {320, 304, 89, 25}},
             {w.Command7, "Command7", "Pent. Maj", "Pentatonic Major", {416, 232, 89, 25}},
             {w.Command8, "Command8", "Pent. Min", "Pentatonic Minor", {416, 256, 89, 25}},
             {w.Command9, "Command9", "Blues", "Blues", {416, 280, 89, 25}},
             {w.Command4, "Command4", "Chromatic", "Chromatic", {416, 304, 89, 25}}}) {
        EXPECT_EQ(t.button->objectName(), t.name);
        EXPECT_EQ(t.button->text(), t.caption);
        EXPECT_EQ(t.button->toolTip(), t.tip);
        EXPECT_EQ(t.button->geometry(), t.place) << t.name;
        EXPECT_TRUE(t.button->isEnabled());
    }

    const int left[] = {8, 112, 216, 320, 424};
    for (int k = 0; k < 13; ++k) {
        const int column = k < 5 ? k : k < 10 ? k - 5 : k - 10;
        const int pictureTop = k < 5 ? 32 : k < 10 ? 136 : 240;
        EXPECT_EQ(w.Image1[k]->geometry(), QRect(left[column], pictureTop, 81, 66)) << k;
        EXPECT_EQ(w.Command1[k]->geometry(), QRect(left[column], pictureTop + 64, 81, 25)) << k;
        EXPECT_EQ(w.Command1[k]->toolTip(), "Select Scale");
        EXPECT_EQ(w.Image1[k]->objectName(), QStringLiteral("Image1(%1)").arg(k));
        EXPECT_FALSE(w.Image1[k]->accessibleName().isEmpty());
        EXPECT_TRUE(SamePicture(w.Image1[k], k)) << k;
    }
}

TEST_F(Selection, TabGoesThroughTheKeysThenTheTypes) {
    Form2& w = OpenFromScales(Main());
    std::vector<QWidget*> expected(w.Command1.begin(), w.Command1.end());
    for (QWidget* b : {w.Command2, w.Command3, w.Command4, w.Command5, w.Command6, w.Command7, w.Command8, w.Command9})
        expected.push_back(b);
    std::vector<QWidget*> order;
    QWidget* at = w.Command1[0];
    do {
        if (at->focusPolicy() & Qt::TabFocus) order.push_back(at);
        at = at->nextInFocusChain();
    } while (at != w.Command1[0] && order.size() < 40);
    EXPECT_EQ(order, expected);
}

TEST_F(Selection, ScalesButtonOpensTheWindowAndEntersScaleMode) {
    Form1& f = Main();
    EXPECT_EQ(KORVALIN1.LoopCount, 0);
    Form2& w = OpenFromScales(f);
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(f.isVisible());
    for (QPushButton* v : FindAll<QPushButton>(f, "Command2")) EXPECT_FALSE(Shown(v));
    for (QWidget* hidden : FindWidgets(f, {"Command3", "Command5", "Command11", "Command4"}))
        EXPECT_FALSE(Shown(hidden)) << hidden->objectName().toStdString();
    for (QWidget* shown : FindWidgets(f, {"Command6", "Command7", "Command9", "Command8", "Command10", "Picture9(0)", "Label5"}))
        EXPECT_TRUE(Shown(shown)) << shown->objectName().toStdString();
    EXPECT_EQ(KORVALIN1.LoopCount, 1);
    EXPECT_EQ(KORVALIN1.NoteDelay, 10);
}

TEST_F(Selection, FirstOpeningOffersTheMajorKeysWithGbSpeltOnce) {
    Form1& f = Main();
    KORVALIN1.NoteDelay = 40;
    Form2& w = OpenFromScales(f);
    EXPECT_EQ(KORVALIN1.NoteDelay, 10) << "the first opening resets the step delay";
    EXPECT_EQ(Captions(w)[6], "Gb Major");
    EXPECT_EQ(Captions(w)[0], "C Major");
    w.Command2_Click();
    EXPECT_EQ(Captions(w)[6], "Gb/F# Major");
    w.Command9_Click();
    EXPECT_EQ(Captions(w)[6], "Eb Blues");
    w.Command2_Click();
    EXPECT_EQ(Captions(w)[6], "Gb/F# Major");

    w.Form_DblClick();
    KORVALIN1.NoteDelay = 40;
    f.Picture9_Click(0);
    EXPECT_EQ(KORVALIN1.NoteDelay, 40) << "later openings keep it";
    EXPECT_EQ(Captions(w)[6], "Gb/F# Major") << "the window keeps its captions";
}

struct TypeCase {
    void (Form2::*button)();
    int key;
    const char* caption;
    int entry;
};

void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.caption; }

class TypeThenKey : public ScaleFixture, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(TypeThenKey, ChoosesTheScaleItsButtonNames) {
    Form1& f = Main();
    Form2& w = OpenFromScales(f);
    (w.*GetParam().button)();
    EXPECT_EQ(Find<QLabel>(Window<Form1>(), "Label5")->text(), "Label5") << "a type alone chooses nothing yet";
    w.Command1_Click(GetParam().key);
    EXPECT_EQ(Find<QLabel>(f, "Label5")->text(), GetParam().caption);
    EXPECT_EQ(CurrentScaleIndex(), GetParam().entry);
    EXPECT_EQ(CurrentScalePattern(), KORVALIN1.ScalePatterns[size_t(GetParam().entry)]);
    EXPECT_EQ(KORVALIN1.ScaleKey, GetParam().key);
    EXPECT_TRUE(SamePicture(Find<PictureBox>(f, "Picture9", 0), GetParam().key)) << "the picture goes with the key index";
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(w.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Types, TypeThenKey,
    ::testing::Values(TypeCase{&Form2::Command7_Click, 0, "A Pent. Maj", 80},
                      TypeCase{&Form2::Command2_Click, 6, "Gb/F# Major", 6},
                      TypeCase{&Form2::Command3_Click, 8, "G# Minor(h)", 28},
                      TypeCase{&Form2::Command5_Click, 7, "Ab Minor(m)", 47},
                      TypeCase{&Form2::Command6_Click, 12, "E Minor(N)", 72},
                      TypeCase{&Form2::Command8_Click, 5, "Bb Pent. Min", 105},
                      TypeCase{&Form2::Command9_Click, 10, "F# Blues", 130}));

TEST_F(Selection, MouseOnAKeyPictureChoosesLikeItsButton) {
    Form1& f = Main();
    Form2& w = OpenFromScales(f);
    QTest::mouseClick(w.Command3, Qt::LeftButton);
    QTest::mouseClick(w.Image1[3], Qt::LeftButton, {}, QPoint(40, 30));
    EXPECT_EQ(Find<QLabel>(f, "Label5")->text(), "C Minor(h)");
    EXPECT_EQ(CurrentScaleIndex(), 23);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(Selection, ChromaticChoosesEntryThirteen) {
    Form1& f = Main();
    Form2& w = OpenFromScales(f);
    w.Command8_Click();
    w.Command4_Click();
    EXPECT_EQ(KORVALIN1.ScaleKey, 13);
    EXPECT_EQ(KORVALIN1.ScaleType, 0);
    EXPECT_EQ(Find<QLabel>(f, "Label5")->text(), "Chromatic");
    EXPECT_TRUE(SamePicture(Find<PictureBox>(f, "Picture9", 0), 0));
    EXPECT_EQ(CurrentScalePattern().size(), 192u);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(f.isVisible());
}

TEST_F(Selection, KeyAfterChromaticPlaysTheScaleItsCaptionShows) {
    Form1& f = Main();
    Form2& w = OpenFromScales(f);
    w.Command9_Click();  // Blues captions
    w.Command4_Click();  // Chromatic
    f.Picture9_Click(0); // back again; the Blues captions are still there
    w.Command1_Click(0);
    EXPECT_EQ(Find<QLabel>(f, "Label5")->text(), "A Blues");
    EXPECT_EQ(CurrentScaleIndex(), 120);
}

TEST_F(Selection, ClosingWithoutAKeyKeepsLabelAndSelectionTogether) {
    Form1& f = Main();
    Form2& w = OpenFromScales(f);
    w.Command4_Click(); // Chromatic
    f.Picture9_Click(0);
    w.Command9_Click(); // Blues, then away without a key
    w.Form_DblClick();
    EXPECT_EQ(Find<QLabel>(f, "Label5")->text(), "Chromatic");
    EXPECT_EQ(CurrentScaleIndex(), 13);
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(w.isVisible());
}

TEST_F(Selection, OpeningAndClosingAfterStartUpLeavesTheInitialScale) {
    Form1& f = Main();
    Form2& w = OpenFromScales(f);
    QTest::mouseDClick(w.Label1, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(w.isVisible()) << "a double click on a control is not one on the background";
    QTest::mouseDClick(&w, Qt::LeftButton, {}, QPoint(100, 15)); // background left of the title
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(Find<QLabel>(f, "Label5")->text(), "Label5");
    EXPECT_TRUE(SamePicture(Find<PictureBox>(f, "Picture9", 0), 12));
    EXPECT_EQ(CurrentScalePattern(), KORVALIN1.ScalePatterns[0]);
}

TEST_F(Selection, FrameCloseReturnsToTheMainWindow) {
    Form1& f = Main();
    Form2& w = OpenFromScales(f);
    w.close();
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(WindowLoaded<Form2>()) << "kept for the next opening";
}

TEST_F(Selection, ActivationSwapsTheMainWindow) {
    Form1& f = Main();
    Form2& w = OpenFromScales(f);
    w.Form_Deactivate();
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(w.isVisible());
    w.Form_Activate();
    EXPECT_FALSE(f.isVisible());
}

TEST_F(Selection, PictureReopensWithoutTouchingNoteButtonsOrLoops) {
    Form1& f = Main();
    Form2& w = OpenFromScales(f);
    w.Command1_Click(2);
    // Whatever stands in the semitone place (Sharpen and Flatten, as after a pattern load, or Next
    // Note during a run) stays there.
    for (auto buttons : {Form1::StepButtons::Semitones, Form1::StepButtons::NextNote}) {
        f.SetStepButtons(buttons);
        KORVALIN1.LoopCount = 7;
        f.Picture9_Click(0);
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(f.isVisible());
        const bool semitones = buttons == Form1::StepButtons::Semitones;
        EXPECT_EQ(Shown(Find<QPushButton>(f, "Command3")), semitones);
        EXPECT_EQ(Shown(Find<QPushButton>(f, "Command5")), semitones);
        EXPECT_EQ(Shown(Find<QPushButton>(f, "Command11")), !semitones);
        EXPECT_FALSE(Shown(Find<QPushButton>(f, "Command4")));
        for (QPushButton* v : FindAll<QPushButton>(f, "Command2")) EXPECT_FALSE(Shown(v));
        EXPECT_TRUE(Shown(Find<QPushButton>(f, "Command8")));
        EXPECT_TRUE(Shown(Find<QLabel>(f, "Label5")));
        EXPECT_EQ(KORVALIN1.LoopCount, 7);
    }
}

TEST_F(Selection, EndLeavesScaleMode) {
    Form1& f = Main();
    Form2& w = OpenFromScales(f);
    w.Command1_Click(0);
    f.SetStepButtons(Form1::StepButtons::NextNote);
    f.Command10_Click();
    for (QWidget* hidden : FindWidgets(f, {"Command6", "Command7", "Command9", "Command8", "Command10", "Command11", "Picture9(0)", "Label5"}))
        EXPECT_FALSE(Shown(hidden)) << hidden->objectName().toStdString();
    for (QWidget* shown : FindWidgets(f, {"Command3", "Command5", "Command4"}))
        EXPECT_TRUE(Shown(shown)) << shown->objectName().toStdString();
    for (QPushButton* v : FindAll<QPushButton>(f, "Command2")) EXPECT_TRUE(Shown(v));
    EXPECT_EQ(KORVALIN1.StopFlag, 1);
    EXPECT_EQ(Find<QLabel>(f, "Label5")->text(), "C Major") << "the choice outlives scale mode";
}

TEST_F(Selection, PicturesMoveRightOnOtherScreens) {
    Main();
    KORVALIN1.TwipsPerPixelX = 12;
    Form2& w = Window<Form2>();
    EXPECT_EQ(w.Image1[0]->x(), 8 + 11); // 130 twips at 12 twips per pixel
    EXPECT_EQ(w.Command1[0]->x(), 8);
    EXPECT_EQ(w.Image1[12]->x(), 216 + 11);
}

} // namespace
} // namespace korvalin
