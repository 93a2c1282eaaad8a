// Plays a metronome schedule on a FluidSynth synthesizer through FluidSynth's own sequencer, so
// that every click is timed by the synthesizer's sample clock rather than by the event loop: each
// bar is queued a bar ahead, and a timer event at the start of each bar queues the next one. With
// the sequencer driven by the synthesizer (no system timer), rendering advances it: in a live
// audio stream or offline, the events land where the samples say, whatever the process is doing.
#pragma once

#include "metronome/metronome_schedule.h"

#include <mutex>
#include <optional>
#include <utility>
#include <vector>

struct _fluid_synth_t;
struct _fluid_sequencer_t;
struct _fluid_event_t;

namespace korvalin {

class SequencerClickTrack {
public:
    // Plays on `synth`, which the caller owns and keeps alive longer than this object. With
    // `systemTimer` false the sequencer's clock is the synthesizer's rendered samples.
    explicit SequencerClickTrack(_fluid_synth_t* synth, bool systemTimer = false);
    ~SequencerClickTrack(); // stops, then takes the sequencer away from the synthesizer
    SequencerClickTrack(const SequencerClickTrack&) = delete;
    SequencerClickTrack& operator=(const SequencerClickTrack&) = delete;

    bool Valid() const { return sequencer_ != nullptr; }

    // Starts `schedule` `delayMs` milliseconds after the sequencer's present tick (a running one
    // is stopped first). Returns the tick (milliseconds of the sequencer's clock) of beat 0.
    unsigned Start(MetronomeSchedule schedule, unsigned delayMs = 20);
    // `schedule` takes over at the first beat after the sequencer's present tick, the bar and a
    // held drone going on; what was due before it (a click's end) still comes. Starts it at once
    // when stopped. Returns the tick of its beat 0.
    unsigned Change(const MetronomeSchedule& schedule);
    // A scale step on the schedule's step channel: its note from beat `beat` to beat `endBeat`
    // (a beat already past starts it at once), so that steps and clicks keep one clock.
    void QueueStep(int note, int64_t beat, int64_t endBeat);
    // Drops every queued event and ends at once everything the schedule can have sounding.
    void Stop();
    bool Running() const;
    // The schedule playing now (the one that took over last); read it on the thread that starts.
    const MetronomeSchedule& Schedule() const { return schedule_; }
    // The tick of the schedule's beat `beat`.
    unsigned BeatTick(int64_t beat) const;

    // The sequencer's present tick in milliseconds.
    unsigned Tick() const;

private:
    static void OnTimer(unsigned int time, _fluid_event_t* event, _fluid_sequencer_t* sequencer, void* data);
    void QueueBar(int64_t bar);
    void SendAt(uint32_t message, unsigned tick);
    void SendNow(uint32_t message);

    _fluid_sequencer_t* sequencer_ = nullptr;
    short synthId_ = -1;
    short clientId_ = -1;

    mutable std::mutex mutex_; // guards running_ against the synthesizer's thread
    bool running_ = false;
    // Set by Start() before any timer of the run is queued; read by the timers.
    MetronomeSchedule schedule_;
    unsigned origin_ = 0;      // tick of beat 0
    // Note ends queued outside the bars (steps; a drone handed over): kept again by a takeover,
    // sent at once by a stop.
    std::vector<std::pair<unsigned, uint32_t>> ends_;
    std::vector<std::pair<unsigned, uint32_t>> handoverEnds_; // of the latest takeover
    // What the schedule took over from: a change made before its beat 0 takes over from that
    // in turn, in the schedule's place.
    struct Handover {
        MetronomeSchedule from;
        int64_t beat = 0;
        unsigned origin = 0; // the tick of `from`'s beat 0
    };
    std::optional<Handover> takenOver_;
};

} // namespace korvalin
