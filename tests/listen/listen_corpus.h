// Sound to listen to, made on the spot, and how well the pitch tracker hears it. Shared by the
// accuracy tests and the listening benchmark, so both measure the same way.
//   - saxophone notes rendered offline by the built-in synthesizer (the four saxophone programs
//     of the General MIDI soundfont), each written note at its instrument's concert pitch;
//   - harmonic tones with a saxophone-like spectrum, a 5-cent 5 Hz vibrato and white noise 20 dB
//     below the tone, from concert C2 to G7, some with a fundamental weaker than the octave above;
//   - sounds that must give no note: silence, white noise, a train of key clicks.
#pragma once

#include "listen/pitch_tracker.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvalin::listen_test {

inline constexpr const char* kGeneralMidiSoundfont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

// One note to be heard: quiet (or noise) before `onset`, the note until `release`, its tail after.
struct ListenCase {
    std::string label;        // "alto written Bb3 (concert Db3)", "tone C2 -20c"
    std::vector<float> samples;
    double sampleRate = 44100;
    int64_t onset = 0;        // first sample of the note
    int64_t release = 0;      // the note's end (note off)
    int expectedNote = -1;    // concert MIDI note
    double centreHz = 0;      // the note's frequency without vibrato
    double vibratoCents = 0;  // peak deviation of the vibrato
    double vibratoHz = 0;

    // The frequency sounding at sample `at` (following the vibrato).
    double FrequencyAt(int64_t at) const;
};

// The four saxophones: the General MIDI program (0-based), the note table's Transposition rows
// and the semitones they sound below the written note.
struct Saxophone {
    const char* name;
    int program;
    int transpositionRows;
    int semitonesDown;
};
const std::vector<Saxophone>& Saxophones();

// Written notes Bb3 (MIDI 58) to F#6 (MIDI 90), every `step`-th, on each saxophone, rendered by
// the synthesizer at `rate`. Empty when the soundfont cannot be loaded.
std::vector<ListenCase> RenderSaxophoneNotes(double rate, int step = 1);

// Harmonic tones from concert C2 (MIDI 36) to G7 (MIDI 103), every `step`-th, each detuned by a
// few cents, with vibrato and white noise at 20 dB signal-to-noise (noise also before and after).
std::vector<ListenCase> SyntheticTones(double rate, int step = 1);

// Sounds with no note: `seconds` of digital silence, of white noise at `levelDb` RMS, and of key
// clicks (short noise bursts and single-sample ticks) `perSecond` times a second.
std::vector<float> Silence(double rate, double seconds);
std::vector<float> WhiteNoise(double rate, double seconds, double levelDb, uint32_t seed);
std::vector<float> ClickTrain(double rate, double seconds, double perSecond, uint32_t seed);

// What sounded, independently of the tracker: the fundamental's mean frequency over any stretch,
// from the phase of the signal demodulated at the note's nominal frequency. Measures a sampled
// instrument's own intonation (its attack scoop, its drift), which the nominal frequency does not.
class ReferencePitch {
public:
    explicit ReferencePitch(const ListenCase& c);
    // Mean frequency from sample `from` to sample `to`; 0 outside the sound.
    double MeanHz(int64_t from, int64_t to) const;

private:
    double rate_;
    double nominalHz_;
    int64_t delay_ = 0;
    std::vector<double> phase_;
};

// How the tracker heard one case. The note named is the first one reported for 120 ms on end,
// as the main window shows a heard note once it has held that long. A note reported only briefly
// during the attack is not the note named: a sampled saxophone scoops up to some notes from
// nearly a semitone below, and some attacks sound the octave below for a moment. Those are
// counted apart (firstNamed, octaveError).
struct CaseResult {
    bool heard = false;          // a note was reported after the onset
    bool named = false;          // the note named is the expected one, and nothing was reported
                                 // before the onset
    bool firstNamed = false;     // the very first note reported was the expected one
    bool octaveError = false;    // a note whole octaves from the expected one was reported at all
    bool octaveAfterNote = false; // a note whole octaves from the expected one was reported after
                                  // the expected one: an octave jump away from the note heard
    bool early = false;          // a note was reported before the onset
    int firstNote = -1;          // the first note reported after the onset
    int namedNote = -1;          // the first note reported for 120 ms on end
    double medianCents = -1;     // median |error| of the reported frequency against what sounded
                                 // over the same window, while the note held
    double onsetToStableMs = -1; // stream time from the onset to the first reading of the expected note
};
CaseResult Evaluate(const ListenCase& c, const PitchTrackerSettings& settings, std::size_t bufferFrames = 512);

struct Figures {
    int cases = 0;
    int named = 0;
    int firstNamed = 0;          // cases whose very first note was the expected one
    int octaveErrors = 0;
    int octaveJumps = 0;         // cases with an octave reported after the expected note
    double namedShare = 0;       // named / cases
    double medianCents = 0;      // median over cases of their median |error|
    double worstCents = 0;       // largest of the cases' median |error|
    double medianOnsetMs = 0;    // median over the cases heard
    double worstOnsetMs = 0;
    std::vector<std::string> misnamed; // labels of the cases not named, with what was heard
    std::vector<std::string> octaveJumped; // labels of the cases with an octave after the note
};
Figures Summarise(const std::vector<ListenCase>& cases, const std::vector<CaseResult>& results);

// Hops that carried a note over the whole of `samples`.
int HopsWithNote(const std::vector<float>& samples, const PitchTrackerSettings& settings);

} // namespace korvalin::listen_test
