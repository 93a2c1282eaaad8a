// Playing the current scale from the main window: steps, passes, the lead-in, the controls that
// act during a run, the step wait and the Speed and Loop boxes.
#include "app/note_table.h"
#include "midi/midi_control.h"
#include "scales/form2.h"
#include "scales/scale_catalogue.h"
#include "tests/scales/scale_fixture.h"
#include "tests/support/find_control.h"

#include <QCheckBox>
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

// Runs `action` once the watcher has seen `step` steps (checked every millisecond).
void AtStep(NoteWatcher& w, size_t step, std::function<void()> action) {
    auto* t = new QTimer;
    t->setInterval(1);
    QObject::connect(t, &QTimer::timeout, [t, &w, step, action] {
        if (w.struck.size() >= 2 * step) {
            t->stop();
            t->deleteLater();
            action();
        }
    });
    t->start();
}

TEST_F(Playback, CMajorWithoutAChoicePlaysTwentyNineNotesAndEndsOnC0) {
    Form1& f = InScaleMode(Main());
    KORVALIN1.NoteDelay = 1;
    QElapsedTimer run;
    run.start();
    f.Command8_Click();
    const qint64 took = run.elapsed();
    EXPECT_EQ(notes->Steps(), Fields(KORVALIN1.ScalePatterns[0]));
    EXPECT_EQ(f.CurrentNote, 73);
    EXPECT_EQ(Find<QLabel>(f, "Label1")->text().trimmed(), "C0");
    EXPECT_GE(took, 2900);
    EXPECT_LT(took, 4500);
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
    // Every wait is cut short, to keep the case quick; the count of steps is what is looked at.
    QTimer next;
    QObject::connect(&next, &QTimer::timeout, [&f] { f.Command11_Click(); });
    next.start(2);
    f.Command8_Click();
    next.stop();
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
    for (size_t i = 1; i < 5; ++i) EXPECT_GE(notes->StepTime(i) - notes->StepTime(i - 1), 95);
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
    QElapsedTimer run;
    run.start();
    f.Command8_Click();
    EXPECT_LT(run.elapsed(), 1000) << "skipped steps do not wait";
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
    AtStep(*notes, 3, [] { KORVALIN1.ScaleType = 80; });
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
    qint64 pressed = 0;
    AtStep(*notes, 1, [&] {
        pressed = notes->clock.elapsed();
        QTest::mouseClick(Find<QPushButton>(f, "Command11"), Qt::LeftButton);
    });
    AtStep(*notes, 2, [&] { f.Command11_Click(); });
    f.Command8_Click();
    ASSERT_EQ(notes->Steps(), (std::vector<int>{73, 76}));
    EXPECT_LT(notes->StepTime(1) - pressed, 50);
    EXPECT_EQ(KORVALIN1.NextNoteFlag, 0) << "cleared after the step";
}

TEST_F(Playback, TypedKeyActsAsNextNote) {
    Form1& f = InScaleMode(Main());
    UserPattern("073076");
    KORVALIN1.NoteDelay = 200;
    qint64 typed = 0;
    AtStep(*notes, 1, [&] {
        typed = notes->clock.elapsed();
        QTest::keyClick(Find<QPushButton>(f, "Command8"), Qt::Key_A);
    });
    AtStep(*notes, 2, [&] { QTest::keyClick(&f, Qt::Key_Space); });
    f.Command8_Click();
    ASSERT_EQ(notes->Steps(), (std::vector<int>{73, 76}));
    EXPECT_LT(notes->StepTime(1) - typed, 50);
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
    // Three lead-in waits and the first step's wait end at once; the flag is then cleared.
    EXPECT_LT(notes->StepTime(4) - notes->StepTime(0), 150);
    EXPECT_GE(notes->StepTime(5) - notes->StepTime(4), 295);
}

TEST_F(Playback, StopEndsTheRunWhenTheCurrentWaitIsOver) {
    Form1& f = InScaleMode(Main());
    KORVALIN1.NoteDelay = 5;
    AtStep(*notes, 2, [&] { QTest::mouseClick(Find<QPushButton>(f, "Command7"), Qt::LeftButton); });
    f.Command8_Click();
    EXPECT_EQ(notes->Steps(), (std::vector<int>{73, 76}));
    EXPECT_EQ(KORVALIN1.StopFlag, 1);
}

TEST_F(Playback, StopWhileIdleDoesNotStopTheNextRun) {
    Form1& f = InScaleMode(Main());
    UserPattern("073076");
    KORVALIN1.NoteDelay = 1;
    f.Command7_Click();
    f.Command8_Click();
    EXPECT_EQ(notes->Steps().size(), 2u);
}

TEST_F(Playback, EndDuringARunLeavesScaleModeAndStopsAfterTheWait) {
    Form1& f = InScaleMode(Main());
    KORVALIN1.NoteDelay = 3;
    AtStep(*notes, 1, [&] {
        f.Command10_Click();
        EXPECT_TRUE(Find<QPushButton>(f, "Command8")->isHidden());
        EXPECT_FALSE(Find<QPushButton>(f, "Command4")->isHidden());
    });
    f.Command8_Click();
    EXPECT_EQ(notes->Steps(), (std::vector<int>{73}));
    EXPECT_GE(notes->clock.elapsed() - notes->StepTime(0), 295);
}

TEST_F(Playback, ExitDuringARunEndsItAtOnce) {
    Form1& f = InScaleMode(Main());
    KORVALIN1.NoteDelay = 200;
    AtStep(*notes, 1, [&] { f.Command1_Click(); });
    QElapsedTimer run;
    run.start();
    f.Command8_Click();
    EXPECT_LT(run.elapsed(), 1000);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(notes->Steps().size(), 1u);
}

TEST_F(Playback, StartDuringARunPlaysARunInsideIt) {
    Form1& f = InScaleMode(Main());
    UserPattern("073076079");
    KORVALIN1.NoteDelay = 1;
    AtStep(*notes, 1, [&] { QTest::mouseClick(Find<QPushButton>(f, "Command8"), Qt::LeftButton); });
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
    std::vector<std::unique_ptr<QTimer>> timers;
    AtStep(*notes, 1, [&] {
        for (int i = 0; i < 200; ++i) {
            auto t = std::make_unique<QTimer>();
            t->setSingleShot(true);
            QObject::connect(t.get(), &QTimer::timeout, [&] {
                ++presses;
                deepest = std::max(deepest, PlaybackRunDepth());
                Find<QPushButton>(f, "Command8")->click();
                if (presses == 200) f.Command7_Click();
            });
            t->start(i / 10);
            timers.push_back(std::move(t));
        }
    });
    f.Command8_Click();
    EXPECT_EQ(presses, 200);
    EXPECT_EQ(deepest, kMaxNestedRuns);
    EXPECT_EQ(PlaybackRunDepth(), 0);
    const auto most = std::max_element(notes->struck.begin(), notes->struck.end(),
                                       [](const auto& a, const auto& b) { return a.depth < b.depth; });
    EXPECT_EQ(most->depth, kMaxNestedRuns);
}

TEST_F(Playback, WaitEndsAfterItsTimeOrWhenTheFlagRises) {
    Form1& f = Main();
    QElapsedTimer t;
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    float tenths = 2;
    t.start();
    f.WaitTenths(tenths);
    EXPECT_GE(t.elapsed(), 200);
    EXPECT_LT(t.elapsed(), 260);
    EXPECT_GE(ticks, 15) << "other handlers run during the wait";
    tick.stop();

    tenths = 100;
    QTimer::singleShot(30, [] { KORVALIN1.NextNoteFlag = 2; });
    t.restart();
    f.WaitTenths(tenths);
    EXPECT_LT(t.elapsed(), 80);
    EXPECT_EQ(KORVALIN1.NextNoteFlag, 2) << "the wait leaves the flag to its caller";

    bool handled = false;
    QTimer::singleShot(0, [&] { handled = true; });
    t.restart();
    f.WaitTenths(tenths); // the flag is still up: pending events are handled, then it returns
    EXPECT_TRUE(handled);
    EXPECT_LT(t.elapsed(), 50);

    KORVALIN1.NextNoteFlag = 0;
    tenths = 0;
    t.restart();
    f.WaitTenths(tenths);
    EXPECT_LT(t.elapsed(), 20);
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
    AtStep(*notes, 1, [&] { f.Command9_Click(); });
    f.Command8_Click();
    ASSERT_EQ(notes->Steps().size(), 3u);
    EXPECT_LT(notes->StepTime(1) - notes->StepTime(0), 250);
    EXPECT_GE(notes->StepTime(2) - notes->StepTime(1), 395);
}

} // namespace
} // namespace korvalin
