// The metronome and drone through the built-in synthesizer and a real audio server: the private
// PulseAudio server that `./korvalin test` starts (PULSE_SERVER), whose null sink is recorded
// through its monitor. The clicks must arrive evenly spaced on the beat, the drone in tune, and the
// audio stream, held open while they run, must close once they have stopped.
#include "app/korvalin1.h"
#include "metronome/metronome_player.h"
#include "midi/midi_port.h"
#include "midi/synth_output.h"
#include "scales/playback.h"
#include "tests/metronome/metronome_render.h"

#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace korvalin::metronome_test {
namespace {

constexpr double kRate = 44100;
// Seconds of clicks recorded; the benchmark records a full minute.
constexpr int kClickSeconds = 20;

bool ServerAnswers() {
    QProcess p;
    p.start("pactl", {"info"});
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool WaitFor(const std::function<bool()>& condition, int seconds) {
    for (int i = 0; i < seconds * 20 && !condition(); ++i) QTest::qWait(50);
    return condition();
}

// The null sink's monitor, recorded as mono floats at 44.1 kHz while it lives.
class MonitorRecording {
public:
    MonitorRecording() {
        QObject::connect(&parec_, &QProcess::readyReadStandardOutput, [this] { bytes_ += parec_.readAllStandardOutput(); });
        parec_.start("parec", {"--device=korvalin_test.monitor", "--format=float32le", "--rate=44100",
                               "--channels=1", "--latency-msec=10", "--raw"});
    }
    ~MonitorRecording() {
        parec_.kill();
        parec_.waitForFinished(5000);
    }
    bool Started() { return parec_.waitForStarted(5000) && WaitFor([this] { return bytes_.size() > 4096; }, 10); }
    std::size_t Samples() const { return std::size_t(bytes_.size()) / sizeof(float); }
    std::vector<float> Between(std::size_t from, std::size_t to) const {
        to = std::min(to, Samples());
        std::vector<float> x(to - std::min(from, to));
        if (!x.empty()) std::memcpy(x.data(), bytes_.constData() + from * sizeof(float), x.size() * sizeof(float));
        return x;
    }

private:
    QProcess parec_;
    QByteArray bytes_;
};

// Holes in a sound that never falls silent: runs of exact silence, where the server had nothing to
// play.
int Holes(const std::vector<float>& x) {
    std::size_t first = 0;
    while (first < x.size() && x[first] == 0.0f) ++first;
    int holes = 0;
    for (std::size_t i = first, zeros = 0; i < x.size(); ++i) {
        zeros = x[i] == 0.0f ? zeros + 1 : 0;
        holes += zeros == 4;
    }
    return holes;
}

class MetronomeThroughServer : public ::testing::Test {
protected:
    void SetUp() override {
        const char* server = std::getenv("PULSE_SERVER");
        ASSERT_TRUE(server && *server && ServerAnswers())
            << "no PulseAudio server reachable through PULSE_SERVER; `./korvalin test` starts a private one";
        ResetKorvalin1();
        SynthSettings settings;
        settings.idleClose = std::chrono::milliseconds(300);
        synth = std::make_shared<SynthOutput>(settings);
        SetMidiOutput(synth);
        OpenMidiOut();
        KORVALIN1.SoundOn = 1;
        ASSERT_NE(KORVALIN1.MidiReady, 0) << "the built-in synthesizer did not open";
    }
    void TearDown() override {
        player.reset();
        if (KORVALIN1.SoundOn == 1) CloseMidiOut();
        SetMidiOutput(nullptr);
    }

    // Plays `schedule` for `seconds` and returns what the server played from its start to the stop.
    std::vector<float> Play(const MetronomeSchedule& schedule, double seconds) {
        MonitorRecording recording;
        EXPECT_TRUE(recording.Started()) << "parec did not record the null sink's monitor";
        const std::size_t from = recording.Samples();
        EXPECT_TRUE(player->Start(schedule, StepClockMs()));
        EXPECT_EQ(player->CurrentPath(), MetronomePlayer::Path::Sequencer);
        EXPECT_TRUE(synth->StreamOpen());
        QTest::qWait(int(seconds * 1000));
        const std::size_t to = recording.Samples();
        player->Stop();
        QTest::qWait(300); // what was recorded up to the stop reaches the recorder
        return recording.Between(from, to);
    }

    std::shared_ptr<SynthOutput> synth;
    std::unique_ptr<MetronomePlayer> player = std::make_unique<MetronomePlayer>();
};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

TEST_F(MetronomeThroughServer, ClicksLandOnTheBeatAndTheDroneIsInTune) {
    // Clicks of one sound (one beat a bar) at 120 bpm over a soft drone, which shows every hole a
    // busy machine leaves in the recording; clicks with a hole in them are not measured, and on a
    // machine so busy that most clicks have one the recording is made again, up to three times.
    const MetronomeSchedule clicks({.tempo = 120, .beatsPerBar = 1},
                                   {.on = true, .note = LowDroneNote(63), .volume = 30});
    RecordedClickFigures f;
    for (int attempt = 0; attempt < 3; ++attempt) {
        f = MeasureRecordedClicks(Play(clicks, kClickSeconds), kRate, 500.0);
        if (f.intervals >= kClickSeconds) break;
    }
    std::printf("%d clicks, %d holes, %d clicks with a hole, %d intervals measured: mean %.4f ms, error median %.3f ms, "
                "worst %.3f ms\n",
                f.clicks, f.holes, f.damaged, f.intervals, f.intervalMs, f.medianErrorMs, f.worstErrorMs);
    EXPECT_GE(f.clicks, 2 * kClickSeconds - 1);
    EXPECT_LE(f.clicks, 2 * kClickSeconds + 1);
    ASSERT_GE(f.intervals, kClickSeconds) << "too few whole clicks in every attempt: the server was starved";
    // The figures the metronome promises hold for the program as shipped. Under the sanitizers
    // every allocation in the process is slowed, the synthesizer's audio thread's too, and the
    // server runs dry now and then, delaying what follows: there the clicks must still come one a
    // beat, within bounds that such gaps cannot break.
    if (kSanitized) {
        EXPECT_NEAR(f.intervalMs, 500.0, 5.0);
        EXPECT_LT(f.medianErrorMs, 5.0);
        EXPECT_LT(f.worstErrorMs, 60.0);
    } else {
        EXPECT_NEAR(f.intervalMs, 500.0, 0.05);
        EXPECT_LT(f.medianErrorMs, 1.0);
        EXPECT_LT(f.worstErrorMs, 3.0);
    }

    // The drone alone on Eb (an alto's C), soft and low, measured where the stream has no hole.
    const int note = LowDroneNote(63);
    const MetronomeSchedule drone({.clickOn = false}, {.on = true, .note = note, .volume = 40});
    double hz = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::vector<float> x = Play(drone, 3.0);
        std::size_t first = 0;
        while (first < x.size() && x[first] == 0.0f) ++first;
        const double start = double(first) / kRate;
        hz = MeanFrequency(x, kRate, 440.0 * std::pow(2.0, (note - 69) / 12.0), start + 0.8, start + 2.5);
        if (Holes(x) == 0) break;
    }
    EXPECT_LT(std::abs(CentsFrom(hz, note)), 5.0) << hz << " Hz";

    // Stopped, the stream is held no longer and closes after its idle time.
    EXPECT_EQ(synth->StreamHolds(), 0);
    EXPECT_TRUE(WaitFor([this] { return !synth->StreamOpen(); }, 20)) << "the audio stream stayed open";
}

} // namespace
} // namespace korvalin::metronome_test
