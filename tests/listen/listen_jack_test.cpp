// A wind controller played into the Listen window through the private JACK server: a test keyboard
// on the server is chosen as the input, the main window follows the notes it plays, and a scale
// run with "Wait for me" advances as each note is played and stays silent meanwhile.
#include "app/korvalin1.h"
#include "listen/listen_window.h"
#include "listen/practice.h"
#include "listen/written_note.h"
#include "listen/wait_for_me_panel.h"
#include "scales/form2.h"
#include "scales/playback.h"
#include "scales/scale_catalogue.h"
#include "tests/support/find_control.h"
#include "tests/support/gui_test.h"
#include "tests/support/jack_sender.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace korvalin;

namespace {

class ListenThroughJack : public GuiTest<> {
protected:
    void SetUp() override {
        ASSERT_TRUE(OnPrivateJackServer()) << kNoPrivateJack;
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) qputenv("PULSE_SERVER", "unix:/nonexistent/korvalin-no-server");
        QSettings("Korvalin", "Korvalin").clear();
        GuiTest::SetUp();
        ASSERT_TRUE(keyboard.ok()) << keyboard.error();
    }
    void TearDown() override {
        LeadInQuestion() = nullptr;
        GuiTest::TearDown();
        QSettings("Korvalin", "Korvalin").clear();
    }

    // The main window on the alto, then the Listen window listening to the test keyboard.
    ListenWindow& ListenToKeyboard() {
        Form1& f = Window<Form1>();
        f.show();
        Find<QRadioButton>(f, "Option2")->click();
        Find<QAction>(f, "ListenItem")->trigger();
        ListenWindow& w = Window<ListenWindow>();
        const QString caption = QStringLiteral("MIDI (JACK): ") + QString::fromStdString(keyboard.PortName());
        w.ListInputs();
        EXPECT_TRUE(w.ChooseInput(caption)) << "the keyboard is not among the inputs";
        EXPECT_TRUE(w.Listening());
        midi->Clear();
        return w;
    }

    JackSender keyboard{"Korvalin test wind controller"};
};

// A Note On with velocity above 0 sounds at its velocity-0 or Note Off; nothing else counts.
bool IsNoteOn(uint32_t message) { return MidiMessage{message}.StartsNote(); }

TEST_F(ListenThroughJack, TheMainWindowFollowsThePlayedNotesSilently) {
    ListenToKeyboard();
    Form1& f = Window<Form1>();
    // Concert Eb4, E3 (the alto's written C#0) and Bb3, each held, then released.
    for (const int concert : {63, 52, 58}) {
        const int written = WrittenNoteFor(concert, f.Transposition);
        ASSERT_NE(written, 0);
        ASSERT_TRUE(keyboard.NoteOn(0, concert, 90));
        ASSERT_TRUE(keyboard.WaitUntilSent());
        EXPECT_TRUE(QTest::qWaitFor([&] { return f.CurrentNote == written; }, 10000)) << concert << " shows " << f.CurrentNote;
        ASSERT_TRUE(keyboard.NoteOff(0, concert));
    }
    ASSERT_TRUE(keyboard.WaitUntilSent());
    QTest::qWait(2 * ListenWindow::kHoldMs);
    for (const uint32_t m : midi->Sent()) EXPECT_FALSE(IsNoteOn(m)) << "listening never sounds a note";
}

TEST_F(ListenThroughJack, WaitForMeAdvancesOnThePlayedNotes) {
    ListenWindow& w = ListenToKeyboard();
    Form1& f = Window<Form1>();
    Find<QCheckBox>(w, "waitForMe")->setChecked(true);
    // A scale of three notes, chosen as a user pattern, without the lead-in.
    KORVALIN1.ScalePatterns[kUserPatternEntry] = "073076079";
    KORVALIN1.ScaleType = 0;
    KORVALIN1.ScaleKey = kUserPatternKey;
    f.Command4_Click();
    Window<Form2>().Form_DblClick();
    LeadInQuestion() = [] { return false; };
    midi->Clear();

    // The player: a moment after each step shows its note, plays that note and holds it. Nothing
    // else happens while it is held: the step must end by itself once the hold is complete.
    std::vector<int> steps;
    struct Player : PlaybackPacer {
        std::function<void(int)> play;
        void StepBegins(std::int16_t note, int, bool, StepPace&) override { play(note); }
    } player;
    player.play = [&](int note) {
        QTimer::singleShot(30, &f, [&, note] {
            if (!steps.empty()) keyboard.NoteOff(0, ConcertPitchOf(steps.back(), f.Transposition));
            steps.push_back(note);
            keyboard.NoteOn(0, ConcertPitchOf(note, f.Transposition), 90);
        });
    };
    AddPlaybackPacer(&player);
    // However it goes, the run ends: "Stop" after a generous while.
    QTimer::singleShot(20000, &f, [&f] { Find<QPushButton>(f, "Command7")->click(); });
    Find<QPushButton>(f, "Command8")->click();
    RemovePlaybackPacer(&player);

    EXPECT_EQ(steps, (std::vector<int>{73, 76, 79}));
    const std::vector<PracticeStep> results = Find<WaitForMePanel>(w, "waitForMePanel")->Results();
    ASSERT_EQ(results.size(), 3u);
    for (const PracticeStep& s : results) {
        EXPECT_TRUE(s.reached) << s.note;
        EXPECT_EQ(s.averageCents.value_or(99), 0.0) << "a MIDI note is exactly in tune";
    }
    for (const uint32_t m : midi->Sent()) EXPECT_FALSE(IsNoteOn(m)) << "the steps that wait are silent";
}

} // namespace
