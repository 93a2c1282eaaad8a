#include "room/playback_reference.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace korvalin {
namespace {

// How far a block's nominal position may run ahead of the end of the block before it and still be
// taken as its continuation: scheduling jitter of the audio thread, well under a server's dropout.
constexpr double kJitterSeconds = 0.030;

} // namespace

PlaybackReference::PlaybackReference(double rate, int capacity)
    : ring_(std::bit_ceil(std::size_t(std::max(capacity, 1024)))), mask_(int64_t(ring_.size()) - 1), rate_(rate) {}

int64_t PlaybackReference::PositionAt(int64_t steadyNs) const {
    return int64_t(std::floor(double(steadyNs) * 1e-9 * rate_.load(std::memory_order_relaxed)));
}

void PlaybackReference::SetRate(double rate) {
    if (!(rate > 0) || rate == rate_.load()) return;
    start_.store(0);
    end_.store(0);
    rate_.store(rate);
}

void PlaybackReference::Write(std::span<const float> mono, int64_t handedAtNs, int64_t leadFrames) {
    if (mono.empty()) return;
    const int64_t size = int64_t(ring_.size());
    const int64_t end = end_.load(std::memory_order_relaxed);
    int64_t at = PositionAt(handedAtNs) + leadFrames;
    const int64_t jitter = int64_t(kJitterSeconds * rate_.load(std::memory_order_relaxed));
    if (end == 0 || at > end + jitter) {
        starts_.fetch_add(1, std::memory_order_release);
        // A new start: what lies between the last block and this one was silence. The positions
        // about to be overwritten are given up first, so the reader never takes a sample of one
        // turn of the ring for another.
        const int64_t gapFrom = end == 0 ? at : end;
        const int64_t newEnd = at + int64_t(mono.size());
        start_.store(std::max(start_.load(std::memory_order_relaxed), newEnd - size), std::memory_order_release);
        if (end == 0) start_.store(at, std::memory_order_release);
        for (int64_t p = std::max(gapFrom, at - size); p < at; ++p) ring_[std::size_t(p & mask_)] = 0.0f;
    } else {
        at = end;
        start_.store(std::max(start_.load(std::memory_order_relaxed), at + int64_t(mono.size()) - size),
                     std::memory_order_release);
    }
    for (std::size_t i = 0; i < mono.size(); ++i) ring_[std::size_t((at + int64_t(i)) & mask_)] = mono[i];
    end_.store(at + int64_t(mono.size()), std::memory_order_release);
}

void PlaybackReference::Read(int64_t from, std::span<float> out) const {
    const int64_t end = end_.load(std::memory_order_acquire);
    const int64_t start = start_.load(std::memory_order_acquire);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int64_t p = from + int64_t(i);
        out[i] = (p >= start && p < end) ? ring_[std::size_t(p & mask_)] : 0.0f;
    }
    // The writer may have gone round the ring while these were read: what it gave up since is zero.
    const int64_t startAfter = start_.load(std::memory_order_acquire);
    for (std::size_t i = 0; i < out.size() && from + int64_t(i) < startAfter; ++i) out[i] = 0.0f;
}

PlaybackReference& OwnPlayback() {
    static PlaybackReference reference;
    return reference;
}

} // namespace korvalin
