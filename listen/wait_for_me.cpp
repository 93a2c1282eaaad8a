#include "listen/wait_for_me.h"

namespace korvalin {

WaitForMePacer::WaitForMePacer(std::function<int()> transposition) : transposition_(std::move(transposition)) {}

void WaitForMePacer::SetInputRunning(bool running) {
    inputRunning_ = running;
    if (!running) lastHeard_.reset(); // nothing is heard once the input stops
}

void WaitForMePacer::Hear(const HeardNote& heard) {
    HeardNote now = heard;
    now.ms = StepClockMs();
    lastHeard_ = now.hasNote ? std::optional<HeardNote>(now) : std::nullopt;
    if (!runs_.empty() && runs_.back().judge) runs_.back().judge->Hear(now);
    AskToBeWoken();
}

void WaitForMePacer::AskToBeWoken() {
    if (!wakeAt || runs_.empty() || !runs_.back().judge) return;
    if (const std::optional<std::int64_t> at = runs_.back().judge->ReachableAtMs()) wakeAt(*at);
}

void WaitForMePacer::RunBegins(int& leadInSteps) {
    (void)leadInSteps;
    runs_.emplace_back();
}

void WaitForMePacer::StepBegins(std::int16_t note, int index, bool leadIn, StepPace& pace) {
    (void)index;
    if (runs_.empty() || leadIn || !Active()) return;
    Run& run = runs_.back();
    run.note = note;
    run.waited = true;
    run.judge = std::make_unique<StepJudge>(note, transposition_ ? transposition_() : 0, tolerance_, hold_);
    const std::int64_t start = StepClockMs();
    run.judge->Begin(start);
    // A note already sounding when the step begins (held over from the step before) counts from
    // the step's start.
    if (lastHeard_) {
        HeardNote held = *lastHeard_;
        held.ms = start;
        run.judge->Hear(held);
        AskToBeWoken();
    }
    pace.sound = false;
    pace.untilReached = true;
}

bool WaitForMePacer::StepReached() {
    if (runs_.empty() || !runs_.back().judge) return false;
    return runs_.back().judge->ReachedBy(StepClockMs());
}

void WaitForMePacer::StepEnds(bool reached) {
    if (runs_.empty() || !runs_.back().judge) return;
    Run& run = runs_.back();
    // A wait cut short ("Next Note", "Stop", "End") is not reached; one another pacer ended counts
    // only when this one's judge says so too.
    PracticeStep step;
    step.note = run.note;
    step.reached = reached && run.judge->ReachedBy(StepClockMs());
    step.averageCents = run.judge->AverageCents();
    if (step.reached) step.timeToHitMs = run.judge->TimeToHitMs();
    run.steps.push_back(step);
    run.judge.reset();
}

void WaitForMePacer::RunEnds(RunEnd how) {
    if (runs_.empty()) return;
    Run run = std::move(runs_.back());
    runs_.pop_back();
    if (run.judge) { // a run left in the middle of a step: that step was cut short
        PracticeStep step;
        step.note = run.note;
        step.averageCents = run.judge->AverageCents();
        run.steps.push_back(step);
    }
    if (run.waited && onRunFinished) onRunFinished(run.steps, how);
}

} // namespace korvalin
