#include "metronome/sequencer_click_track.h"

#include "midi/midi_port.h"

#include <fluidsynth.h>

#include <algorithm>
#include <memory>

namespace korvalin {
namespace {

struct EventDeleter {
    void operator()(fluid_event_t* e) const { delete_fluid_event(e); }
};
using Event = std::unique_ptr<fluid_event_t, EventDeleter>;

// The sequencer's form of one packed short message; false for messages the metronome never sends.
bool FillEvent(fluid_event_t* e, uint32_t message) {
    const MidiMessage m{message};
    const int channel = m.Channel(), data1 = m.Data1(), data2 = m.Data2();
    switch (m.Kind()) {
    case kNoteOnStatus:
        if (data2 > 0) fluid_event_noteon(e, channel, short(data1), short(data2));
        else fluid_event_noteoff(e, channel, short(data1));
        return true;
    case kProgramChangeStatus:
        fluid_event_program_change(e, channel, data1);
        return true;
    case kControlChangeStatus:
        if (data1 == kAllNotesOffController) fluid_event_all_notes_off(e, channel);
        else fluid_event_control_change(e, channel, short(data1), data2);
        return true;
    default:
        return false;
    }
}

} // namespace

SequencerClickTrack::SequencerClickTrack(fluid_synth_t* synth, bool systemTimer) {
    if (!synth) return;
    sequencer_ = new_fluid_sequencer2(systemTimer ? 1 : 0);
    if (!sequencer_) return;
    synthId_ = fluid_sequencer_register_fluidsynth(sequencer_, synth);
    clientId_ = fluid_sequencer_register_client(sequencer_, "Korvalin metronome", &SequencerClickTrack::OnTimer, this);
    if (synthId_ == FLUID_FAILED || clientId_ == FLUID_FAILED) {
        delete_fluid_sequencer(sequencer_);
        sequencer_ = nullptr;
    }
}

SequencerClickTrack::~SequencerClickTrack() {
    if (!sequencer_) return;
    Stop();
    // Deleting the sequencer unregisters both clients and detaches it from the synthesizer.
    delete_fluid_sequencer(sequencer_);
}

unsigned SequencerClickTrack::Tick() const { return sequencer_ ? fluid_sequencer_get_tick(sequencer_) : 0; }

bool SequencerClickTrack::Running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

unsigned SequencerClickTrack::Start(MetronomeSchedule schedule, unsigned delayMs) {
    if (!sequencer_) return 0;
    Stop();
    // Nothing of ours is queued now, so no timer can run until the first one below is queued,
    // and from then on timers only read the schedule and the origin. The sequencer is called
    // without our lock held: a timer holds the sequencer's lock while it waits for ours.
    {
        std::lock_guard lock(mutex_);
        schedule_ = std::move(schedule);
        origin_ = fluid_sequencer_get_tick(sequencer_) + delayMs;
        running_ = true;
    }
    // Two bars queued: the one playing and the one after it. Each bar's timer queues another.
    QueueBar(0);
    QueueBar(1);
    return origin_;
}

unsigned SequencerClickTrack::BeatTick(int64_t beat) const { return origin_ + unsigned(schedule_.BeatTime(beat).RoundedMs()); }

unsigned SequencerClickTrack::Change(const MetronomeSchedule& schedule) {
    if (!sequencer_) return 0;
    bool wasRunning = false;
    {
        // From here no timer queues anything (as in Stop); the queue is emptied and filled again.
        std::lock_guard lock(mutex_);
        wasRunning = std::exchange(running_, false);
    }
    if (!wasRunning) return Start(schedule, 0);
    fluid_sequencer_remove_events(sequencer_, clientId_, -1, -1);
    const unsigned now = fluid_sequencer_get_tick(sequencer_);
    const bool begun = int64_t(now) >= int64_t(origin_);
    if (!begun && !takenOver_) {
        // Nothing has sounded yet: the new settings simply start in its place.
        const unsigned delay = origin_ - now;
        {
            std::lock_guard lock(mutex_);
            running_ = true;
        }
        return Start(schedule, delay);
    }
    if (begun) {
        takenOver_ = Handover{schedule_, schedule_.NextBeatAfter(double(int64_t(now) - int64_t(origin_))), origin_};
        // The last takeover's ends are due by now; the removal may have taken one not yet played.
        ends_.insert(ends_.end(), handoverEnds_.begin(), handoverEnds_.end());
    }
    handoverEnds_.clear();
    const Handover& h = *takenOver_;
    const unsigned at = h.origin + unsigned(h.from.BeatTime(h.beat).RoundedMs());
    // The ends of the last click and step before the takeover still come; its other events are
    // past or about to be replaced.
    const int64_t bar = std::max<int64_t>(h.beat - 1, 0) / h.from.BeatsPerBar();
    for (int64_t b : {bar, bar + 1})
        for (const ScheduledEvent& e : h.from.Bar(b)) {
            const unsigned tick = h.origin + unsigned(e.at.RoundedMs());
            if ((e.kind == EventKind::ClickEnd || e.kind == EventKind::StepEnd) && tick >= now && tick < at) SendAt(e.message, tick);
        }
    const MetronomeSchedule next = schedule.TakingOver(h.from, h.beat);
    std::erase_if(ends_, [now](const auto& end) { return end.first < now; });
    for (uint32_t message : next.EndsAtTakeover(h.from)) handoverEnds_.emplace_back(at, message);
    for (const auto* ends : {&ends_, &handoverEnds_})
        for (const auto& [tick, message] : *ends) SendAt(message, tick);
    {
        std::lock_guard lock(mutex_);
        schedule_ = next;
        origin_ = at;
        running_ = true;
    }
    QueueBar(0);
    QueueBar(1);
    return at;
}

void SequencerClickTrack::QueueStep(int note, int64_t beat, int64_t endBeat) {
    if (!Running() || note < 0 || note > 127) return;
    const unsigned now = fluid_sequencer_get_tick(sequencer_);
    std::erase_if(ends_, [now](const auto& end) { return end.first < now; });
    const StepSettings& steps = schedule_.Steps();
    const auto message = [&](int velocity) { return PackMidiMessage(kNoteOnStatus + steps.channel, note, velocity); };
    SendAt(message(steps.velocity), BeatTick(beat));
    ends_.emplace_back(BeatTick(endBeat), message(0));
    SendAt(ends_.back().second, ends_.back().first);
}

void SequencerClickTrack::QueueBar(int64_t bar) {
    for (const ScheduledEvent& event : schedule_.Bar(bar))
        SendAt(event.message, origin_ + unsigned(event.at.RoundedMs()));
    // At the start of this bar, queue the bar after the next one.
    Event timer(new_fluid_event());
    fluid_event_set_source(timer.get(), clientId_);
    fluid_event_set_dest(timer.get(), clientId_);
    fluid_event_timer(timer.get(), reinterpret_cast<void*>(static_cast<intptr_t>(bar + 2)));
    fluid_sequencer_send_at(sequencer_, timer.get(),
                            origin_ + unsigned(schedule_.BeatTime(bar * schedule_.BeatsPerBar()).RoundedMs()), 1);
}

void SequencerClickTrack::OnTimer(unsigned int, fluid_event_t* event, fluid_sequencer_t*, void* data) {
    auto* self = static_cast<SequencerClickTrack*>(data);
    if (fluid_event_get_type(event) != FLUID_SEQ_TIMER) return;
    const auto bar = static_cast<int64_t>(reinterpret_cast<intptr_t>(fluid_event_get_data(event)));
    std::lock_guard lock(self->mutex_);
    if (self->running_) self->QueueBar(bar);
}

void SequencerClickTrack::Stop() {
    if (!sequencer_) return;
    {
        // Once this is false no timer queues anything more; one already running has finished
        // queueing when the lock is taken, so the removal below catches what it queued.
        std::lock_guard lock(mutex_);
        if (!running_) return;
        running_ = false;
    }
    fluid_sequencer_remove_events(sequencer_, clientId_, -1, -1);
    for (const auto* ends : {&ends_, &handoverEnds_})
        for (const auto& end : *ends) SendNow(end.second);
    ends_.clear();
    handoverEnds_.clear();
    takenOver_.reset();
    for (uint32_t message : schedule_.StopMessages()) SendNow(message);
}

void SequencerClickTrack::SendAt(uint32_t message, unsigned tick) {
    Event e(new_fluid_event());
    if (!FillEvent(e.get(), message)) return;
    fluid_event_set_source(e.get(), clientId_);
    fluid_event_set_dest(e.get(), synthId_);
    fluid_sequencer_send_at(sequencer_, e.get(), tick, 1);
}

void SequencerClickTrack::SendNow(uint32_t message) {
    Event e(new_fluid_event());
    if (!FillEvent(e.get(), message)) return;
    fluid_event_set_source(e.get(), clientId_);
    fluid_event_set_dest(e.get(), synthId_);
    fluid_sequencer_send_now(sequencer_, e.get());
}

} // namespace korvalin
