// Playing the current scale from the main window: steps, passes, the lead-in, the controls that
// act during a run, the step wait and the Speed and Loop boxes. Time is the fixture's driven step
// clock: a step of t tenths lasts exactly t * 100 of its milliseconds.
#include "app/note_table.h"
#include "midi/midi_control.h"
#include "scales/form2.h"
#include "scales/scale_catalogue.h"
#include "tests/scales/scale_fixture.h"
#include "tests/support/find_control.h"

#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QPushButton>

#include <algorithm>

namespace korvalin {
namespace {

using Playback = ScaleFixture;

std::vector<int> Fields(std::string_view pattern) {
    std::vector<int> n;
    for (int p = 1; p <= int(pattern.size()); p += 3) n.push_back(FieldValue(pattern, p));
    return n;
}

// "Scales", then the selection window closed without a choice.
Form1& InScaleMode(Form1& f) {
    f.Command4_Click();
    Window<Form2>().Form_DblClick();
    return f;
}

void UserPattern(const char* text) {
    KORVALIN1.ScalePatterns[kUserPatternEntry] = text;
    KORVALIN1.ScaleType = 0;
    KORVALIN1.ScaleKey = kUserPatternKey;
}

bool Shown(Form1& f, const char* name) { return !f.findChild<QWidget*>(name)->isHidden(); }

TEST_F(Playback, CMajorWithoutAChoicePlaysTwentyNineNotesAndEndsOnC0) {
    Form1& f = InScaleMode(Main());
    KORVALIN1.NoteDelay = 1;
    const qint64 start = clock.now;
    f.Command8_Click();
    EXPECT_EQ(notes->Steps(), Fields(KORVALIN1.ScalePatterns[0]));
    EXPECT_EQ(f.CurrentNote, 73);
    EXPECT_EQ(Find<QLabel>(f, "Label1")->text().trimmed(), "C0");
    for (size_t i = 1; i < 29; ++i) EXPECT_EQ(notes->StepTime(i) - notes->StepTime(i - 1), 100) << i;
    EXPECT_EQ(clock.now - start, 2900) << "the last note's wait is waited too";
    EXPECT_EQ(notes->struck.size(), 58u) << "each step strikes its note twice";
    // The run leaves the playing controls as they are.
    EXPECT_FALSE(Find<QPushButton>(f, "Command11")->isHidden());
    EXPECT_TRUE(Find<QPushButton>(f, "Command3")->isHidden());
    EXPECT_TRUE(Find<QPushButton>(f, "Command5")->isHidden());
    EXPECT_EQ(PlaybackRunDepth(), 0);
}

TEST_F(Playback, LoopThreePlaysThePatternThreeTimesBackToBack) {
    Form1& f = InScaleMode(Main());
    prompts->answers.push_back(QString("3"));
    f.Command6_Click();
    ASSERT_EQ(KORVALIN1.LoopCount, 3);
    KORVALIN1.NoteDelay = 1;
    f.Command8_Click();
    const std::vector<int> scale = Fields(KORVALIN1.ScalePatterns[0]);
    std::vector<int> expected;
    for (int i = 0; i < 3; ++i) expected.insert(expected.end(), scale.begin(), scale.end());
    EXPECT_EQ(notes->Steps().size(), 87u);
    EXPECT_EQ(notes->Steps(), expected);
}

TEST_F(Playback, LeadInShowsTheFirstNoteThreeTimesWithoutAStrayNote) {
    Form1& f = InScaleMode(Main());
    leadIn = true;
    UserPattern("076079");
    KORVALIN1.NoteDelay = 1;
    f.Command8_Click();
    EXPECT_EQ(notes->Steps(), (std::vector<int>{76, 76, 76, 76, 79}));
    for (size_t i = 1; i < 5; ++i) EXPECT_EQ(notes->StepTime(i) - notes->StepTime(i - 1), 100);
    // Every Note On is for the note shown; none for key number 0, so nothing is left sounding.
    for (const auto& s : notes->struck) EXPECT_NE(s.key, 0);
    EXPECT_EQ(notes->struck.size(), 10u);
}

TEST_F(Playback, LeadInFollowsTheBoxOfTheMidiControlWindow) {
    Form1& f = InScaleMode(Main());
    LeadInQuestion() = nullptr;
    UserPattern("079");
    KORVALIN1.NoteDelay = 1;
    f.Command8_Click();
    EXPECT_EQ(notes->Steps(), (std::vector<int>{79}));
    notes->struck.clear();
    Window<MidiControl>().Check1->setChecked(true);
    f.Command8_Click();
    EXPECT_EQ(notes->Steps(), (std::vector<int>{79, 79, 79, 79}));
}

TEST_F(Playback, StartBeforeScaleModePlaysOnlyTheLeadIn) {
    Form1& f = Main(); // LoopCount is still 0
    KORVALIN1.NoteDelay = 1;
    f.Command8_Click();
    EXPECT_TRUE(notes->struck.empty());
    EXPECT_TRUE(Find<QPushButton>(f, "Command11")->isHidden());
    leadIn = true;
    f.Command8_Click();
    EXPECT_EQ(notes->Steps(), (std::vector<int>{73, 73, 73}));
}

TEST_F(Playback, NothingIsShownForAnEmptyPattern) {
    Form1& f = InScaleMode(Main());
    leadIn = true;
    UserPattern("");
    KORVALIN1.NoteDelay = 200;
    const qint64 start = clock.now;
    f.Command8_Click();
    EXPECT_EQ(clock.now, start) << "skipped steps do not wait";
    EXPECT_TRUE(notes->struck.empty());
    EXPECT_EQ(f.CurrentNote, 73);
    // A selection past the table's end (Blues type with the user key) plays the same way.
    KORVALIN1.ScaleType = 120;
    f.Command8_Click();
    EXPECT_TRUE(notes->struck.empty());
}

TEST_F(Playback, EachStepReadsTheSelectionAfresh) {
    Form1& f = InScaleMode(Main());
    KORVALIN1.NoteDelay = 1;
    // After three steps of C major, A major pentatonic (21 fields) takes over at the fourth.
    AtStep(3, [] { KORVALIN1.ScaleType = 80; });
    f.Command8_Click();
    const std::vector<int> c = Fields(KORVALIN1.ScalePatterns[0]);
    const std::vector<int> a = Fields(KORVALIN1.ScalePatterns[80]);
    std::vector<int> expected(c.begin(), c.begin() + 3);
    expected.insert(expected.end(), a.begin() + 3, a.end()); // then past its end: nothing
    EXPECT_EQ(notes->Steps(), expected);
    for (const auto& s : notes->struck) EXPECT_TRUE(IsPlayableNote(s.note));
}

TEST_F(Playback, NextNoteEndsTheWaitAtOnce) {
    Form1& f = InScaleMode(Main());
    UserPattern("073076");
    KORVALIN1.NoteDelay = 200; // 20 seconds
    qint64 pressed = -1;
    clock.At(1500, [&] {
        pressed = clock.now;
        QTest::mouseClick(Find<QPushButton>(f, "Command11"), Qt::LeftButton);
    });
    AtStep(2, [&] { f.Command11_Click(); });
    f.Command8_Click();
    ASSERT_EQ(notes->Steps(), (std::vector<int>{73, 76}));
    EXPECT_EQ(pressed, 1500);
    EXPECT_EQ(notes->StepTime(1), pressed);
    EXPECT_EQ(KORVALIN1.NextNoteFlag, 0) << "cleared after the step";
}

TEST_F(Playback, TypedKeyActsAsNextNote) {
    Form1& f = InScaleMode(Main());
    UserPattern("073076");
    KORVALIN1.NoteDelay = 200;
    qint64 typed = -1;
    clock.At(700, [&] {
        typed = clock.now;
        QTest::keyClick(Find<QPushButton>(f, "Command8"), Qt::Key_A);
    });
    AtStep(2, [&] { QTest::keyClick(&f, Qt::Key_Space); });
    f.Command8_Click();
    ASSERT_EQ(notes->Steps(), (std::vector<int>{73, 76}));
    EXPECT_EQ(typed, 700);
    EXPECT_EQ(notes->StepTime(1), typed);
}

TEST_F(Playback, KeyTypedWhileIdleCutsTheFirstWaitOnly) {
    Form1& f = InScaleMode(Main());
    leadIn = true;
    UserPattern("073076079");
    QTest::keyClick(&f, Qt::Key_X);
    ASSERT_EQ(KORVALIN1.NextNoteFlag, 2);
    KORVALIN1.NoteDelay = 3;
    f.Command8_Click();
    ASSERT_EQ(notes->Steps(), (std::vector<int>{73, 73, 73, 73, 76, 79}));
    // Three lead-in waits and the first step's wait end at once (a turn of the event loop each at
    // most); the flag is then cleared.
    EXPECT_LE(notes->StepTime(4) - notes->StepTime(0), 4);
    EXPECT_EQ(notes->StepTime(5) - notes->StepTime(4), 300);
}

// "Stop" and "End" pressed in a wait end the run once that wait is over, in the lead-in as in a
// pass, and leave the window as they leave it after a pass: "Stop" in scale mode with "Next Note"
// shown and "Flatten" and "Sharpen" hidden, "End" out of scale mode with those the other way round.
struct StopCase {
    const char* name;
    const char* button; // Command7 "Stop" or Command10 "End"
    bool leadIn;
    size_t atStep; // pressed in the wait after this step, lead-in steps counted
};
void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }
class StopOrEnd : public ScaleFixture, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StopOrEnd, EndsTheRunAfterTheCurrentWaitAndLeavesTheWindowAsAfterAPass) {
    const StopCase& c = GetParam();
    Form1& f = InScaleMode(Main());
    leadIn = c.leadIn;
    KORVALIN1.NoteDelay = 5;
    AtStep(c.atStep, [&] { f.findChild<QPushButton*>(c.button)->click(); });
    f.Command8_Click();
    std::vector<int> played = Fields(KORVALIN1.ScalePatterns[0]);
    if (c.leadIn) played.insert(played.begin(), 3, played.front());
    played.resize(c.atStep);
    EXPECT_EQ(notes->Steps(), played);
    EXPECT_EQ(clock.now - notes->StepTime(c.atStep - 1), 500) << "the wait ran its full time";
    EXPECT_EQ(KORVALIN1.StopFlag, 1);
    const bool stop = std::string_view(c.button) == "Command7";
    EXPECT_EQ(Shown(f, "Command8"), stop) << "Start";
    EXPECT_EQ(Shown(f, "Command10"), stop) << "End";
    EXPECT_EQ(Shown(f, "Command4"), !stop) << "Scales";
    EXPECT_EQ(Shown(f, "Command11"), stop) << "Next Note";
    EXPECT_EQ(Shown(f, "Command3"), !stop) << "Flatten";
    EXPECT_EQ(Shown(f, "Command5"), !stop) << "Sharpen";
    EXPECT_EQ(PlaybackRunDepth(), 0);
}

INSTANTIATE_TEST_SUITE_P(Presses, StopOrEnd,
                         ::testing::Values(StopCase{"StopInAPass", "Command7", false, 2},
                                           StopCase{"EndInAPass", "Command10", false, 1},
                                           StopCase{"StopInTheLeadIn", "Command7", true, 2},
                                           StopCase{"EndInTheLeadIn", "Command10", true, 1},
                                           StopCase{"StopInTheLastLeadInWait", "Command7", true, 3},
                                           StopCase{"EndInTheLastLeadInWait", "Command10", true, 3},
                                           StopCase{"StopInTheFirstStepAfterTheLeadIn", "Command7", true, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Playback, StopWhileIdleDoesNotStopTheNextRun) {
    Form1& f = InScaleMode(Main());
    UserPattern("073076");
    KORVALIN1.NoteDelay = 1;
    for (const bool withLeadIn : {false, true}) {
        leadIn = withLeadIn;
        notes->struck.clear();
        f.Command7_Click();
        f.Command8_Click();
        EXPECT_EQ(notes->Steps().size(), withLeadIn ? 5u : 2u);
    }
}

TEST_F(Playback, ExitDuringARunEndsItAtOnce) {
    Form1& f = InScaleMode(Main());
    KORVALIN1.NoteDelay = 200;
    AtStep(1, [&] { f.Command1_Click(); });
    f.Command8_Click();
    EXPECT_EQ(clock.now, notes->StepTime(0)) << "not after its 20 seconds";
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(notes->Steps().size(), 1u);
}

TEST_F(Playback, StartDuringARunPlaysARunInsideIt) {
    Form1& f = InScaleMode(Main());
    UserPattern("073076079");
    KORVALIN1.NoteDelay = 1;
    AtStep(1, [&] { QTest::mouseClick(Find<QPushButton>(f, "Command8"), Qt::LeftButton); });
    f.Command8_Click();
    EXPECT_EQ(notes->Steps(), (std::vector<int>{73, 73, 76, 79, 76, 79}));
    EXPECT_EQ(notes->struck[2].depth, 2);
    EXPECT_EQ(notes->struck.back().depth, 1);
    EXPECT_EQ(PlaybackRunDepth(), 0);
}

TEST_F(Playback, HammeringStartNestsOnlySoDeep) {
    Form1& f = InScaleMode(Main());
    UserPattern("073076079");
    KORVALIN1.NoteDelay = 1;
    int presses = 0, deepest = 0;
    for (int i = 0; i < 200; ++i)
        AtStep(1, [&] {
            ++presses;
            deepest = std::max(deepest, PlaybackRunDepth());
            Find<QPushButton>(f, "Command8")->click();
            if (presses == 200) f.Command7_Click();
        });
    f.Command8_Click();
    EXPECT_EQ(presses, 200);
    EXPECT_EQ(deepest, kMaxNestedRuns);
    EXPECT_EQ(PlaybackRunDepth(), 0);
    const auto most = std::max_element(notes->struck.begin(), notes->struck.end(),
                                       [](const auto& a, const auto& b) { return a.depth < b.depth; });
    EXPECT_EQ(most->depth, kMaxNestedRuns);
}

// A pacer that records what a run tells it and answers as the case sets it up.
struct ScriptedPacer : PlaybackPacer {
    bool silent = false;
    bool waitForPlayer = false;
    qint64 beatMs = 0;          // with a deadline: each step ends beatMs after the run began
    int leadInSteps = -1;       // what RunBegins asks for; -1 leaves it
    qint64 reachAfterMs = 0;    // waiting for the player: the note is reached this long into a step
    qint64 runStart = 0, stepStart = 0;
    std::vector<std::string> log;

    void RunBegins(int& steps) override {
        log.push_back("begin " + std::to_string(steps));
        runStart = StepClockMs();
        if (leadInSteps >= 0) steps = leadInSteps;
    }
    void StepBegins(std::int16_t note, int index, bool leadIn, StepPace& pace) override {
        log.push_back((leadIn ? "lead " : "step ") + std::to_string(note) + " #" + std::to_string(index));
        stepStart = StepClockMs();
        if (silent) pace.sound = false;
        if (waitForPlayer) pace.untilReached = true;
        if (beatMs > 0) pace.untilMs = runStart + beatMs * (index + 1);
    }
    bool StepReached() override { return StepClockMs() - stepStart >= reachAfterMs; }
    bool StillWaiting() override { return waitForPlayer; }
    void StepEnds(bool r) override {
        log.push_back((r ? "reached " : "over ") + std::to_string(Window<Form1>().CurrentNote));
    }
    void RunEnds(RunEnd how) override {
        log.push_back(how == RunEnd::Completed ? "completed" : how == RunEnd::Stopped ? "stopped" : "left");
    }
};

struct PacedPlayback : ScaleFixture {
    ScriptedPacer pacer;
    void SetUp() override {
        ScaleFixture::SetUp();
        AddPlaybackPacer(&pacer);
    }
    void TearDown() override {
        RemovePlaybackPacer(&pacer);
        ScaleFixture::TearDown();
    }
};

TEST_F(PacedPlayback, DeadlinesAndLeadInLengthComeFromThePacer) {
    Form1& f = InScaleMode(Main());
    UserPattern("073076");
    KORVALIN1.NoteDelay = 50; // not used: the pacer's deadlines rule
    leadIn = true;
    pacer.beatMs = 250;
    pacer.leadInSteps = 4;
    const qint64 start = clock.now;
    f.Command8_Click();
    EXPECT_EQ(notes->Steps(), (std::vector<int>{73, 73, 73, 73, 73, 76}));
    EXPECT_EQ(clock.now - start, 6 * 250) << "the last step ends on its beat";
    for (size_t i = 1; i < 6; ++i) EXPECT_EQ(notes->StepTime(i) - notes->StepTime(i - 1), 250) << i;
    EXPECT_EQ(pacer.log, (std::vector<std::string>{"begin 3", "lead 73 #0", "over 73", "lead 73 #1", "over 73",
                                                   "lead 73 #2", "over 73", "lead 73 #3", "over 73", "step 73 #4",
                                                   "over 73", "step 76 #5", "over 76", "completed"}));
    // Without the lead-in the pacer is told 0 and cannot start one.
    leadIn = false;
    pacer.log.clear();
    notes->struck.clear();
    f.Command8_Click();
    EXPECT_EQ(notes->Steps(), (std::vector<int>{73, 76}));
    EXPECT_EQ(pacer.log.front(), "begin 0");
}

// Steps that wait for the player: shown silently, each over when the pacer hears its note, or cut
// short by the run's controls; a pacer that goes away mid-wait does not leave the run hanging.
struct ReachCase {
    const char* name;
    const char* button; // pressed 300 ms into the first step; nullptr for none
    bool pacerLeaves;   // the pacer is removed 300 ms into the first step
    bool stopsWaiting;  // the pacer stops waiting for the player 300 ms into the first step
    std::vector<std::string> log;
    std::vector<int> sounded;
};
void PrintTo(const ReachCase& c, std::ostream* os) { *os << c.name; }
class WaitForPlayer : public PacedPlayback, public ::testing::WithParamInterface<ReachCase> {};

TEST_P(WaitForPlayer, StepsAreSilentAndEndWhenReachedOrCutShort) {
    const ReachCase& c = GetParam();
    Form1& f = InScaleMode(Main());
    UserPattern("073076079");
    KORVALIN1.NoteDelay = 1;
    pacer.silent = true;
    pacer.waitForPlayer = true;
    pacer.reachAfterMs = 700;
    const qint64 start = clock.now;
    clock.At(start + 300, [&] {
        if (c.button) f.findChild<QPushButton*>(c.button)->click();
        if (c.pacerLeaves) RemovePlaybackPacer(&pacer);
        if (c.stopsWaiting) pacer.waitForPlayer = false;
    });
    f.Command8_Click();
    EXPECT_EQ(pacer.log, c.log);
    EXPECT_EQ(notes->Steps(), c.sounded);
    if (!c.button && !c.pacerLeaves && !c.stopsWaiting) {
        EXPECT_GE(clock.now - start, 3 * 700) << "no step ends before it is reached";
    }
    EXPECT_EQ(PlaybackRunDepth(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Reaches, WaitForPlayer,
    ::testing::Values(
        ReachCase{"EveryNoteReached", nullptr, false, false,
                  {"begin 0", "step 73 #0", "reached 73", "step 76 #1", "reached 76", "step 79 #2", "reached 79",
                   "completed"},
                  {}},
        ReachCase{"NextNoteSkipsOne", "Command11", false, false,
                  {"begin 0", "step 73 #0", "over 73", "step 76 #1", "reached 76", "step 79 #2", "reached 79",
                   "completed"},
                  {}},
        ReachCase{"StopEndsTheWaitAtOnce", "Command7", false, false, {"begin 0", "step 73 #0", "over 73", "stopped"}, {}},
        ReachCase{"EndEndsTheWaitAtOnce", "Command10", false, false, {"begin 0", "step 73 #0", "over 73", "left"}, {}},
        // The rest of the run is paced as without the pacer: sounded, NoteDelay apart.
        ReachCase{"PacerLeavesMidWait", nullptr, true, false, {"begin 0", "step 73 #0"}, {76, 79}},
        // Still taking part but no longer waiting: the rest of the run is silent, NoteDelay apart.
        ReachCase{"PacerStopsWaitingMidWait", nullptr, false, true,
                  {"begin 0", "step 73 #0", "over 73", "step 76 #1", "over 76", "step 79 #2", "over 79", "completed"},
                  {}}),
    [](const auto& info) { return std::string(info.param.name); });

// The step wait alone: how long it lasts on the step clock, whether events are handled in it, and
// what a rising or raised NextNoteFlag does.
struct WaitCase {
    const char* name;
    float tenths;
    qint64 flagAt; // when NextNoteFlag rises: kNever, kBefore, or a time into the wait
    qint64 lasts;
    bool handlesEvents;
};
constexpr qint64 kNever = -1, kBefore = -2;
void PrintTo(const WaitCase& c, std::ostream* os) { *os << c.name; }
class StepWait : public ScaleFixture, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(StepWait, LastsItsTimeOrEndsWhenTheFlagRises) {
    const WaitCase& c = GetParam();
    Form1& f = Main();
    if (c.flagAt == kBefore) KORVALIN1.NextNoteFlag = 2;
    const qint64 start = clock.now;
    if (c.flagAt >= 0) clock.At(start + c.flagAt, [] { KORVALIN1.NextNoteFlag = 2; });
    bool handled = false;
    QObject context; // a handler not run by the wait is dropped with it
    QTimer::singleShot(0, &context, [&] { handled = true; });
    float tenths = c.tenths;
    f.WaitTenths(tenths);
    EXPECT_EQ(clock.now - start, c.lasts);
    EXPECT_EQ(handled, c.handlesEvents);
    EXPECT_EQ(KORVALIN1.NextNoteFlag, c.flagAt == kNever ? 0 : 2) << "the wait leaves the flag to its caller";
    EXPECT_EQ(tenths, c.tenths);
}

INSTANTIATE_TEST_SUITE_P(Waits, StepWait,
                         ::testing::Values(WaitCase{"TwoTenths", 2, kNever, 200, true},
                                           WaitCase{"AQuarterOfATenth", 0.25f, kNever, 25, true},
                                           WaitCase{"NoTime", 0, kNever, 0, false},
                                           WaitCase{"LessThanNoTime", -3, kNever, 0, false},
                                           WaitCase{"FlagRisesDuringIt", 100, 30, 30, true},
                                           WaitCase{"FlagAlreadyUpHandlesWhatIsPendingOnce", 100, kBefore, 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// On the system's own clock the wait lasts its time, at least, and sleeps: the event loop turns a
// handful of times (a wait that polled would turn tens of thousands of times). The upper bounds are
// many times the work, for a loaded machine under sanitizers.
TEST_F(Playback, OnTheSystemClockTheWaitSleepsUntilItsTimeOrTheFlag) {
    clock.Stop();
    StepClock() = nullptr;
    Form1& f = Main();
    QObject context;
    int turns = 0;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &context,
                     [&turns] { ++turns; });
    QElapsedTimer t;
    float tenths = 3;
    t.start();
    f.WaitTenths(tenths);
    EXPECT_GE(t.elapsed(), 299) << "its time, to the millisecond the clock counts in";
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_LT(turns, 100);

    tenths = 100;
    turns = 0;
    QTimer::singleShot(30, [] { KORVALIN1.NextNoteFlag = 2; });
    t.restart();
    f.WaitTenths(tenths);
    EXPECT_EQ(KORVALIN1.NextNoteFlag, 2);
    EXPECT_LT(t.elapsed(), 5000) << "the flag ends a 10-second wait";
    EXPECT_LT(turns, 100);
}

struct BoxCase {
    std::optional<QString> answer;
    int16_t value;
};

void PrintTo(const BoxCase& c, std::ostream* os) {
    *os << (c.answer ? '"' + c.answer->toStdString() + '"' : std::string("cancel")) << " gives " << c.value;
}

class SpeedBox : public ScaleFixture, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(SpeedBox, ReadsClampsAndDefaults) {
    Form1& f = InScaleMode(Main());
    prompts->answers.push_back(GetParam().answer);
    f.Command9_Click();
    EXPECT_EQ(KORVALIN1.NoteDelay, GetParam().value);
    ASSERT_EQ(prompts->asked.size(), 1u);
    EXPECT_EQ(prompts->asked[0].prompt, "Enter the duration between each note (approx 10ths of a second)");
    EXPECT_EQ(prompts->asked[0].title, "Speed");
    EXPECT_EQ(prompts->asked[0].defaultText, " 10");
    EXPECT_EQ(KORVALIN1.SpeedText, " 10");
}

INSTANTIATE_TEST_SUITE_P(Answers, SpeedBox,
                         ::testing::Values(BoxCase{QString("0"), 10}, BoxCase{QString("abc"), 10},
                                           BoxCase{QString("-5"), 10}, BoxCase{std::nullopt, 10},
                                           BoxCase{QString("250"), 200}, BoxCase{QString("199"), 199},
                                           BoxCase{QString("200"), 200}, BoxCase{QString("1"), 1},
                                           BoxCase{QString("40000"), 10}, BoxCase{QString("-40000"), 10},
                                           BoxCase{QString(" 2 5"), 25}, BoxCase{QString("7.5"), 8},
                                           BoxCase{QString("1e2"), 100}, BoxCase{QString("32767"), 200}));

class LoopBox : public ScaleFixture, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(LoopBox, ReadsClampsAndDefaults) {
    Form1& f = InScaleMode(Main());
    prompts->answers.push_back(GetParam().answer);
    f.Command6_Click();
    EXPECT_EQ(KORVALIN1.LoopCount, GetParam().value);
    ASSERT_EQ(prompts->asked.size(), 1u);
    EXPECT_EQ(prompts->asked[0].prompt, "Enter the Number of loops required (1-50) ");
    EXPECT_EQ(prompts->asked[0].title, "Loop");
    EXPECT_EQ(prompts->asked[0].defaultText, " 1");
    EXPECT_EQ(KORVALIN1.LoopText, " 1");
}

INSTANTIATE_TEST_SUITE_P(Answers, LoopBox,
                         ::testing::Values(BoxCase{QString("0"), 1}, BoxCase{QString("50"), 50},
                                           BoxCase{QString("99"), 50}, BoxCase{QString("3"), 3},
                                           BoxCase{QString("40000"), 1}, BoxCase{std::nullopt, 1},
                                           BoxCase{QString("x"), 1}, BoxCase{QString("-2"), 1}));

TEST_F(Playback, BoxesOfferTheCurrentValue) {
    Form1& f = InScaleMode(Main());
    prompts->answers = {QString("37"), QString("37"), QString("12"), QString("12")};
    f.Command9_Click();
    f.Command9_Click();
    f.Command6_Click();
    f.Command6_Click();
    ASSERT_EQ(prompts->asked.size(), 4u);
    EXPECT_EQ(prompts->asked[1].defaultText, " 37");
    EXPECT_EQ(prompts->asked[3].defaultText, " 12");
}

TEST_F(Playback, SpeedChangedDuringARunAppliesFromTheNextStep) {
    Form1& f = InScaleMode(Main());
    UserPattern("073076079");
    KORVALIN1.NoteDelay = 1;
    prompts->answers.push_back(QString("4"));
    AtStep(1, [&] { f.Command9_Click(); });
    f.Command8_Click();
    ASSERT_EQ(notes->Steps().size(), 3u);
    EXPECT_EQ(notes->StepTime(1) - notes->StepTime(0), 100);
    EXPECT_EQ(notes->StepTime(2) - notes->StepTime(1), 400);
}

} // namespace
} // namespace korvalin
