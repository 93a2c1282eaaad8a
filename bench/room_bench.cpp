// The room: a microphone that hears the speakers as well as the player. Offline, with the sound
// the microphone hears made on the spot: the metronome's clicks and the drone at their loudest
// (rendered by the synthesizer's sequencer), moved by a delay and a gain as a room would, plus a
// saxophone scale rendered by the synthesizer (its first note in unison with the drone). Prints,
// with and without the echo canceller (and for comparison with the other echo canceller library
// Debian ships):
//   - nobody playing: notes named over the drone and clicks alone;
//   - the scale: each note named as without the drone, its cents against the figure without the
//     drone, and the onset to the note named;
//   - what the canceller costs, as a share of one core.
//   room_bench [seconds of drone and clicks alone]
#include "bench/cpu_time.h"
#include "listen/pitch_tracker.h"
#include "metronome/metronome_schedule.h"
#include "room/echo_canceller.h"
#include "room/own_sound.h"
#include "room/playback_reference.h"
#include "tests/listen/listen_corpus.h"
#include "tests/metronome/metronome_render.h"

#include <webrtc/modules/audio_processing/include/audio_processing.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace korvalin;
using namespace korvalin::listen_test;

namespace {

constexpr double kRate = 44100;
constexpr int kDroneNote = 51;        // Eb3: alto's written C4, the unison
constexpr int64_t kRoomDelay = 2690;  // 61 ms from the nominal position to the microphone
constexpr float kRoomGain = 0.7f;     // the speakers as loud at the microphone as the player
constexpr int kBlock = 441;           // what a capture hands over at a time

// A canceller: cleans `mic` in place, its first sample at timeline position `position`; and the
// library's own canceller when it is the shipped one, for the rule the capture applies after it.
struct Cleaner {
    std::function<void(std::span<float> mic, int64_t position)> clean;
    std::shared_ptr<EchoCanceller> ours;
};

// The microphone: `own` (the reference, as written at nominal positions from 0) heard through the
// room, plus `player` from `playerAt`.
std::vector<float> Microphone(const std::vector<float>& own, const std::vector<float>& player, std::size_t playerAt) {
    std::vector<float> mic(std::max(own.size(), playerAt + player.size()), 0.0f);
    for (std::size_t i = 0; i < own.size(); ++i)
        if (i + kRoomDelay < mic.size()) mic[i + std::size_t(kRoomDelay)] += kRoomGain * own[i];
    for (std::size_t i = 0; i < player.size(); ++i) mic[playerAt + i] += player[i];
    return mic;
}

// A reading the capture passes on: the tracker's, or none where the rule after the canceller left
// it out (the drone's note sounding on the synthesizer all along from `droneFrom`).
struct Heard {
    int note = -1;
    double cents = 0, levelDb = -120;
    int64_t endSample = 0;
};

// What the capture passes on over `samples`, cleaned block by block as it arrives.
std::vector<Heard> Track(std::vector<float> samples, const Cleaner& cleaner, bool synthRule, double* cpuSeconds) {
    PitchTracker tracker;
    OwnSound own;
    OwnSoundGuard synthGuard;
    std::vector<Heard> heard;
    tracker.SetOnPitch([&](const PitchReading& r) {
        const int64_t ms = 1000 + int64_t(double(r.endSample) * 1000.0 / kRate);
        if (synthRule) {
            std::array<uint64_t, 2> keys{};
            keys[kDroneNote / 64] |= uint64_t(1) << (kDroneNote % 64);
            own.SynthKeysSounding(keys, ms);
        }
        const bool believed = r.hasNote && (!synthRule || MayBeThePlayer(cleaner.ours.get(), own, synthGuard, r.midiNote, r.levelDb, ms));
        heard.push_back({believed ? r.midiNote : -1, r.cents, r.levelDb, r.endSample});
    });
    double cpu = 0;
    for (std::size_t at = 0; at < samples.size(); at += kBlock) {
        const std::size_t n = std::min<std::size_t>(kBlock, samples.size() - at);
        const double start = bench::CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        if (cleaner.clean) cleaner.clean(std::span<float>(samples.data() + at, n), int64_t(at));
        cpu += bench::CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start;
        tracker.Process(std::span<const float>(samples.data() + at, n));
    }
    if (cpuSeconds) *cpuSeconds = cpu;
    return heard;
}

// Notes named as the Listen window names them: held 120 ms, after the own-sound guard (the drone's
// note sounds throughout).
struct Named {
    int note = -1;
    int64_t at = 0; // sample of the first reading of the run that was named
    double cents = 0;
};
// How the application's own notes are told apart: not at all, as the built-in synthesizer's (the
// rule after the canceller) or as an external output's (pitch and level).
enum class Guard { None, Synthesizer, Output };

// Notes named as the Listen window names them: held 120 ms, after the external output's pitch and
// level rule when asked for (the drone's note sounds there throughout).
std::vector<Named> NotesNamed(const std::vector<Heard>& readings, Guard guard) {
    OwnSound own;
    OwnSoundGuard judge;
    if (guard == Guard::Output) own.Sent(0x90 | uint32_t(kDroneNote) << 8 | 127u << 16, 1000);
    std::vector<Named> named;
    int run = -1;
    int64_t runFrom = 0;
    bool shown = false;
    for (const Heard& r : readings) {
        const int64_t ms = 1000 + int64_t(double(r.endSample) * 1000.0 / kRate);
        int note = r.note;
        if (note >= 0 && !judge.IsPlayer(own, note, r.levelDb, ms)) note = -1;
        if (note != run) {
            run = note;
            runFrom = r.endSample;
            shown = false;
        }
        if (note >= 0 && !shown && double(r.endSample - runFrom) * 1000.0 / kRate >= 120.0) {
            shown = true;
            named.push_back({note, runFrom, r.cents});
        }
    }
    return named;
}

// The other library: its echo canceller (the extended filter, the delay found by itself) and its
// own suppression, fed 10 ms frames with the reference at its nominal position.
class OtherCanceller {
public:
    explicit OtherCanceller(const PlaybackReference& reference) : reference_(reference) {
        webrtc::Config config;
        config.Set<webrtc::ExtendedFilter>(new webrtc::ExtendedFilter(true));
        config.Set<webrtc::DelayAgnostic>(new webrtc::DelayAgnostic(true));
        apm_.reset(webrtc::AudioProcessing::Create(config));
        apm_->echo_cancellation()->Enable(true);
        apm_->echo_cancellation()->set_suppression_level(webrtc::EchoCancellation::kHighSuppression);
        apm_->high_pass_filter()->Enable(false);
        apm_->noise_suppression()->Enable(false);
        apm_->gain_control()->Enable(false);
    }
    void Process(std::span<float> mic, int64_t position) {
        if (pending_.empty()) pendingAt_ = position;
        pending_.insert(pending_.end(), mic.begin(), mic.end());
        std::size_t out = 0;
        const webrtc::StreamConfig stream(int(kRate), 1);
        const std::size_t frame = std::size_t(kRate / 100);
        while (pending_.size() - consumed_ >= frame) {
            std::vector<float> far(frame), near(pending_.begin() + std::ptrdiff_t(consumed_),
                                                pending_.begin() + std::ptrdiff_t(consumed_ + frame));
            reference_.Read(pendingAt_ + int64_t(consumed_), far);
            const float* farIn[] = {far.data()};
            float* farOut[] = {far.data()};
            apm_->ProcessReverseStream(farIn, stream, stream, farOut);
            apm_->set_stream_delay_ms(0);
            const float* nearIn[] = {near.data()};
            float* nearOut[] = {near.data()};
            apm_->ProcessStream(nearIn, stream, stream, nearOut);
            ready_.insert(ready_.end(), near.begin(), near.end());
            consumed_ += frame;
        }
        for (; out < mic.size() && !ready_.empty(); ++out) {
            mic[out] = ready_.front();
            ready_.erase(ready_.begin());
        }
        for (; out < mic.size(); ++out) mic[out] = 0.0f;
        pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(consumed_));
        pendingAt_ += int64_t(consumed_);
        consumed_ = 0;
    }

private:
    const PlaybackReference& reference_;
    std::unique_ptr<webrtc::AudioProcessing> apm_;
    std::vector<float> pending_, ready_;
    std::size_t consumed_ = 0;
    int64_t pendingAt_ = 0;
};

struct Method {
    const char* name;
    std::function<Cleaner(const PlaybackReference&)> make;
    Guard guard;
};

} // namespace

int main(int argc, char** argv) {
    const double aloneSeconds = argc > 1 ? std::max(5.0, std::atof(argv[1])) : 60.0;
    const metronome_test::Rendering own = metronome_test::Render(
        MetronomeSchedule({.tempo = 120, .beatsPerBar = 4, .clickVolume = 127}, {.on = true, .note = kDroneNote, .volume = 127}),
        aloneSeconds + 16.0);
    const std::vector<ListenCase> notes = RenderSaxophoneNotes(kRate, 1);
    if (!own.ok || notes.empty()) {
        std::fprintf(stderr, "room_bench: the soundfont could not be loaded\n");
        return 1;
    }
    // The alto's C major scale from written C4 (the drone's unison) up, a note every 1.5 s.
    const int writtenScale[] = {60, 62, 64, 65, 67, 69, 71, 72};
    std::vector<const ListenCase*> scale;
    for (int written : writtenScale)
        for (const ListenCase& c : notes)
            if (c.label.rfind("alto", 0) == 0 && c.expectedNote == written - 9) scale.push_back(&c);
    const std::size_t spacing = std::size_t(1.5 * kRate);
    std::vector<float> player(spacing * scale.size(), 0.0f);
    std::vector<int64_t> onsets;
    for (std::size_t i = 0; i < scale.size(); ++i) {
        const ListenCase& c = *scale[i];
        const std::size_t from = std::size_t(c.onset);
        for (std::size_t k = from; k < c.samples.size() && k - from < spacing; ++k) player[i * spacing + k - from] = c.samples[k];
        onsets.push_back(int64_t(i * spacing));
    }

    PlaybackReference reference(kRate, 1 << 23);
    reference.Write(own.samples, 0, 0);
    const std::size_t playerAt = std::size_t(aloneSeconds * kRate);
    const std::vector<float> mic = Microphone(own.samples, player, playerAt);
    const std::vector<float> alone(mic.begin(), mic.begin() + std::ptrdiff_t(playerAt));
    const std::vector<Named> without = NotesNamed(Track(player, Cleaner{}, false, nullptr), Guard::None);

    const Method methods[] = {
        {"no canceller", [](const PlaybackReference&) { return Cleaner{}; }, Guard::None},
        {"no canceller, pitch and level (as on an external output)", [](const PlaybackReference&) { return Cleaner{}; },
         Guard::Output},
        {"speexdsp, filter only",
         [](const PlaybackReference& r) {
             auto c = std::make_shared<EchoCanceller>(r, kRate, EchoCancellerSettings{.suppressResidual = false});
             return Cleaner{[c](std::span<float> m, int64_t p) { c->Process(m, p); }, c};
         },
         Guard::None},
        {"speexdsp with residual suppression",
         [](const PlaybackReference& r) {
             auto c = std::make_shared<EchoCanceller>(r, kRate);
             return Cleaner{[c](std::span<float> m, int64_t p) { c->Process(m, p); }, c};
         },
         Guard::None},
        {"speexdsp with residual suppression, the rule after it (shipped)",
         [](const PlaybackReference& r) {
             auto c = std::make_shared<EchoCanceller>(r, kRate);
             return Cleaner{[c](std::span<float> m, int64_t p) { c->Process(m, p); }, c};
         },
         Guard::Synthesizer},
        {"webrtc audio processing",
         [](const PlaybackReference& r) {
             auto c = std::make_shared<OtherCanceller>(r);
             return Cleaner{[c](std::span<float> m, int64_t p) { c->Process(m, p); }, nullptr};
         },
         Guard::None},
        {"webrtc audio processing and the rule after it",
         [](const PlaybackReference& r) {
             auto c = std::make_shared<OtherCanceller>(r);
             return Cleaner{[c](std::span<float> m, int64_t p) { c->Process(m, p); }, nullptr};
         },
         Guard::Synthesizer},
    };
    std::printf("room: drone (Eb3, velocity 127) and clicks (velocity 127) at 120/min, heard %.0f ms late at "
                "%.1f dB; alto scale from written C4 (unison with the drone)\n",
                1000.0 * double(kRoomDelay) / kRate, 20 * std::log10(kRoomGain));
    std::printf("without the drone: %zu of %zu scale notes named\n", without.size(), scale.size());
    for (const Method& m : methods) {
        double cpu = 0;
        const bool synthRule = m.guard == Guard::Synthesizer;
        const std::vector<Named> quiet = NotesNamed(Track(alone, m.make(reference), synthRule, &cpu), m.guard);
        const std::vector<Heard> readings = Track(mic, m.make(reference), synthRule, nullptr);
        // Named over the whole recording, as the drone has sounded all along; timed from the scale.
        std::vector<Named> heard;
        for (Named n : NotesNamed(readings, m.guard))
            if (n.at >= int64_t(playerAt)) {
                n.at -= int64_t(playerAt);
                heard.push_back(n);
            }
        for (const Named& n : quiet)
            std::printf("    %s: alone, note %d named at %.2f s (%+.0f cents)\n", m.name, n.note, double(n.at) / kRate, n.cents);
        int right = 0;
        double worstCents = 0, worstOnset = 0;
        for (std::size_t i = 0; i < scale.size(); ++i) {
            const auto in = [&](const Named& n) { return n.at >= onsets[i] && n.at < onsets[i] + int64_t(spacing); };
            const auto h = std::find_if(heard.begin(), heard.end(), in);
            const auto w = std::find_if(without.begin(), without.end(), in);
            if (h == heard.end() || w == without.end() || h->note != w->note) {
                std::printf("    %s: note %zu (expected %d) heard as %d\n", m.name, i, scale[i]->expectedNote,
                            h == heard.end() ? -1 : h->note);
                continue;
            }
            ++right;
            if (std::getenv("ROOM_BENCH_DETAIL"))
                std::printf("    %s: note %d onset to named %.0f ms (without the drone %.0f ms), cents %+.1f (%+.1f)\n", m.name,
                            h->note, double(h->at - onsets[i]) * 1000.0 / kRate, double(w->at - onsets[i]) * 1000.0 / kRate,
                            h->cents, w->cents);
            worstCents = std::max(worstCents, std::fabs(h->cents - w->cents));
            worstOnset = std::max(worstOnset, double(h->at - onsets[i]) * 1000.0 / kRate);
        }
        std::printf("%s:\n  nobody playing, %.0f s: %zu notes named\n"
                    "  scale: %d of %zu named as without the drone; worst cents difference %.1f; worst onset to "
                    "named %.0f ms\n  cost: %.2f %% of a core\n",
                    m.name, aloneSeconds, quiet.size(), right, scale.size(), worstCents, worstOnset,
                    100.0 * cpu / aloneSeconds);
    }
    return 0;
}
