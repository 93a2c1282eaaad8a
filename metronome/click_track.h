// Plays a metronome schedule on a MIDI output as its clock advances: whoever owns the clock (the
// event loop for an external port, a test) asks when the next event is due and then plays up to
// that moment. Bars are taken from the schedule one ahead of the moment played. New settings take
// over at the next beat, the bar and a held drone going on. Stopping ends everything the schedule
// can have sounding before it returns.
#pragma once

#include "metronome/metronome_schedule.h"
#include "midi/midi_port.h"

#include <optional>
#include <utility>
#include <vector>

namespace korvalin {

class ClickTrack {
public:
    explicit ClickTrack(MidiOutput& output) : output_(output) {}
    ~ClickTrack() { Stop(); }
    ClickTrack(const ClickTrack&) = delete;
    ClickTrack& operator=(const ClickTrack&) = delete;

    // Starts `schedule` at event time 0 (a running one is stopped first). Nothing is sent until
    // PlayUntil() reaches a moment.
    void Start(MetronomeSchedule schedule);
    bool Running() const { return schedule_.has_value(); }
    // The schedule playing now (the one that took over last).
    const MetronomeSchedule& Schedule() const { return *schedule_; }

    // `schedule` takes over at the first beat after `ms` milliseconds of event time; what is due
    // before it (a click's end) is still sent. Returns that beat's moment. Starts it at 0 when
    // stopped.
    double Change(const MetronomeSchedule& schedule, double ms);

    // When the next event is due, in milliseconds of event time; nothing when stopped.
    std::optional<double> NextEventTime() const;
    // Sends, in order, every event due at or before `ms` milliseconds of event time.
    void PlayUntil(double ms);
    // Sends the schedule's stop messages and forgets it. Harmless when stopped.
    void Stop();

private:
    struct Pending {
        double ms;
        ScheduledEvent event;
    };
    void FillAhead(double ms);

    MidiOutput& output_;
    std::optional<MetronomeSchedule> schedule_;
    double originMs_ = 0;           // event time of the schedule's beat 0
    // What the schedule took over from, at which of its beats: a change made before that beat
    // takes over from it in turn, in the schedule's place.
    std::optional<std::pair<MetronomeSchedule, int64_t>> takenOver_;
    std::vector<Pending> pending_;  // in sending order
    std::size_t next_ = 0;          // first unsent entry of pending_
    int64_t nextBar_ = 0;           // the schedule's first bar not yet in pending_
};

} // namespace korvalin
