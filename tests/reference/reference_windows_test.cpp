// The Info and Help menus: explainers, chart and information windows, the about box and help.
#include "main_window/picture_box.h"
#include "reference/about_box.h"
#include "reference/chart_windows.h"
#include "reference/drawing_view.h"
#include "reference/explainers.h"
#include "reference/help_search.h"
#include "reference/help_viewer.h"
#include "reference/text_pages.h"
#include "tests/support/gui_test.h"
#include "tests/support/find_control.h"
#include "tests/support/recording_help.h"
#include "tests/support/every_window.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>

using namespace korvalin;

namespace {

class ReferenceTest : public GuiTest<> {
protected:
    void SetUp() override {
        if (const char* p = std::getenv("PATH")) savedPath_ = p;
        ::setenv("PATH", "", 1); // no help file anywhere unless a test puts one there
        GuiTest::SetUp();
        ApplicationHelpFile() = kDeclaredHelpFile;
        help = std::make_shared<RecordingHelp>();
        SetHelp(help);
    }
    void TearDown() override {
        GuiTest::TearDown();
        SetHelp(nullptr);
        ApplicationHelpFile() = kDeclaredHelpFile;
        if (savedPath_) ::setenv("PATH", savedPath_->c_str(), 1);
    }

    // The main window loaded, showing written A#1 on the tenor.
    Form1& MainWithState() {
        Form1& f = Window<Form1>();
        f.ShowNote(87);
        Find<QRadioButton>(f, "Option3")->setChecked(true);
        return f;
    }

    struct MainState {
        int16_t note, transposition, scaleType, scaleKey;
        QString written, sounding, scaleName;
        bool scalesVisible, v1Enabled;
    };
    static MainState StateOf(const Form1& f) {
        return {f.CurrentNote,          f.Transposition,       KORVALIN1.ScaleType,
                KORVALIN1.ScaleKey,     Find<QLabel>(f, "Label1")->text(),      Find<QLabel>(f, "Label2")->text(),
                Find<QLabel>(f, "Label5")->text(),       !Find<QPushButton>(f, "Command4")->isHidden(), Find<QPushButton>(f, "Command2", 0)->isEnabled()};
    }
    static void ExpectSame(const MainState& a, const MainState& b) {
        EXPECT_EQ(a.note, b.note);
        EXPECT_EQ(a.transposition, b.transposition);
        EXPECT_EQ(a.scaleType, b.scaleType);
        EXPECT_EQ(a.scaleKey, b.scaleKey);
        EXPECT_EQ(a.written, b.written);
        EXPECT_EQ(a.sounding, b.sounding);
        EXPECT_EQ(a.scaleName, b.scaleName);
        EXPECT_EQ(a.scalesVisible, b.scalesVisible);
        EXPECT_EQ(a.v1Enabled, b.v1Enabled);
    }

    std::shared_ptr<RecordingHelp> help;
    std::optional<std::string> savedPath_;
};

template <size_t N>
std::set<int> ShownLines(const std::array<LeaderLine*, N>& lines) {
    std::set<int> shown;
    for (size_t i = 0; i < N; ++i)
        if (!lines[i]->isHidden()) shown.insert(int(i) + 1);
    return shown;
}

template <size_t N>
std::set<int> EnabledButtons(const std::array<QPushButton*, N>& buttons) {
    std::set<int> enabled;
    for (size_t i = 0; i < N; ++i)
        if (buttons[i]->isEnabled()) enabled.insert(int(i) + 1);
    return enabled;
}

} // namespace

// ---- Explainers ----

struct PartCase {
    bool reed;
    int view;   // mouthpiece: 0 assembled, 1 cut-away, 2 table; reed: 0 top, 1 side
    int button; // 1..7
    const char* text;
    std::set<int> lines;
};

class ExplainerPart : public ReferenceTest, public ::testing::WithParamInterface<PartCase> {};

TEST_P(ExplainerPart, ShowsItsTextAndExactlyItsLines) {
    const PartCase& c = GetParam();
    Form1& main = Window<Form1>();
    if (!c.reed) {
        main.Menu_Mouthpiece_Click();
        Form5& w = Window<Form5>();
        if (c.view == 1) w.Image5_Click();
        if (c.view == 2) w.Image3_Click();
        w.Text1->setText("typed by the user");
        w.PartButtons()[c.button - 1]->click();
        EXPECT_EQ(w.Text1->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(ShownLines(w.Lines()), c.lines);
    } else {
        main.Mnu_Reed_Click();
        Form10& w = Window<Form10>();
        if (c.view == 1) w.Image3_Click();
        w.Text1->setText("typed by the user");
        w.PartButtons()[c.button - 1]->click();
        EXPECT_EQ(w.Text1->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(ShownLines(w.Lines()), c.lines);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Explainers, ExplainerPart,
    ::testing::Values(
        PartCase{false, 0, 1, "1- Toothplate - eases the vibrations through your teeth", {1}},
        PartCase{false, 0, 2, "2- Mouthpiece body, the main chamber housing", {2}},
        PartCase{false, 0, 3, "3- Saxophone reed, take time to find the right one!", {3}},
        PartCase{false, 0, 4, "4- Ligature, differing styles give differing sounds", {4}},
        PartCase{false, 0, 5, "5- Tuning guide, flatter = left, sharper = right", {5, 8}},
        PartCase{false, 0, 6, "6- Neck cork, quality wax prolongs life and eases tuning", {6}},
        PartCase{false, 0, 7, "7- Saxophone neck, the start of the instrument", {7}},
        PartCase{false, 1, 1, "1- Baffle, the area behind the tip, high=edgy, low=muffled", {13}},
        PartCase{false, 1, 2, "2- Facing, the curved area behind the reed", {10}},
        PartCase{false, 1, 3, "3- Chamber, the resonance chamber", {11}},
        PartCase{false, 1, 4, "4- Throat, the channel from chamber to sax body", {12}},
        PartCase{false, 2, 1, "1- Tip rail, keep the reed tip evenly aligned with this", {9}},
        PartCase{false, 2, 2, "2- Side rail, keep the reed in parallel with these", {14}},
        PartCase{false, 2, 3, "3- Window, the hole in the MP which sits behind the reed", {15}},
        PartCase{false, 2, 4, "4- Table, as with the reed, keep it clean", {16}},
        PartCase{true, 0, 1, "1- Tip, line up with the MP tip rail, watch out for cracks", {1}},
        PartCase{true, 0, 2, "2- Side, a good balance is needed either side of the heart", {2}},
        PartCase{true, 0, 3, "3- Heart, look for a well centered reed", {3}},
        PartCase{true, 0, 4, "4- Vamp, look for a golden colour, not green or brown", {4}},
        PartCase{true, 0, 5, "5 - Shoulder, look for a symetrical curve", {5}},
        PartCase{true, 0, 6, "6- Stock, look for a fine grain with no streaking", {6}},
        PartCase{true, 0, 7, "7- Heel, look for a medium curve", {7}},
        PartCase{true, 1, 1, "1- Table, keep clean, watch for debris", {8}},
        PartCase{true, 1, 2, "2- Rail, the vibrating element, watch out for warps", {9}}),
    [](const auto& info) {
        const PartCase& c = info.param;
        return std::string(c.reed ? "Reed" : "Mouthpiece") + "View" + std::to_string(c.view) + "Button" +
               std::to_string(c.button);
    });

TEST_F(ReferenceTest, MouthpieceViewsSwitchPictureFlagsButtonsAndFirstPart) {
    Form1& main = Window<Form1>();
    main.Menu_Mouthpiece_Click();
    Form5& w = Window<Form5>();
    struct View {
        std::function<void()> click;
        PictureBox* picture;
        int16_t assembled, section, table;
        std::set<int> enabled;
        std::set<int> lines;
    };
    const std::vector<View> views{
        {[&] { w.Image5_Click(); }, w.Image6, False, True, False, {1, 2, 3, 4}, {13}},
        {[&] { w.Image3_Click(); }, w.Image4, False, False, True, {1, 2, 3, 4}, {9}},
        {[&] { w.Image2_Click(); }, w.Image1, True, False, False, {1, 2, 3, 4, 5, 6, 7}, {1}},
    };
    for (const View& v : views) {
        v.click();
        for (PictureBox* p : {w.Image1, w.Image4, w.Image6}) EXPECT_EQ(!p->isHidden(), p == v.picture);
        EXPECT_EQ(KORVALIN1.MouthpieceAssembledView, v.assembled);
        EXPECT_EQ(KORVALIN1.MouthpieceSectionView, v.section);
        EXPECT_EQ(KORVALIN1.MouthpieceTableView, v.table);
        EXPECT_EQ(EnabledButtons(w.PartButtons()), v.enabled);
        EXPECT_EQ(ShownLines(w.Lines()), v.lines);
        EXPECT_EQ(w.focusWidget(), w.Command1);
    }
}

TEST_F(ReferenceTest, AButtonWithoutAPartInTheViewDoesNothing) {
    Window<Form1>().Menu_Mouthpiece_Click();
    Form5& w = Window<Form5>();
    w.Image3_Click();
    w.Command5_Click(); // part 4: the table
    w.Command6_Click(); // no part 5 in this view
    w.Command8_Click();
    EXPECT_EQ(w.Text1->text(), "4- Table, as with the reed, keep it clean");
    EXPECT_EQ(ShownLines(w.Lines()), std::set<int>{16});

    Window<Form1>().Mnu_Reed_Click();
    Form10& r = Window<Form10>();
    r.Image3_Click();
    r.Command4_Click(); // no part 3 at the side
    EXPECT_EQ(r.Text1->text(), "1- Table, keep clean, watch for debris");
    EXPECT_EQ(EnabledButtons(r.PartButtons()), (std::set<int>{1, 2}));
}

TEST_F(ReferenceTest, ReopeningTheMouthpieceResetsToTheAssembledView) {
    Form1& main = MainWithState();
    const MainState before = StateOf(main);
    main.Menu_Mouthpiece_Click();
    EXPECT_TRUE(main.isHidden());
    Form5& w = Window<Form5>();
    EXPECT_TRUE(w.isVisible());
    w.Image5_Click();
    w.Command4_Click();
    w.Command3_Click(); // Return
    EXPECT_TRUE(w.isHidden());
    EXPECT_TRUE(main.isVisible());
    ExpectSame(before, StateOf(main));
    // Hidden, it keeps what it showed.
    EXPECT_EQ(w.Text1->text(), "3- Chamber, the resonance chamber");

    main.Menu_Mouthpiece_Click();
    EXPECT_FALSE(w.Image1->isHidden());
    EXPECT_TRUE(w.Image6->isHidden());
    EXPECT_EQ(EnabledButtons(w.PartButtons()).size(), 7u);
    EXPECT_EQ(w.Text1->text(), "1- Toothplate - eases the vibrations through your teeth");
    EXPECT_EQ(ShownLines(w.Lines()), std::set<int>{1});
    EXPECT_EQ(KORVALIN1.MouthpieceAssembledView, True);
    EXPECT_EQ(KORVALIN1.MouthpieceSectionView, False);
}

TEST_F(ReferenceTest, ReopeningTheReedResetsToTheTopView) {
    Form1& main = MainWithState();
    main.Mnu_Reed_Click();
    Form10& w = Window<Form10>();
    EXPECT_EQ(KORVALIN1.ReedTopView, True);
    EXPECT_EQ(KORVALIN1.ReedSideView, False);
    w.Image3_Click();
    EXPECT_TRUE(w.Image1->isHidden());
    EXPECT_FALSE(w.Image4->isHidden());
    EXPECT_EQ(KORVALIN1.ReedSideView, True);
    w.close(); // the frame's close control returns like "Return"
    EXPECT_TRUE(w.isHidden());
    EXPECT_TRUE(main.isVisible());
    main.Mnu_Reed_Click();
    EXPECT_FALSE(w.Image1->isHidden());
    EXPECT_EQ(w.Text1->text(), "1- Tip, line up with the MP tip rail, watch out for cracks");
    EXPECT_EQ(ShownLines(w.Lines()), std::set<int>{1});
    EXPECT_EQ(EnabledButtons(w.PartButtons()).size(), 7u);
}

TEST_F(ReferenceTest, ExplainerLayout) {
    Form5& m = Window<Form5>();
    EXPECT_EQ(m.windowTitle(), "Mouthpiece");
    EXPECT_EQ(m.size(), QSize(297, 192));
    EXPECT_EQ(m.Command1->text(), " 1");
    EXPECT_EQ(m.Command8->text(), " 7");
    EXPECT_EQ(m.Command6->geometry(), QRect(168, 112, 41, 17));
    EXPECT_EQ(m.Image1->geometry(), QRect(8, 8, 280, 100));
    EXPECT_EQ(m.Image5->geometry(), QRect(152, 160, 70, 25));
    EXPECT_EQ(m.Command3->text(), "Return");
    // The red bar marks the tuning guide; every other line runs down to the button row.
    EXPECT_EQ(m.Line8->colour(), QColor(Qt::red));
    EXPECT_EQ(m.Line8->pixels(), QLineF(232, 16, 264, 16));
    EXPECT_EQ(m.Line5->pixels(), QLineF(240, 16, 184, 120));
    for (LeaderLine* l : m.Lines()) {
        if (l == m.Line8) continue;
        EXPECT_EQ(l->colour(), QColor(Qt::black));
        EXPECT_GE(l->pixels().y2(), 112.0) << l->objectName().toStdString();
    }
    // Lines lie over the pictures and under the buttons.
    const QList<QObject*> order = m.children();
    EXPECT_LT(order.indexOf(static_cast<QObject*>(m.Image1)), order.indexOf(static_cast<QObject*>(m.Line1)));
    EXPECT_LT(order.indexOf(static_cast<QObject*>(m.Line16)), order.indexOf(static_cast<QObject*>(m.Command1)));

    Form10& r = Window<Form10>();
    EXPECT_EQ(r.windowTitle(), "Reed");
    EXPECT_EQ(r.size(), QSize(297, 189));
    EXPECT_EQ(r.Command1->text(), "1");
    EXPECT_EQ(r.Image2->toolTip(), "View Top");
    EXPECT_EQ(r.Image3->toolTip(), "View Side");
    EXPECT_EQ(r.Command3->toolTip(), "Main Menu");
    EXPECT_EQ(r.Command3->geometry(), QRect(200, 160, 89, 25));
    EXPECT_EQ(r.Text1->geometry(), QRect(8, 136, 281, 19));
}

TEST_F(ReferenceTest, MouthpieceLoadShowsOnlyTheAssembledPicture) {
    Form5& w = Window<Form5>();
    EXPECT_FALSE(w.Image1->isHidden());
    EXPECT_TRUE(w.Image4->isHidden());
    EXPECT_TRUE(w.Image6->isHidden());
    // Before any opening no view flag is set, and a part button does nothing.
    w.Command1_Click();
    EXPECT_EQ(w.Text1->text(), "");
}

// ---- Chart and information windows ----

struct OpenCase {
    const char* name;
    void (Form1::*open)();
    std::function<QWidget&()> window;
    std::function<void()> giveBack; // its "Return"
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

class InfoWindow : public ReferenceTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(InfoWindow, OpensInPlaceOfTheMainWindowAndReturnsIt) {
    Form1& main = MainWithState();
    const MainState before = StateOf(main);
    const size_t sent = midi->events.size();
    (main.*GetParam().open)();
    QWidget& w = GetParam().window();
    EXPECT_TRUE(main.isHidden());
    EXPECT_TRUE(w.isVisible());
    GetParam().giveBack();
    EXPECT_TRUE(w.isHidden());
    EXPECT_TRUE(main.isVisible());
    ExpectSame(before, StateOf(main));
    EXPECT_EQ(midi->events.size(), sent) << "nothing is played on the way there and back";

    // The frame's close control does the same.
    (main.*GetParam().open)();
    EXPECT_TRUE(main.isHidden());
    w.close();
    EXPECT_TRUE(w.isHidden());
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(WindowLoaded<Form1>(), true);

    // While the application is ending, the way back lets the window go without bringing the main
    // window back on screen.
    (main.*GetParam().open)();
    main.Command1_Click(); // Exit
    ASSERT_EQ(ended, 1);
    GetParam().giveBack();
    EXPECT_TRUE(w.isHidden());
    EXPECT_TRUE(main.isHidden());
}

INSTANTIATE_TEST_SUITE_P(
    Reference, InfoWindow,
    ::testing::Values(
        OpenCase{"FingeringChart", &Form1::Menu_Print_Click, [] () -> QWidget& { return Window<Form4>(); },
                 [] { Window<Form4>().ReturnFromCHart->trigger(); }},
        OpenCase{"AltissimoChart", &Form1::Menu_Altissimo_Click, [] () -> QWidget& { return Window<Form13>(); },
                 [] { Window<Form13>().Alti_Return->trigger(); }},
        OpenCase{"CircleOfFifths", &Form1::Scale_Wheel_Click, [] () -> QWidget& { return Window<Form8>(); },
                 [] { Window<Form8>().Command1->click(); }},
        OpenCase{"Transposition", &Form1::TransMenu_Click, [] () -> QWidget& { return Window<Form9>(); },
                 [] { Window<Form9>().Command1->click(); }},
        OpenCase{"TopFive", &Form1::Top5Menu_Click, [] () -> QWidget& { return Window<Form7>(); },
                 [] { Window<Form7>().Command1->click(); }},
        OpenCase{"Mouthpiece", &Form1::Menu_Mouthpiece_Click, [] () -> QWidget& { return Window<Form5>(); },
                 [] { Window<Form5>().Command3->click(); }},
        OpenCase{"Reed", &Form1::Mnu_Reed_Click, [] () -> QWidget& { return Window<Form10>(); },
                 [] { Window<Form10>().Command3->click(); }},
        OpenCase{"ScalePage", &Form1::PrintScale_Click, [] () -> QWidget& { return Window<Form12>(); },
                 [] { Window<Form12>().ScaleReturnMnu->trigger(); }},
        OpenCase{"MidiControl", &Form1::MControl_Click, [] () -> QWidget& { return Window<MidiControl>(); },
                 [] { Window<MidiControl>().Command1->click(); }},
        OpenCase{"PatternLoad", &Form1::UFLoad_Click, [] () -> QWidget& { return Window<Form3>(); },
                 [] { Window<Form3>().Command1->click(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReferenceTest, TellMeMoreTwiceShowsOneExplanationAndHoldsTheReturn) {
    Form1& main = Window<Form1>();
    main.Scale_Wheel_Click();
    Form8& circle = Window<Form8>();
    circle.Command2->click();
    circle.Command2->click();
    int explanations = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) explanations += w->objectName() == "Form11";
    EXPECT_EQ(explanations, 1);
    Form11& more = Window<Form11>();
    EXPECT_TRUE(more.isVisible());
    EXPECT_TRUE(circle.isVisible());
    EXPECT_FALSE(circle.Command1->isEnabled());
    EXPECT_TRUE(circle.Command3->isEnabled()) << "the circle can still be printed";

    // The circle cannot be left while the explanation is open, by its frame either.
    circle.close();
    EXPECT_TRUE(circle.isVisible());
    EXPECT_TRUE(main.isHidden());

    more.Command1->click();
    EXPECT_TRUE(more.isHidden());
    EXPECT_TRUE(circle.isVisible());
    EXPECT_TRUE(circle.Command1->isEnabled());
    EXPECT_TRUE(main.isHidden());
    circle.Command1->click();
    EXPECT_TRUE(main.isVisible());
}

TEST_F(ReferenceTest, ClosingTheExplanationByItsFrameReleasesTheReturn) {
    Window<Form1>().Scale_Wheel_Click();
    Window<Form8>().Command2_Click();
    Window<Form11>().close();
    EXPECT_TRUE(Window<Form11>().isHidden());
    EXPECT_TRUE(Window<Form8>().Command1->isEnabled());
}

TEST_F(ReferenceTest, ChartAndInformationWindowLayouts) {
    Form4& chart = Window<Form4>();
    EXPECT_EQ(chart.windowTitle(), "Saxophone Fingering Chart");
    EXPECT_TRUE(chart.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(chart.PrintChart->text(), "Print");
    EXPECT_EQ(chart.ReturnFromCHart->text(), "Return");
    EXPECT_TRUE(chart.menuBar()->actions().contains(chart.PrintChart));
    EXPECT_TRUE(chart.menuBar()->actions().contains(chart.ReturnFromCHart));
    EXPECT_EQ(chart.centralWidget(), chart.Chart);

    Form13& alti = Window<Form13>();
    EXPECT_EQ(alti.windowTitle(), "Altissimo Chart");
    EXPECT_TRUE(alti.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(alti.Alti_Print->text(), "Print");
    EXPECT_EQ(alti.Alti_Return->text(), "Return");

    Form8& circle = Window<Form8>();
    EXPECT_EQ(circle.windowTitle(), "Circle of Fifths");
    EXPECT_EQ(circle.size(), QSize(693, 542));
    EXPECT_EQ(circle.Command3->text(), "Print");
    EXPECT_EQ(circle.Command3->geometry(), QRect(576, 464, 81, 25));
    EXPECT_EQ(circle.Command2->text(), "Tell me more!");
    EXPECT_EQ(circle.Command2->toolTip(), "More Info");
    EXPECT_EQ(circle.Command2->geometry(), QRect(40, 496, 89, 25));
    EXPECT_EQ(circle.Command1->text(), "Return");
    EXPECT_EQ(circle.Command1->toolTip(), "Exit");

    Form11& more = Window<Form11>();
    EXPECT_EQ(more.windowTitle(), "Circle of fifth's");
    EXPECT_EQ(more.size(), QSize(459, 326));
    EXPECT_EQ(more.Command1->geometry(), QRect(368, 296, 81, 25));

    Form9& trans = Window<Form9>();
    EXPECT_EQ(trans.windowTitle(), "Transposition");
    EXPECT_EQ(trans.Frame1->title(), "Transposition");
    EXPECT_EQ(trans.Picture1->parentWidget(), trans.Frame1);
    EXPECT_EQ(trans.Picture1->geometry(), QRect(8, 16, 273, 177));
    EXPECT_EQ(trans.Picture2->geometry(), QRect(8, 200, 273, 153));
    EXPECT_EQ(trans.Command1->geometry(), QRect(224, 376, 65, 25));

    Form7& tips = Window<Form7>();
    EXPECT_EQ(tips.windowTitle(), "Top 5!");
    EXPECT_EQ(tips.Command1->toolTip(), "Exit");
    EXPECT_EQ(tips.Command1->geometry(), QRect(440, 320, 81, 25));
}

TEST_F(ReferenceTest, TextPagesCarryTheirWordsExactly) {
    EXPECT_EQ(Window<Form11>().Page->accessibleDescription(),
              QString::fromUtf8(
                  "The Circle of 5th\u2019s (or Cycle of 4th\u2019s)\n\nA graphical representation of the "
                  "relationship of the 12 basic Major and Minor Keys. If you look at the wheel you will see "
                  "that, starting at 12 o\u2019clock, the number of sharps in each key increases as you move "
                  "counter-clockwise. Similarly, the number of flats in each key increases as you rotate "
                  "clockwise.\n\nNotice especially the keys at 5, 6 and 7 o\u2019clock which can be written "
                  "either as sharps or flats. For simplicity, The Korvalin program reads the wheel "
                  "counter-clockwise."));
    EXPECT_EQ(Window<Form9>().Picture2->accessibleDescription(),
              QString::fromUtf8(
                  "Transposition describes the process of converting a piece of music from one key to another "
                  "by moving notes either up or down on the stave whilst maintaining the intervals between "
                  "them. In the above example a piece of music is transposed by subtracting 9 semitones to "
                  "move the key from \u2018C\u2019 to \u2018E flat\u2019. You can learn more about "
                  "transposition in the Korvalin help file."));
    EXPECT_EQ(TipsIntroduction(),
              (QStringList{"People often ask me what are the most important things to learn",
                           "when playing the saxophone. There are no simple answers, however",
                           "the following tips come up time and time again, master these and",
                           "The rest will hopefully follow."}));
    EXPECT_TRUE(Window<Form7>().Page->accessibleDescription().startsWith("Top 5 tips for saxophone students"));
}

TEST_F(ReferenceTest, InfoAndHelpMenuItemsAreEnabled) {
    Form1& main = Window<Form1>();
    for (QAction* a : {Find<QAction>(main, "Top5Menu"), Find<QAction>(main, "TransMenu"), Find<QAction>(main, "Scale_Wheel"), Find<QAction>(main, "Menu_Mouthpiece"), Find<QAction>(main, "Mnu_Reed"),
                       Find<QAction>(main, "Menu_Altissimo"), Find<QAction>(main, "Menu_Print"), Find<QAction>(main, "HelpHelp"), Find<QAction>(main, "Help_Contents"), Find<QAction>(main, "MAbout")})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    // Through the menu itself, not only the handler.
    Find<QAction>(main, "Menu_Altissimo")->trigger();
    EXPECT_TRUE(Window<Form13>().isVisible());
    EXPECT_TRUE(main.isHidden());
}

// ---- Every window, as screen readers meet it ----

class WindowDescription : public ReferenceTest, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(WindowDescription, IsAWindowNamedByItsCaption) {
    QWidget& w = GetParam().open();
    w.show();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&w);
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->role() == QAccessible::Window || a->role() == QAccessible::Dialog) << "role " << a->role();
    EXPECT_EQ(a->text(QAccessible::Name), GetParam().caption);
    // Reached from the application, as a screen reader walks the tree.
    QAccessibleInterface* app = QAccessible::queryAccessibleInterface(qApp);
    ASSERT_NE(app, nullptr);
    EXPECT_GE(app->indexOfChild(a), 0);
    // Its controls keep their own descriptions: the first one is not taken for a window.
    if (a->childCount() > 0) {
        EXPECT_NE(a->child(0)->role(), QAccessible::Window);
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, WindowDescription, ::testing::ValuesIn(EveryWindow()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- About ----

TEST_F(ReferenceTest, AboutShowsTheBoxForTwoSecondsAndLeavesTheMainWindow) {
    Form1& main = MainWithState();
    const MainState before = StateOf(main);
    Find<QAction>(main, "MAbout")->trigger();
    AboutBox1& about = Window<AboutBox1>();
    EXPECT_TRUE(about.isVisible());
    EXPECT_TRUE(about.Timer1->isActive());
    EXPECT_EQ(about.Timer1->interval(), 2000);
    EXPECT_TRUE(main.isVisible());
    about.Timer1->stop();
    about.Timer1_Timer(); // two seconds later
    EXPECT_TRUE(about.isHidden());
    EXPECT_FALSE(about.Timer1->isActive());
    EXPECT_TRUE(main.isVisible());
    ExpectSame(before, StateOf(main));

    // Asked for again, it comes back and counts again.
    main.MAbout_Click();
    EXPECT_TRUE(about.isVisible());
    EXPECT_TRUE(about.Timer1->isActive());
}

// ---- Help ----

TEST_F(ReferenceTest, MissingHelpFileWarnsOnceAtStartUpAndRunsOn) {
    Form1& main = Window<Form1>();
    ASSERT_EQ(prompts->messages.size(), 1u);
    const auto& m = prompts->messages.front();
    EXPECT_EQ(m.title, "Korvalin help not available");
    EXPECT_EQ(m.text,
              "KORVALIN.HLP not found in your path.\r\n\r\nKorvalin searches its own folder and your PATH for "
              "help files, so you need to copy KORVALIN.HLP to a directory included in your PATH if you wish "
              "to obtain help while running Korvalin.");
    EXPECT_EQ(m.icon, QMessageBox::Warning);
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(KORVALIN1.HelpFilePath, "");

    // Help Contents still asks the viewer, with no file.
    Find<QAction>(main, "Help_Contents")->trigger();
    ASSERT_EQ(help->requests.size(), 1u);
    EXPECT_EQ(help->requests[0].helpFile, "");
    EXPECT_EQ(help->requests[0].command, kHelpKeywordCommand);
    EXPECT_EQ(help->requests[0].key, "Contents");
    // F1 asks with the declared name.
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(Find<QPushButton>(main, "Command1"), &f1);
    ASSERT_EQ(help->requests.size(), 2u);
    EXPECT_EQ(help->requests[1].helpFile, "KORVALIN.HLP");
    EXPECT_EQ(help->requests[1].key, "Contents");
    EXPECT_EQ(prompts->messages.size(), 1u);
}

TEST_F(ReferenceTest, HelpFileOnThePathIsUsedByContentsAndF1ButNotByUsingHelp) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(KORVALIN_HELP_SOURCE, dir.filePath("Korvalin.HLP")));
    ::setenv("PATH", ("/nonexistent:" + dir.path().toStdString()).c_str(), 1);
    Form1& main = Window<Form1>();
    EXPECT_TRUE(prompts->messages.empty());
    const QString full = dir.path() + "/Korvalin.HLP";
    EXPECT_EQ(QString::fromStdString(KORVALIN1.HelpFilePath), full);

    main.Help_Contents_Click();
    main.HelpHelp_Click();
    main.HelpKey();
    ASSERT_EQ(help->requests.size(), 3u);
    EXPECT_EQ(help->requests[0].helpFile, full);
    EXPECT_EQ(help->requests[1].helpFile, "");
    EXPECT_EQ(help->requests[1].command, kHelpOnHelpCommand);
    EXPECT_EQ(help->requests[1].key, "");
    EXPECT_EQ(help->requests[2].helpFile, full);
}

class HelpViewer : public ReferenceTest {};

TEST_F(HelpViewer, OpensTheFileAtContentsAndFollowsLinksBackAndForth) {
    HelpWindow& w = Window<HelpWindow>();
    w.ShowTopic(KORVALIN_HELP_SOURCE, "Contents");
    EXPECT_EQ(w.currentFile(), QFileInfo(KORVALIN_HELP_SOURCE).absoluteFilePath());
    EXPECT_EQ(w.Browser->source().fragment(), "Contents");
    EXPECT_TRUE(w.Browser->toPlainText().contains("Reading a fingering diagram"));
    EXPECT_FALSE(w.Back->isEnabled());

    QUrl topic = w.Browser->source();
    topic.setFragment("patterns");
    w.Browser->setSource(topic);
    EXPECT_TRUE(w.Back->isEnabled());
    w.Back->click();
    EXPECT_EQ(w.Browser->source().fragment(), "Contents");
    EXPECT_TRUE(w.Forward->isEnabled());
    w.Forward->click();
    EXPECT_EQ(w.Browser->source().fragment(), "patterns");
    w.Contents->click();
    EXPECT_EQ(w.Browser->source().fragment(), "Contents");

    w.Search->setText("baritone");
    EXPECT_TRUE(w.FindInPage());
    EXPECT_EQ(w.Browser->textCursor().selectedText().toLower(), "baritone");
    w.Search->setText("no such words in help");
    EXPECT_FALSE(w.FindInPage());
}

TEST_F(HelpViewer, SaysPlainlyWhenThereIsNoFile) {
    HelpWindow& w = Window<HelpWindow>();
    w.ShowTopic("", "Contents");
    EXPECT_TRUE(w.currentFile().isEmpty());
    EXPECT_TRUE(w.Browser->toPlainText().contains("The help file was not found"));
    EXPECT_TRUE(w.Browser->toPlainText().contains("KORVALIN.HLP"));
    w.ShowTopic(kDeclaredHelpFile, "Contents"); // the declared name, not beside the program
    EXPECT_TRUE(w.Browser->toPlainText().contains("The help file was not found"));
    w.ShowUsingHelp();
    EXPECT_TRUE(w.Browser->toPlainText().contains("How to use Korvalin help"));
    EXPECT_TRUE(w.Browser->toPlainText().contains("Back"));
}

TEST_F(HelpViewer, EveryMessageAndPageSpellsTheFileOneWay) {
    Window<Form1>(); // no help file anywhere: it warns at start-up
    ASSERT_EQ(prompts->messages.size(), 1u);
    HelpWindow& w = Window<HelpWindow>();
    std::vector<std::pair<const char*, QString>> texts;
    texts.emplace_back("start-up warning", prompts->messages[0].text);
    w.ShowTopic("", "Contents");
    texts.emplace_back("not found, no file asked", w.Browser->toHtml());
    w.ShowTopic(kDeclaredHelpFile, "Contents");
    texts.emplace_back("not found, declared name", w.Browser->toHtml());
    w.ShowUsingHelp();
    texts.emplace_back("using help", w.Browser->toHtml());
    QFile file(KORVALIN_HELP_SOURCE);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    texts.emplace_back("help file", QString::fromUtf8(file.readAll()));
    const QRegularExpression anyCase("korvalin\\.hlp", QRegularExpression::CaseInsensitiveOption);
    for (const auto& [where, text] : texts) {
        int mentions = 0;
        for (const auto& m : anyCase.globalMatch(text)) {
            EXPECT_EQ(m.captured(), "KORVALIN.HLP") << where;
            ++mentions;
        }
        EXPECT_GT(mentions, 0) << where;
    }
}

TEST_F(HelpViewer, ContentsAfterUsingHelpReachesTheFileFound) {
    // Found at start-up under another spelling, in a folder of PATH.
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(KORVALIN_HELP_SOURCE, dir.filePath("korvalin.hlp")));
    ::setenv("PATH", dir.path().toLocal8Bit().constData(), 1);
    SetHelp(nullptr);
    Form1& main = Window<Form1>();
    EXPECT_TRUE(prompts->messages.empty());
    main.HelpHelp_Click();
    HelpWindow& w = Window<HelpWindow>();
    ASSERT_EQ(w.Browser->source(), UsingHelpPage());
    w.Contents->click();
    EXPECT_EQ(w.currentFile(), dir.filePath("korvalin.hlp"));
    EXPECT_EQ(w.Browser->source().fragment(), "Contents");
    EXPECT_TRUE(w.Browser->toPlainText().contains("Reading a fingering diagram"));

    // Without a file found, Contents after the page on using help stays on it.
    DestroyAllWindows();
    KORVALIN1.HelpFilePath.clear();
    HelpWindow& bare = Window<HelpWindow>();
    bare.ShowUsingHelp();
    bare.Contents->click();
    EXPECT_EQ(bare.Browser->source(), UsingHelpPage());
    EXPECT_TRUE(bare.currentFile().isEmpty());
}

TEST_F(HelpViewer, TheRealServiceOpensTheWindow) {
    SetHelp(nullptr);
    CurrentHelp().Request({QString(), kHelpOnHelpCommand, QString()});
    ASSERT_TRUE(WindowLoaded<HelpWindow>());
    EXPECT_TRUE(Window<HelpWindow>().isVisible());
    EXPECT_TRUE(Window<HelpWindow>().Browser->toPlainText().contains("How to use Korvalin help"));
    CurrentHelp().Request({KORVALIN_HELP_SOURCE, kHelpKeywordCommand, "Contents"});
    EXPECT_EQ(Window<HelpWindow>().Browser->source().fragment(), "Contents");
}

TEST(HelpFile, EveryLinkLandsAndEveryTopicIsThere) {
    QFile file(KORVALIN_HELP_SOURCE);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    std::set<QString> anchors, links;
    for (const auto& m : QRegularExpression(R"re(name="([^"]+)")re").globalMatch(html)) anchors.insert(m.captured(1));
    for (const auto& m : QRegularExpression(R"re(href="#([^"]+)")re").globalMatch(html)) links.insert(m.captured(1));
    EXPECT_TRUE(anchors.count("Contents"));
    for (const QString& l : links) EXPECT_TRUE(anchors.count(l)) << "broken link #" << l.toStdString();
    for (const char* topic : {"mainwindow", "diagram", "transposition", "scales", "patterns", "sound", "printing"})
        EXPECT_TRUE(anchors.count(topic)) << topic;
    for (const char* words : {"Soprano", "Alto", "Tenor", "Baritone", "Built-in synthesizer", "ALSA", "octave key",
                              "Print Current Scale", "073", "Help Using Help", "Mouthpiece", "Circle of Fifths"})
        EXPECT_TRUE(html.contains(words)) << words;
}
