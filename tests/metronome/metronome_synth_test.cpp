// The metronome and drone through FluidSynth's sequencer, rendered offline with the General MIDI
// soundfont: where the clicks land in the samples, what pitch the drone holds, and the silence
// after a stop. Sample positions only; the wall clock plays no part.
// The last test renders on a thread of its own, as a live audio stream does.
#include "metronome/sequencer_click_track.h"
#include "tests/metronome/metronome_render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace korvalin::metronome_test {
namespace {

// A minute at 120 bpm, and shorter runs at other tempos.
constexpr double kClickSeconds = 60;

class MetronomeSynth : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::is_regular_file(kGeneralMidiSoundfont))
            << "the General MIDI soundfont is not installed (`./korvalin deps` installs it): " << kGeneralMidiSoundfont;
    }
};

TEST_F(MetronomeSynth, ClicksLandOnTheirSamples) {
    struct Case {
        int tempo, beats;
        double seconds;
    };
    for (const Case& c : {Case{120, 4, kClickSeconds}, Case{90, 3, kClickSeconds / 2}, Case{240, 7, kClickSeconds / 4}}) {
        SCOPED_TRACE(testing::Message() << c.tempo << " bpm, " << c.beats << " a bar");
        const MetronomeSchedule schedule({.tempo = c.tempo, .beatsPerBar = c.beats});
        const Rendering r = Render(schedule, c.seconds);
        ASSERT_TRUE(r.ok);
        const ClickFigures f = MeasureClicks(schedule, r);
        EXPECT_EQ(f.clicks, f.expected);
        EXPECT_EQ(f.misplaced, 0);
        EXPECT_NEAR(f.intervalMs, 60000.0 / c.tempo, 0.05);
        EXPECT_LT(f.medianErrorMs, 1.0);
        EXPECT_LT(f.worstErrorMs, 3.0);
    }
}

TEST_F(MetronomeSynth, DroneHoldsTheTonicAndStopSilencesEverything) {
    // Every pitch class in the drone's octave on the default organ, a few on the other one.
    struct Case {
        int concert, program;
    };
    std::vector<Case> cases;
    for (int concert = 60; concert < 72; ++concert) cases.push_back({concert, kReedOrganProgram});
    for (int concert : {58, 63, 66}) cases.push_back({concert, kDrawbarOrganProgram});
    constexpr double kHeld = 2.5, kTail = 1.5;
    for (const Case& c : cases) {
        const int note = LowDroneNote(c.concert);
        SCOPED_TRACE(testing::Message() << "note " << note << " program " << c.program);
        const MetronomeSchedule schedule({.clickOn = false}, {.on = true, .note = note, .volume = 40, .program = c.program});
        const Rendering r = Render(schedule, kHeld, 44100, kTail);
        ASSERT_TRUE(r.ok);
        const double stop = double(r.originSample) / r.rate + kHeld;
        const double hz = MeanFrequency(r.samples, r.rate, 440.0 * std::pow(2.0, (note - 69) / 12.0), 1.0, stop - 0.1);
        EXPECT_LT(std::abs(CentsFrom(hz, note)), 5.0) << hz << " Hz";
        // Held until the stop, then released at once: 20 dB down within a quarter of a second
        // (the patch's own release) and silent after a second.
        const double held = PeakAfter(r, 1.0);
        EXPECT_GT(held, 1e-3);
        EXPECT_LT(PeakAfter(r, stop + 0.25), 0.1 * held);
        EXPECT_LT(PeakAfter(r, stop + 1.0), 1e-5);
    }
    // The clicks too: stopped in the middle of a click at the fastest tempo, with the drone.
    const MetronomeSchedule schedule({.tempo = kMaxTempo}, {.on = true, .note = 45});
    const Rendering r = Render(schedule, 1.01, 44100, kTail);
    ASSERT_TRUE(r.ok);
    EXPECT_LT(PeakAfter(r, double(r.originSample) / r.rate + 1.01 + 1.0), 1e-5);
}

TEST_F(MetronomeSynth, ChangesAndScaleStepsKeepTheSampleClock) {
    // Clicks of one sound, 120 bpm changed to 60 1.2 s in (the beat at 1.5 s is the first at 60);
    // and scale steps on the wood block queued beside clicks that are off, one on every other beat.
    // Each onset lies where its beat's sample says, give or take the synthesizer's 64-sample block.
    struct Case {
        const char* name;
        MetronomeSchedule first;
        std::vector<int64_t> steps; // beats
        std::vector<double> beats;  // seconds from beat 0
    };
    const MetronomeSchedule steps({.tempo = 120, .clickOn = false}, {}, {.notes = {}, .channel = kPercussionChannel});
    for (const Case& c : {Case{"change", MetronomeSchedule({.tempo = 120, .beatsPerBar = 1}), {}, {0, 0.5, 1, 1.5, 2.5, 3.5, 4.5}},
                          Case{"steps", steps, {0, 2, 4, 6}, {0, 1, 2, 3}}}) {
        SCOPED_TRACE(c.name);
        OfflineSynth synth;
        ASSERT_TRUE(synth.Load());
        std::vector<float> sound;
        {
            SequencerClickTrack track(synth.Synth(), false);
            const unsigned origin = track.Start(c.first, 0);
            for (int64_t beat : c.steps) track.QueueStep(kHighWoodBlockKey, beat, beat + 1);
            synth.Write(sound, 52920); // 1.2 s
            if (c.steps.empty()) track.Change(MetronomeSchedule({.tempo = 60, .beatsPerBar = 1}));
            synth.Write(sound, int64_t((c.beats.back() - 1.0) * 44100)); // to 0.2 s past the last beat
            track.Stop();
            EXPECT_EQ(origin, 0u);
        }
        const std::vector<int64_t> onsets = Onsets(sound, 44100);
        ASSERT_EQ(onsets.size(), c.beats.size());
        for (std::size_t k = 0; k < onsets.size(); ++k)
            EXPECT_NEAR(double(onsets[k] - onsets[0]) / 44.1, c.beats[k] * 1000, 1.5) << k;
    }
}

TEST_F(MetronomeSynth, StartsAndStopsWhileTheSynthesizerRendersOnItsOwnThread) {
    // As with a live audio stream: the synthesizer renders on another thread, its timers queue
    // the bars there, while this thread starts and stops tempo after tempo. Every run must end in
    // silence, and no start or stop may wait for ever on the rendering thread.
    OfflineSynth synth;
    ASSERT_TRUE(synth.Load());
    std::atomic<bool> rendering = true;
    std::atomic<int64_t> rendered = 0;
    std::vector<float> sound;
    std::mutex soundMutex;
    std::thread renderer([&] {
        std::vector<float> block;
        while (rendering) {
            block.clear();
            synth.Write(block, 64);
            rendered += 64;
            std::lock_guard lock(soundMutex);
            sound.insert(sound.end(), block.begin(), block.end());
        }
    });
    auto waitForFrames = [&](int64_t frames) {
        const int64_t until = rendered + frames;
        while (rendered < until) std::this_thread::yield();
    };
    {
        SequencerClickTrack track(synth.Synth(), false);
        ASSERT_TRUE(track.Valid());
        for (int run = 0; run < 12; ++run) {
            const MetronomeSchedule schedule({.tempo = kMaxTempo - 17 * run, .beatsPerBar = 1 + run % 8},
                                             {.on = run % 2 == 0, .note = 43 + run});
            if (run % 4 == 3) track.Change(schedule); // a stopped track starts on new settings
            else track.Start(schedule, 0);
            EXPECT_TRUE(track.Running());
            waitForFrames(64 * (1 + 97 * run % 300)); // from one block to a few bars
            // New settings taking over meanwhile, the drone moving or held, twice within a beat.
            for (int k = 0; k < run % 3; ++k)
                track.Change(MetronomeSchedule({.tempo = 60 + run, .beatsPerBar = 3}, {.on = true, .note = 43 + (run + k) % 4}));
            waitForFrames(64 * (1 + 31 * run % 100));
            track.Stop();
            EXPECT_FALSE(track.Running());
        }
        std::size_t heard = 0;
        {
            std::lock_guard lock(soundMutex);
            heard = sound.size();
        }
        waitForFrames(3 * 44100); // the release, then two seconds more
        std::lock_guard lock(soundMutex);
        float after = 0;
        for (std::size_t i = heard + 44100; i < sound.size(); ++i) after = std::max(after, std::abs(sound[i]));
        // 80 dB below full scale: a release tail may linger there, a drone or click left
        // playing would be 40 dB above it.
        EXPECT_LT(after, 1e-4) << "something sounds on a second after the last stop";
        EXPECT_GT(*std::max_element(sound.begin(), sound.begin() + std::ptrdiff_t(heard)), 1e-3f) << "nothing sounded";
    }
    rendering = false;
    renderer.join();
}

} // namespace
} // namespace korvalin::metronome_test
