#include "midi/synth_output.h"

#include "app/trace.h"
#include "midi/audio_diagnostics.h"
#include "midi/midi_message.h"
#include "room/own_sound.h"
#include "room/playback_reference.h"

#include <QCoreApplication>
#include <QThread>
#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <atomic>
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

// The sound handed to the server is kept for the echo canceller (the microphone hears it one
// buffer later at the soonest), and the notes it holds are noted for listening. Runs on the audio
// thread: nothing here allocates or waits beyond the synthesizer's own voice list.
void TellTheRoom(fluid_synth_t* synth, int len, int nout, float* out[]) {
    if (len <= 0 || nout <= 0) return;
    const int64_t now = MonotonicNanoseconds();
    constexpr int kChunk = 1024;
    float mono[kChunk];
    for (int at = 0; at < len; at += kChunk) {
        const int n = std::min(kChunk, len - at);
        for (int i = 0; i < n; ++i)
            mono[i] = nout >= 2 ? 0.5f * (out[0][at + i] + out[1][at + i]) : out[0][at + i];
        const int64_t handed = now + int64_t(1e9 * at / OwnPlayback().Rate());
        OwnPlayback().Write(std::span<const float>(mono, std::size_t(n)), handed, len);
    }
    constexpr int kPercussionChannel = 9;
    constexpr int kMostVoices = 256;
    fluid_voice_t* voices[kMostVoices];
    fluid_synth_get_voicelist(synth, voices, kMostVoices, -1);
    std::array<uint64_t, 2> keys{};
    bool any = false;
    for (int i = 0; i < kMostVoices && voices[i]; ++i) {
        if (!fluid_voice_is_playing(voices[i])) continue;
        any = true;
        if (fluid_voice_get_channel(voices[i]) == kPercussionChannel) continue;
        const int key = fluid_voice_get_actual_key(voices[i]) & 0x7F;
        keys[std::size_t(key / 64)] |= uint64_t(1) << (key % 64);
    }
    if (any) OwnSounding().SynthKeysSounding(keys, now / 1000000, any);
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
    // Written by the caller, read by the audio thread.
    std::atomic<bool> probeArmed{false};
    std::atomic<int64_t> firstSoundAt{-1};
    // When the stream was opened and when its thread last asked for sound (MonotonicNanoseconds).
    std::atomic<int64_t> startedAt{0};
    std::atomic<int64_t> renderedAt{0};
    std::atomic<int> renders{0}; // blocks rendered since the stream opened

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
    // The stream asks the server for one period of buffering: 1024 frames, 23 ms at 44.1 kHz, as
    // deep as a sound server's own default quantum. At 128 frames (2.9 ms) a server on a busy
    // two-core machine ran dry hundreds of times a minute, and every gap is an audible click that
    // delays all later sound; the deeper buffer moves every note by the same 23 ms at most, which
    // a player does not notice and which leaves the metronome's spacing exact. Two periods for the
    // ALSA fallback keep its buffer under 50 ms. The wake-ups last only while something sounds:
    // the stream is closed when all is silent.
    fluid_settings_setint(s, "audio.period-size", 1024);
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
    OwnPlayback().SetRate(rate);
    fluid_ = std::move(fluid);
    return true;
}

bool SynthEngine::Loaded() const { return fluid_ != nullptr; }

void SynthEngine::Play(uint32_t message) {
    if (!fluid_) return;
    fluid_synth_t* synth = fluid_->synth;
    const MidiMessage m{message};
    const int data1 = m.Data1(), data2 = m.Data2(), channel = m.Channel();
    switch (m.Kind()) {
    case kNoteOffStatus:
    case kNoteOnStatus:
        if (m.StartsNote())
            fluid_synth_noteon(synth, channel, data1, data2);
        else
            fluid_synth_noteoff(synth, channel, data1);
        break;
    case kControlChangeStatus:
        fluid_synth_cc(synth, channel, data1, data2);
        break;
    case kProgramChangeStatus:
        fluid_synth_program_change(synth, channel, data1);
        break;
    case kPitchBendStatus:
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
    // The stream is opened again and again: the back end that worked last time is tried first, so
    // a note does not wait for back ends that are known to be missing.
    std::vector<std::string> order;
    if (std::find(drivers.begin(), drivers.end(), lastWorkingDriver_) != drivers.end())
        order.push_back(lastWorkingDriver_);
    for (const std::string& name : drivers)
        if (name != lastWorkingDriver_) order.push_back(name);

    // The audio thread renders through this callback; beyond the synthesizer's own work it only
    // looks for the first sound while the latency probe is armed.
    auto process = [](void* data, int len, int nfx, float* fx[], int nout, float* out[]) {
        auto* fluid = static_cast<Fluid*>(data);
        fluid->renderedAt.store(MonotonicNanoseconds(), std::memory_order_relaxed);
        fluid->renders.fetch_add(1, std::memory_order_relaxed);
        for (int i = 0; i < nout; ++i) std::fill(out[i], out[i] + len, 0.0f);
        for (int i = 0; i < nfx; ++i) std::fill(fx[i], fx[i] + len, 0.0f);
        // Without effect buffers of its own the driver gets the reverb mixed into the output.
        const int result = nfx > 0 ? fluid_synth_process(fluid->synth, len, nfx, fx, nout, out)
                                   : fluid_synth_process(fluid->synth, len, nout, out, nout, out);
        TellTheRoom(fluid->synth, len, nout, out);
        if (fluid->probeArmed.load(std::memory_order_relaxed)) {
            for (int i = 0; i < nout; ++i) {
                if (std::any_of(out[i], out[i] + len, [](float v) { return v != 0.0f; })) {
                    fluid->firstSoundAt.store(MonotonicNanoseconds());
                    fluid->probeArmed.store(false);
                    break;
                }
            }
        }
        return result;
    };

    for (const std::string& name : order) {
        if (!DriverCompiledIn(fluid_->settings, name)) {
            NoteAudioDiagnostic("audio back end not in this FluidSynth: " + name);
            continue;
        }
        fluid_settings_setstr(fluid_->settings, "audio.driver", name.c_str());
        fluid_->startedAt.store(MonotonicNanoseconds());
        fluid_->renders.store(0);
        if (fluid_audio_driver_t* audio = new_fluid_audio_driver2(fluid_->settings, process, fluid_.get())) {
            fluid_->audio = audio;
            driver_ = name;
            lastWorkingDriver_ = name;
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

bool SynthEngine::AudioStalled(std::chrono::milliseconds limit) const {
    if (!AudioRunning()) return false;
    // A new stream may render its first block and then wait a while for the server to start
    // playing it; only one that has flowed and stopped counts at `limit`.
    constexpr int64_t kStartingNs = 3'000'000'000;
    const int64_t now = MonotonicNanoseconds();
    if (fluid_->renders.load(std::memory_order_relaxed) < 2) return now - fluid_->startedAt.load() > kStartingNs;
    return now - fluid_->renderedAt.load(std::memory_order_relaxed) > int64_t(limit.count()) * 1000000;
}

int SynthEngine::ActiveVoices() const { return fluid_ ? fluid_synth_get_active_voice_count(fluid_->synth) : 0; }

fluid_synth_t* SynthEngine::FluidSynth() const { return fluid_ ? fluid_->synth : nullptr; }

void SynthEngine::ArmFirstSoundProbe() {
    if (!fluid_) return;
    fluid_->firstSoundAt.store(-1);
    fluid_->probeArmed.store(true);
}

int64_t SynthEngine::FirstSoundAt() const { return fluid_ ? fluid_->firstSoundAt.load() : -1; }

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
    delete idleWatch_.data(); // owned by the application object, which may already have deleted it
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
    // Ready means a stream can be opened now; it is closed again at once, since nothing sounds yet.
    open_ = engine_.StartAudio(settings_.audioDrivers);
    engine_.StopAudio();
    return open_;
}

void SynthOutput::Send(uint32_t message) {
    // Only while open: a note started with no sound device would be heard on reopening.
    if (!open_) return;
    const bool noteOn = MidiMessage{message}.StartsNote();
    if (noteOn) RestartStalledStream();
    // A note that finds no stream opens one. When none opens (the server is gone) the note is
    // dropped, not kept to sound when a stream opens later. A new stream writes its first buffers
    // back to back, so the note, played just after the opening, is in one of them.
    if (noteOn && !engine_.AudioRunning() && !engine_.StartAudio(settings_.audioDrivers)) return;
    engine_.Play(message);
    if (!noteOn) return;
    lastSound_ = std::chrono::steady_clock::now();
    WatchForSilence();
}

void SynthOutput::RestartStalledStream() {
    // A stream whose server went away (restarted for a change of devices) stays open to the
    // synthesizer but is asked for no more sound: it is closed, and opened again now when the
    // server is back or by the next note that finds it.
    // A busy machine can also hold a healthy stream back that long: what still sounds is opened
    // again at once, so a late stream costs a glitch, not the note.
    if (!engine_.AudioStalled(kStalledStream)) return;
    engine_.StopAudio();
    NoteAudioDiagnostic("the audio stream stopped: opened again");
    const bool sounding = engine_.ActiveVoices() > 0;
    if ((holds_ > 0 || sounding) && engine_.StartAudio(settings_.audioDrivers)) return;
    // With no server the notes it cut off are dropped, not kept to sound on the next stream.
    if (holds_ == 0 && sounding) engine_.Silence();
}

bool SynthOutput::HoldStream() {
    if (!open_) return false;
    if (!engine_.AudioRunning() && !engine_.StartAudio(settings_.audioDrivers)) return false;
    ++holds_;
    lastSound_ = std::chrono::steady_clock::now();
    WatchForSilence();
    return true;
}

void SynthOutput::ReleaseStream() {
    if (holds_ == 0) return;
    --holds_;
    // The silence that closes the stream is counted from the release.
    lastSound_ = std::chrono::steady_clock::now();
}

void SynthOutput::Close() {
    holds_ = 0;
    if (idleWatch_) idleWatch_->stop();
    if (!open_) return;
    open_ = false;
    engine_.Silence();
    engine_.StopAudio();
}

bool SynthOutput::IdleWatchRunning() const { return idleWatch_ && idleWatch_->isActive(); }

void SynthOutput::WatchForSilence() {
    if (IdleWatchRunning()) return;
    // The timer needs the application's event loop; without one (offline use) the stream stays
    // open until Close().
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) return;
    if (!idleWatch_) {
        idleWatch_ = new QTimer(app);
        idleWatch_->setInterval(std::clamp(settings_.idleClose / 5, std::chrono::milliseconds(20),
                                           std::chrono::milliseconds(1000)));
        idleWatch_->setTimerType(Qt::CoarseTimer);
        QObject::connect(idleWatch_, &QTimer::timeout, [this] { CheckSilence(); });
    }
    idleWatch_->start();
}

void SynthOutput::CheckSilence() {
    RestartStalledStream();
    // What holds the stream (the metronome) sounds again as soon as a stream opens again.
    if (holds_ > 0 && !engine_.AudioRunning()) engine_.StartAudio(settings_.audioDrivers);
    if (holds_ == 0 && !engine_.AudioRunning()) {
        idleWatch_->stop(); // the stream is closed already: nothing is left to watch
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (holds_ > 0 || engine_.ActiveVoices() > 0) {
        lastSound_ = now;
        return;
    }
    if (now - lastSound_ < settings_.idleClose) return;
    idleWatch_->stop();
    engine_.StopAudio();
}

} // namespace korvalin
