// A fresh application for each case: the main window loaded on a recording MIDI output with
// recorded input boxes, time for the step wait driven by the test, and helpers that watch which
// notes the main window plays.
#pragma once

#include "app/window_registry.h"
#include "scales/playback.h"
#include "tests/support/gui_test.h"

#include <QAbstractEventDispatcher>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <list>
#include <memory>
#include <vector>

namespace korvalin {

// The step clock of a test. Time moves one millisecond each time the event loop has handled all
// that was pending and is about to sleep (a timer of no interval keeps it turning instead), just
// before the step wait looks at the clock; so a wait of t tenths lasts exactly t * 100 of its
// milliseconds however slowly the machine runs. Actions wait for a condition (a step reached, a
// time) and run one at a time from the event loop; the clock stands still from the turn an action
// is due until the turn after it began, so it acts at the time it was due.
class DrivenClock {
public:
    DrivenClock() {
        ticker_.setInterval(0);
        ticker_.start();
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &ticker_,
                         [this] { Turn(); });
    }
    void When(std::function<bool()> due, std::function<void()> action) {
        pending_.push_back({std::move(due), std::move(action)});
    }
    void At(qint64 ms, std::function<void()> action) {
        When([this, ms] { return now >= ms; }, std::move(action));
    }
    // Stops time and drops the actions still waiting.
    void Stop() {
        ticker_.stop();
        stopped_ = true;
        pending_.clear();
    }

    qint64 now = 0;

private:
    struct Pending {
        std::function<bool()> due;
        std::function<void()> action;
    };
    void Turn() {
        if (stopped_ || held_) return;
        if (skip_) {
            skip_ = false;
            return;
        }
        for (auto it = pending_.begin(); it != pending_.end(); ++it) {
            if (!it->due()) continue;
            // Run from an event of its own, not from inside the event loop's own signal: an action
            // may start a run, which waits in an event loop of its own.
            QTimer::singleShot(0, &ticker_, [this, action = std::move(it->action)] {
                if (stopped_) return; // the case is over: what the action refers to may be gone
                held_ = false;
                skip_ = true;
                action();
            });
            pending_.erase(it);
            held_ = true;
            return;
        }
        ++now;
    }

    QTimer ticker_;
    bool stopped_ = false;
    bool held_ = false;
    bool skip_ = false;
    std::list<Pending> pending_;
};

// Notes the main window strikes: the written note current at each Note On with a velocity, and
// the time of the step clock then.
class NoteWatcher : public RecordingMidiOutput {
public:
    struct Struck {
        int note;
        qint64 ms;
        int depth;
        uint8_t key;
    };
    void Send(uint32_t message) override {
        RecordingMidiOutput::Send(message);
        const auto& e = events.back();
        if (e.Message().StartsNote())
            struck.push_back({WindowLoaded<Form1>() ? Window<Form1>().CurrentNote : -1,
                              StepClock() ? qint64(StepClock()()) : -1, PlaybackRunDepth(), e.Data1()});
    }
    // One entry per step: every step strikes its note twice in a row.
    std::vector<int> Steps() const {
        std::vector<int> notes;
        for (size_t i = 0; i + 1 < struck.size(); i += 2) notes.push_back(struck[i].note);
        return notes;
    }
    qint64 StepTime(size_t step) const { return struck.at(2 * step).ms; }
    std::vector<Struck> struck;
};

struct ScaleFixture : GuiTest<NoteWatcher> {
    void SetUp() override {
        GuiTest::SetUp();
        LeadInQuestion() = [this] { return leadIn; };
        StepClock() = [this] { return clock.now; };
    }
    void TearDown() override {
        clock.Stop(); // before the actions' captures go out of scope
        StepClock() = nullptr;
        LeadInQuestion() = nullptr;
        GuiTest::TearDown();
    }
    // The main window after start-up, with nothing struck yet.
    Form1& Main() {
        Form1& f = Window<Form1>();
        notes->struck.clear();
        return f;
    }
    // Runs `action` in the wait that follows the `step`th step (counting from 1).
    void AtStep(size_t step, std::function<void()> action) {
        clock.When([this, step] { return notes->struck.size() >= 2 * step; }, std::move(action));
    }

    DrivenClock clock;
    std::shared_ptr<NoteWatcher>& notes = midi;
    bool leadIn = false;
};

} // namespace korvalin
