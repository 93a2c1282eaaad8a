// Scale playback runs inside the "Start" handler of the main window, one step per pattern field,
// with an event-processing wait between steps; these are its limits and the hooks that let tests
// and the timing benchmark watch it.
#pragma once

#include <cstdint>
#include <functional>

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
