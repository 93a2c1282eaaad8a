// The "Metronome and Drone" window on a recording output, with the main window and the fixture's
// driven step clock: its controls and what it remembers, tap tempo, scale runs paced by the tempo
// with the clicks on their steps, and every way of stopping that must leave nothing sounding.
#include "metronome/metronome_window.h"

#include "app/korvalin1.h"
#include "midi/midi_control.h"
#include "scales/form2.h"
#include "scales/scale_catalogue.h"
#include "tests/scales/scale_fixture.h"
#include "tests/support/find_control.h"

#include <QAbstractSlider>
#include <QAccessible>
#include <QLabel>
#include <QScreen>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>

#include <map>
#include <set>
#include <string>

namespace korvalin {
namespace {

// A Note On the output received, with the step clock then.
struct Heard {
    int channel, key, velocity;
    qint64 ms;
};

struct MetronomeFixture : ScaleFixture {
    void SetUp() override {
        ScaleFixture::SetUp();
        QSettings("Korvalin", "Korvalin").clear(); // this run's own settings folder (the test main's)
    }
    MetronomeWindow& Open() {
        Find<QAction>(Main(), "MetronomeItem")->trigger();
        return Window<MetronomeWindow>();
    }
    // Every Note On with a velocity, in order, with the clock the watcher noted for it (the
    // watcher's list may have been cleared since start-up: it holds the latest ones).
    std::vector<Heard> NotesOn() const {
        std::vector<Heard> heard;
        for (const auto& e : midi->events)
            if (e.kind == RecordingMidiOutput::Kind::Send && e.Message().StartsNote())
                heard.push_back({e.Status() & 0x0F, e.Data1(), e.Data2(), -1});
        const size_t unstamped = heard.size() - std::min(heard.size(), midi->struck.size());
        for (size_t i = unstamped; i < heard.size(); ++i) heard[i].ms = midi->struck[i - unstamped].ms;
        return heard;
    }
    std::vector<Heard> Clicks() const {
        std::vector<Heard> clicks;
        for (const Heard& h : NotesOn())
            if (h.channel == kPercussionChannel) clicks.push_back(h);
        return clicks;
    }
    // The notes the message stream leaves sounding on each channel.
    std::set<std::pair<int, int>> LeftSounding() const {
        std::set<std::pair<int, int>> held;
        for (const auto& e : midi->events) {
            if (e.kind != RecordingMidiOutput::Kind::Send) continue;
            const int channel = e.Status() & 0x0F;
            if (e.Message().StartsNote()) held.insert({channel, e.Data1()});
            else if (e.Message().EndsNote()) held.erase({channel, e.Data1()});
            else if (e.Message().Kind() == kControlChangeStatus && e.Data1() == kAllNotesOffController)
                std::erase_if(held, [channel](const auto& h) { return h.first == channel; });
        }
        return held;
    }
    // Lets the driven clock run until `ms`, from the event loop.
    void RunUntil(qint64 ms) {
        bool done = false;
        clock.At(ms, [&done] { done = true; });
        while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
};

using MetronomeControls = MetronomeFixture;

TEST_F(MetronomeControls, EveryControlIsNamedAndTheTempoControlsAgree) {
    MetronomeWindow& w = Open();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(Main().isVisible()) << "the window opens beside the main window, not in its place";
    EXPECT_EQ(w.windowTitle(), "Metronome and Drone");
    for (const char* name : {"tempoGroup", "tempoBox", "tempoSlider", "tapButton", "followTempoBox", "clickGroup", "clickOnBox", "beatsBox",
                             "clickVolumeSlider", "droneGroup", "droneOnBox", "droneVolumeSlider", "droneNoteList", "droneSoundsLabel", "startButton", "stopButton", "statusLine"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(Find<QWidget>(w, name)->accessibleName().isEmpty());
    }
    // The spin box and the slider move together, within 30 to 240.
    for (auto [typed, value, shown] : {std::tuple{true, 150, 150}, {false, 60, 60}, {true, 999, 240}, {false, 1, 30}}) {
        if (typed) Find<QSpinBox>(w, "tempoBox")->setValue(value);
        else Find<QSlider>(w, "tempoSlider")->setValue(value);
        EXPECT_EQ(Find<QSpinBox>(w, "tempoBox")->value(), shown);
        EXPECT_EQ(Find<QSlider>(w, "tempoSlider")->value(), shown);
        EXPECT_EQ(w.Tempo(), shown);
    }
    // Beats per bar 1 to 8.
    Find<QSpinBox>(w, "beatsBox")->setValue(0);
    EXPECT_EQ(Find<QSpinBox>(w, "beatsBox")->value(), 1);
    Find<QSpinBox>(w, "beatsBox")->setValue(12);
    EXPECT_EQ(Find<QSpinBox>(w, "beatsBox")->value(), 8);
    // Beside the main window, on the screen.
    EXPECT_TRUE(w.screen()->availableGeometry().contains(w.frameGeometry().topLeft()));
    EXPECT_FALSE(w.frameGeometry().intersects(Main().frameGeometry()) && w.screen()->availableGeometry().width() > 2 * w.width() + Main().width());
    // A metronome that cannot start says why, and a screen reader reads it.
    Window<MidiControl>().Option3->setChecked(true); // sound off
    Find<QPushButton>(w, "startButton")->click();
    EXPECT_FALSE(w.Player().Running());
    EXPECT_TRUE(Find<QLabel>(w, "statusLine")->isVisibleTo(&w));
    EXPECT_TRUE(Find<QLabel>(w, "statusLine")->text().startsWith("The metronome cannot start: sound is off"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(Find<QLabel>(w, "statusLine"))->text(QAccessible::Name), "Metronome status: " + Find<QLabel>(w, "statusLine")->text());
}

TEST_F(MetronomeControls, EverythingIsRememberedAndOddStoredValuesAreTamed) {
    struct Case {
        const char* name;
        std::map<QString, QVariant> stored;
        int tempo, beats, droneNoteIndex;
        bool follow, click, drone;
    };
    const std::vector<Case> cases = {
        {"defaults", {}, 90, 4, 0, false, true, false},
        {"set", {{"metronome/tempo", 132}, {"metronome/beatsPerBar", 3}, {"metronome/droneNote", 3},
                 {"metronome/scalesFollowTempo", true}, {"metronome/click", false}, {"metronome/drone", true}},
         132, 3, 3, true, false, true},
        {"out of range", {{"metronome/tempo", 1000}, {"metronome/beatsPerBar", -2}, {"metronome/droneNote", 40}},
         240, 1, 0, false, true, false},
        {"not numbers", {{"metronome/tempo", "fast"}, {"metronome/beatsPerBar", "x"}}, 90, 4, 0, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        QSettings s("Korvalin", "Korvalin");
        s.clear();
        for (const auto& [key, value] : c.stored) s.setValue(key, value);
        s.sync();
        MetronomeWindow& w = Window<MetronomeWindow>();
        EXPECT_EQ(w.Tempo(), c.tempo);
        EXPECT_EQ(Find<QSlider>(w, "tempoSlider")->value(), c.tempo);
        EXPECT_EQ(Find<QSpinBox>(w, "beatsBox")->value(), c.beats);
        EXPECT_EQ(Find<QComboBox>(w, "droneNoteList")->currentIndex(), c.droneNoteIndex);
        EXPECT_EQ(w.FollowTempo(), c.follow);
        EXPECT_EQ(Find<QCheckBox>(w, "clickOnBox")->isChecked(), c.click);
        EXPECT_EQ(Find<QCheckBox>(w, "droneOnBox")->isChecked(), c.drone);
    }
    // What the user sets is there in the next run.
    Restart();
    {
        MetronomeWindow& w = Open();
        w.move(31, 42);
        w.close();
        Find<QSpinBox>(w, "tempoBox")->setValue(77);
        Find<QCheckBox>(w, "followTempoBox")->setChecked(true);
        Find<QSpinBox>(w, "beatsBox")->setValue(6);
        Find<QSlider>(w, "clickVolumeSlider")->setValue(55);
        Find<QCheckBox>(w, "droneOnBox")->setChecked(true);
        Find<QSlider>(w, "droneVolumeSlider")->setValue(22);
        Find<QComboBox>(w, "droneNoteList")->setCurrentIndex(5);
    }
    Restart();
    MetronomeWindow& w = Open();
    EXPECT_EQ(w.pos(), QPoint(31, 42)) << "where it stood last";
    EXPECT_EQ(w.Tempo(), 77);
    EXPECT_TRUE(w.FollowTempo());
    EXPECT_EQ(w.Metronome().beatsPerBar, 6);
    EXPECT_EQ(w.Metronome().clickVolume, 55);
    EXPECT_TRUE(w.Drone().on);
    EXPECT_EQ(w.Drone().volume, 22);
    EXPECT_EQ(w.Drone().note, DroneListNote(4));
}

TEST_F(MetronomeControls, TheDroneFollowsTheScaleAndTheInstrument) {
    Form1& f = Main();
    MetronomeWindow& w = Open();
    // C major's written tonic on each saxophone sounds a major second (soprano, tenor) or a major
    // sixth (alto, baritone) lower: Bb, Eb, Bb, Eb, placed low.
    KORVALIN1.ScaleType = 0;
    KORVALIN1.ScaleKey = 0;
    // Its name numbers octaves as the main window does, and a screen reader reads it.
    struct Case {
        void (Form1::*choose)();
        int pitchClass;
        const char* sounds;
    };
    for (const Case& c : {Case{&Form1::Soprano_Click, 10, "Bb-1"}, {&Form1::Alto_Click, 3, "Eb-1"},
                          {&Form1::Tenor_Click, 10, "Bb-1"}, {&Form1::Baritone_Click, 3, "Eb-1"}}) {
        (f.*c.choose)();
        EXPECT_EQ(Find<QLabel>(w, "droneSoundsLabel")->text(), QStringLiteral("sounds ") + c.sounds);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(Find<QLabel>(w, "droneSoundsLabel"))->text(QAccessible::Name),
                  QStringLiteral("Drone sounds: ") + c.sounds);
        const int note = w.DroneNote();
        EXPECT_EQ(note % 12, c.pitchClass);
        EXPECT_GE(note, kLowestDroneNote);
        EXPECT_LE(note, kHighestDroneNote);
    }
    // A running drone on the tonic moves with the instrument, the old note ended.
    Find<QCheckBox>(w, "droneOnBox")->setChecked(true);
    Find<QPushButton>(w, "startButton")->click();
    const int before = w.DroneNote();
    f.Tenor_Click(); // from the baritone's Eb to Bb, at the next beat
    RunUntil(clock.now + 1400);
    ASSERT_NE(w.DroneNote(), before);
    EXPECT_EQ(w.Player().Schedule().Drone().note, w.DroneNote());
    for (const auto& [channel, key] : LeftSounding())
        EXPECT_TRUE(channel != w.Drone().channel || key == w.DroneNote()) << "drone note " << key << " left sounding";
    Find<QPushButton>(w, "stopButton")->click();
    // A note from the list is the same whatever the instrument.
    Find<QComboBox>(w, "droneNoteList")->setCurrentIndex(1 + 9); // A
    EXPECT_EQ(w.DroneNote(), DroneListNote(9));
    EXPECT_EQ(w.DroneNote() % 12, 9);
    EXPECT_NE(w.Drone().channel, KORVALIN1.MidiChannel);
    EXPECT_NE(w.Drone().channel, kPercussionChannel);
}

TEST(TapTempo, AveragesTheLatestTapsAndStartsAgainAfterAPause) {
    struct Case {
        const char* name;
        std::vector<int64_t> taps;
        std::vector<std::optional<int>> tempos;
    };
    const std::vector<Case> cases = {
        {"one tap", {1000}, {std::nullopt}},
        {"steady 120", {0, 500, 1000, 1500}, {std::nullopt, 120, 120, 120}},
        {"uneven: the average", {0, 600, 1000}, {std::nullopt, 100, 120}},
        // Only the latest four intervals count: a slow start is forgotten.
        {"latest four", {0, 1000, 1500, 2000, 2500, 3000}, {std::nullopt, 60, 80, 90, 96, 120}},
        {"pause starts again", {0, 500, 3500, 4250}, {std::nullopt, 120, std::nullopt, 80}},
        {"slowest beat still counts", {0, 2000}, {std::nullopt, 30}},
        {"too slow is clamped", {0, 2400}, {std::nullopt, 30}},
        {"too fast is clamped", {0, 100}, {std::nullopt, 240}},
        {"an uneven pair averages", {0, 2400, 2410}, {std::nullopt, 30, 50}},
        {"same moment", {5, 5}, {std::nullopt, 240}},
        {"clock went back", {1000, 500, 1000}, {std::nullopt, std::nullopt, 120}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TapTempo taps;
        for (size_t i = 0; i < c.taps.size(); ++i) EXPECT_EQ(taps.Tap(c.taps[i]), c.tempos[i]) << "tap " << i;
    }
}

TEST_F(MetronomeControls, TapSetsTheTempo) {
    MetronomeWindow& w = Open();
    // Taps 400 ms apart on the step clock.
    const qint64 start = clock.now + 10;
    for (qint64 t : {0, 400, 800, 1200}) clock.At(start + t, [&w] { Find<QPushButton>(w, "tapButton")->click(); });
    RunUntil(start + 1300);
    EXPECT_EQ(w.Tempo(), 150);
    EXPECT_EQ(Find<QSlider>(w, "tempoSlider")->value(), 150);
}

TEST_F(MetronomeControls, ChangesWhileRunningTakeOverAtTheNextBeat) {
    MetronomeWindow& w = Open();
    Find<QSpinBox>(w, "tempoBox")->setValue(120);
    Find<QCheckBox>(w, "droneOnBox")->setChecked(true);
    midi->Clear();
    const qint64 start = clock.now;
    Find<QPushButton>(w, "startButton")->click();
    RunUntil(start + 1200);
    // Dragged down to 60 a step at a time, three beats a bar, the drone louder: from the beat at
    // 1500 ms, the bar's fourth (so the shorter bar begins again), with nothing struck again and
    // the tempo written once it is let go.
    QSettings stored("Korvalin", "Korvalin");
    Find<QSlider>(w, "tempoSlider")->setSliderDown(true);
    for (int tempo = 119; tempo >= 60; --tempo) Find<QSlider>(w, "tempoSlider")->setValue(tempo);
    EXPECT_NE(stored.value("metronome/tempo").toInt(), 60) << "written while the slider moves";
    Find<QSlider>(w, "tempoSlider")->setSliderDown(false);
    EXPECT_EQ(stored.value("metronome/tempo").toInt(), 60);
    Find<QSpinBox>(w, "beatsBox")->setValue(3);
    Find<QSlider>(w, "droneVolumeSlider")->setValue(90);
    const int tonic = w.DroneNote();
    Find<QComboBox>(w, "droneNoteList")->setCurrentIndex(1 + 2); // D, then E within the same beat: only E is struck
    Find<QComboBox>(w, "droneNoteList")->setCurrentIndex(1 + 4);
    RunUntil(start + 4600);
    // Ticked off through its accessibility action, as switch access does it: the clicks end.
    const QString toggle = QAccessibleActionInterface::toggleAction();
    QAccessible::queryAccessibleInterface(Find<QCheckBox>(w, "clickOnBox"))->actionInterface()->doAction(toggle);
    RunUntil(start + 7000);
    std::vector<qint64> clicks;
    std::string accents;
    for (const Heard& h : Clicks()) {
        clicks.push_back(h.ms - start);
        accents += h.key == kHighWoodBlockKey ? 'x' : '.';
    }
    const std::vector<qint64> beats{0, 500, 1000, 1500, 2500, 3500, 4500};
    ASSERT_EQ(clicks.size(), beats.size());
    for (size_t k = 0; k < beats.size(); ++k) EXPECT_NEAR(double(clicks[k]), double(beats[k]), 1.0) << k;
    EXPECT_EQ(accents, "x..x..x");
    std::vector<int> strikes;
    int volume = 0;
    for (const Heard& h : NotesOn())
        if (h.channel == w.Drone().channel) strikes.push_back(h.key);
    for (const auto& e : midi->events)
        if (e.Status() == kControlChangeStatus + w.Drone().channel && e.Data1() == kExpressionController) volume = e.Data2();
    EXPECT_EQ(strikes, (std::vector<int>{tonic, DroneListNote(4)})) << "the drone is struck once for each note";
    EXPECT_EQ(volume, 90) << "the drone's volume changes as it sounds";
    EXPECT_TRUE(w.Player().Running()) << "the drone goes on";
    EXPECT_EQ(LeftSounding(), (std::set<std::pair<int, int>>{{w.Drone().channel, DroneListNote(4)}}));
}

// Scale runs with the window open.
using MetronomeRuns = MetronomeFixture;

// "Scale in C" with the lead-in off, as a user pattern of three notes.
Form1& ThreeNoteScale(Form1& f) {
    f.Command4_Click();
    Window<Form2>().Form_DblClick();
    KORVALIN1.ScalePatterns[kUserPatternEntry] = "073076079";
    KORVALIN1.ScaleType = 0;
    KORVALIN1.ScaleKey = kUserPatternKey;
    return f;
}

TEST_F(MetronomeRuns, StepsLastABeatAndTheClicksFallOnThem) {
    struct Case {
        const char* name;
        int tempo, beats;
        bool leadIn;
        int steps;      // the lead-in's included
        qint64 beatMs;
    };
    for (const Case& c : {Case{"120 in four with a bar's lead-in", 120, 4, true, 7, 500},
                          Case{"90 in three without", 90, 3, false, 3, 667},
                          Case{"240 in one with", 240, 1, true, 4, 250}}) {
        SCOPED_TRACE(c.name);
        Restart();
        SetMidiOutput(midi);
        Form1& f = ThreeNoteScale(Main());
        MetronomeWindow& w = Open();
        Find<QSpinBox>(w, "tempoBox")->setValue(c.tempo);
        Find<QSpinBox>(w, "beatsBox")->setValue(c.beats);
        Find<QCheckBox>(w, "followTempoBox")->setChecked(true);
        KORVALIN1.NoteDelay = 50; // not used while the steps follow the tempo
        leadIn = c.leadIn;
        midi->Clear();
        notes->struck.clear();
        const qint64 start = clock.now;
        f.Command8_Click();

        std::vector<qint64> steps, clicks;
        std::vector<int> accents;
        for (const Heard& h : NotesOn()) {
            if (h.channel == KORVALIN1.MidiChannel) steps.push_back(h.ms);
            if (h.channel == kPercussionChannel) {
                clicks.push_back(h.ms);
                accents.push_back(h.key == kHighWoodBlockKey);
            }
        }
        ASSERT_EQ(steps.size(), size_t(2 * c.steps)) << "each step strikes its note twice";
        // Step k begins on beat k, counted from the run's start (rounded to the millisecond, never
        // added up); the clicks are on the same beats, the first of each bar accented.
        ASSERT_GE(clicks.size(), size_t(c.steps));
        for (int k = 0; k < c.steps; ++k) {
            const qint64 beat = (int64_t(k) * 60000 + c.tempo / 2) / c.tempo;
            EXPECT_EQ(steps[2 * k] - start, beat) << "step " << k;
            EXPECT_NEAR(double(clicks[k] - start), double(beat), 1.0) << "click " << k;
            EXPECT_EQ(accents[k], k % c.beats == 0) << "click " << k;
        }
        EXPECT_EQ(clock.now - start, (int64_t(c.steps) * 60000 + c.tempo / 2) / c.tempo);
        // The run is over: so are its clicks, and nothing is left sounding.
        EXPECT_FALSE(w.Player().Running());
        const size_t heard = NotesOn().size();
        RunUntil(clock.now + 3000);
        EXPECT_EQ(NotesOn().size(), heard);
        f.Timer2_Timer();
        EXPECT_TRUE(LeftSounding().empty());
    }
}

TEST_F(MetronomeRuns, UntickedOrClosedTheSpeedBoxRulesAgain) {
    for (bool closeWindow : {false, true}) {
        SCOPED_TRACE(closeWindow ? "window closed" : "box unticked");
        Restart();
        SetMidiOutput(midi);
        Form1& f = ThreeNoteScale(Main());
        MetronomeWindow& w = Open();
        Find<QCheckBox>(w, "followTempoBox")->setChecked(closeWindow); // closed, the window's tick does not count
        if (closeWindow) w.close();
        KORVALIN1.NoteDelay = 3;
        notes->struck.clear();
        midi->Clear();
        const qint64 start = clock.now;
        f.Command8_Click();
        EXPECT_EQ(clock.now - start, 900);
        EXPECT_TRUE(Clicks().empty());
        EXPECT_FALSE(w.Player().Running());
    }
}

// A pacer that waits for the player on the second step and hears it 700 ms in, as listening does.
struct WaitingPacer : PlaybackPacer {
    void StepBegins(std::int16_t, int index, bool, StepPace& pace) override {
        waiting = index == 1;
        if (waiting) {
            pace.untilReached = true;
            since = StepClockMs();
        }
    }
    bool StepReached() override { return waiting && StepClockMs() - since >= 700; }
    bool waiting = false;
    std::int64_t since = 0;
};

TEST_F(MetronomeRuns, AWaitedStepLetsTheTempoDriveOnlyTheClick) {
    Form1& f = ThreeNoteScale(Main());
    MetronomeWindow& w = Open();
    Find<QSpinBox>(w, "tempoBox")->setValue(120);
    Find<QCheckBox>(w, "followTempoBox")->setChecked(true);
    WaitingPacer waiting;
    AddPlaybackPacer(&waiting); // after the window, as the listening window would be
    midi->Clear();
    notes->struck.clear();
    const qint64 start = clock.now;
    f.Command8_Click();
    RemovePlaybackPacer(&waiting);
    std::vector<qint64> steps, clicks;
    for (const Heard& h : NotesOn()) {
        if (h.channel == KORVALIN1.MidiChannel) steps.push_back(h.ms - start);
        if (h.channel == kPercussionChannel) clicks.push_back(h.ms - start);
    }
    // One beat, then the waited step as long as the player took, then a step that ends on the
    // next beat at least half a beat away, back in time with the clicks.
    ASSERT_EQ(steps.size(), 6u);
    EXPECT_EQ(steps[2], 500);
    EXPECT_EQ(steps[4] - steps[2], 700);
    EXPECT_EQ(clock.now - start, 1500);
    // The clicks keep their own beats all the while.
    ASSERT_GE(clicks.size(), 3u);
    for (size_t k = 0; k < clicks.size(); ++k) EXPECT_NEAR(double(clicks[k]), 500.0 * double(k), 1.0) << k;
}

// Every way of stopping ends the clicks and the drone at once, on the output they were on.
struct StopCase {
    const char* name;
    std::function<void(MetronomeFixture&, Form1&, MetronomeWindow&)> act;
    bool ends = false; // the application ends
};
void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

struct MetronomeStops : MetronomeFixture, ::testing::WithParamInterface<StopCase> {};

TEST_P(MetronomeStops, NothingIsLeftSounding) {
    const StopCase& c = GetParam();
    auto other = std::make_shared<RecordingMidiOutput>(true, "Other port");
    SetPortLister([other] { return std::vector<OutputChoice>{{other->Name(), [other] { return other; }}}; });
    Form1& f = ThreeNoteScale(Main());
    MetronomeWindow& w = Open();
    Find<QSpinBox>(w, "tempoBox")->setValue(120);
    Find<QCheckBox>(w, "droneOnBox")->setChecked(true); // the drone too
    Find<QPushButton>(w, "startButton")->click();
    ASSERT_TRUE(w.Player().Running());
    RunUntil(clock.now + 1200);
    ASSERT_GE(Clicks().size(), 3u);
    ASSERT_FALSE(LeftSounding().empty()) << "the drone sounds";

    c.act(*this, f, w);
    EXPECT_FALSE(w.Player().Running());
    EXPECT_EQ(ended, c.ends ? 1 : 0);
    if (!c.ends) {
        // Time goes on: no click follows, and the recording output holds nothing.
        const size_t heard = NotesOn().size();
        RunUntil(clock.now + 2000);
        EXPECT_EQ(NotesOn().size(), heard);
    }
    f.Timer2_Timer();
    EXPECT_TRUE(LeftSounding().empty());
    for (uint32_t m : other->Sent())
        EXPECT_FALSE(MidiMessage{m}.StartsNote()) << std::hex << m << ": no note starts on the new output";
    SetPortLister(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, MetronomeStops,
    ::testing::Values(
        StopCase{"ItsOwnStop", [](MetronomeFixture&, Form1&, MetronomeWindow& w) { Find<QPushButton>(w, "stopButton")->click(); }},
        StopCase{"ScaleStop", [](MetronomeFixture&, Form1& f, MetronomeWindow&) { f.Command7_Click(); }},
        StopCase{"End", [](MetronomeFixture&, Form1& f, MetronomeWindow&) { f.Command10_Click(); }},
        StopCase{"WindowClosed", [](MetronomeFixture&, Form1&, MetronomeWindow& w) { w.close(); }},
        StopCase{"SoundOff", [](MetronomeFixture&, Form1&, MetronomeWindow&) {
                     Window<MidiControl>().Option3->setChecked(true);
                 }},
        StopCase{"AnotherOutput", [](MetronomeFixture&, Form1&, MetronomeWindow&) {
                     MidiControl& m = Window<MidiControl>();
                     m.RefreshOutputs();
                     m.Combo1->setCurrentIndex(m.Combo1->findText("Other port"));
                     m.Combo1_Click();
                 }},
        StopCase{"Exit", [](MetronomeFixture&, Form1& f, MetronomeWindow&) { f.Quit_Click(); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace korvalin
