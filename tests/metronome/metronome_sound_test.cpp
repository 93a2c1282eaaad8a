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

// Holes in the sound: runs of exact silence that cut the sound off, where the server had nothing
// to play. The sink's 16-bit samples reach silence through its last steps when sound dies away
// (a click's tail); a hole begins after a sample several steps from zero.
int Gaps(const std::vector<float>& x) {
    constexpr float kStep = 1.0f / 32768.0f;
    int gaps = 0;
    for (std::size_t i = 1, zeros = 0; i < x.size(); ++i) {
        zeros = x[i] == 0.0f ? zeros + 1 : 0;
        if (zeros == 32 && i >= 32 && std::abs(x[i - 32]) > 3.5f * kStep) ++gaps;
    }
    return gaps;
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
    std::vector<float> Play(const MetronomeSchedule& schedule, double seconds, int& gaps) {
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
        std::vector<float> x = recording.Between(from, to);
        gaps = Gaps(x);
        return x;
    }

    std::shared_ptr<SynthOutput> synth;
    std::unique_ptr<MetronomePlayer> player = std::make_unique<MetronomePlayer>();
};

TEST_F(MetronomeThroughServer, ClicksLandOnTheBeatAndTheDroneIsInTune) {
    // The clicks alone at 120 bpm. A machine busy enough to starve the server leaves holes that
    // shift every click after them; such a recording is made again, up to three times.
    const MetronomeSchedule clicks({.tempo = 120, .beatsPerBar = 4});
    ClickFigures f;
    int gaps = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::vector<float> x = Play(clicks, kClickSeconds, gaps);
        if (gaps > 0) continue;
        const std::vector<int64_t> onsets = Onsets(x, kRate);
        ASSERT_FALSE(onsets.empty()) << "no click was heard";
        f = MeasureClicks(clicks, {.ok = true, .rate = kRate, .samples = x, .originSample = onsets.front()});
        break;
    }
    ASSERT_EQ(gaps, 0) << "the server was starved in every attempt";
    std::printf("%d clicks of %d, %d misplaced, spacing %.4f ms, error median %.3f ms, worst %.3f ms\n", f.clicks,
                f.expected, f.misplaced, f.intervalMs, f.medianErrorMs, f.worstErrorMs);
    EXPECT_GE(f.clicks, f.expected - 1) << "the last beat may fall on the stop";
    EXPECT_LE(f.clicks, f.expected);
    EXPECT_EQ(f.misplaced, 0);
    EXPECT_NEAR(f.intervalMs, 500.0, 0.05);
    EXPECT_LT(f.medianErrorMs, 1.0);
    EXPECT_LT(f.worstErrorMs, 3.0);

    // The drone alone on Eb (an alto's C), soft and low.
    const int note = LowDroneNote(63);
    const MetronomeSchedule drone({.clickOn = false}, {.on = true, .note = note, .volume = 40});
    const std::vector<float> x = Play(drone, 3.0, gaps);
    std::size_t first = 0;
    while (first < x.size() && x[first] == 0.0f) ++first;
    const double start = double(first) / kRate;
    const double hz = MeanFrequency(x, kRate, 440.0 * std::pow(2.0, (note - 69) / 12.0), start + 0.8, start + 2.5);
    EXPECT_LT(std::abs(CentsFrom(hz, note)), 5.0) << hz << " Hz";

    // Stopped, the stream is held no longer and closes after its idle time.
    EXPECT_EQ(synth->StreamHolds(), 0);
    EXPECT_TRUE(WaitFor([this] { return !synth->StreamOpen(); }, 20)) << "the audio stream stayed open";
}

} // namespace
} // namespace korvalin::metronome_test
