#include "app/korvalin1.h"
#include "app/note_table.h"
#include "app/prompts.h"
#include "app/window_registry.h"
#include "main_window/form1.h"
#include "main_window/picture_box.h"
#include "midi/midi_port.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace korvalin;
using Kind = RecordingMidiOutput::Kind;

namespace {

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        DestroyAllWindows();
        ResetKorvalin1();
        rec = std::make_shared<RecordingMidiOutput>();
        SetMidiOutput(rec);
        prompts = std::make_shared<RecordingPrompts>();
        SetPrompts(prompts);
        Form1::EndApplication() = [this] { ++ended; };
    }
    void TearDown() override {
        DestroyAllWindows();
        SetMidiOutput(nullptr);
        SetPrompts(nullptr);
    }

    Form1& Start() {
        Form1& f = Window<Form1>();
        rec->Clear();
        return f;
    }

    int VisibleFingering(Form1& f) {
        int shown = -1, count = 0;
        for (int i = 0; i < 99; ++i)
            if (f.Image1[i]->isVisibleTo(&f)) { shown = i; ++count; }
        return count == 1 ? shown : -100 - count;
    }

    // Note On messages with a velocity (the notes struck), in order.
    std::vector<int> Struck() {
        std::vector<int> notes;
        for (auto& e : rec->events)
            if (e.kind == Kind::Send && (e.Status() & 0xF0) == 0x90 && e.Data2() > 0) notes.push_back(e.Data1());
        return notes;
    }

    std::shared_ptr<RecordingMidiOutput> rec;
    std::shared_ptr<RecordingPrompts> prompts;
    int ended = 0;
};

TEST_F(Form1Test, StartUpShowsWrittenC0OnAltoAndOnlyOpensTheOutput) {
    Form1& f = Window<Form1>();
    // The output is opened once with a Program Change for patch 66 on channel 1, and no note.
    ASSERT_EQ(rec->Count(Kind::Open), 1);
    ASSERT_EQ(rec->Sent().size(), 1u);
    EXPECT_EQ(rec->Sent()[0], PackMidiMessage(192, 66, 0));
    EXPECT_EQ(KORVALIN1.SoundOn, 1);
    EXPECT_EQ(KORVALIN1.MidiReady, True);

    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.CurrentNote, 73);
    EXPECT_EQ(f.Transposition, 12);
    EXPECT_EQ(KORVALIN1.TwipsPerPixelX, 15);
    EXPECT_EQ(f.Label1->text(), "C0      ");
    EXPECT_EQ(f.Label2->text(), "Eb-1(D#)");
    EXPECT_EQ(VisibleFingering(f), 2);
    EXPECT_TRUE(f.Image3->isVisibleTo(&f));
    EXPECT_FALSE(f.Image2->isVisibleTo(&f));
    EXPECT_EQ(f.Image35[6]->pos(), QPoint(366 + 52, 2 + 161 - 7));
    EXPECT_EQ(f.Image36[6]->pos(), QPoint(366 + 102, 2 + 191 - 7));
    EXPECT_TRUE(f.Image36[6]->isVisibleTo(&f));
    EXPECT_EQ(f.Image21->pos(), QPoint(4 + 174, 272 + 65));
    EXPECT_EQ(f.Image22->pos(), QPoint(4 + 108, 272 + 30));
    for (auto* b : f.Command2) EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(f.Alto->isChecked());
    EXPECT_FALSE(f.Soprano->isChecked() || f.Tenor->isChecked() || f.Baritone->isChecked());
    EXPECT_TRUE(f.SDisplay->isChecked());
    EXPECT_TRUE(f.Option2->isChecked());
    EXPECT_EQ(KORVALIN1.NoteDelay, 10);
    EXPECT_EQ(KORVALIN1.NoteVelocity, 127);
    EXPECT_EQ(KORVALIN1.MidiPatch, 66);
    // Scale controls wait for scale mode.
    for (QWidget* w : {(QWidget*)f.Command8, (QWidget*)f.Command7, (QWidget*)f.Command9, (QWidget*)f.Command6,
                       (QWidget*)f.Command10, (QWidget*)f.Command11, (QWidget*)f.Picture9[0], (QWidget*)f.Label5})
        EXPECT_FALSE(w->isVisibleTo(&f)) << w->objectName().toStdString();
    EXPECT_TRUE(f.Command4->isVisibleTo(&f));
    EXPECT_EQ(f.windowTitle(), "Korvalin");
}

TEST_F(Form1Test, LayoutFollowsTheDesign) {
    Form1& f = Start();
    EXPECT_EQ(f.centralWidget()->size(), QSize(517, 374));
    EXPECT_EQ(f.Image20->geometry(), QRect(4, 272, 507, 90));
    EXPECT_EQ(f.Image3->geometry(), QRect(366, 2, 149, 266));
    EXPECT_EQ(f.Command1->geometry(), QRect(172, 210, 187, 33));
    EXPECT_EQ(f.Command5->geometry(), QRect(272, 8, 89, 25));
    EXPECT_EQ(f.Command3->geometry(), QRect(272, 40, 89, 25));
    EXPECT_EQ(f.Option4->geometry(), QRect(272, 134, 85, 17));
    EXPECT_EQ(f.Label3->geometry(), QRect(239, 160, 43, 17));
    EXPECT_EQ(f.Label4->geometry(), QRect(236, 184, 46, 17));
    EXPECT_EQ(f.Command2[3]->geometry(), QRect(172, 176, 30, 25));
    EXPECT_EQ(f.Command1->toolTip(), "Exit");
    EXPECT_EQ(f.Command5->toolTip(), "+1 Semitone");
    EXPECT_EQ(f.Option3->toolTip(), "Select Tenor");
    EXPECT_EQ(f.Label2->toolTip(), "Sounds Like");
    EXPECT_EQ(f.findChild<QPushButton*>("Command2(2)"), f.Command2[2]);
    EXPECT_EQ(f.findChild<PictureBox*>("Image1(46)"), f.Image1[46]);
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
            QAction* items[] = {f.Soprano, f.Alto, f.Tenor, f.Baritone};
            items[c.option - 1]->trigger();
        } else {
            QRadioButton* options[] = {f.Option1, f.Option2, f.Option3, f.Option4};
            if (c.option == 2) f.Option1->setChecked(true), rec->Clear(); // make Alto a change
            options[c.option - 1]->click();
        }
        EXPECT_EQ(f.Transposition, c.transposition);
        EXPECT_EQ(f.CurrentNote, 73); // the written note never changes
        EXPECT_EQ(VisibleFingering(f), 2);
        EXPECT_EQ(f.Label1->text(), "C0      ");
        EXPECT_EQ(f.Label2->text(), c.soundingName);
        ASSERT_FALSE(Struck().empty());
        EXPECT_EQ(Struck().back(), c.pitch);
        EXPECT_EQ(KORVALIN1.LastMidiNote, c.pitch);
        QAction* items[] = {f.Soprano, f.Alto, f.Tenor, f.Baritone};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(items[i]->isChecked(), i == c.option - 1) << i;
        EXPECT_EQ(f.Image22->x(), 4 + NoteValue(c.soundingNote, KeyboardX));
        DestroyAllWindows();
        ResetKorvalin1();
    }
}

INSTANTIATE_TEST_SUITE_P(Saxophones, Instruments,
                         ::testing::Values(InstrumentCase{1, 2, 71, "Bb0 (A#)", 58},
                                           InstrumentCase{2, 12, 61, "Eb-1(D#)", 51},
                                           InstrumentCase{3, 19, 54, "Bb-1(A#)", 46},
                                           InstrumentCase{4, 29, 44, "Eb-2(D#)", 39}));

TEST_F(Form1Test, ChoosingTheSelectedInstrumentAgainResoundsTheNote) {
    Form1& f = Start();
    f.Alto->trigger();
    EXPECT_EQ(Struck(), std::vector<int>({51}));
    EXPECT_EQ(f.CurrentNote, 73);
    // Each new note is preceded by a note off for the last one.
    ASSERT_GE(rec->Sent().size(), 2u);
    EXPECT_EQ(rec->Sent()[0], PackMidiMessage(144, 0, 0)); // LastMidiNote was still 0
}

TEST_F(Form1Test, WrittenA0OnAltoSoundsC) {
    Form1& f = Start();
    f.ShowNote(69);
    EXPECT_EQ(f.Label2->text(), "C-1     ");
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
    (GetParam().sharpen ? f.Command5 : f.Command3)->click();
    EXPECT_EQ(f.CurrentNote, GetParam().to);
    EXPECT_EQ(f.Label1->text().toStdString(), NoteCell(GetParam().to, Name));
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
    f.SDisplay->trigger();
    EXPECT_EQ(KORVALIN1.SoundDisplay, 0);
    EXPECT_FALSE(f.SDisplay->isChecked());
    EXPECT_FALSE(f.Image36[6]->isVisibleTo(&f));
    EXPECT_FALSE(f.Image22->isVisibleTo(&f));
    EXPECT_EQ(f.Label2->text(), "Eb-1(D#)"); // the name still follows
    EXPECT_EQ(Struck(), std::vector<int>({51}));
    // Plain display leaves the sounding markers where they were, hidden.
    f.ShowNote(76);
    EXPECT_FALSE(f.Image36[6]->isVisibleTo(&f));
    EXPECT_EQ(f.Label2->text(), "F-1     ");
    f.SDisplay->trigger();
    EXPECT_EQ(KORVALIN1.SoundDisplay, 1);
    EXPECT_TRUE(f.SDisplay->isChecked());
    EXPECT_TRUE(f.Image36[6]->isVisibleTo(&f));
    EXPECT_TRUE(f.Image22->isVisibleTo(&f));
    EXPECT_EQ(f.Image36[6]->y(), 2 + NoteValue(63, StaffY) - 7);
}

TEST_F(Form1Test, NotesOffTheStaffShowTheGreyedStaff) {
    Form1& f = Start();
    // StaffSymbol 7: no markers, plain display even with sound display on.
    f.ShowNote(20);
    EXPECT_FALSE(f.Image3->isVisibleTo(&f));
    EXPECT_TRUE(f.Image2->isVisibleTo(&f));
    EXPECT_FALSE(f.Image35[6]->isVisibleTo(&f));
    EXPECT_FALSE(f.Image36[6]->isVisibleTo(&f));
    EXPECT_EQ(VisibleFingering(f), 46);
    EXPECT_EQ(f.Image21->x(), 4); // below the keyboard: its left edge
    // StaffSymbol 8: greyed staff, but the sounding key is still marked.
    f.ShowNote(137);
    EXPECT_TRUE(f.Image2->isVisibleTo(&f));
    EXPECT_FALSE(f.Image36[6]->isVisibleTo(&f));
    EXPECT_TRUE(f.Image22->isVisibleTo(&f));
    const int s = SoundingNoteFor(137, 12);
    EXPECT_EQ(f.Image22->x(), 4 + NoteValue(s, KeyboardX));
    EXPECT_EQ(f.Label2->text().toStdString(), NoteCell(s, Name));
    EXPECT_EQ(VisibleFingering(f), 98);
}

TEST_F(Form1Test, SoundOffShowsButSendsNothingAndTheTimerEndsNotes) {
    Form1& f = Start();
    KORVALIN1.SoundOn = 0;
    f.ShowNote(76);
    EXPECT_EQ(f.Label1->text(), "D0      ");
    EXPECT_TRUE(rec->Sent().empty());
    EXPECT_TRUE(f.Timer2->isActive());
    f.Timer2_Timer();
    EXPECT_TRUE(rec->Sent().empty());
    KORVALIN1.SoundOn = 1;
    f.ShowNote(76);
    rec->Clear();
    f.Timer2_Timer();
    EXPECT_EQ(rec->Sent(), std::vector<uint32_t>{PackMidiMessage(144, 53, 0)});
    EXPECT_FALSE(f.Timer2->isActive()) << "an idle window must not keep a timer ticking";
    f.ShowNote(77);
    EXPECT_TRUE(f.Timer2->isActive()) << "the next note starts it again";
}

TEST_F(Form1Test, ChannelAndVelocityGoIntoEveryNote) {
    Form1& f = Start();
    KORVALIN1.MidiChannel = 9;
    KORVALIN1.NoteVelocity = 40;
    f.ShowNote(76);
    ASSERT_EQ(rec->Sent().size(), 2u);
    EXPECT_EQ(rec->Sent()[1], PackMidiMessage(153, 53, 40));
}

TEST_F(Form1Test, VariationButtonsShowTheAlternatives) {
    Form1& f = Start();
    f.ShowNote(87);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(f.Command2[i]->isEnabled()) << i;
    rec->Clear();
    for (int i : {1, 2, 3, 0, 2, 2}) {
        f.Command2[i]->click();
        EXPECT_EQ(VisibleFingering(f), 13 + i);
    }
    EXPECT_TRUE(rec->Sent().empty()); // nothing is sounded
    EXPECT_EQ(f.CurrentNote, 87);
    f.ShowNote(87);
    EXPECT_EQ(VisibleFingering(f), 13);

    f.ShowNote(81);
    EXPECT_TRUE(f.Command2[0]->isEnabled());
    EXPECT_TRUE(f.Command2[1]->isEnabled());
    EXPECT_FALSE(f.Command2[2]->isEnabled());
    f.Command2[1]->click();
    EXPECT_EQ(VisibleFingering(f), 9);
    f.ShowNote(82);
    for (auto* b : f.Command2) EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(VisibleFingering(f), 8);
}

TEST_F(Form1Test, ClicksOnTheKeyboardChooseNotes) {
    Form1& f = Start();
    struct { QPoint at; int note; } clicks[] = {
        {{11, 20}, 40}, {{14, 20}, 41}, {{14, 60}, 42}, {{174, 70}, 73}, {{182, 10}, 75},
        {{191, 10}, 77}, {{500, 80}, 140}, {{0, 40}, 73}};
    for (auto c : clicks) {
        QTest::mouseClick(f.Image20, Qt::LeftButton, {}, c.at);
        EXPECT_EQ(f.CurrentNote, c.note) << c.at.x() << "," << c.at.y();
        EXPECT_EQ(f.Image21->x(), 4 + NoteValue(c.note, KeyboardX));
        EXPECT_EQ(f.Image21->y(), 272 + KeyMarkerHeight(c.note));
    }
    // Any button chooses; a release outside the picture after a press on it still chooses.
    QTest::mouseClick(f.Image20, Qt::RightButton, {}, QPoint(26, 70));
    EXPECT_EQ(f.CurrentNote, 45);
    QTest::mousePress(f.Image20, Qt::LeftButton, {}, QPoint(100, 70));
    QTest::mouseRelease(f.Image20, Qt::LeftButton, {}, QPoint(14, -30));
    EXPECT_EQ(f.CurrentNote, 41);
}

TEST_F(Form1Test, ClicksOnTheStaffChooseNaturalNotes) {
    Form1& f = Start();
    QTest::mouseClick(f.Image3, Qt::LeftButton, {}, QPoint(10, 165));
    EXPECT_EQ(f.CurrentNote, 73);
    QTest::mouseClick(f.Image3, Qt::LeftButton, {}, QPoint(140, 141));
    EXPECT_EQ(f.CurrentNote, 83);
    EXPECT_EQ(f.Label1->text(), "G0      ");
    // Nothing below the lowest band.
    QTest::mouseClick(f.Image3, Qt::LeftButton, {}, QPoint(50, 255));
    EXPECT_EQ(f.CurrentNote, 83);
    // The white staff reacts to the release only.
    QTest::mousePress(f.Image3, Qt::LeftButton, {}, QPoint(50, 100));
    EXPECT_EQ(f.CurrentNote, 83);
    QTest::mouseRelease(f.Image3, Qt::LeftButton, {}, QPoint(50, -20));
    EXPECT_EQ(f.CurrentNote, 137);
    // The grey staff (shown now for A4) reacts to the press.
    ASSERT_TRUE(f.Image2->isVisibleTo(&f));
    QTest::mousePress(f.Image2, Qt::LeftButton, {}, QPoint(50, 200));
    EXPECT_EQ(f.CurrentNote, 59);
    QTest::mouseRelease(f.Image2, Qt::LeftButton, {}, QPoint(50, 200));
}

TEST_F(Form1Test, TypedKeysAreSwallowedAndAskForTheNextNote) {
    Form1& f = Start();
    f.activateWindow();
    f.Command5->setFocus();
    const QString before1 = f.Label1->text();
    for (auto key : {Qt::Key_A, Qt::Key_5, Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        KORVALIN1.NextNoteFlag = 0;
        QTest::keyClick(f.Command5, key);
        EXPECT_EQ(KORVALIN1.NextNoteFlag, 2) << key;
    }
    // Space and Enter never pressed the focused Sharpen button.
    EXPECT_EQ(f.CurrentNote, 73);
    EXPECT_EQ(f.Label1->text(), before1);
    // Keys without a character are consumed and ask for nothing.
    KORVALIN1.NextNoteFlag = 0;
    for (auto key : {Qt::Key_Left, Qt::Key_F2, Qt::Key_F12, Qt::Key_Shift, Qt::Key_Control})
        QTest::keyClick(f.Command5, key);
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
    f.Command1->click();
    EXPECT_EQ(rec->Count(Kind::Close), 1);
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(Form1::Ending());
}

TEST_F(Form1Test, ExitWithSoundOffDoesNotCloseAgain) {
    Form1& f = Start();
    KORVALIN1.SoundOn = 0;
    f.Quit->trigger();
    EXPECT_EQ(rec->Count(Kind::Close), 0);
    EXPECT_EQ(ended, 1);
}

TEST_F(Form1Test, ClosingTheWindowEndsLikeExit) {
    Form1& f = Start();
    f.close();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(rec->Count(Kind::Close), 1);
}

TEST_F(Form1Test, MenuBarHasEveryItemInOrder) {
    Form1& f = Start();
    std::vector<std::pair<QString, QStringList>> expected = {
        {"File", {"Load", "-", "Exit"}},
        {"Print", {"Print Current Note", "Print Current Scale", "Print Altissimo Chart", "Print Fingering Chart"}},
        {"Instrument", {"Soprano", "Alto", "Tenor", "Baritone", "Sound Display"}},
        {"Sounds", {"Midi Control"}},
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
}

} // namespace
