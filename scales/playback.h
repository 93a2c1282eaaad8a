// Scale playback runs inside the "Start" handler of the main window, one step per pattern field,
// with an event-processing wait between steps; these are its limits and the hooks that let tests
// and the timing benchmark watch it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace korvalin {

// "Start" pressed during a run starts a run inside it; beyond this many runs inside one another a
// further "Start" is ignored, so hammering the button cannot exhaust the stack.
inline constexpr int kMaxNestedRuns = 50;

// How many runs are in progress right now (0 when idle; more than 1 when nested).
int PlaybackRunDepth();

// Where a run asks whether the lead-in is on. By default this is the "Lead In" box of the MIDI
// control window (Form1::LeadInBox); tests and the benchmark may answer instead. An empty
// function restores the default.
std::function<bool()>& LeadInQuestion();

// The clock the step wait measures with, in milliseconds of a count that never goes back. By
// default the system's monotonic clock; tests set their own to drive time themselves, and the wait
// then looks at it each time its event loop is about to sleep. An empty function restores the
// default.
std::function<std::int64_t()>& StepClock();

} // namespace korvalin

namespace korvalin {

// The step clock's reading now, in milliseconds (see StepClock).
std::int64_t StepClockMs();

// How one step of a scale run is paced. By default a step sounds its note and waits `NoteDelay`
// tenths of a second.
struct StepPace {
    bool sound = true;                     // false: the note is shown silently
    std::optional<std::int64_t> untilMs;   // the wait ends at this step clock reading instead
    bool untilReached = false;             // the wait ends when a pacer says the step is reached
};

// How a run ended.
enum class RunEnd {
    Completed, // every pass played
    Stopped,   // "Stop"
    Left,      // "End", Exit, or the window closed
};

// Something that paces scale runs besides the step delay: listening practice waits for the
// player to play each note; the metronome gives each step one beat and clicks on it. Pacers are
// asked in the order they were added and their answers combined: a step is silent if any pacer
// says so; it waits to be reached if any pacer wants that (then no deadline counts); otherwise
// the first deadline given ends it.
class PlaybackPacer {
public:
    virtual ~PlaybackPacer() = default;
    // A run begins (runs started inside runs too). `leadInSteps` is how many times the lead-in
    // shows the first note: 3, or 0 without a lead-in; a pacer may change it when it is not 0.
    virtual void RunBegins(int& leadInSteps) { (void)leadInSteps; }
    // Step `index` of the run (counted from 0, lead-in included) is about to show written note
    // `note`; `leadIn` for the lead-in's steps. The pacer fills in what it wants of `pace`.
    virtual void StepBegins(std::int16_t note, int index, bool leadIn, StepPace& pace) {
        (void)note; (void)index; (void)leadIn; (void)pace;
    }
    // Asked while a step waits to be reached, each time the wait's event loop is about to sleep.
    virtual bool StepReached() { return false; }
    // Asked with StepReached: false once the pacer no longer waits for the step (listening
    // stopped, the option was turned off). When no pacer waits any more the step ends unreached.
    virtual bool StillWaiting() { return true; }
    // The step's wait is over: `reached` when a pacer said so, false when its time ran out or
    // "Next Note", "Stop", "End" or Exit cut it short.
    virtual void StepEnds(bool reached) { (void)reached; }
    virtual void RunEnds(RunEnd how) { (void)how; }
    // "Stop" or "End" was pressed, with or without a run in progress: what the pacer has sounding
    // ends now rather than when the run's current wait is over.
    virtual void StopPressed() {}
};

// Pacers take part in every run from the next step on; a pacer removed during a run gets no
// further calls. Neither owns the pacer.
void AddPlaybackPacer(PlaybackPacer* pacer);
void RemovePlaybackPacer(PlaybackPacer* pacer);

} // namespace korvalin
