#include "metronome/click_track.h"

#include "midi/midi_message.h"

#include <algorithm>

namespace korvalin {

void ClickTrack::Start(MetronomeSchedule schedule) {
    Stop();
    schedule_ = std::move(schedule);
    originMs_ = 0;
    takenOver_.reset();
    pending_.clear();
    next_ = 0;
    nextBar_ = 0;
    FillAhead(0);
}

double ClickTrack::Change(const MetronomeSchedule& schedule, double ms) {
    // Stopped, or nothing sounded yet: the new settings simply start.
    if (!schedule_ || (ms < originMs_ && !takenOver_)) {
        Start(schedule);
        return 0;
    }
    double at = originMs_;
    if (ms >= originMs_) {
        const int64_t beat = schedule_->NextBeatAfter(ms - originMs_);
        at = originMs_ + schedule_->BeatTime(beat).Ms();
        takenOver_.emplace(*schedule_, beat);
    }
    // What the schedule has from that beat on goes; what it has before it (a click's end) stays.
    std::erase_if(pending_, [at](const Pending& p) { return p.ms >= at; });
    next_ = std::min(next_, pending_.size());
    const auto& [before, beat] = *takenOver_;
    schedule_ = schedule.TakingOver(before, beat);
    for (uint32_t message : schedule_->EndsAtTakeover(before))
        pending_.push_back({at, {schedule_->BeatTime(0), EventKind::StepEnd, message}});
    originMs_ = at;
    nextBar_ = 0;
    FillAhead(at);
    return at;
}

// Keeps at least the bar after the one holding `ms` in pending_, so that events a bar brings into
// the next one (a step's end, a click's end) are merged before anything there is sent.
void ClickTrack::FillAhead(double ms) {
    const double barMs = schedule_->BeatTime(schedule_->BeatsPerBar()).Ms();
    const auto wanted = int64_t(std::max(ms - originMs_, 0.0) / barMs) + 2;
    if (nextBar_ >= wanted) return;
    // Drop what was sent, so a long run keeps only a couple of bars.
    pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(next_));
    next_ = 0;
    for (; nextBar_ < wanted; ++nextBar_)
        for (const ScheduledEvent& e : schedule_->Bar(nextBar_)) pending_.push_back({originMs_ + e.at.Ms(), e});
    std::stable_sort(pending_.begin(), pending_.end(), [](const Pending& a, const Pending& b) {
        return a.ms != b.ms ? a.ms < b.ms : a.event.kind < b.event.kind;
    });
}

std::optional<double> ClickTrack::NextEventTime() const {
    if (!schedule_ || next_ >= pending_.size()) return std::nullopt;
    return pending_[next_].ms;
}

void ClickTrack::PlayUntil(double ms) {
    if (!schedule_) return;
    while (true) {
        FillAhead(next_ < pending_.size() ? pending_[next_].ms : ms);
        if (next_ >= pending_.size() || pending_[next_].ms > ms) return;
        output_.Send(pending_[next_++].event.message);
    }
}

void ClickTrack::Stop() {
    if (!schedule_) return;
    // A note an earlier schedule left to end later (a drone handed over) ends now too.
    for (std::size_t i = next_; i < pending_.size(); ++i) {
        const uint32_t m = pending_[i].event.message;
        if (MidiMessage{m}.EndsNote() && pending_[i].event.kind == EventKind::StepEnd) output_.Send(m);
    }
    for (uint32_t message : schedule_->StopMessages()) output_.Send(message);
    schedule_.reset();
    pending_.clear();
    next_ = 0;
}

} // namespace korvalin
