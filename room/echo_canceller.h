// Takes the application's own sound out of what the microphone hears, so that in a room where the
// microphone also hears the speakers the player is heard and the drone, the clicks and the scale
// played by the built-in synthesizer are not.
//
// The microphone's samples are laid on the timeline of PlaybackReference (see there). How much
// later the microphone hears a sample than its nominal position says (the sound server's latency,
// the capture's, the air) is measured from the sound itself: the onsets of what was played (clicks,
// notes starting) are looked for in what was heard, by cross-correlating the two envelopes once
// or twice a second while something is played. The reference, moved by that delay, drives an
// adaptive echo canceller whose filter spans the rest (the room's reflections, an error in the
// delay); a residual echo suppressor then takes out what the filter leaves of the echo, bin by bin,
// so the player's own partials, which the echo does not have, pass.
//
// Plain C++ over the echo canceller library; one thread feeds it (the capture thread, or a test).
#pragma once

#include "room/own_sound.h"
#include "room/playback_reference.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace korvalin {

struct EchoCancellerSettings {
    int frame = 512;          // samples per step of the canceller (11.6 ms at 44.1 kHz)
    double filterMs = 120.0;  // the span of echo the adaptive filter models
    double marginMs = 20.0;   // of that span, how much lies before the measured delay
    double defaultDelayMs = 20.0; // the delay assumed until one is measured
    bool suppressResidual = true; // the residual echo suppressor after the filter
};

class EchoCanceller {
public:
    // Works at the reference's rate; a capture at another rate is passed through untouched.
    EchoCanceller(const PlaybackReference& reference, double captureRate, const EchoCancellerSettings& settings = {});
    ~EchoCanceller();
    EchoCanceller(const EchoCanceller&) = delete;
    EchoCanceller& operator=(const EchoCanceller&) = delete;

    // Cleans `mic` in place. Its first sample was captured at timeline position `position`. The
    // output runs one frame behind the input (the first frame out is silence).
    void Process(std::span<float> mic, int64_t position);

    // Whether the canceller works on this capture (the rates agree and the library started).
    bool Active() const { return state_ != nullptr; }
    // The delay from a sample's nominal position to the microphone, in ms, and whether it was
    // measured (rather than assumed).
    double DelayMs() const;
    bool DelayMeasured() const { return measured_; }
    // Whether what it leaves may be trusted: the delay is measured, the filter has since heard the
    // application's sound for a while and takes out most of it; or the microphone has been found
    // not to hear the application at all (headphones), so there is nothing to take out.
    // Once settled it stays so until the playback starts afresh: while the player plays, the
    // output holds the player and says nothing more of how well the echo goes.
    bool Settled() const { return settled_ || unheard_ >= kUnheardMeasurements; }
    // Settled only in that the microphone was not found to hear the playback (headphones, or a
    // delay it could not find): nothing says that what it leaves is free of the application.
    bool FoundNoEcho() const { return !settled_ && unheard_ >= kUnheardMeasurements; }
    static constexpr double kSettlesSeconds = 1.0;
    static constexpr double kSettledReductionDb = 15.0;
    static constexpr int kUnheardMeasurements = 4;
    // How much quieter the output is than the microphone while the application sounds, smoothed.
    double ReductionDb() const { return reductionDb_; }
    // Levels over the latest frame, dBFS (-120 for nothing): what the microphone heard, and what
    // of it the canceller took for the application's own sound.
    double MicLevelDb() const { return micDb_; }
    double EchoLevelDb() const { return echoDb_; }
    // The echo's level held at its peaks, falling 60 dB a second: what a note heard now must be
    // measured against, as the residual of a click outlasts the click's frame.
    double EchoPeakDb() const { return echoPeakDb_; }

private:
    struct Speex;
    void ProcessFrame(const float* in, float* out, int64_t position);
    void NoteEnvelope(const float* in, int64_t position, int count);
    void MeasureDelay(int64_t position);

    const PlaybackReference& reference_;
    EchoCancellerSettings settings_;
    double rate_;
    std::unique_ptr<Speex> state_;
    int frame_;
    int64_t delay_;       // samples
    int64_t margin_;      // samples
    bool measured_ = false;
    int starts_ = 0;             // the reference's starts seen
    int unheard_ = 0;            // measurements in a row that found nothing of ours in the microphone
    double reductionDb_ = 0;
    bool settled_ = false;

    std::vector<float> input_;   // samples waiting for a whole frame
    int64_t inputPosition_ = 0;  // position of input_[0]
    std::vector<float> output_;  // cleaned frame waiting to go out
    std::vector<float> far_, near_, cleaned_;
    int64_t quietFar_ = 0;       // samples since the reference last had any sound
    int64_t learnt_ = 0;         // samples of the reference's sound the filter has adapted to

    // Envelopes for the delay: one point per hop_ samples, the mic's kept in a ring by point.
    int hop_;
    std::vector<float> micEnvelope_;
    int64_t envelopePoint_ = -1; // the point being summed
    int64_t firstPoint_ = -1;    // the first point heard
    double envelopeSum_ = 0;
    int envelopeCount_ = 0;
    int64_t lastMeasure_ = 0;    // position of the last measurement
    std::vector<float> scratch_;
    double micDb_ = -120, echoDb_ = -120, echoPeakDb_ = -120;
};

// Whether a note the tracker hears at `levelDb` (dBFS) after `canceller` (null: none) may be the
// player's as far as the built-in synthesizer's own sound goes, at `ms`: not while the canceller
// has not yet settled and the synthesizer sounds; not in the first moments of a synthesizer note
// at its pitch or an octave of it; not when far below what the canceller took out (the ring of a
// click it did not take out whole). Where the canceller found no echo at all (headphones, or a
// room whose delay it missed), the synthesizer's notes are told by pitch and level through
// `synthGuard`, as an external output's are; every reading passes through it, so that it learns.
bool MayBeThePlayer(const EchoCanceller* canceller, const OwnSound& own, OwnSoundGuard& synthGuard, int concertMidi,
                    double levelDb, int64_t ms);
inline constexpr double kPlayerUnderTheEchoDb = 10.0;

} // namespace korvalin
