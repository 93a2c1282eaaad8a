// Listening: the pitch of a monophonic instrument from a stream of mono samples. The tracker is
// fed buffers of any size; every analysis hop it says what it hears: a steady note (frequency,
// nearest MIDI note against the reference A, cents off that note, level) or no note at all.
//
// What it hears passes these rules before it becomes a note:
//   - a level gate: hops quieter than the gate (RMS in dBFS) carry no note;
//   - the detector's confidence: noise, breath and clicks give low confidence;
//   - the window's own check: the sound must repeat after the detector's period; when it repeats
//     clearly better after two periods the note is the octave below (the detector took the
//     second harmonic), when almost as well after half a period the octave above (it took a
//     subharmonic, as in some attacks);
//   - the saxophones' range: nothing below the baritone's lowest note (concert C2 against the
//     reference A) is a note, so mains hum (50 or 60 Hz and its harmonics) never is one;
//   - a stable rule: a new note is reported only once every hop has been nearest to it, and its
//     pitch has held steady, for a while (a slide through the notes names none of them), and a
//     held note survives short drop-outs;
//   - an octave guard: a jump of whole octaves away from an established note must hold much
//     longer than any other change, so a saxophone's strong second harmonic taking over for a
//     moment never shows as an octave jump. A note whose odd harmonics fade away while it is held
//     is not established: some saxophone attacks sound the octave below for a moment before the
//     note itself speaks, and the note must then follow at once.
//
// The tracker has no thread of its own and no thread affinity: one thread at a time feeds it
// (the capture thread, or a test); only the reference A may be changed from another thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace korvalin {

inline constexpr double kDefaultReferenceA = 440.0;
inline constexpr double kLowestReferenceA = 415.0;
inline constexpr double kHighestReferenceA = 466.0;

// The lowest note any saxophone plays, the baritone's low A (concert C2), as a MIDI note; a tone
// further below it than kLowestNoteMarginCents against the reference A is no note.
inline constexpr int kLowestSaxophoneNote = 36;
inline constexpr double kLowestNoteMarginCents = 45.0;

// The reference A kept to its range; anything that is not a number gives the default.
double ClampReferenceA(double hz);

// A frequency as the nearest equal-tempered MIDI note against `referenceA` (the A above middle C,
// MIDI 69) and how far off that note it is, -50 to +50 cents. note is -1 for anything that is
// not a positive, finite frequency.
struct NearestNote {
    int note = -1;
    double cents = 0;
};
NearestNote NearestMidiNote(double hz, double referenceA = kDefaultReferenceA);
// The frequency of a MIDI note (fractional notes allowed) against `referenceA`.
double MidiNoteFrequency(double note, double referenceA = kDefaultReferenceA);

// Both run YIN (the period where the signal best repeats itself, with a threshold that prefers
// the shortest such period); they give the same notes and differ only in cost. The detector
// library's spectrally weighted variant is not offered: it reads low notes up to 75 cents sharp
// and reports no confidence.
enum class PitchMethod {
    Yin,           // YIN computed through the FFT: the default, cheap
    YinTimeDomain, // YIN computed directly: about ten times the CPU
};

struct PitchTrackerSettings {
    double sampleRate = 44100.0;      // 8 kHz to 192 kHz
    PitchMethod method = PitchMethod::Yin;
    double gateDb = -55.0;            // RMS of a hop below this (dBFS) is silence
    double minConfidence = 0.70;      // the detector's confidence needed for a candidate
    double lowestHz = 60.0;           // candidates outside this range are ignored
    double highestHz = 3200.0;
    double stableMs = 15.0;           // a new note holds this long before it is reported
    double toleranceCents = 35.0;     // how far a note may wander while it settles
    double steadyCents = 8.0;         // a new note is taken only when the sound moved less per hop
    double holdCents = 65.0;          // how far a held note may wander before it is left
    double octaveJumpMs = 100.0;      // a jump of whole octaves from the held note holds this long
    double releaseMs = 60.0;          // a held note survives drop-outs shorter than this
    double referenceA = kDefaultReferenceA;
};

struct PitchReading {
    bool hasNote = false;    // false: no note (silence, noise, or not yet steady)
    double frequency = 0;    // Hz of the latest hop that confirmed the note; 0 without a note
    int midiNote = -1;       // concert MIDI note; -1 without a note
    double cents = 0;        // -50 to +50 off midiNote; 0 without a note
    double levelDb = -120;   // RMS of the hop in dBFS, -120 at most quiet
    double confidence = 0;   // the detector's confidence for the hop, 0 to 1
    bool changed = false;    // hasNote or midiNote differ from the reading of the hop before
    int64_t endSample = 0;   // samples fed up to the end of this hop (stream time)
};

class PitchTracker {
public:
    using Callback = std::function<void(const PitchReading&)>;

    // Throws std::invalid_argument for a sample rate outside 8 kHz to 192 kHz, a frequency range
    // the analysis window cannot hold, or when the detector cannot be created.
    explicit PitchTracker(const PitchTrackerSettings& settings = {});
    ~PitchTracker();
    PitchTracker(const PitchTracker&) = delete;
    PitchTracker& operator=(const PitchTracker&) = delete;

    // Called once per analysis hop, on the thread that calls Process().
    void SetOnPitch(Callback callback) { onPitch_ = std::move(callback); }

    // Feeds mono samples (full scale is +-1). Buffers may have any size, including 0; samples
    // that are not finite count as silence.
    void Process(std::span<const float> samples);

    // Forgets the note held and the analysis window, as after a pause in the input; the stream
    // time goes on.
    void Reset();

    // May be called from any thread; taken to 415..466 Hz. It applies from the next hop.
    void SetReferenceA(double hz) { referenceA_.store(ClampReferenceA(hz)); }
    double ReferenceA() const { return referenceA_.load(); }

    const PitchReading& Current() const { return current_; }
    const PitchTrackerSettings& Settings() const { return settings_; }
    int HopSize() const { return hopSize_; }
    int WindowSize() const { return windowSize_; }
    int64_t SamplesFed() const { return samplesFed_; }

private:
    struct Detector;
    void AnalyseHop();
    struct Candidate {
        double hz = 0;          // 0: no tone
        double oddWeight = -1;  // mismatch after half the period; -1 when not known
        bool halved = false;    // taken to the octave below the detector's
    };
    Candidate ConfirmCandidate(double hz, bool mayHalve) const;
    int HopsFor(double ms) const;

    PitchTrackerSettings settings_;
    std::atomic<double> referenceA_;
    int windowSize_ = 0;
    int hopSize_ = 0;
    std::unique_ptr<Detector> detector_;
    int filled_ = 0; // samples of the current hop gathered so far
    int64_t samplesFed_ = 0;
    Callback onPitch_;
    PitchReading current_;

    // The note being settled: its MIDI note, its first pitch (fractional MIDI note) and how many
    // hops agreed.
    int pendingNote_ = -1;
    double pendingPitch_ = 0;
    int pendingHops_ = 0;
    // The note held: its MIDI note, the hops it has been established (taken, and its octave not
    // fading) and since a hop last confirmed it, the most its odd harmonics have weighed and
    // whether they are fading now; the note an octave below it that faded into it, and the most
    // that one's odd harmonics weighed.
    int heldNote_ = -1;
    int heldHops_ = 0;
    double heldOddWeight_ = 0;
    bool heldFading_ = false;
    int fadedNote_ = -1;
    double fadedOddWeight_ = 0;
    int hopsSinceConfirmed_ = 0;
    int hopsSinceHeard_ = 0;
    // The pitches (fractional MIDI notes) of the latest hops heard, newest first, and how many hops
    // have been heard without a break.
    std::array<double, 5> recentPitch_{};
    int recentHeard_ = 0;
};

} // namespace korvalin
