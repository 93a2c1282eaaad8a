// Scale practice that waits for the player: the judge of one step (has the student held the note
// the step shows, in tune, long enough?) and what a run of such steps leaves behind: the list of
// notes with their average tuning and the time each took to hit, one summary line, and the same
// list as CSV. Plain C++, no toolkit.
#pragma once

#include "listen/heard_note.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvalin {

// How a step is judged. A heard note counts as the step's note while it lies within `tolerance`
// cents of the note's concert pitch; the step is reached once it has counted for `holdMs`.
inline constexpr double kDefaultToleranceCents = 25;
inline constexpr std::int64_t kDefaultHoldMs = 150;
// A drop-out (silence, another note, a reading out of tune) shorter than this does not end a hold:
// a pitch tracker loses a note for a frame or two at a breath or a key click.
inline constexpr std::int64_t kDropOutGraceMs = 40;
// The in-tune zone of the tuning needle and of the intonation chart: a note whose average lies
// within it (after rounding to whole cents) is in tune.
inline constexpr double kInTuneZoneCents = 10;

// The concert MIDI note a written note sounds on the saxophone `transpositionRows` rows down (0:
// no instrument chosen yet, the written pitch itself); -1 for a transposition that is none of
// these or a note outside the table.
int ConcertPitchOf(int note, int transpositionRows);
// The application's name of a written note without its enharmonic part: "D1", "C#0", "Bb-1".
std::string PracticeNoteName(int note);

// Judges one step: fed what is heard, with the readings' times, it says when the step's note has
// been held within the tolerance for the hold time. A reading stands for what is heard from its
// time until the next one; a MIDI note is exactly in tune for as long as it is held.
class StepJudge {
public:
    StepJudge(int writtenNote, int transpositionRows, double toleranceCents = kDefaultToleranceCents,
              std::int64_t holdMs = kDefaultHoldMs);

    // The step shows its note at `ms`; time to hit is counted from here. Readings before it are
    // not judged.
    void Begin(std::int64_t ms);
    void Hear(const HeardNote& heard);
    // True once the note has been held long enough by `nowMs` (and from then on).
    bool ReachedBy(std::int64_t nowMs);

    // When the hold now under way completes if the note goes on as it is; none while the note is
    // not being held in tune, and once reached.
    std::optional<std::int64_t> ReachableAtMs() const;

    int TargetConcertMidi() const { return target_; }
    bool Reached() const { return reachedMs_.has_value(); }
    // The average deviation in cents of the readings that were the step's note (within 50 cents of
    // it) until it was reached; none when it was never heard.
    std::optional<double> AverageCents() const;
    // From Begin to the moment the hold was complete; none when not reached.
    std::optional<std::int64_t> TimeToHitMs() const;

private:
    int target_;
    double tolerance_;
    std::int64_t hold_;
    std::int64_t beginMs_ = 0;
    bool begun_ = false;
    bool inTuneNow_ = false;
    std::optional<std::int64_t> holdStart_;  // when the current hold began
    std::optional<std::int64_t> dropStart_;  // when the current drop-out began
    std::optional<std::int64_t> reachedMs_;
    double centsSum_ = 0;
    int centsCount_ = 0;
};

// One step of a run as it was played.
struct PracticeStep {
    int note = 0;                              // the written note shown (note table row)
    bool reached = false;                      // held in tune; false when cut short
    std::optional<double> averageCents;        // none when the note was never heard
    std::optional<std::int64_t> timeToHitMs;   // none when not reached
};

// In tune: reached, with an average inside the in-tune zone.
bool InTune(const PracticeStep& step);
// An average as shown: whole cents with a sign ("+4", "-22", "0"); empty without one.
std::string CentsText(const std::optional<double>& cents);
// A time to hit as shown: seconds with two decimals ("1.25 s"); empty without one.
std::string TimeToHitText(const std::optional<std::int64_t>& ms);

// The run in one line: "18 of 20 notes in tune; flattest D1, -22 cents". Without a note whose
// average rounds below zero the second part is "none flat"; when no note of the run was heard at
// all it is "no note played".
std::string PracticeSummary(const std::vector<PracticeStep>& steps);

// The list as CSV (RFC 4180: CRLF line ends, fields holding a comma, a quote or a line end quoted,
// quotes doubled): a header row "Note,Average cents,Time to hit (s)", then one row per step with
// the average to one decimal and the time in seconds to three; empty fields where there is none.
// Numbers always use a decimal point, whatever the locale.
std::string PracticeCsv(const std::vector<PracticeStep>& steps);
// One field as RFC 4180 writes it.
std::string CsvField(const std::string& text);

} // namespace korvalin
