#include "metronome/tap_tempo.h"

#include "metronome/metronome_schedule.h"

#include <algorithm>
#include <cmath>

namespace korvalin {

std::optional<int> TapTempo::Tap(int64_t ms) {
    // A clock that went back, or a long pause, begins a new count.
    if (!taps_.empty() && (ms < taps_.back() || ms - taps_.back() > kResetMs)) taps_.clear();
    taps_.push_back(ms);
    if (taps_.size() > std::size_t(kIntervals + 1)) taps_.erase(taps_.begin());
    if (taps_.size() < 2) return std::nullopt;
    const double span = double(taps_.back() - taps_.front());
    if (span <= 0) return kMaxTempo; // taps at one moment: as fast as can be set
    const double bpm = 60000.0 * double(taps_.size() - 1) / span;
    return std::clamp(int(std::lround(bpm)), kMinTempo, kMaxTempo);
}

} // namespace korvalin
