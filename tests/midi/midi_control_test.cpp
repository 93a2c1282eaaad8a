// The MIDI control window: channel, sound on and off, the bars, the Test note, the face, the
// lead-in box and the choice of output, with recording outputs standing in for the devices.
#include "app/end_signals.h"
#include "main_window/picture_box.h"
#include "midi/midi_control.h"
#include "tests/support/gui_test.h"
#include "tests/support/find_control.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <unistd.h>
#include <algorithm>
#include <functional>

using namespace korvalin;
using Kind = RecordingMidiOutput::Kind;

namespace {

uint32_t Msg(int status, int data1, int data2) { return PackMidiMessage(status, data1, data2); }

struct MidiControlTest : OutputChoiceTest {
    void SetUp() override {
        OutputChoiceTest::SetUp();
        QSettings("Korvalin", "Korvalin").clear(); // this run's own settings folder (the test main's)
    }

    // Starts the application's main window and opens this window from its menu.
    MidiControl& Open() {
        Find<QAction>(Window<Form1>(), "MControl")->trigger();
        return Window<MidiControl>();
    }
    void Choose(MidiControl& m, const QString& name) {
        const int index = m.Combo1->findText(name);
        ASSERT_GE(index, 0) << name.toStdString() << " is not listed";
        m.Combo1->setCurrentIndex(index);
        emit m.Combo1->activated(index);
    }

    // A real signal to this process, watched as the application watches for it.
    void Signal(int signal) {
        EndSignals watcher(EndOnSignal);
        ASSERT_TRUE(watcher.Watching());
        ASSERT_EQ(::kill(::getpid(), signal), 0);
        for (int i = 0; i < 500 && ended == 0; ++i) QTest::qWait(10);
    }

};

} // namespace

TEST_F(MidiControlTest, StartUpSwitchesSoundOnThroughTheHiddenWindow) {
    Window<Form1>();
    ASSERT_TRUE(WindowLoaded<MidiControl>());
    MidiControl& m = Window<MidiControl>();
    EXPECT_FALSE(m.isVisible());
    EXPECT_TRUE(m.Option2->isChecked());
    EXPECT_EQ(KORVALIN1.SoundOn, 1);
    EXPECT_EQ(KORVALIN1.MidiReady, True);
    EXPECT_EQ(builtIn->Count(Kind::Open), 1);
    EXPECT_EQ(builtIn->Sent(), std::vector<uint32_t>{Msg(192, 66, 0)});
    for (QRadioButton* o : m.Option1) EXPECT_FALSE(o->isChecked());
    EXPECT_TRUE(Find<QAction>(Window<Form1>(), "MControl")->isEnabled()) << "the menu item is still pending";
}

TEST_F(MidiControlTest, FirstOpeningShowsTheLabelsAndReplacesTheMainWindow) {
    MidiControl& m = Open();
    EXPECT_TRUE(m.isVisible());
    EXPECT_FALSE(Window<Form1>().isVisible());
    EXPECT_EQ(m.Label3->text(), "127");
    EXPECT_EQ(m.Label5->text(), "66");
    EXPECT_EQ(m.HScroll1->value(), 127);
    EXPECT_EQ(m.HScroll2->value(), 67); // the bar and the patch differ until the bar moves
    EXPECT_EQ(KORVALIN1.MidiPatch, 66);
    EXPECT_EQ(m.size(), QSize(377, 333));
    EXPECT_EQ(m.HScroll2->geometry(), QRect(264, 182, 97, 17));
    EXPECT_EQ(m.Option1[15]->geometry(), QRect(136, 208, 97, 17));
    EXPECT_EQ(m.Option1[15]->text(), "Channel 16");
    EXPECT_GE(m.Combo1->y(), 271) << "the output choice must lie below the classic controls";
    EXPECT_GE(m.Check2->y(), m.Combo1->geometry().bottom()) << "and the patch option below that";
    EXPECT_FALSE(m.Check2->isChecked()) << "the patch follows the instrument only when asked to";

    QTest::mouseClick(m.Command1, Qt::LeftButton); // Done
    EXPECT_FALSE(m.isVisible());
    EXPECT_TRUE(Window<Form1>().isVisible());

    Open();
    m.close(); // the frame's close control does the same
    EXPECT_FALSE(m.isVisible());
    EXPECT_TRUE(WindowLoaded<MidiControl>());
    EXPECT_TRUE(Window<Form1>().isVisible());
}

class MidiControlFace : public MidiControlTest, public ::testing::WithParamInterface<bool> {
    void SetUp() override {
        builtInOpens = GetParam();
        MidiControlTest::SetUp();
    }
};

TEST_P(MidiControlFace, FollowsMidiReadyWhenOpenedFromTheMenu) {
    const bool opens = GetParam();
    MidiControl& m = Open();
    EXPECT_EQ(KORVALIN1.MidiReady, opens ? True : 0);
    EXPECT_EQ(m.Image1->isVisible(), opens);  // smiling
    EXPECT_EQ(m.Image2->isVisible(), !opens); // frowning
    EXPECT_EQ(m.Image1->geometry(), m.Image2->geometry());
    if (!opens) {
        EXPECT_TRUE(builtIn->Sent().empty()) << "a failed open sends nothing";
    }
    EXPECT_EQ(KORVALIN1.SoundOn, 1) << "sound stays on even when the output failed";

    // Switching sound off and on while the window is up leaves the face alone.
    m.Option3->click();
    m.Option2->click();
    EXPECT_EQ(m.Image1->isVisible(), opens);
}

INSTANTIATE_TEST_SUITE_P(OutputOpens, MidiControlFace, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Opened" : "Failed"; });

TEST_F(MidiControlTest, ChannelTenSendsTheNextNoteWithStatus153) {
    MidiControl& m = Open();
    builtIn->Clear();
    m.Option1[9]->click();
    EXPECT_EQ(KORVALIN1.MidiChannel, 9);
    EXPECT_TRUE(builtIn->events.empty()) << "choosing a channel sends nothing";
    Window<Form1>().Command5_Click(); // Sharpen: a new note is shown and sounded
    const std::vector<uint32_t> sent = builtIn->Sent();
    ASSERT_FALSE(sent.empty());
    for (uint32_t message : sent) EXPECT_EQ(message & 0xFF, 153u);
    EXPECT_EQ(sent.back() >> 16, 127u); // the Note On with the volume
}

TEST_F(MidiControlTest, ChangingChannelEndsTheLastNoteOnTheOldChannel) {
    Form1& f = Window<Form1>();
    f.Command5_Click(); // strikes C#0 on alto: pitch 52 on channel 1
    ASSERT_EQ(KORVALIN1.LastMidiNote, 52);
    MidiControl& m = Open();
    builtIn->Clear();
    m.Option1[2]->click();
    m.Option1[2]->click(); // the same channel again: nothing more
    EXPECT_EQ(builtIn->Sent(), std::vector<uint32_t>{Msg(144, 52, 0)});
    // With sound off nothing is sounding, so nothing is sent.
    m.Option3->click();
    builtIn->Clear();
    m.Option1[5]->click();
    EXPECT_TRUE(builtIn->Sent().empty());
    EXPECT_EQ(KORVALIN1.MidiChannel, 5);
}

TEST_F(MidiControlTest, OffClosesTestStillSendsAndOnReopensWithTheCurrentPatch) {
    MidiControl& m = Open();
    m.Option1[2]->click();
    m.Option3->click(); // Off
    EXPECT_EQ(KORVALIN1.SoundOn, 0);
    EXPECT_EQ(builtIn->Count(Kind::Close), 1);
    EXPECT_EQ(KORVALIN1.MidiReady, True) << "Off does not change MidiReady";

    builtIn->Clear();
    QTest::mousePress(m.Command2, Qt::LeftButton);
    QTest::mouseRelease(m.Command2, Qt::LeftButton);
    QTest::mousePress(m.Command2, Qt::RightButton); // any button
    QTest::mouseRelease(m.Command2, Qt::RightButton);
    EXPECT_EQ(builtIn->Sent(),
              (std::vector<uint32_t>{Msg(146, 64, 127), Msg(146, 64, 0), Msg(146, 64, 127), Msg(146, 64, 0)}));

    m.HScroll2->triggerAction(QAbstractSlider::SliderSingleStepAdd); // patch 68, while off
    builtIn->Clear();
    m.Option2->click(); // On
    EXPECT_EQ(KORVALIN1.SoundOn, 1);
    EXPECT_EQ(builtIn->Count(Kind::Open), 1);
    EXPECT_EQ(builtIn->Sent(), std::vector<uint32_t>{Msg(194, 68, 0)});

    builtIn->Clear();
    m.Option2->click();    // already on
    m.Option2_Click();     // and the handler itself
    EXPECT_TRUE(builtIn->events.empty()) << "On when already on must not open again";
}

TEST_F(MidiControlTest, BarsSetVolumeAndPatchAndOnlyThePatchSends) {
    MidiControl& m = Open();
    builtIn->Clear();
    for (int i = 0; i < 3; ++i) m.HScroll2->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(builtIn->Sent(), (std::vector<uint32_t>{Msg(192, 68, 0), Msg(192, 69, 0), Msg(192, 70, 0)}));
    EXPECT_EQ(KORVALIN1.MidiPatch, 70);
    EXPECT_EQ(m.Label5->text(), "70");

    builtIn->Clear();
    m.HScroll2->triggerAction(QAbstractSlider::SliderPageStepSub); // the trough moves by 5
    EXPECT_EQ(builtIn->Sent(), std::vector<uint32_t>{Msg(192, 65, 0)});
    m.HScroll2->setValue(500);
    EXPECT_EQ(KORVALIN1.MidiPatch, 127) << "the bar's range bounds the patch";

    builtIn->Clear();
    m.HScroll1->triggerAction(QAbstractSlider::SliderSingleStepSub);
    m.HScroll1->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(KORVALIN1.NoteVelocity, 121);
    EXPECT_EQ(m.Label3->text(), "121");
    EXPECT_TRUE(builtIn->events.empty()) << "the volume sends nothing";
    m.HScroll1->setValue(-20);
    EXPECT_EQ(KORVALIN1.NoteVelocity, 1);

    QTest::mousePress(m.Command2, Qt::LeftButton);
    EXPECT_EQ(builtIn->Sent().back(), Msg(144, 64, 1)) << "the Test note uses the volume";
    QTest::mouseRelease(m.Command2, Qt::LeftButton);
}

TEST_F(MidiControlTest, LeadInIsReadFromTheBoxLoadingTheWindowIfNeeded) {
    EXPECT_FALSE(WindowLoaded<MidiControl>());
    EXPECT_FALSE(Form1::LeadInBox());
    EXPECT_TRUE(WindowLoaded<MidiControl>());
    QTest::mouseClick(Open().Check1, Qt::LeftButton);
    EXPECT_TRUE(Form1::LeadInBox());
    Window<MidiControl>().Check1->setChecked(false);
    EXPECT_FALSE(Form1::LeadInBox());
}

TEST_F(MidiControlTest, SwitchingOutputsClosesOnceAndOpensOnceEachWay) {
    auto port = std::make_shared<RecordingMidiOutput>(true, "Fake Synth:In 128:0 (ALSA)");
    ports = {port};
    MidiControl& m = Open();
    ASSERT_EQ(m.Combo1->count(), 2);
    EXPECT_EQ(m.Combo1->itemText(0), "Built-in synthesizer");
    EXPECT_EQ(m.Combo1->currentIndex(), 0);
    m.Option1[1]->click();
    builtIn->Clear();

    Choose(m, "Fake Synth:In 128:0 (ALSA)");
    EXPECT_EQ(builtIn->Count(Kind::Close), 1);
    EXPECT_EQ(builtIn->Count(Kind::Open), 0);
    EXPECT_EQ(port->Count(Kind::Open), 1);
    EXPECT_EQ(port->Sent(), std::vector<uint32_t>{Msg(193, 66, 0)});
    EXPECT_EQ(CurrentMidiOutput(), port);
    EXPECT_EQ(KORVALIN1.MidiReady, True);
    Window<Form1>().Command3_Click(); // notes now go to the port
    EXPECT_GT(port->Sent().size(), 1u);

    builtIn->Clear();
    port->Clear();
    Choose(m, "Built-in synthesizer");
    EXPECT_EQ(port->Count(Kind::Close), 1);
    EXPECT_EQ(port->Count(Kind::Open), 0);
    EXPECT_EQ(builtIn->Count(Kind::Open), 1);
    EXPECT_EQ(builtIn->Count(Kind::Close), 0);
    EXPECT_EQ(builtIn->Sent(), std::vector<uint32_t>{Msg(193, 66, 0)});
    EXPECT_EQ(CurrentMidiOutput(), builtIn);

    builtIn->Clear();
    Choose(m, "Built-in synthesizer"); // the one in use: nothing happens
    EXPECT_TRUE(builtIn->events.empty());
}

TEST_F(MidiControlTest, APortThatFailsShowsTheFrowningFaceAndTheListIsRenewed) {
    auto gone = std::make_shared<RecordingMidiOutput>(false, "Unplugged:Out 20:0 (ALSA)");
    ports = {gone};
    MidiControl& m = Open();
    ASSERT_TRUE(m.Image1->isVisible());
    Choose(m, "Unplugged:Out 20:0 (ALSA)");
    EXPECT_EQ(KORVALIN1.MidiReady, 0);
    EXPECT_TRUE(gone->Sent().empty());
    EXPECT_TRUE(m.Image2->isVisible());
    EXPECT_FALSE(m.Image1->isVisible());

    // Listed afresh on each showing; the device in use stays listed (and selected) after its port
    // has disappeared.
    ports = {std::make_shared<RecordingMidiOutput>(true, "Plugged In:Port (ALSA)")};
    const int listedBefore = listed;
    QTest::mouseClick(m.Command1, Qt::LeftButton);
    Open();
    EXPECT_EQ(listed, listedBefore + 1);
    ASSERT_EQ(m.Combo1->count(), 3);
    EXPECT_EQ(m.Combo1->itemText(1), "Plugged In:Port (ALSA)");
    EXPECT_EQ(m.Combo1->currentText(), "Unplugged:Out 20:0 (ALSA)");
    Choose(m, "Built-in synthesizer");
    EXPECT_EQ(KORVALIN1.MidiReady, True);
    EXPECT_TRUE(m.Image1->isVisible());
}

// A port whose server went away says so in one line; choosing it again opens it afresh.
TEST_F(MidiControlTest, ALostPortSaysSoAndChoosingItAgainReopensIt) {
    std::vector<std::shared_ptr<RecordingMidiOutput>> made;
    SetPortLister([&made] { return std::vector<OutputChoice>{{"In (JACK)", [&made] { return made.emplace_back(new RecordingMidiOutput); }}}; });
    MidiControl& m = Open();
    Choose(m, "In (JACK)");
    MidiOutputLost(made.at(0).get(), "Gone.");
    EXPECT_EQ(m.Label8->isVisible() ? m.Label8->accessibleName() : "", "Output status: Gone.");
    Choose(m, "In (JACK)");
    EXPECT_EQ(made.size() == 2 ? made[1]->Count(Kind::Open) : 0, 1);
    EXPECT_FALSE(m.Label8->isVisible());
}

TEST_F(MidiControlTest, SwitchingWhileOffOnlyChoosesAndOnOpensTheChosenOutput) {
    auto port = std::make_shared<RecordingMidiOutput>(true, "Other:Port (JACK)");
    ports = {port};
    MidiControl& m = Open();
    m.Option3->click();
    builtIn->Clear();
    Choose(m, "Other:Port (JACK)");
    EXPECT_TRUE(builtIn->events.empty());
    EXPECT_TRUE(port->events.empty());
    EXPECT_EQ(CurrentMidiOutput(), port);
    m.Option2->click();
    EXPECT_EQ(port->Count(Kind::Open), 1);
    EXPECT_EQ(port->Sent(), std::vector<uint32_t>{Msg(192, 66, 0)});
    EXPECT_TRUE(builtIn->events.empty());
}

// Every way an output closes first ends what it sounds there: the last note of the note display,
// a Test note held down from the keyboard, and an All Notes Off on the channel. A note-off sent
// after the close would reach nothing, and an external instrument would keep sounding.
struct CloseCase {
    const char* name;
    std::function<void(MidiControlTest&, MidiControl&)> close;
    bool ends = false; // the application ends
    friend void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }
};

class MidiControlClose : public MidiControlTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(MidiControlClose, EndsEveryNoteOnTheClosingOutputBeforeItCloses) {
    auto port = std::make_shared<RecordingMidiOutput>(true, "Fake Synth:In 128:0 (ALSA)");
    ports = {port};
    MidiControl& m = Open();
    m.Option1[3]->click();            // channel 4
    Window<Form1>().Command5_Click(); // Sharpen: pitch 52 sounds
    ASSERT_EQ(KORVALIN1.LastMidiNote, 52);
    QTest::keyPress(m.Command2, Qt::Key_Space); // Test held down
    ASSERT_EQ(builtIn->Sent().back(), Msg(147, 64, 127));
    builtIn->Clear();

    GetParam().close(*this, m);

    const std::vector<RecordingMidiOutput::Event> expected{{Kind::Send, Msg(147, 52, 0)},
                                                           {Kind::Send, Msg(147, 64, 0)},
                                                           {Kind::Send, Msg(179, 123, 0)},
                                                           {Kind::Close}};
    ASSERT_EQ(builtIn->events.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(builtIn->events[i].kind, expected[i].kind) << i;
        EXPECT_EQ(builtIn->events[i].message, expected[i].message) << i;
    }
    EXPECT_EQ(ended, GetParam().ends ? 1 : 0);
    for (uint32_t message : port->Sent())
        EXPECT_NE(message & 0xF0, 0xB0u) << "the output chosen next is not told to end the old one's notes";
    QTest::keyRelease(m.Command2, Qt::Key_Space);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MidiControlClose,
    ::testing::Values(CloseCase{"Off", [](MidiControlTest&, MidiControl& m) { m.Option3->click(); }},
                      CloseCase{"SwitchingOutputs",
                                [](MidiControlTest& t, MidiControl& m) { t.Choose(m, "Fake Synth:In 128:0 (ALSA)"); }},
                      CloseCase{"ExitButton",
                                [](MidiControlTest&, MidiControl&) {
                                    Window<Form1>().findChild<QPushButton*>("Command1")->click();
                                },
                                true},
                      CloseCase{"FileExit",
                                [](MidiControlTest&, MidiControl&) {
                                    Window<Form1>().findChild<QAction*>("Quit")->trigger();
                                },
                                true},
                      CloseCase{"FrameClose", [](MidiControlTest&, MidiControl&) { Window<Form1>().close(); },
                                true},
                      CloseCase{"Terminated", [](MidiControlTest& t, MidiControl&) { t.Signal(SIGTERM); }, true},
                      CloseCase{"Interrupted", [](MidiControlTest& t, MidiControl&) { t.Signal(SIGINT); }, true}),
    [](const auto& info) { return info.param.name; });

// "Test" sounds on a press of any kind and its release ends it, once each.
struct PressCase {
    const char* name;
    std::function<void(QPushButton*)> press;
    std::function<void(QPushButton*)> release;
    friend void PrintTo(const PressCase& c, std::ostream* os) { *os << c.name; }
};

class MidiControlTestButton : public MidiControlTest, public ::testing::WithParamInterface<PressCase> {};

TEST_P(MidiControlTestButton, APressSoundsTheNoteAndItsReleaseEndsIt) {
    MidiControl& m = Open();
    m.Option1[1]->click();
    builtIn->Clear();
    GetParam().press(m.Command2);
    EXPECT_EQ(builtIn->Sent(), std::vector<uint32_t>{Msg(145, 64, 127)});
    GetParam().release(m.Command2);
    EXPECT_EQ(builtIn->Sent(), (std::vector<uint32_t>{Msg(145, 64, 127), Msg(145, 64, 0)}));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MidiControlTestButton,
    ::testing::Values(
        PressCase{"LeftMouse", [](QPushButton* b) { QTest::mousePress(b, Qt::LeftButton); },
                  [](QPushButton* b) { QTest::mouseRelease(b, Qt::LeftButton); }},
        PressCase{"MiddleMouse", [](QPushButton* b) { QTest::mousePress(b, Qt::MiddleButton); },
                  [](QPushButton* b) { QTest::mouseRelease(b, Qt::MiddleButton); }},
        // A mouse press ends only on the mouse's release, not when the pointer leaves the button.
        PressCase{"LeftMouseDraggedOff",
                  [](QPushButton* b) {
                      QTest::mousePress(b, Qt::LeftButton);
                      QTest::mouseMove(b, QPoint(-40, -40));
                      QTest::mouseMove(b, b->rect().center());
                  },
                  [](QPushButton* b) { QTest::mouseRelease(b, Qt::LeftButton); }},
        PressCase{"SpaceKey", [](QPushButton* b) { QTest::keyPress(b, Qt::Key_Space); },
                  [](QPushButton* b) { QTest::keyRelease(b, Qt::Key_Space); }},
        // The accessibility action presses and, a moment later, releases the button.
        PressCase{"AccessibilityAction",
                  [](QPushButton* b) {
                      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
                      ASSERT_TRUE(a && a->actionInterface());
                      a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
                  },
                  [](QPushButton* b) {
                      for (int i = 0; i < 500 && b->isDown(); ++i) QTest::qWait(10);
                  }}),
    [](const auto& info) { return info.param.name; });
struct FollowCase {
    const char* what;
    bool ticked;
    int userPatch;                     // set on the bar first; 0 leaves start-up's 66
    std::function<void(Form1&)> choose; // an instrument, by option button or menu item
    int patch;                         // MidiPatch afterwards
    bool programChange;                // whether a Program Change for it was sent
    friend void PrintTo(const FollowCase& c, std::ostream* os) { *os << c.what; }
};

class PatchFollowsInstrument : public MidiControlTest, public ::testing::WithParamInterface<FollowCase> {};

TEST_P(PatchFollowsInstrument, MovesOnlyASaxophonePatchAndOnlyWhenTicked) {
    const FollowCase& c = GetParam();
    Form1& f = Window<Form1>();
    MidiControl& m = Window<MidiControl>();
    m.Check2->setChecked(c.ticked);
    if (c.userPatch) m.HScroll2->setValue(c.userPatch);
    builtIn->Clear();
    c.choose(f);
    EXPECT_EQ(KORVALIN1.MidiPatch, c.patch);
    const std::vector<uint32_t> sent = builtIn->Sent();
    const auto change = std::find(sent.begin(), sent.end(), Msg(192, c.patch, 0));
    const auto noteOn = std::find_if(sent.begin(), sent.end(), [](uint32_t x) { return MidiMessage{x}.StartsNote(); });
    ASSERT_NE(noteOn, sent.end()) << "the note is sounded again";
    EXPECT_EQ(change != sent.end(), c.programChange);
    if (c.programChange) {
        EXPECT_LT(change, noteOn) << "the new patch must be in place for the note";
    }
    if (c.ticked && !c.userPatch) {
        EXPECT_EQ(m.HScroll2->value(), c.patch);
        EXPECT_EQ(m.Label5->text(), QString::number(c.patch));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Choices, PatchFollowsInstrument,
    ::testing::Values(FollowCase{"UntickedKeepsTheTenor", false, 0, [](Form1& f) { Find<QRadioButton>(f, "Option1")->click(); }, 66, false},
                      FollowCase{"Soprano", true, 0, [](Form1& f) { Find<QRadioButton>(f, "Option1")->click(); }, 64, true},
                      FollowCase{"AltoIsAlreadyThere", true, 0, [](Form1& f) { f.Alto_Click(); }, 65, false},
                      FollowCase{"TenorFromTheMenu", true, 0, [](Form1& f) { f.Tenor_Click(); }, 66, true},
                      FollowCase{"BaritoneWhereTheBarStands", true, 0, [](Form1& f) { Find<QRadioButton>(f, "Option4")->click(); }, 67, true},
                      FollowCase{"AltoFromAnotherSaxophone", true, 64, [](Form1& f) { f.Alto_Click(); }, 65, true},
                      FollowCase{"AnOboeIsLeftAlone", true, 68, [](Form1& f) { Find<QRadioButton>(f, "Option1")->click(); }, 68, false},
                      FollowCase{"APianoIsLeftAlone", true, 1, [](Form1& f) { f.Baritone_Click(); }, 1, false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(MidiControlTest, TickingFollowsAtOnceAndIsRememberedForTheNextStart) {
    MidiControl& m = Open(); // the alto, patch 66
    builtIn->Clear();
    // Ticked as switch access and voice control tick it: toggled, not clicked.
    QAccessible::queryAccessibleInterface(m.Check2)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    ASSERT_TRUE(m.Check2->isChecked());
    EXPECT_EQ(builtIn->Sent(), std::vector<uint32_t>{Msg(192, 65, 0)});
    EXPECT_EQ(m.Label5->text(), "65");

    // The next start remembers it: the alto's patch goes out as the one Program Change of opening.
    auto startAgain = [this] {
        Restart();
        builtIn->Clear();
        Window<Form1>();
    };
    startAgain();
    EXPECT_TRUE(Window<MidiControl>().Check2->isChecked());
    EXPECT_EQ(builtIn->Sent(), std::vector<uint32_t>{Msg(192, 65, 0)});

    // Unticked, it is forgotten again, and start-up sends the tenor as always.
    Window<MidiControl>().Check2->click();
    startAgain();
    EXPECT_FALSE(Window<MidiControl>().Check2->isChecked());
    EXPECT_EQ(builtIn->Sent(), std::vector<uint32_t>{Msg(192, 66, 0)});
}
