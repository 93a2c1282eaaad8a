// Tap tempo: the tempo of a few taps on a button, from the moments they came. No toolkit.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace korvalin {

class TapTempo {
public:
    // How many of the latest intervals are averaged.
    static constexpr int kIntervals = 4;
    // A pause longer than this (the slowest beat, 2 s at 30 beats per minute, and some) starts a
    // new count: the tap after it is a first tap.
    static constexpr int64_t kResetMs = 2500;

    // A tap at `ms` milliseconds of a clock that never goes back. Returns the tempo in beats per
    // minute (the average of the latest intervals, rounded, within kMinTempo..kMaxTempo) from the
    // second tap of a count on; nothing for a first tap.
    std::optional<int> Tap(int64_t ms);
    void Reset() { taps_.clear(); }

private:
    std::vector<int64_t> taps_; // the taps of the current count, at most kIntervals + 1
};

} // namespace korvalin
