// The Listen window with notes handed to it as an input would hand them: what it shows, what
// reaches the main window (silently), what it remembers, what it leaves out while the application
// itself sounds, and how a failing input is reported.
#include "app/note_table.h"
#include "listen/listen_window.h"
#include "listen/written_note.h"
#include "tests/support/find_control.h"
#include "tests/support/gui_test.h"
#include "listen/listen_meters.h"
#include "scales/form2.h"
#include "scales/scale_catalogue.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

using namespace korvalin;
using Kind = RecordingMidiOutput::Kind;

namespace {

HeardNote Audio(int concert, double cents = 0, double levelDb = -30) { return HeardNote{true, concert, cents, false, 0, levelDb}; }
HeardNote Midi(int concert) { return HeardNote{true, concert, 0, true, 0}; }
HeardNote Nothing() { return HeardNote{}; }

class ListenWindowTest : public GuiTest<> {
protected:
    void SetUp() override {
        // Listing the inputs asks the audio server: never the desktop's own. Under the test run
        // PULSE_SERVER names the private server; run alone, a server that is not there.
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) qputenv("PULSE_SERVER", "unix:/nonexistent/korvalin-no-server");
        QSettings("Korvalin", "Korvalin").clear();
        GuiTest::SetUp();
    }
    void TearDown() override {
        GuiTest::TearDown();
        QSettings("Korvalin", "Korvalin").clear();
    }

    // The main window started, then the Listen window opened from its Sounds menu.
    ListenWindow& Open() {
        Form1& f = Window<Form1>();
        f.show();
        Find<QAction>(f, "ListenItem")->trigger();
        Silence();
        return Window<ListenWindow>();
    }

    // Ends the main window's note and waits out its release, so that the microphone is believed.
    void Silence() {
        Form1& f = Window<Form1>();
        Find<QTimer>(f, "Timer2")->stop();
        f.Timer2_Timer();
        QTest::qWait(ListenWindow::kOwnSoundTailMs + 50);
        midi->Clear();
    }

    static QString Text(ListenWindow& w, const char* label) { return Find<QLabel>(w, label)->text(); }
    // What a screen reader reads for a label.
    static std::string Spoken(ListenWindow& w, const char* label) {
        return QAccessible::queryAccessibleInterface(Find<QLabel>(w, label))->text(QAccessible::Name).toStdString();
    }

    // Hands `note` to the window and waits until the main window shows written note `expected`.
    static bool HeldUntilShown(ListenWindow& w, const HeardNote& note, int expected) {
        w.Heard(note);
        return QTest::qWaitFor([expected] { return Window<Form1>().CurrentNote == expected; }, 5000);
    }

    // A wait well past the hold, for cases where the main window must not change.
    static void PastTheHold() { QTest::qWait(3 * ListenWindow::kHoldMs); }
};

TEST_F(ListenWindowTest, OpensFromTheSoundsMenuBesideTheMainWindow) {
    Form1& f = Window<Form1>();
    f.show();
    QMenu* sounds = Find<QMenu>(f, "Sounds");
    const QList<QAction*> items = sounds->actions();
    const auto at = std::find(items.begin(), items.end(), Find<QAction>(f, "MControl"));
    ASSERT_NE(at, items.end());
    ASSERT_NE(at + 1, items.end());
    EXPECT_EQ((*(at + 1))->objectName(), "ListenItem");
    EXPECT_EQ((*(at + 1))->text(), "Listen");

    (*(at + 1))->trigger();
    ListenWindow& w = Window<ListenWindow>();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), "Listen");
    EXPECT_TRUE(f.isVisible()) << "the Listen window stays beside the main window";
    EXPECT_FALSE(w.Listening()) << "nothing was chosen before";
    EXPECT_EQ(Find<QComboBox>(w, "inputChooser")->currentText(), "Not listening");
    EXPECT_TRUE(Find<QCheckBox>(w, "showOnMainBox")->isChecked());
    EXPECT_EQ(Find<QSpinBox>(w, "referenceBox")->value(), 440);
    EXPECT_EQ(Find<QSpinBox>(w, "referenceBox")->minimum(), 415);
    EXPECT_EQ(Find<QSpinBox>(w, "referenceBox")->maximum(), 466);
    QWidget* practice = Find<QWidget>(w, "practiceArea");
    EXPECT_NE(practice->findChild<QCheckBox*>("waitForMe"), nullptr) << "Wait for me sits at the bottom";
    // Without any input (the test's server may offer none) one line says so.
    QLabel* status = Find<QLabel>(w, "statusLine");
    const bool none = Find<QComboBox>(w, "inputChooser")->count() == 1;
    EXPECT_EQ(status->isVisible(), none);
    if (none) {
        EXPECT_EQ(status->text(), "No audio or MIDI input was found; connect one, then open the list again.");
    }
}

// What a heard note shows, on each instrument, and whether it reaches the main window.
struct NoteCase {
    const char* what;
    const char* instrument; // the main window's option
    HeardNote note;
    const char* written;    // the big name
    const char* sounds;     // the line under it
    const char* cents;
    int mainNote;           // what the main window shows after the hold; 0: it keeps its note
};

void PrintTo(const NoteCase& c, std::ostream* os) { *os << c.what; }

class HeardNoteShown : public ListenWindowTest, public ::testing::WithParamInterface<NoteCase> {};

TEST_P(HeardNoteShown, NamesItAndShowsItSilentlyOnTheMainWindow) {
    const NoteCase& c = GetParam();
    ListenWindow& w = Open();
    Form1& f = Window<Form1>();
    Find<QRadioButton>(f, c.instrument)->click();
    const int before = f.CurrentNote;
    Silence();
    QSignalSpy spy(&w, &ListenWindow::heard);

    w.Heard(c.note);
    EXPECT_EQ(Text(w, "writtenNote").toStdString(), c.written);
    EXPECT_EQ(Text(w, "concertNote").toStdString(), c.sounds);
    EXPECT_EQ(Text(w, "centsLabel").toStdString(), c.cents);
    // Read out as the name, then the value (the dash of no note is not read).
    EXPECT_EQ(Spoken(w, "writtenNote"), c.written == std::string("-") ? "Note heard" : "Note heard: " + std::string(c.written));
    EXPECT_EQ(Spoken(w, "concertNote"), "Sounding note: " + std::string(c.sounds).substr(7));
    EXPECT_EQ(Spoken(w, "centsLabel"), "Cents off: " + std::string(c.cents));
    ASSERT_EQ(spy.count(), 1);
    const HeardNote passed = spy.at(0).at(0).value<HeardNote>();
    EXPECT_EQ(passed.concertMidi, c.note.concertMidi);
    EXPECT_EQ(passed.fromMidi, c.note.fromMidi);

    if (c.mainNote) {
        EXPECT_TRUE(HeldUntilShown(w, c.note, c.mainNote)) << "the main window shows " << f.CurrentNote;
        EXPECT_EQ(Find<QLabel>(f, "Label1")->text().simplified().toStdString(), c.written);
    } else {
        w.Heard(c.note);
        PastTheHold();
        EXPECT_EQ(f.CurrentNote, before) << "a pitch off the keyboard changes only the Listen window";
    }
    EXPECT_TRUE(midi->Sent().empty()) << "listening never sounds a note";
}

INSTANTIATE_TEST_SUITE_P(
    Notes, HeardNoteShown,
    ::testing::Values(
        // Concert E on the alto is written C#0 and sounds E-1 (the names' octaves begin at A).
        NoteCase{"AltoCSharp", "Option2", Audio(52, 7.4), "C#0 (Db)", "sounds E-1", "+7 cents, in tune", 74},
        NoteCase{"AltoC", "Option2", Audio(51, -23.6), "C0", "sounds Eb-1", "-24 cents", 73},
        NoteCase{"SopranoC", "Option1", Audio(58, 10.0), "C0", "sounds Bb0", "+10 cents, in tune", 73},
        NoteCase{"TenorC", "Option3", Audio(46, -9.6), "C0", "sounds Bb-1", "-10 cents, in tune", 73},
        NoteCase{"BaritoneC", "Option4", Audio(39, 0.2), "C0", "sounds Eb-2", "0 cents, in tune", 73},
        NoteCase{"AltoLowBFlat", "Option2", Audio(49, 0), "Bb0 (A#)", "sounds Db-1", "0 cents, in tune", 71},
        // Black keys outside a scale: Bb, Eb, Ab, C#, F#.
        NoteCase{"AltoAFlat", "Option2", Audio(59, 3), "Ab0 (G#)", "sounds B0", "+3 cents, in tune", 85},
        NoteCase{"AltoFSharpFromMidi", "Option2", Midi(57), "F#0 (Gb)", "sounds A0", "0 cents, in tune", 81},
        // The baritone's altissimo A, the highest note any chart fingers: the main window marks it
        // on the keyboard's top octave.
        NoteCase{"BaritoneAltissimo", "Option4", Audio(84, 0), "A4", "sounds C2", "0 cents, in tune", 137},
        // A keyboard's low note on a MIDI input, written below the keyboard picture: named here,
        // the main window keeps its note.
        NoteCase{"AltoBelowTheKeyboardFromMidi", "Option2", Midi(20), "F-3", "sounds Ab-4", "0 cents, in tune", 0},
        // Concert G7 from a keyboard is above the written table on the baritone: only the sounding
        // note is named.
        NoteCase{"BaritoneOffTheTableFromMidi", "Option4", Midi(103), "-", "sounds G3", "0 cents, in tune", 0}),
    [](const auto& info) { return std::string(info.param.what); });

// The microphone names only what the chosen saxophone plays, from its low Bb (the baritone's low
// A) to the altissimo A; a hum below or a whistle above is no note. A keyboard is not held to it.
TEST_F(ListenWindowTest, OnlyNotesTheChosenSaxophonePlaysAreNamed) {
    ListenWindow& w = Open();
    Form1& f = Window<Form1>();
    struct Range {
        const char* option;
        int lowest, highest; // concert
    };
    for (const Range& r : {Range{"Option1", 56, 103}, Range{"Option2", 49, 96}, Range{"Option3", 44, 91},
                           Range{"Option4", 36, 84}}) {
        SCOPED_TRACE(r.option);
        Find<QRadioButton>(f, r.option)->click();
        for (const int concert : {r.lowest - 1, r.highest + 1}) {
            w.Heard(Audio(concert));
            EXPECT_EQ(Text(w, "writtenNote"), "-") << concert;
        }
        for (const int concert : {r.lowest, r.highest}) {
            w.Heard(Audio(concert));
            EXPECT_NE(Text(w, "writtenNote"), "-") << concert;
        }
        w.Heard(Midi(r.highest + 1));
        EXPECT_NE(Text(w, "concertNote"), "");
    }
}

TEST_F(ListenWindowTest, OnlyANoteHeldSteadyReachesTheMainWindowAndOnlyWhenAsked) {
    ListenWindow& w = Open();
    Form1& f = Window<Form1>();
    const int start = f.CurrentNote;

    // A note that ends, or changes, before the hold is over never reaches the main window.
    w.Heard(Audio(55));
    w.Heard(Nothing());
    PastTheHold();
    EXPECT_EQ(f.CurrentNote, start);
    EXPECT_EQ(Text(w, "writtenNote"), "-");
    EXPECT_FALSE(Find<TuningMeter>(w, "tuningMeter")->NeedleShown());

    // Held: shown, and its tuning moving within the note does not show it again.
    ASSERT_TRUE(HeldUntilShown(w, Audio(55), NoteNumberForPitch(64)));
    f.DisplayNote(73);
    w.Heard(Audio(55, 12));
    PastTheHold();
    EXPECT_EQ(f.CurrentNote, 73) << "the held note is shown once, not again while it goes on";

    // A new note is shown once it holds.
    EXPECT_TRUE(HeldUntilShown(w, Audio(56, -3), NoteNumberForPitch(65)));

    // Held through a scale run: the run shows its own notes, and the held one once it ends.
    KORVALIN1.ScalePatterns[kUserPatternEntry] = "073076";
    KORVALIN1.ScaleType = 0;
    KORVALIN1.ScaleKey = kUserPatternKey;
    KORVALIN1.NoteDelay = 3;
    f.Command4_Click();
    Window<Form2>().Form_DblClick();
    QTimer::singleShot(50, &w, [&w] { w.Heard(Midi(57)); });
    f.Command8_Click();
    EXPECT_TRUE(HeldUntilShown(w, Midi(57), 81));
    Silence();

    // Unticked, the main window is left alone; the choice is remembered.
    Find<QCheckBox>(w, "showOnMainBox")->setChecked(false);
    w.Heard(Nothing());
    w.Heard(Audio(60));
    PastTheHold();
    EXPECT_EQ(f.CurrentNote, 81);
    EXPECT_EQ(Text(w, "writtenNote"), "A1");
    EXPECT_TRUE(midi->Sent().empty()) << "listening never sounds a note";
}

// The needle eases toward a new tuning and the number is the needle's; on screen the meter is
// redrawn only where the needle was and is, and that must leave no needle behind.
TEST_F(ListenWindowTest, TheNeedleEasesTheNumberFollowsItAndNoOldNeedleStaysOnScreen) {
    ListenWindow& w = Open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto* meter = Find<TuningMeter>(w, "tuningMeter");
    auto numberIsTheNeedles = [&] {
        const long shown = std::lround(meter->NeedleCents());
        return Text(w, "centsLabel").startsWith(QStringLiteral("%1%2 cents").arg(shown > 0 ? "+" : "").arg(shown));
    };

    w.Heard(Audio(52, -30));
    EXPECT_DOUBLE_EQ(meter->NeedleCents(), -30) << "a new note's first reading is shown at once";
    EXPECT_EQ(Text(w, "centsLabel"), "-30 cents");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(meter)->text(QAccessible::Value), "-30 cents") << "as a screen reader reads the meter";
    w.Heard(Audio(52, 30));
    EXPECT_GE(meter->NeedleCents(), -30);
    EXPECT_LT(meter->NeedleCents(), 29) << "the needle jumped instead of easing";
    EXPECT_TRUE(numberIsTheNeedles()) << Text(w, "centsLabel").toStdString();
    QTest::qWait(1000);
    w.Heard(Audio(52, 30));
    EXPECT_NEAR(meter->NeedleCents(), 30, 1);
    EXPECT_TRUE(numberIsTheNeedles()) << Text(w, "centsLabel").toStdString();

    // What the window shows against the meter drawn whole, after the needle has crossed the scale
    // and after it has gone with the note.
    for (const HeardNote& note : {Audio(52, -45), Nothing()}) {
        w.Heard(note);
        QTest::qWait(100);
        const QRect where(meter->mapTo(&w, QPoint(0, 0)), meter->size());
        const QImage screen = w.screen()->grabWindow(w.winId(), where.x(), where.y(), where.width(), where.height())
                                  .toImage().convertToFormat(QImage::Format_RGB32);
        const QImage whole = meter->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(screen.size(), whole.size());
        EXPECT_TRUE(screen == whole) << "the meter on screen differs from the meter drawn whole (needle "
                                     << (note.hasNote ? "at -45" : "gone") << ")";
    }
}

TEST_F(ListenWindowTest, BlackKeysAreSpelledAsTheCurrentScaleSpellsThem) {
    ListenWindow& w = Open();
    Form1& f = Window<Form1>();
    // A pattern of sharp keys (E major's written notes) made the current scale: concert B on the
    // alto is written G# there, Ab outside any scale.
    std::string pattern;
    for (int midi : {64, 66, 68, 69, 71, 73, 75, 76}) {
        char field[4];
        std::snprintf(field, sizeof field, "%3d", NoteNumberForPitch(midi, BlackKeySpelling::ForKeySignature(4)));
        pattern += field;
    }
    KORVALIN1.ScalePatterns[kUserPatternEntry] = pattern;
    KORVALIN1.ScaleType = kUserPatternEntry;
    KORVALIN1.ScaleKey = 0;
    f.SetScaleMode(true);
    EXPECT_TRUE(HeldUntilShown(w, Audio(59), NoteNumberForPitch(68, BlackKeySpelling::ForKeySignature(4))));
    EXPECT_EQ(Text(w, "writtenNote"), "G#0 (Ab)");

    f.SetScaleMode(false);
    w.Heard(Nothing());
    EXPECT_TRUE(HeldUntilShown(w, Audio(59), NoteNumberForPitch(68)));
    EXPECT_EQ(Text(w, "writtenNote"), "Ab0 (G#)");
}

TEST_F(ListenWindowTest, WhatTheMicrophoneHearsOfTheApplicationsOwnNoteIsLeftOut) {
    ListenWindow& w = Open();
    Form1& f = Window<Form1>();
    QSignalSpy spy(&w, &ListenWindow::heard);

    f.ShowNote(76); // sounds: its Note On is held until Timer2 ends it
    ASSERT_FALSE(midi->Sent().empty());
    const int ours = MidiMessage{midi->Sent().back()}.Data1();
    w.Heard(Audio(ours));
    EXPECT_EQ(Text(w, "writtenNote"), "-");
    ASSERT_EQ(spy.count(), 1);
    EXPECT_FALSE(spy.at(0).at(0).value<HeardNote>().hasNote);
    PastTheHold();
    EXPECT_EQ(f.CurrentNote, 76);
    // Its octave is ours too; another note is the player's, heard at once.
    w.Heard(Audio(ours - 12));
    EXPECT_EQ(Text(w, "writtenNote"), "-");
    w.Heard(Audio(ours + 2));
    EXPECT_NE(Text(w, "writtenNote"), "-");
    // Past its first moments our note heard as loud as then is still ours; the player in unison
    // with it, louder, is heard.
    QTest::qWait(int(OwnSoundGuard::kLearnMs) + 50);
    w.Heard(Audio(ours, 0, -30 + OwnSoundGuard::kMarginDb / 2));
    EXPECT_EQ(Text(w, "writtenNote"), "-");
    w.Heard(Audio(ours, 0, -20));
    EXPECT_NE(Text(w, "writtenNote"), "-");

    // A MIDI input is not the microphone: it is heard at once.
    w.Heard(Midi(55));
    EXPECT_EQ(Text(w, "writtenNote"), "E0 (Fb)");

    // The note ended, its release tail too: the microphone is believed again.
    Find<QTimer>(f, "Timer2")->stop();
    f.Timer2_Timer();
    w.Heard(Audio(ours));
    EXPECT_EQ(Text(w, "writtenNote"), "-") << "still the release tail";
    QTest::qWait(ListenWindow::kOwnSoundTailMs + 100);
    w.Heard(Audio(ours));
    EXPECT_NE(Text(w, "writtenNote"), "-");
    EXPECT_TRUE(spy.last().at(0).value<HeardNote>().hasNote);
}

TEST_F(ListenWindowTest, EverySettingIsRememberedForTheNextRun) {
    {
        ListenWindow& w = Open();
        Find<QSpinBox>(w, "referenceBox")->setValue(430);
        // Unticked as switch access and voice control do it.
        QAccessible::queryAccessibleInterface(Find<QCheckBox>(w, "showOnMainBox"))->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        w.move(40, 50);
        w.close();
    }
    Restart();
    {
        ListenWindow& w = Open();
        EXPECT_EQ(Find<QSpinBox>(w, "referenceBox")->value(), 430);
        EXPECT_FALSE(Find<QCheckBox>(w, "showOnMainBox")->isChecked());
        EXPECT_EQ(w.pos(), QPoint(40, 50));
    }
    // Out of range in the settings file: taken to the range.
    QSettings("Korvalin", "Korvalin").setValue("listen/referenceA", 900);
    Restart();
    EXPECT_EQ(Find<QSpinBox>(Open(), "referenceBox")->value(), 466);
}

TEST_F(ListenWindowTest, AFailingInputSaysSoInOneLineAndNothingElseChanges) {
    // The input chosen in an earlier run is not there.
    QSettings("Korvalin", "Korvalin").setValue("listen/input", "audio:korvalin-no-such-input");
    QSettings("Korvalin", "Korvalin").setValue("listen/inputCaption", "Bell microphone");
    ListenWindow& w = Open();
    Form1& f = Window<Form1>();
    QLabel* status = Find<QLabel>(w, "statusLine");
    EXPECT_TRUE(status->isVisible());
    EXPECT_EQ(status->text(), "The input \"Bell microphone\" is not there now; choose another.");
    EXPECT_EQ(Spoken(w, "statusLine"), "Listening status: " + status->text().toStdString());
    EXPECT_FALSE(w.Listening());
    EXPECT_EQ(Find<QComboBox>(w, "inputChooser")->currentText(), "Not listening");
    EXPECT_TRUE(Find<QComboBox>(w, "inputChooser")->isEnabled());

    // An input stopping while heard: its note goes, the line says why, the main window keeps its
    // note and its sound, the chooser is offered again.
    w.Heard(Midi(57));
    const int shown = f.CurrentNote;
    w.InputFailed("The MIDI input \"Wind controller\" went away.\nsecond line");
    EXPECT_EQ(status->text(), "The MIDI input \"Wind controller\" went away.");
    EXPECT_EQ(Text(w, "writtenNote"), "-");
    PastTheHold();
    EXPECT_EQ(f.CurrentNote, shown);
    EXPECT_TRUE(midi->Sent().empty());
    EXPECT_TRUE(f.isVisible());

    // Choosing "Not listening" clears the line.
    EXPECT_TRUE(w.ChooseInput("Not listening"));
    EXPECT_FALSE(status->isVisible());
    EXPECT_FALSE(w.ChooseInput("Bell microphone"));

    // Closing the window stops listening; the main window goes on.
    w.close();
    EXPECT_FALSE(w.Listening());
    f.Command5_Click();
    EXPECT_FALSE(midi->Sent().empty());
}

} // namespace
