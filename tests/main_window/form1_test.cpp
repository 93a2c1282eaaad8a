#include "app/note_table.h"
#include "main_window/picture_box.h"
#include "tests/support/gui_test.h"
#include "tests/support/find_control.h"
#include "tests/support/staff_lines.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace korvalin;
using Kind = RecordingMidiOutput::Kind;

namespace {

class Form1Test : public GuiTest<> {
protected:
    Form1& Start() {
        Form1& f = Window<Form1>();
        midi->Clear();
        return f;
    }

    int VisibleFingering(Form1& f) {
        int shown = -1, count = 0;
        for (int i = 0; i < 99; ++i)
            if (Find<PictureBox>(f, "Image1", i)->isVisibleTo(&f)) { shown = i; ++count; }
        return count == 1 ? shown : -100 - count;
    }

    // Note On messages with a velocity (the notes struck), in order.
    std::vector<int> Struck() {
        std::vector<int> notes;
        for (auto& e : midi->events)
            if (e.kind == Kind::Send && e.Message().StartsNote()) notes.push_back(e.Data1());
        return notes;
    }
};

TEST_F(Form1Test, StartUpShowsWrittenC0OnAltoAndOnlyOpensTheOutput) {
    Form1& f = Window<Form1>();
    // The output is opened once with a Program Change for patch 66 on channel 1, and no note.
    ASSERT_EQ(midi->Count(Kind::Open), 1);
    ASSERT_EQ(midi->Sent().size(), 1u);
    EXPECT_EQ(midi->Sent()[0], PackMidiMessage(192, 66, 0));
    EXPECT_EQ(KORVALIN1.SoundOn, 1);
    EXPECT_EQ(KORVALIN1.MidiReady, True);

    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.CurrentNote, 73);
    EXPECT_EQ(f.Transposition, 12);
    EXPECT_EQ(KORVALIN1.TwipsPerPixelX, 15);
    EXPECT_EQ(Find<QLabel>(f, "Label1")->text(), "C0      ");
    EXPECT_EQ(Find<QLabel>(f, "Label2")->text(), "Eb-1(D#)");
    EXPECT_EQ(VisibleFingering(f), 2);
    EXPECT_TRUE(Find<PictureBox>(f, "Image3")->isVisibleTo(&f));
    EXPECT_FALSE(Find<PictureBox>(f, "Image2")->isVisibleTo(&f));
    EXPECT_EQ(Find<PictureBox>(f, "Image35", 6)->pos(), QPoint(366 + 52, 2 + 161 - 7));
    EXPECT_EQ(Find<PictureBox>(f, "Image36", 6)->pos(), QPoint(366 + 102, 2 + 191 - 7));
    EXPECT_TRUE(Find<PictureBox>(f, "Image36", 6)->isVisibleTo(&f));
    EXPECT_EQ(Find<PictureBox>(f, "Image21")->pos(), QPoint(4 + 174, 272 + 65));
    EXPECT_EQ(Find<PictureBox>(f, "Image22")->pos(), QPoint(4 + 108, 272 + 30));
    for (auto* b : FindAll<QPushButton>(f, "Command2")) EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(Find<QAction>(f, "Alto")->isChecked());
    EXPECT_FALSE(Find<QAction>(f, "Soprano")->isChecked() || Find<QAction>(f, "Tenor")->isChecked() || Find<QAction>(f, "Baritone")->isChecked());
    EXPECT_TRUE(Find<QAction>(f, "SDisplay")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>(f, "Option2")->isChecked());
    EXPECT_EQ(KORVALIN1.NoteDelay, 10);
    EXPECT_EQ(KORVALIN1.NoteVelocity, 127);
    EXPECT_EQ(KORVALIN1.MidiPatch, 66);
    // Scale controls wait for scale mode.
    for (QWidget* w : FindWidgets(f, {"Command8", "Command7", "Command9", "Command6", "Command10", "Command11", "Picture9(0)", "Label5"}))
        EXPECT_FALSE(w->isVisibleTo(&f)) << w->objectName().toStdString();
    EXPECT_TRUE(Find<QPushButton>(f, "Command4")->isVisibleTo(&f));
    EXPECT_EQ(f.windowTitle(), "Korvalin");
}

TEST_F(Form1Test, LayoutFollowsTheDesign) {
    Form1& f = Start();
    EXPECT_EQ(f.centralWidget()->size(), QSize(517, 374));
    EXPECT_EQ(Find<PictureBox>(f, "Image20")->geometry(), QRect(4, 272, 507, 90));
    EXPECT_EQ(Find<PictureBox>(f, "Image3")->geometry(), QRect(366, 2, 149, 266));
    EXPECT_EQ(Find<QPushButton>(f, "Command1")->geometry(), QRect(172, 210, 187, 33));
    EXPECT_EQ(Find<QPushButton>(f, "Command5")->geometry(), QRect(272, 8, 89, 25));
    EXPECT_EQ(Find<QPushButton>(f, "Command3")->geometry(), QRect(272, 40, 89, 25));
    EXPECT_EQ(Find<QRadioButton>(f, "Option4")->geometry(), QRect(272, 134, 85, 17));
    EXPECT_EQ(Find<QLabel>(f, "Label3")->geometry(), QRect(239, 160, 43, 17));
    EXPECT_EQ(Find<QLabel>(f, "Label4")->geometry(), QRect(236, 184, 46, 17));
    EXPECT_EQ(Find<QPushButton>(f, "Command2", 3)->geometry(), QRect(172, 176, 30, 25));
    EXPECT_EQ(Find<QPushButton>(f, "Command1")->toolTip(), "Exit");
    EXPECT_EQ(Find<QPushButton>(f, "Command5")->toolTip(), "+1 Semitone");
    EXPECT_EQ(Find<QRadioButton>(f, "Option3")->toolTip(), "Select Tenor");
    EXPECT_EQ(Find<QLabel>(f, "Label2")->toolTip(), "Sounds Like");
    // Control arrays are named by element: "Command2(2)" is "V3".
    EXPECT_EQ(Find<QPushButton>(f, "Command2", 2)->text(), "V3");
    EXPECT_EQ(FindAll<QPushButton>(f, "Command2").size(), 4u);
    EXPECT_EQ(FindAll<PictureBox>(f, "Image1").size(), 99u);
}

struct InstrumentCase {
    int option;             // 1..4
    int transposition;
    int soundingNote;
    const char* soundingName;
    int pitch;
};

class Instruments : public Form1Test, public ::testing::WithParamInterface<InstrumentCase> {};

TEST_P(Instruments, OptionAndMenuGiveTheSameSoundingNote) {
    const InstrumentCase& c = GetParam();
    for (bool viaMenu : {false, true}) {
        Form1& f = Start();
        if (viaMenu) {
            QAction* items[] = {Find<QAction>(f, "Soprano"), Find<QAction>(f, "Alto"), Find<QAction>(f, "Tenor"), Find<QAction>(f, "Baritone")};
            items[c.option - 1]->trigger();
        } else {
            QRadioButton* options[] = {Find<QRadioButton>(f, "Option1"), Find<QRadioButton>(f, "Option2"), Find<QRadioButton>(f, "Option3"), Find<QRadioButton>(f, "Option4")};
            if (c.option == 2) Find<QRadioButton>(f, "Option1")->setChecked(true), midi->Clear(); // make Alto a change
            options[c.option - 1]->click();
        }
        EXPECT_EQ(f.Transposition, c.transposition);
        EXPECT_EQ(f.CurrentNote, 73); // the written note never changes
        EXPECT_EQ(VisibleFingering(f), 2);
        EXPECT_EQ(Find<QLabel>(f, "Label1")->text(), "C0      ");
        EXPECT_EQ(Find<QLabel>(f, "Label2")->text(), c.soundingName);
        ASSERT_FALSE(Struck().empty());
        EXPECT_EQ(Struck().back(), c.pitch);
        EXPECT_EQ(KORVALIN1.LastMidiNote, c.pitch);
        QAction* items[] = {Find<QAction>(f, "Soprano"), Find<QAction>(f, "Alto"), Find<QAction>(f, "Tenor"), Find<QAction>(f, "Baritone")};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(items[i]->isChecked(), i == c.option - 1) << i;
        EXPECT_EQ(Find<PictureBox>(f, "Image22")->x(), 4 + NoteValue(c.soundingNote, KeyboardX));
        Restart();
    }
}

INSTANTIATE_TEST_SUITE_P(Saxophones, Instruments,
                         ::testing::Values(InstrumentCase{1, 2, 71, "Bb0 (A#)", 58},
                                           InstrumentCase{2, 12, 61, "Eb-1(D#)", 51},
                                           InstrumentCase{3, 19, 54, "Bb-1(A#)", 46},
                                           InstrumentCase{4, 29, 44, "Eb-2(D#)", 39}));

TEST_F(Form1Test, ChoosingTheSelectedInstrumentAgainResoundsTheNote) {
    Form1& f = Start();
    Find<QAction>(f, "Alto")->trigger();
    EXPECT_EQ(Struck(), std::vector<int>({51}));
    EXPECT_EQ(f.CurrentNote, 73);
    // No note sounded before it, so none is released first (LastMidiNote was still 0).
    ASSERT_EQ(midi->Sent().size(), 1u);
    EXPECT_EQ(midi->Sent()[0] & 0xFFFF, PackMidiMessage(144, 51, 0));
}

TEST_F(Form1Test, WrittenA0OnAltoSoundsC) {
    Form1& f = Start();
    f.ShowNote(69);
    EXPECT_EQ(Find<QLabel>(f, "Label2")->text(), "C-1     ");
    EXPECT_EQ(Struck(), std::vector<int>({48}));
}

struct StepCase {
    int from;
    bool sharpen;
    int to;
};
void PrintTo(const StepCase& c, std::ostream* os) { *os << c.from << (c.sharpen ? " sharpen " : " flatten ") << c.to; }

class Semitones : public Form1Test, public ::testing::WithParamInterface<StepCase> {};

TEST_P(Semitones, MoveBySemitoneWithinTheLimits) {
    Form1& f = Start();
    f.ShowNote(int16_t(GetParam().from));
    (GetParam().sharpen ? Find<QPushButton>(f, "Command5") : Find<QPushButton>(f, "Command3"))->click();
    EXPECT_EQ(f.CurrentNote, GetParam().to);
    EXPECT_EQ(Find<QLabel>(f, "Label1")->text().toStdString(), NoteCell(GetParam().to, Name));
}

INSTANTIATE_TEST_SUITE_P(
    SharpenAndFlatten, Semitones,
    ::testing::Values(StepCase{74, true, 76}, StepCase{75, true, 76}, StepCase{72, true, 73},
                      StepCase{79, true, 80}, StepCase{137, true, 138}, StepCase{138, true, 138},
                      StepCase{139, true, 138}, StepCase{140, true, 138}, StepCase{73, true, 74},
                      StepCase{76, false, 75}, StepCase{75, false, 73}, StepCase{73, false, 72},
                      StepCase{80, false, 79}, StepCase{42, false, 41}, StepCase{41, false, 41},
                      StepCase{40, false, 41}, StepCase{39, false, 41}, StepCase{74, false, 73}));

TEST_F(Form1Test, SoundDisplayOffHidesTheSoundingMarkersAndOnShowsThemAgain) {
    Form1& f = Start();
    Find<QAction>(f, "SDisplay")->trigger();
    EXPECT_EQ(KORVALIN1.SoundDisplay, 0);
    EXPECT_FALSE(Find<QAction>(f, "SDisplay")->isChecked());
    EXPECT_FALSE(Find<PictureBox>(f, "Image36", 6)->isVisibleTo(&f));
    EXPECT_FALSE(Find<PictureBox>(f, "Image22")->isVisibleTo(&f));
    EXPECT_EQ(Find<QLabel>(f, "Label2")->text(), "Eb-1(D#)"); // the name still follows
    EXPECT_EQ(Struck(), std::vector<int>({51}));
    // Plain display leaves the sounding markers where they were, hidden.
    f.ShowNote(76);
    EXPECT_FALSE(Find<PictureBox>(f, "Image36", 6)->isVisibleTo(&f));
    EXPECT_EQ(Find<QLabel>(f, "Label2")->text(), "F-1     ");
    Find<QAction>(f, "SDisplay")->trigger();
    EXPECT_EQ(KORVALIN1.SoundDisplay, 1);
    EXPECT_TRUE(Find<QAction>(f, "SDisplay")->isChecked());
    EXPECT_TRUE(Find<PictureBox>(f, "Image36", 6)->isVisibleTo(&f));
    EXPECT_TRUE(Find<PictureBox>(f, "Image22")->isVisibleTo(&f));
    EXPECT_EQ(Find<PictureBox>(f, "Image36", 6)->y(), 2 + NoteValue(63, StaffY) - 7);
}

TEST_F(Form1Test, NotesOffTheStaffShowTheGreyedStaff) {
    Form1& f = Start();
    // StaffSymbol 7: no markers, plain display even with sound display on.
    f.ShowNote(20);
    EXPECT_FALSE(Find<PictureBox>(f, "Image3")->isVisibleTo(&f));
    EXPECT_TRUE(Find<PictureBox>(f, "Image2")->isVisibleTo(&f));
    EXPECT_FALSE(Find<PictureBox>(f, "Image35", 6)->isVisibleTo(&f));
    EXPECT_FALSE(Find<PictureBox>(f, "Image36", 6)->isVisibleTo(&f));
    EXPECT_EQ(VisibleFingering(f), 46);
    EXPECT_EQ(Find<PictureBox>(f, "Image21")->x(), 4); // below the keyboard: its left edge
    // StaffSymbol 8: greyed staff, but the sounding key is still marked.
    f.ShowNote(137);
    EXPECT_TRUE(Find<PictureBox>(f, "Image2")->isVisibleTo(&f));
    EXPECT_FALSE(Find<PictureBox>(f, "Image36", 6)->isVisibleTo(&f));
    EXPECT_TRUE(Find<PictureBox>(f, "Image22")->isVisibleTo(&f));
    const int s = SoundingNoteFor(137, 12);
    EXPECT_EQ(Find<PictureBox>(f, "Image22")->x(), 4 + NoteValue(s, KeyboardX));
    EXPECT_EQ(Find<QLabel>(f, "Label2")->text().toStdString(), NoteCell(s, Name));
    EXPECT_EQ(VisibleFingering(f), 98);
}

TEST_F(Form1Test, SoundOffShowsButSendsNothingAndTheTimerEndsNotes) {
    Form1& f = Start();
    KORVALIN1.SoundOn = 0;
    f.ShowNote(76);
    EXPECT_EQ(Find<QLabel>(f, "Label1")->text(), "D0      ");
    EXPECT_TRUE(midi->Sent().empty());
    EXPECT_TRUE(Find<QTimer>(f, "Timer2")->isActive());
    f.Timer2_Timer();
    EXPECT_TRUE(midi->Sent().empty());
    KORVALIN1.SoundOn = 1;
    f.ShowNote(76);
    midi->Clear();
    f.Timer2_Timer();
    EXPECT_EQ(midi->Sent(), std::vector<uint32_t>{PackMidiMessage(144, 53, 0)});
    EXPECT_FALSE(Find<QTimer>(f, "Timer2")->isActive()) << "an idle window must not keep a timer ticking";
    f.ShowNote(77);
    EXPECT_TRUE(Find<QTimer>(f, "Timer2")->isActive()) << "the next note starts it again";
}

TEST_F(Form1Test, ChannelAndVelocityGoIntoEveryNote) {
    Form1& f = Start();
    KORVALIN1.MidiChannel = 9;
    KORVALIN1.NoteVelocity = 40;
    f.ShowNote(76);
    ASSERT_EQ(midi->Sent().size(), 1u);
    EXPECT_EQ(midi->Sent()[0], PackMidiMessage(153, 53, 40));
}

TEST_F(Form1Test, VariationButtonsShowTheAlternatives) {
    Form1& f = Start();
    f.ShowNote(87);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(Find<QPushButton>(f, "Command2", i)->isEnabled()) << i;
    midi->Clear();
    for (int i : {1, 2, 3, 0, 2, 2}) {
        Find<QPushButton>(f, "Command2", i)->click();
        EXPECT_EQ(VisibleFingering(f), 13 + i);
    }
    EXPECT_TRUE(midi->Sent().empty()); // nothing is sounded
    EXPECT_EQ(f.CurrentNote, 87);
    f.ShowNote(87);
    EXPECT_EQ(VisibleFingering(f), 13);

    f.ShowNote(81);
    EXPECT_TRUE(Find<QPushButton>(f, "Command2", 0)->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(f, "Command2", 1)->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(f, "Command2", 2)->isEnabled());
    Find<QPushButton>(f, "Command2", 1)->click();
    EXPECT_EQ(VisibleFingering(f), 9);
    f.ShowNote(82);
    for (auto* b : FindAll<QPushButton>(f, "Command2")) EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(VisibleFingering(f), 8);
}

TEST_F(Form1Test, ClicksOnTheKeyboardChooseNotes) {
    Form1& f = Start();
    struct { QPoint at; int note; } clicks[] = {
        {{11, 20}, 40}, {{14, 20}, 41}, {{14, 60}, 42}, {{174, 70}, 73}, {{182, 10}, 75},
        {{191, 10}, 77}, {{500, 80}, 140}, {{0, 40}, 73}};
    for (auto c : clicks) {
        QTest::mouseClick(Find<PictureBox>(f, "Image20"), Qt::LeftButton, {}, c.at);
        EXPECT_EQ(f.CurrentNote, c.note) << c.at.x() << "," << c.at.y();
        EXPECT_EQ(Find<PictureBox>(f, "Image21")->x(), 4 + NoteValue(c.note, KeyboardX));
        EXPECT_EQ(Find<PictureBox>(f, "Image21")->y(), 272 + KeyMarkerHeight(c.note));
    }
    // Any button chooses; a release outside the picture after a press on it still chooses.
    QTest::mouseClick(Find<PictureBox>(f, "Image20"), Qt::RightButton, {}, QPoint(26, 70));
    EXPECT_EQ(f.CurrentNote, 45);
    QTest::mousePress(Find<PictureBox>(f, "Image20"), Qt::LeftButton, {}, QPoint(100, 70));
    QTest::mouseRelease(Find<PictureBox>(f, "Image20"), Qt::LeftButton, {}, QPoint(14, -30));
    EXPECT_EQ(f.CurrentNote, 41);
}

TEST_F(Form1Test, ClicksOnTheStaffChooseNaturalNotes) {
    Form1& f = Start();
    QTest::mouseClick(Find<PictureBox>(f, "Image3"), Qt::LeftButton, {}, QPoint(10, 165));
    EXPECT_EQ(f.CurrentNote, 73);
    QTest::mouseClick(Find<PictureBox>(f, "Image3"), Qt::LeftButton, {}, QPoint(140, 141));
    EXPECT_EQ(f.CurrentNote, 83);
    EXPECT_EQ(Find<QLabel>(f, "Label1")->text(), "G0      ");
    // Nothing below the lowest band.
    QTest::mouseClick(Find<PictureBox>(f, "Image3"), Qt::LeftButton, {}, QPoint(50, 255));
    EXPECT_EQ(f.CurrentNote, 83);
    // The white staff reacts to the release only.
    QTest::mousePress(Find<PictureBox>(f, "Image3"), Qt::LeftButton, {}, QPoint(50, 100));
    EXPECT_EQ(f.CurrentNote, 83);
    QTest::mouseRelease(Find<PictureBox>(f, "Image3"), Qt::LeftButton, {}, QPoint(50, -20));
    EXPECT_EQ(f.CurrentNote, 137);
    // The grey staff (shown now for A4) reacts to the press.
    ASSERT_TRUE(Find<PictureBox>(f, "Image2")->isVisibleTo(&f));
    QTest::mousePress(Find<PictureBox>(f, "Image2"), Qt::LeftButton, {}, QPoint(50, 200));
    EXPECT_EQ(f.CurrentNote, 59);
    QTest::mouseRelease(Find<PictureBox>(f, "Image2"), Qt::LeftButton, {}, QPoint(50, 200));
}

TEST_F(Form1Test, TypedKeysAreSwallowedAndAskForTheNextNote) {
    Form1& f = Start();
    f.activateWindow();
    Find<QPushButton>(f, "Command5")->setFocus();
    const QString before1 = Find<QLabel>(f, "Label1")->text();
    for (auto key : {Qt::Key_A, Qt::Key_5, Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        KORVALIN1.NextNoteFlag = 0;
        QTest::keyClick(Find<QPushButton>(f, "Command5"), key);
        EXPECT_EQ(KORVALIN1.NextNoteFlag, 2) << key;
    }
    // Space and Enter never pressed the focused Sharpen button.
    EXPECT_EQ(f.CurrentNote, 73);
    EXPECT_EQ(Find<QLabel>(f, "Label1")->text(), before1);
    // Keys without a character are consumed and ask for nothing.
    KORVALIN1.NextNoteFlag = 0;
    for (auto key : {Qt::Key_Left, Qt::Key_F2, Qt::Key_F12, Qt::Key_Shift, Qt::Key_Control})
        QTest::keyClick(Find<QPushButton>(f, "Command5"), key);
    EXPECT_EQ(KORVALIN1.NextNoteFlag, 0);
    EXPECT_EQ(f.CurrentNote, 73);
    int code = 112;
    f.Form_KeyDown(code, {});
    EXPECT_EQ(code, 112); // F1 goes on to help
    code = 65;
    f.Form_KeyDown(code, {});
    EXPECT_EQ(code, 0);
}

TEST_F(Form1Test, ExitClosesTheOutputOnceWhenSoundIsOn) {
    Form1& f = Start();
    Find<QPushButton>(f, "Command1")->click();
    EXPECT_EQ(midi->Count(Kind::Close), 1);
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(Form1::Ending());
}

TEST_F(Form1Test, ExitWithSoundOffDoesNotCloseAgain) {
    Form1& f = Start();
    KORVALIN1.SoundOn = 0;
    Find<QAction>(f, "Quit")->trigger();
    EXPECT_EQ(midi->Count(Kind::Close), 0);
    EXPECT_EQ(ended, 1);
}

TEST_F(Form1Test, ClosingTheWindowEndsLikeExit) {
    Form1& f = Start();
    f.close();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(midi->Count(Kind::Close), 1);
}

TEST_F(Form1Test, MenuBarHasEveryItemInOrder) {
    Form1& f = Start();
    std::vector<std::pair<QString, QStringList>> expected = {
        {"File", {"Load", "-", "Exit"}},
        {"Print", {"Print Current Note", "Print Current Scale", "Print Altissimo Chart", "Print Fingering Chart"}},
        {"Instrument", {"Soprano", "Alto", "Tenor", "Baritone", "Sound Display"}},
        {"Sounds", {"Midi Control", "Listen", "Metronome and Drone"}},
        {"Info", {"Top 5!", "Transposition", "Circle of Fifths", "Mouthpiece", "Reed", "Altissimo Chart",
                  "Fingering Chart"}},
        {"Help", {"Help Using Help", "Help Contents", "-", "About"}}};
    const auto menus = f.menuBar()->actions();
    ASSERT_EQ(menus.size(), int(expected.size()));
    for (size_t m = 0; m < expected.size(); ++m) {
        EXPECT_EQ(menus[m]->text(), expected[m].first);
        QStringList items;
        for (QAction* a : menus[m]->menu()->actions()) {
            items << (a->isSeparator() ? "-" : a->text());
            EXPECT_TRUE(a->shortcut().isEmpty());
            EXPECT_FALSE(a->text().contains('&'));
        }
        EXPECT_EQ(items, expected[m].second) << expected[m].first.toStdString();
    }
    // Every item is in place and enabled.
    for (QAction* a : f.findChildren<QAction*>()) {
        if (a->isSeparator() || a->menu()) continue;
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    }
    // The menus keep the desktop's menu font; the window's small bold font stays in the window.
    auto sameFont = [](const QFont& a, const QFont& b) {
        return a.family() == b.family() && a.pointSizeF() == b.pointSizeF() && a.bold() == b.bold();
    };
    EXPECT_TRUE(f.font().bold());
    EXPECT_TRUE(sameFont(f.menuBar()->font(), QApplication::font(f.menuBar())));
    for (QAction* m : menus) EXPECT_TRUE(sameFont(m->menu()->font(), QApplication::font(m->menu()))) << m->text().toStdString();
}

// For every note the keyboard and the staff can choose, on every instrument, the lines a person
// sees crossing the written and the sounding marker are the staff picture's lines: each one pixel
// high, on a staff-line row, none drawn twice.
TEST_F(Form1Test, StaffMarkersDrawEveryLineOnceOnTheStaffLines) {
    Form1& f = Start();
    QStringList failures;
    int checked = 0;
    for (const char* option : {"Option1", "Option2", "Option3", "Option4"}) {
        Find<QRadioButton>(f, option)->click();
        for (int n = 39; n <= 140; ++n) {
            f.ShowNote(int16_t(n));
            PictureBox* staff = Find<PictureBox>(f, "Image3");
            if (!staff->isVisibleTo(&f)) staff = Find<PictureBox>(f, "Image2");
            const QImage grab = f.centralWidget()->grab().toImage();
            ASSERT_EQ(grab.size(), f.centralWidget()->size());
            const QStringList faults = StaffLineFaults(grab, QPoint(0, 0), 1, staff->pos());
            if (!faults.isEmpty()) failures << QString("%1 note %2: %3").arg(option).arg(n).arg(faults.join("; "));
            ++checked;
        }
    }
    EXPECT_EQ(checked, 4 * 102);
    EXPECT_TRUE(failures.isEmpty()) << failures.size() << " notes, first: "
                                    << failures.mid(0, 5).join("\n").toStdString();
}

// The fingering picture is named with the note names of the window beside it.
TEST_F(Form1Test, FingeringPictureSpeaksTheWindowsNoteName) {
    Form1& f = Start();
    int named = 0;
    for (int n = 39; n <= 140; ++n) {
        if (IsSharpSpelling(n) || IsFlatSpelling(n)) continue; // a flat's picture may carry its sharp's name
        f.ShowNote(int16_t(n));
        const int shown = VisibleFingering(f);
        ASSERT_GE(shown, 0) << n;
        if (shown == 46) continue; // the blank picture of a note without a fingering
        const QString name = Find<QLabel>(f, "Label1")->text().section('(', 0, 0).trimmed(); // "B0  (Cb)": B0
        PictureBox* picture = Find<PictureBox>(f, "Image1", shown);
        EXPECT_TRUE(picture->accessibleName().startsWith("Fingering: " + name + ","))
            << n << ": " << picture->accessibleName().toStdString();
        EXPECT_TRUE(picture->toolTip().startsWith(picture->accessibleName() + "\n")) << n;
        ++named;
    }
    EXPECT_GE(named, 25);
}

// DisplayNote shows exactly what ShowNote shows, and sounds nothing; ShowNote then sounds it.
TEST_F(Form1Test, DisplayNoteShowsWithoutSoundingAndShowNoteSounds) {
    struct Seen {
        QString written, sounding;
        QPoint writtenMarker, soundingMarker, writtenKey, soundingKey;
        bool soundingMarkerShown, greyed;
        int fingering;
        bool operator==(const Seen&) const = default;
    };
    Form1& f = Start();
    auto seen = [&] {
        return Seen{Find<QLabel>(f, "Label1")->text(),          Find<QLabel>(f, "Label2")->text(),
                    Find<PictureBox>(f, "Image35", 6)->pos(),   Find<PictureBox>(f, "Image36", 6)->pos(),
                    Find<PictureBox>(f, "Image21")->pos(),      Find<PictureBox>(f, "Image22")->pos(),
                    Find<PictureBox>(f, "Image36", 6)->isVisibleTo(&f),
                    Find<PictureBox>(f, "Image2")->isVisibleTo(&f), VisibleFingering(f)};
    };
    QTimer* timer = Find<QTimer>(f, "Timer2");
    for (const char* option : {"Option1", "Option4"}) {
        Find<QRadioButton>(f, option)->click();
        for (int n : {39, 61, 73, 82, 87, 120, 137, 140}) {
            f.ShowNote(73);
            timer->stop();
            midi->Clear();
            ASSERT_TRUE(f.DisplayNote(int16_t(n)));
            const Seen silent = seen();
            EXPECT_TRUE(midi->events.empty()) << n;
            EXPECT_FALSE(timer->isActive()) << n;
            f.ShowNote(73);
            midi->Clear();
            f.ShowNote(int16_t(n));
            EXPECT_TRUE(seen() == silent) << option << " " << n;
            const int pitch = NoteValue(SoundingNoteFor(n, f.Transposition), Pitch);
            EXPECT_EQ(midi->Sent(), (std::vector<uint32_t>{PackMidiMessage(144, NoteValue(SoundingNoteFor(73, f.Transposition), Pitch), 0),
                                                          PackMidiMessage(144, pitch, 127)}))
                << n;
            EXPECT_TRUE(timer->isActive());
        }
    }
    EXPECT_FALSE(f.DisplayNote(154));
    EXPECT_FALSE(f.DisplayNote(-1));
}

// Sharpen and Flatten change the sounding pitch by one semitone from every row of the keyboard,
// never landing on another spelling of the same pitch, and stop at Db-2 and A#4.
TEST_F(Form1Test, SemitoneStepsChangeThePitchByOneFromEveryKeyboardRow) {
    Form1& f = Start();
    for (int n = 39; n <= 140; ++n) {
        for (const char* button : {"Command5", "Command3"}) {
            const bool up = QString(button) == "Command5";
            f.ShowNote(int16_t(n));
            Find<QPushButton>(f, button)->click();
            const int to = f.CurrentNote;
            if (to == 41 || to == 138) continue; // held at the limits
            EXPECT_EQ(NoteValue(to, Pitch) - NoteValue(n, Pitch), up ? 1 : -1) << n << (up ? " sharpened" : " flattened");
        }
    }
}

} // namespace
