// The notes the application itself has sounding, wherever they sound, and the rules that keep
// them from being taken for the player.
//
// The built-in synthesizer's sound is taken out of the microphone by the echo canceller, which
// needs a moment on each new sound before what it leaves can be trusted: a note heard at the pitch
// of one of the synthesizer's notes (or an octave of it) in that note's first moments is not the
// player's. After that, the player in unison with the drone is heard through the canceller.
//
// What an external MIDI output plays (a sound module, another synthesizer) is not the
// application's to hear, so there is nothing to cancel; it is told apart by pitch and level: a
// note heard at the pitch of one of those notes is the player's only when it rises clearly above
// the level that note was heard at in its first moments, when only the output sounded it. A note
// the microphone did not hear in those moments (headphones, a quiet module) holds nothing back.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <utility>

namespace korvalin {

// The clock every time here is read on: milliseconds of the steady clock.
int64_t SteadyMilliseconds();

// What sounds, with when it began and last sounded: written by the synthesizer's audio thread and
// by the thread that sends to an output, read by the capture and listening threads.
class OwnSound {
public:
    // How long after a note stops sounding its tail still counts (release, the room's reverb).
    static constexpr int64_t kTailMs = 500;

    enum class Source {
        Synthesizer, // the built-in synthesizer: its sound is cancelled
        Output,      // an external output: its sound is only known by its notes
    };

    // The built-in synthesizer: `keys` (bit n for MIDI note n, percussion left out) sound at `ms`,
    // and whether any voice at all does (the clicks too).
    void SynthKeysSounding(const std::array<uint64_t, 2>& keys, int64_t ms, bool anyVoice = true);
    // Whether any voice of the synthesizer sounds at `ms`, or its tail does.
    bool SynthSounding(int64_t ms) const;
    // An external output: a packed channel message sent to it at `ms` (the same message may be
    // told twice). Percussion (channel 10) is left out: the clicks have no pitch to mistake.
    void Sent(uint32_t message, int64_t ms);
    // The external output closed or changed: whatever it held has stopped at `ms`.
    void AllStopped(int64_t ms);

    // Since when `note` or an octave of it has sounded from `source` without a break, its tail
    // included, at `ms`: the earliest such beginning, or -1 when none sounds.
    int64_t SoundingSince(int note, Source source, int64_t ms) const;

private:
    struct Notes {
        std::array<std::atomic<int64_t>, 128> lastMs{};  // when each note last sounded; 0: never
        std::array<std::atomic<int64_t>, 128> sinceMs{}; // when its current sounding began
        void Touch(int note, int64_t ms);
        void End(int note, int64_t ms) { lastMs[std::size_t(note & 0x7F)].store(ms, std::memory_order_release); }
        int64_t Since(int note, bool held, int64_t ms) const;
    };
    Notes synth_, output_;
    std::atomic<int64_t> synthLastMs_{0};
    mutable std::mutex mutex_;
    std::set<std::pair<int, int>> held_; // (channel, note) held on the external output
};

// The one the application writes to.
OwnSound& OwnSounding();

// How long the canceller is given on each new sound of the synthesizer.
inline constexpr int64_t kCancellerSettlesMs = 600;
// Whether `concertMidi` heard at `ms` may be the player's as far as the synthesizer's sound goes:
// false in the first moments of a synthesizer note at its pitch or an octave of it.
bool PastTheCancellersFirstMoments(const OwnSound& own, int concertMidi, int64_t ms);

// The rule for an external output's notes; it keeps, per pitch, the level it learnt.
class OwnSoundGuard {
public:
    // How long an output's note is listened to for its level, and how much louder than that the
    // player must be at the same pitch.
    static constexpr int64_t kLearnMs = 600;
    static constexpr double kMarginDb = 3.0;

    // Whether `concertMidi` heard at `levelDb` (dBFS) at `ms` is the player's, against the notes
    // of `source`: external outputs unless told otherwise.
    bool IsPlayer(const OwnSound& own, int concertMidi, double levelDb, int64_t ms,
                  OwnSound::Source source = OwnSound::Source::Output);

private:
    struct Learnt {
        int64_t since = -1;    // the sounding the level belongs to
        double levelDb = -1e9; // loudest heard while learning
    };
    std::array<Learnt, 12> learnt_{}; // by pitch class
};

} // namespace korvalin
