// "Wait for me": while it is ticked and a listening input runs, every step of a scale run shows its
// note silently and waits until the student has played it in tune; when the run ends or is
// stopped, the notes as played are handed on.
#pragma once

#include "listen/heard_note.h"
#include "listen/practice.h"
#include "scales/playback.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace korvalin {

class WaitForMePacer : public PlaybackPacer {
public:
    // `transposition` answers the main window's Transposition (rows down) when a step begins.
    explicit WaitForMePacer(std::function<int()> transposition);

    void SetTicked(bool ticked) { ticked_ = ticked; }
    // Whether a listening input (microphone or MIDI) is running: without one nobody could be heard
    // and the run is paced as without this pacer.
    void SetInputRunning(bool running);
    bool Active() const { return ticked_ && inputRunning_; }
    void SetToleranceCents(double cents) { tolerance_ = cents; }
    double ToleranceCents() const { return tolerance_; }
    void SetHoldMs(std::int64_t ms) { hold_ = ms; }

    // What listening hears now. Its time is taken from the step clock on arrival, so readings and
    // steps are measured on one clock whatever clock the input stamps them with.
    void Hear(const HeardNote& heard);

    // Called with the step clock's time at which the step waiting now will be reached if the note
    // heard goes on unchanged: the wait looks again only when something happens, and a note held
    // steady is nothing happening, so whoever runs the pacer wakes the wait then.
    std::function<void(std::int64_t atMs)> wakeAt;

    // Called when a run that was waited for ends (completed, stopped or left), with its steps in
    // order; the lead-in is not among them.
    std::function<void(const std::vector<PracticeStep>&, RunEnd)> onRunFinished;

    // PlaybackPacer. The lead-in keeps its sound and its pace: it gives the student the first
    // note's pitch and the time to take a breath before the first step that waits.
    void RunBegins(int& leadInSteps) override;
    void StepBegins(std::int16_t note, int index, bool leadIn, StepPace& pace) override;
    bool StepReached() override;
    bool StillWaiting() override { return Active(); } // unticked or input stopped: the step is let go
    void StepEnds(bool reached) override;
    void RunEnds(RunEnd how) override;

private:
    // One run in progress; runs started inside runs stack up, the innermost is the one played.
    struct Run {
        std::vector<PracticeStep> steps;
        std::unique_ptr<StepJudge> judge; // the step waiting now
        std::int16_t note = 0;
        bool waited = false;              // some step of it waited for the student
    };

    void AskToBeWoken();

    std::function<int()> transposition_;
    bool ticked_ = false;
    bool inputRunning_ = false;
    double tolerance_ = kDefaultToleranceCents;
    std::int64_t hold_ = kDefaultHoldMs;
    std::optional<HeardNote> lastHeard_; // what is heard right now, on the step clock
    std::vector<Run> runs_;
};

} // namespace korvalin
