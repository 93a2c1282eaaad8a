// What the application itself plays, kept where the capture can find it: the microphone of a
// laptop (or any microphone in the room) hears the speakers, and the echo canceller needs the
// very samples that went to them, lined up with what the microphone picked up.
//
// Both sides are laid on one timeline of samples at the synthesizer's rate: position p stands for
// the moment p / rate seconds of the steady clock (CLOCK_MONOTONIC). The synthesizer's audio
// thread writes each block it hands to the sound server at the position where it will be heard
// (hand-over time plus the buffer the server holds); a stream that stops and starts again, or a
// server that ran dry, leaves silence in between. What remains between that nominal position and
// what the microphone really hears (the server's own latency, the capture's, the air) is measured
// by the canceller from the sound itself.
//
// One writer thread and one reader thread, no locks: the reader gets zeros for anything not yet
// written or already overwritten.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

namespace korvalin {

class PlaybackReference {
public:
    // `capacity` is rounded up to a power of two (about six seconds by default).
    explicit PlaybackReference(double rate = 44100.0, int capacity = 1 << 18);
    PlaybackReference(const PlaybackReference&) = delete;
    PlaybackReference& operator=(const PlaybackReference&) = delete;

    double Rate() const { return rate_; }
    // The timeline position of a moment of the steady clock, in nanoseconds.
    int64_t PositionAt(int64_t steadyNs) const;

    // Writer: `mono` handed to the sound server at `handedAtNs`, heard `leadFrames` later. Blocks
    // follow each other without a gap unless the nominal position runs ahead of the last one by
    // more than a jitter allowance (a new stream, a server that ran dry).
    void Write(std::span<const float> mono, int64_t handedAtNs, int64_t leadFrames);
    // Writer: a changed rate (a synthesizer loaded at another rate); forgets what was kept.
    void SetRate(double rate);

    // Reader: the samples at positions [from, from + out.size()).
    void Read(int64_t from, std::span<float> out) const;
    // Reader: the position up to which samples have been written (0 before the first).
    int64_t WrittenEnd() const { return end_.load(std::memory_order_acquire); }
    // Reader: how many times the writer started afresh (a new stream, a server that ran dry): each
    // start may reach the speakers with another latency.
    int Starts() const { return starts_.load(std::memory_order_acquire); }

private:
    std::vector<float> ring_;
    int64_t mask_;
    std::atomic<double> rate_;
    std::atomic<int64_t> start_{0}; // first position still kept
    std::atomic<int64_t> end_{0};   // one past the last position written
    std::atomic<int> starts_{0};
};

// The one kept for the built-in synthesizer's sound, written by its audio thread.
PlaybackReference& OwnPlayback();

} // namespace korvalin
