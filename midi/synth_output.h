// The built-in software synthesizer: a General MIDI soundfont played by FluidSynth through the
// desktop's audio server. SynthEngine is the synthesizer alone (it can also render offline);
// SynthOutput adds the sound device and is the application's default output.
#pragma once

#include "midi/midi_port.h"

#include <memory>
#include <string>
#include <thread>
#include <vector>

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

    // Opens the first audio back end of the list that works. False when none does.
    bool StartAudio(const std::vector<std::string>& drivers);
    void StopAudio();
    bool AudioRunning() const;
    const std::string& AudioDriver() const { return driver_; }

private:
    struct Fluid;
    std::unique_ptr<Fluid> fluid_;
    std::string soundfont_;
    std::string driver_;
    double sampleRate_ = 0;
};

// The default output: loads its soundfont on a worker thread as soon as it is made, so that the
// first window appears without waiting; Open() waits for that load and starts the audio.
class SynthOutput : public MidiOutput {
public:
    explicit SynthOutput(SynthSettings settings = {});
    ~SynthOutput() override;

    bool Open() override;
    void Send(uint32_t message) override;
    void Close() override; // ends sounding notes and stops the audio; the soundfont stays loaded
    std::string Name() const override { return kBuiltInSynthesizerName; }

    bool IsOpen() const { return open_; }
    // The loaded engine (waits for the load).
    SynthEngine& Engine();

private:
    void WaitForLoad();

    SynthSettings settings_;
    SynthEngine engine_;
    std::thread loader_;
    bool open_ = false; // read and written on the caller's thread only, never by the loader
};

} // namespace korvalin
