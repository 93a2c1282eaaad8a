#include "metronome/click_track.h"

#include <algorithm>

namespace korvalin {

void ClickTrack::Start(MetronomeSchedule schedule) {
    Stop();
    schedule_ = std::move(schedule);
    pending_.clear();
    next_ = 0;
    nextBar_ = 0;
    FillAhead(0);
}

// Keeps at least the bar after the one holding `units` in pending_, so that events a bar brings
// into the next one (a step's end, a click's end) are merged before anything there is sent.
void ClickTrack::FillAhead(int64_t units) {
    const int64_t barUnits = schedule_->BeatTime(schedule_->BeatsPerBar()).units;
    const int64_t wanted = units / barUnits + 2;
    if (nextBar_ >= wanted) return;
    // Drop what was sent, so a long run keeps only a couple of bars.
    pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(next_));
    next_ = 0;
    for (; nextBar_ < wanted; ++nextBar_) {
        const std::vector<ScheduledEvent> bar = schedule_->Bar(nextBar_);
        pending_.insert(pending_.end(), bar.begin(), bar.end());
    }
    std::stable_sort(pending_.begin(), pending_.end(), [](const ScheduledEvent& a, const ScheduledEvent& b) {
        return a.at.units != b.at.units ? a.at.units < b.at.units : a.kind < b.kind;
    });
}

std::optional<EventTime> ClickTrack::NextEventTime() const {
    if (!schedule_ || next_ >= pending_.size()) return std::nullopt;
    return pending_[next_].at;
}

void ClickTrack::PlayUntil(double ms) {
    if (!schedule_) return;
    const double units = ms * schedule_->Tempo();
    while (true) {
        FillAhead(next_ < pending_.size() ? pending_[next_].at.units : int64_t(units));
        if (next_ >= pending_.size() || double(pending_[next_].at.units) > units) return;
        output_.Send(pending_[next_++].message);
    }
}

void ClickTrack::Stop() {
    if (!schedule_) return;
    for (uint32_t message : schedule_->StopMessages()) output_.Send(message);
    schedule_.reset();
    pending_.clear();
    next_ = 0;
}

} // namespace korvalin
