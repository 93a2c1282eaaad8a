#include "midi/synth_output.h"

#include "midi/audio_diagnostics.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace korvalin {
namespace {

bool DriverCompiledIn(fluid_settings_t* settings, const std::string& name) {
    struct Search {
        const std::string* name;
        bool found = false;
    } search{&name};
    fluid_settings_foreach_option(settings, "audio.driver", &search, [](void* data, const char*, const char* option) {
        auto* s = static_cast<Search*>(data);
        if (option && *s->name == option) s->found = true;
    });
    return search.found;
}

// A soundfont file begins with a RIFF header of form "sfbk". Anything else is refused before
// FluidSynth sees it: its fallback loaders would complain about it on the terminal.
bool LooksLikeSoundfont(const std::string& path) {
    char header[12] = {};
    std::ifstream in(path, std::ios::binary);
    return in.read(header, sizeof header) && std::memcmp(header, "RIFF", 4) == 0 &&
           std::memcmp(header + 8, "sfbk", 4) == 0;
}

} // namespace

std::vector<std::string> DefaultSoundfonts() {
    return {"/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
            "/usr/share/sounds/sf2/default-GM.sf2"};
}

std::vector<std::string> DefaultAudioDrivers() { return {"pipewire", "pulseaudio", "alsa"}; }

struct SynthEngine::Fluid {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_audio_driver_t* audio = nullptr;

    ~Fluid() {
        if (audio) delete_fluid_audio_driver(audio);
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
    }
};

SynthEngine::SynthEngine() = default;
SynthEngine::~SynthEngine() = default;

bool SynthEngine::Load(const SynthSettings& settings) {
    QuietSoundLibraries();
    fluid_.reset();
    soundfont_.clear();

    auto fluid = std::make_unique<Fluid>();
    fluid->settings = new_fluid_settings();
    if (!fluid->settings) return false;
    fluid_settings_t* s = fluid->settings;
    // Samples are read when a program first needs them: the whole soundfont is not loaded.
    fluid_settings_setint(s, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(s, "synth.chorus.active", 0);
    fluid_settings_setnum(s, "synth.sample-rate", settings.sampleRate);
    // One melody line at a time: room for a louder level than the default without clipping.
    fluid_settings_setnum(s, "synth.gain", 0.4);
    // Short periods for a prompt response, but not so short that the machine wakes up hundreds of
    // times a second: 256 frames x 2 periods is about 12 ms at 44.1 kHz.
    fluid_settings_setint(s, "audio.period-size", 256);
    fluid_settings_setint(s, "audio.periods", 2);

    fluid->synth = new_fluid_synth(s);
    if (!fluid->synth) {
        NoteAudioDiagnostic("synthesizer could not be created");
        return false;
    }
    for (const std::string& path : settings.soundfonts) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) {
            NoteAudioDiagnostic("soundfont not installed: " + path);
            continue;
        }
        if (LooksLikeSoundfont(path) && fluid_synth_sfload(fluid->synth, path.c_str(), 1) != FLUID_FAILED) {
            soundfont_ = path;
            break;
        }
        NoteAudioDiagnostic("soundfont could not be loaded: " + path);
    }
    if (soundfont_.empty()) return false;
    double rate = settings.sampleRate;
    fluid_settings_getnum(s, "synth.sample-rate", &rate);
    sampleRate_ = rate;
    fluid_ = std::move(fluid);
    return true;
}

bool SynthEngine::Loaded() const { return fluid_ != nullptr; }

void SynthEngine::Play(uint32_t message) {
    if (!fluid_) return;
    fluid_synth_t* synth = fluid_->synth;
    const int status = int(message & 0xFF);
    const int data1 = int((message >> 8) & 0x7F);
    const int data2 = int((message >> 16) & 0x7F);
    const int channel = status & 0x0F;
    switch (status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(synth, channel, data1);
        break;
    case 0x90:
        if (data2 == 0)
            fluid_synth_noteoff(synth, channel, data1);
        else
            fluid_synth_noteon(synth, channel, data1, data2);
        break;
    case 0xB0:
        fluid_synth_cc(synth, channel, data1, data2);
        break;
    case 0xC0:
        fluid_synth_program_change(synth, channel, data1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7));
        break;
    default: // not a channel message this application sends
        break;
    }
}

void SynthEngine::Silence() {
    if (fluid_) fluid_synth_all_sounds_off(fluid_->synth, -1);
}

void SynthEngine::Render(float* interleaved, int frames) {
    if (frames <= 0) return;
    if (!fluid_) {
        std::fill(interleaved, interleaved + 2 * std::size_t(frames), 0.0f);
        return;
    }
    fluid_synth_write_float(fluid_->synth, frames, interleaved, 0, 2, interleaved, 1, 2);
}

bool SynthEngine::StartAudio(const std::vector<std::string>& drivers) {
    if (!fluid_) return false;
    if (fluid_->audio) return true;
    for (const std::string& name : drivers) {
        if (!DriverCompiledIn(fluid_->settings, name)) {
            NoteAudioDiagnostic("audio back end not in this FluidSynth: " + name);
            continue;
        }
        fluid_settings_setstr(fluid_->settings, "audio.driver", name.c_str());
        if (fluid_audio_driver_t* audio = new_fluid_audio_driver(fluid_->settings, fluid_->synth)) {
            fluid_->audio = audio;
            driver_ = name;
            return true;
        }
        NoteAudioDiagnostic("audio back end did not start: " + name);
    }
    return false;
}

void SynthEngine::StopAudio() {
    if (!fluid_ || !fluid_->audio) return;
    delete_fluid_audio_driver(fluid_->audio);
    fluid_->audio = nullptr;
    driver_.clear();
}

bool SynthEngine::AudioRunning() const { return fluid_ && fluid_->audio; }

SynthOutput::SynthOutput(SynthSettings settings) : settings_(std::move(settings)) {
    loader_ = std::thread([this] {
        // A failure inside the load (memory, a library) is a load that failed, not the end of
        // the process: the engine stays unloaded and the output then fails to open.
        try {
            engine_.Load(settings_);
        } catch (...) {
            try {
                NoteAudioDiagnostic("soundfont load failed");
            } catch (...) {
            }
        }
    });
}

SynthOutput::~SynthOutput() {
    WaitForLoad();
    engine_.StopAudio();
}

void SynthOutput::WaitForLoad() {
    if (loader_.joinable()) loader_.join();
}

SynthEngine& SynthOutput::Engine() {
    WaitForLoad();
    return engine_;
}

bool SynthOutput::Open() {
    WaitForLoad();
    open_ = engine_.StartAudio(settings_.audioDrivers);
    return open_;
}

void SynthOutput::Send(uint32_t message) {
    // Only while open: a note started with no sound device would be heard on reopening.
    if (open_) engine_.Play(message);
}

void SynthOutput::Close() {
    if (!open_) return;
    open_ = false;
    engine_.Silence();
    engine_.StopAudio();
}

} // namespace korvalin
