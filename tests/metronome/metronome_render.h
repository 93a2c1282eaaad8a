// The metronome and drone rendered offline by FluidSynth's synthesizer with the General MIDI
// soundfont, the sequencer driven by the rendered samples (no audio device, no wall clock), and
// what the sound shows: where each click begins and what pitch the drone holds. Shared by the
// tests and the benchmark so both measure the same way.
#pragma once

#include "metronome/metronome_schedule.h"

#include <string>

struct _fluid_synth_t;
struct _fluid_hashtable_t; // the settings
#include <vector>

namespace korvalin::metronome_test {

inline constexpr const char* kGeneralMidiSoundfont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

// The synthesizer alone with the General MIDI soundfont: no audio device, no effects (the chorus
// would move the drone's pitch and the reverb would fill the silence between clicks).
class OfflineSynth {
public:
    explicit OfflineSynth(double rate = 44100);
    ~OfflineSynth();
    OfflineSynth(const OfflineSynth&) = delete;
    OfflineSynth& operator=(const OfflineSynth&) = delete;

    bool Load(); // false when the soundfont is missing or does not load
    _fluid_synth_t* Synth() const { return synth_; }
    // Renders `frames` more frames, appended to `mono` (left and right averaged).
    void Write(std::vector<float>& mono, int64_t frames);

private:
    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
};

// A rendering: mono samples and where beat 0 was due.
struct Rendering {
    bool ok = false;            // the soundfont loaded and the sequencer ran
    double rate = 44100;
    std::vector<float> samples;
    int64_t originSample = 0;   // the sample of beat 0
};

// Renders `seconds` of `schedule` played by SequencerClickTrack, then stops it and renders
// `tailSeconds` more (to hear that the stop silenced everything).
Rendering Render(const MetronomeSchedule& schedule, double seconds, double rate = 44100, double tailSeconds = 0);

// Where each click begins: the first sample above a threshold (a fixed share of the loudest
// sample) after at least `quietMs` below it.
std::vector<int64_t> Onsets(const std::vector<float>& samples, double rate, double quietMs = 100);

struct ClickFigures {
    int clicks = 0;                 // onsets heard
    int expected = 0;               // beats due in the stretch
    int misplaced = 0;              // onsets that are not the nearest beat's or on the wrong sound
    double intervalMs = 0;          // spacing of the onsets, fitted over all of them
    double medianErrorMs = 0;       // |onset - due| less each sound's own attack (its median)
    double worstErrorMs = 0;
    double accentLatencyMs = 0;     // each sound's median distance from its due moment to its
    double clickLatencyMs = 0;      // onset: the attack of the sample, the same for every click
};
// Clicks of a rendering of the click-only `schedule` (no drone, no steps) against their beats.
ClickFigures MeasureClicks(const MetronomeSchedule& schedule, const Rendering& r);

// Clicks of one sound, a beat apart, recorded from a live audio server over a soft drone. A busy
// machine leaves holes in what the server records: short runs of exact silence in place of the
// sound (the sound after them keeps its time). The drone keeps the sound from ever being silent,
// so every hole shows, and a click with a hole in it is not measured. Each click is found on the
// sound's first difference (where the low drone hardly registers) and placed exactly by matching
// it against the first whole click, so that every click is timed at the same point of its sound.
struct RecordedClickFigures {
    int clicks = 0;           // onsets heard
    int holes = 0;            // holes in the recording
    int damaged = 0;          // clicks with a hole in them (not measured)
    int intervals = 0;        // neighbouring whole clicks a beat apart
    double intervalMs = 0;    // their mean length
    double medianErrorMs = 0; // |length - beat|
    double worstErrorMs = 0;
};
RecordedClickFigures MeasureRecordedClicks(const std::vector<float>& samples, double rate, double beatMs);

// The mean frequency of `samples` from `from` to `to` seconds near the nominal `nominalHz`.
double MeanFrequency(const std::vector<float>& samples, double rate, double nominalHz, double from, double to);

// Cents of `hz` above the MIDI note `midi` (equal temperament, A4 = 440 Hz).
double CentsFrom(double hz, int midi);

// The loudest sample after `fromSeconds`.
double PeakAfter(const Rendering& r, double fromSeconds);

} // namespace korvalin::metronome_test
