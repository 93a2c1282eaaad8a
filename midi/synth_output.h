// The built-in software synthesizer: a General MIDI soundfont played by FluidSynth through the
// desktop's audio server. SynthEngine is the synthesizer alone (it can also render offline);
// SynthOutput adds the sound device and is the application's default output.
#pragma once

#include "midi/midi_port.h"

#include <QPointer>
#include <QTimer>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

struct _fluid_synth_t;

namespace korvalin {

inline constexpr const char* kBuiltInSynthesizerName = "Built-in synthesizer";

// Soundfonts tried in order: the one with the best saxophones first.
std::vector<std::string> DefaultSoundfonts();
// Audio back ends tried in order; those the installed FluidSynth lacks are skipped.
std::vector<std::string> DefaultAudioDrivers();

struct SynthSettings {
    std::vector<std::string> soundfonts = DefaultSoundfonts();
    std::vector<std::string> audioDrivers = DefaultAudioDrivers();
    double sampleRate = 44100.0;
    // How long the audio stream stays open once the last note and its release have died away.
    std::chrono::milliseconds idleClose{5000};
};

// A loaded soundfont and the synthesizer that plays it. Not copyable.
class SynthEngine {
public:
    SynthEngine();
    ~SynthEngine();
    SynthEngine(const SynthEngine&) = delete;
    SynthEngine& operator=(const SynthEngine&) = delete;

    // Creates the synthesizer and loads the first soundfont of the list that loads. False when
    // none does (the engine then stays empty and ignores everything).
    bool Load(const SynthSettings& settings);
    bool Loaded() const;
    const std::string& Soundfont() const { return soundfont_; }
    double SampleRate() const { return sampleRate_; }

    // Plays one packed short message (bits 0-7 status, 8-15 and 16-23 data). Data bytes are
    // taken to 7 bits; Note On with velocity 0 ends the note.
    void Play(uint32_t message);
    // Silences every channel at once.
    void Silence();
    // Writes `frames` stereo frames (left, right interleaved) without any sound device.
    void Render(float* interleaved, int frames);

    // Opens the first audio back end of the list that works, trying the one that worked last time
    // first. False when none does.
    bool StartAudio(const std::vector<std::string>& drivers);
    void StopAudio();
    bool AudioRunning() const;
    // Whether the stream is open but its thread has asked for no sound for longer than `limit`
    // (the server went away under it).
    bool AudioStalled(std::chrono::milliseconds limit) const;
    const std::string& AudioDriver() const { return driver_; }
    // Voices still sounding, release tails included.
    int ActiveVoices() const;

    // The synthesizer itself, for a sequencer that plays on it (null when not loaded). Its API
    // is safe from any thread, but a sequencer must be attached to it and detached from it only
    // while the audio stream is stopped: the audio thread walks the synthesizer's timers unlocked.
    _fluid_synth_t* FluidSynth() const;

    // Latency probe: once armed, the audio thread notes the moment (MonotonicNanoseconds) it hands
    // the first buffer with any sound in it to the audio server. -1 until then.
    void ArmFirstSoundProbe();
    int64_t FirstSoundAt() const;

private:
    struct Fluid;
    std::unique_ptr<Fluid> fluid_;
    std::string soundfont_;
    std::string driver_;
    std::string lastWorkingDriver_;
    double sampleRate_ = 0;
};

// The default output: loads its soundfont on a worker thread as soon as it is made, so that the
// first window appears without waiting; Open() waits for that load and checks that an audio stream
// can be opened.
//
// The audio stream itself exists only while something sounds: a silent tutor costs no processor
// time and wakes nobody. A Note On that arrives while the stream is closed opens it (a note whose
// stream cannot be opened is dropped; the next note tries again), and a timer on the caller's
// thread, running only while the stream is open, closes it once no voice has sounded for
// `SynthSettings::idleClose`. Every other message reaches the synthesizer at once either way, so
// the program and controllers are in place for the next note.
class SynthOutput : public MidiOutput {
public:
    explicit SynthOutput(SynthSettings settings = {});
    ~SynthOutput() override;

    bool Open() override;
    void Send(uint32_t message) override;
    void Close() override; // ends sounding notes and stops the audio; the soundfont stays loaded
    std::string Name() const override { return kBuiltInSynthesizerName; }
    bool SoundCancelled() const override { return true; }

    bool IsOpen() const { return open_; }
    // Whether the audio stream is open now, and whether the timer that closes it is running.
    bool StreamOpen() const { return engine_.AudioRunning(); }
    bool IdleWatchRunning() const;
    // The loaded engine (waits for the load).
    SynthEngine& Engine();

    // Something that plays on the engine directly (the metronome on its sequencer) holds the audio
    // stream open: holding opens it (false when it cannot be opened, or the output is closed),
    // and while any hold lasts the stream is not closed for silence. Once the last hold is
    // released the stream closes after `SynthSettings::idleClose` of silence as usual. Holds are
    // counted; Close() ends them all.
    bool HoldStream();
    void ReleaseStream();
    int StreamHolds() const { return holds_; }

private:
    void WaitForLoad();
    void WatchForSilence();
    void CheckSilence();
    void RestartStalledStream();
    static constexpr std::chrono::milliseconds kStalledStream{500};

    SynthSettings settings_;
    SynthEngine engine_;
    std::thread loader_;
    bool open_ = false; // read and written on the caller's thread only, never by the loader
    int holds_ = 0;     // caller's thread only
    QPointer<QTimer> idleWatch_;
    std::chrono::steady_clock::time_point lastSound_{};
};

} // namespace korvalin
