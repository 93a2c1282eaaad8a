// The built-in synthesizer through a real audio server: the private PulseAudio server that
// `./korvalin test` starts (PULSE_SERVER), whose null sink is recorded through its monitor. The
// application's own objects play a note; what the server received must be that note's pitch, and
// once everything is silent the audio stream must be gone and the process idle.
#include "app/korvalin1.h"
#include "app/prompts.h"
#include "app/window_registry.h"
#include "main_window/form1.h"
#include "midi/default_output.h"
#include "midi/midi_port.h"
#include "midi/synth_output.h"
#include "tests/support/find_control.h"
#include "tests/support/gui_test.h"
#include "tests/support/monitor_recording.h"
#include "tests/support/pitch.h"
#include "tests/support/recording_prompts.h"

#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

using namespace korvalin;
using namespace korvalin::test;

namespace {

constexpr double kRate = 44100;

// Runs pactl against the server in PULSE_SERVER; empty when it does not answer.
std::optional<QString> Pactl(const QStringList& arguments) {
    QProcess p;
    p.start("pactl", arguments);
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Whether the server lists an audio stream of this process.
bool ServerHasOurStream() {
    const std::optional<QString> inputs = Pactl({"list", "sink-inputs"});
    return inputs && inputs->contains(QStringLiteral("application.process.id = \"%1\"").arg(getpid()));
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs of exact silence inside the sound: moments when the server had nothing to play.
int Gaps(const std::vector<float>& x) {
    int gaps = 0;
    for (std::size_t i = 0, zeros = 0; i < x.size(); ++i) {
        zeros = x[i] == 0.0f ? zeros + 1 : 0;
        gaps += zeros == 4;
    }
    return gaps;
}

// The note's fundamental: the median of the estimates over 0.2 s windows from `from` on. A loaded
// machine can starve the server for a moment; it then plays exact silence and goes on with the
// stream where it stopped, so such gaps (runs of zero samples) are cut out before measuring.
std::optional<double> SteadyFundamental(const std::vector<float>& x, std::size_t from) {
    std::vector<float> sound;
    for (std::size_t i = from; i < x.size();) {
        std::size_t end = i;
        while (end < x.size() && x[end] == 0.0f) ++end;
        if (end - i < 4) sound.insert(sound.end(), x.begin() + long(i), x.begin() + long(end));
        if (end < x.size()) sound.push_back(x[end]);
        i = end + 1;
    }
    const std::size_t length = std::size_t(0.2 * kRate);
    std::vector<double> estimates;
    for (std::size_t at = 0; at + length + std::size_t(kRate / 50) + 2 <= sound.size(); at += std::size_t(0.05 * kRate))
        if (std::optional<double> f = Fundamental(sound, at, length, kRate)) estimates.push_back(*f);
    if (estimates.size() < 3) return std::nullopt;
    std::nth_element(estimates.begin(), estimates.begin() + long(estimates.size() / 2), estimates.end());
    return estimates[estimates.size() / 2];
}

// The shared GUI fixture, with the built-in synthesizer as the output in place of its recorder.
class SoundThroughServer : public GuiTest<> {
protected:
    void SetUp() override {
        const char* server = std::getenv("PULSE_SERVER");
        ASSERT_TRUE(server && *server && Pactl({"info"}))
            << "no PulseAudio server reachable through PULSE_SERVER; `./korvalin test` starts a private one";
        GuiTest::SetUp();
        synth = std::dynamic_pointer_cast<SynthOutput>(MakeDefaultMidiOutput());
        ASSERT_NE(synth, nullptr);
        SetMidiOutput(synth);
    }

    std::shared_ptr<SynthOutput> synth;
};

struct PlayedNote {
    const char* what;
    std::function<void(Form1&)> act;
    int midiNote; // what the recording must sound
    friend void PrintTo(const PlayedNote& c, std::ostream* os) { *os << c.what; }
};

class SoundedPitch : public SoundThroughServer, public ::testing::WithParamInterface<PlayedNote> {};

TEST_P(SoundedPitch, TheServerReceivesTheSoundingNote) {
    const PlayedNote& c = GetParam();
    Form1& f = Window<Form1>(); // starts up: written C0 on the alto, sound on
    ASSERT_NE(KORVALIN1.MidiReady, 0) << "the built-in synthesizer did not open on the private server";
    EXPECT_FALSE(synth->StreamOpen()) << "nothing sounds yet, so no stream should be open";

    MonitorRecording recording;
    ASSERT_TRUE(recording.Started()) << "parec did not record the null sink's monitor";
    // A machine busy enough to starve the server leaves a recording too broken to measure; the
    // same note is then played again (at most three times in all) rather than judged on it.
    std::optional<double> f0;
    int gaps = 0;
    for (int attempt = 0; attempt < 3 && !f0; ++attempt) {
        const std::size_t mark = recording.Samples();
        if (attempt == 0)
            c.act(f);
        else
            f.ShowNote(f.CurrentNote);
        EXPECT_TRUE(synth->StreamOpen());
        QTest::qWait(1200);
        const std::vector<float> x = recording.Since(mark);
        const auto onset = std::find_if(x.begin(), x.end(), [](float v) { return std::fabs(v) > 1e-3f; });
        ASSERT_NE(onset, x.end()) << "nothing was heard";
        f0 = SteadyFundamental(x, std::size_t(onset - x.begin()) + std::size_t(0.2 * kRate));
        gaps = Gaps(x);
    }
    ASSERT_TRUE(f0.has_value()) << "no steady periodic sound found; the last recording had " << gaps
                                << " gaps where the server was starved";
    EXPECT_NEAR(Cents(*f0, MidiFrequency(c.midiNote)), 0.0, 10.0)
        << *f0 << " Hz recorded, " << MidiFrequency(c.midiNote) << " Hz expected";
}

// Written C0 (start-up's note) sounds Eb on the alto, Bb on the soprano and tenor, Eb on the
// baritone, each in its own octave; Sharpen makes it C#0, which sounds E-1 on the alto.
INSTANTIATE_TEST_SUITE_P(
    Notes, SoundedPitch,
    ::testing::Values(PlayedNote{"StartUpNote", [](Form1& f) { f.ShowNote(f.CurrentNote); }, 51},
                      PlayedNote{"Sharpen", [](Form1& f) { f.Command5_Click(); }, 52},
                      PlayedNote{"Soprano", [](Form1& f) { Find<QRadioButton>(f, "Option1")->click(); }, 58},
                      PlayedNote{"Alto", [](Form1& f) { f.Alto_Click(); }, 51},
                      PlayedNote{"Tenor", [](Form1& f) { Find<QRadioButton>(f, "Option3")->click(); }, 46},
                      PlayedNote{"Baritone", [](Form1& f) { f.Baritone_Click(); }, 39}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(SoundThroughServer, TheStreamStaysOpenWhileSoundingAndClosesWhenSilent) {
    Form1& f = Window<Form1>();
    ASSERT_NE(KORVALIN1.MidiReady, 0);
    EXPECT_FALSE(ServerHasOurStream());
    EXPECT_FALSE(synth->IdleWatchRunning()) << "no timer runs while the stream is closed";

    // A short scale's worth of notes: the stream opens with the first and stays open throughout.
    for (int step = 0; step < 6; ++step) {
        f.Command5_Click();
        QTest::qWait(400);
        EXPECT_TRUE(synth->StreamOpen()) << "closed during the run, at step " << step;
    }
    EXPECT_TRUE(ServerHasOurStream());

    // The note ends a second after it started; about five seconds after its release has died away
    // the stream is closed, the server lists none of ours, and no timer is left running.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !synth->StreamOpen(); }, 30000)) << "the stream never closed";
    EXPECT_FALSE(synth->IdleWatchRunning());
    EXPECT_TRUE(QTest::qWaitFor([] { return !ServerHasOurStream(); }, 10000));

    // Idle now: hardly any processor time over the next seconds (a generous bound, for a loaded
    // machine and the sanitizer build).
    const double before = CpuSeconds();
    QTest::qWait(2000);
    EXPECT_LT((CpuSeconds() - before) / 2.0, 0.05);

    // The next note opens it again.
    f.Command3_Click();
    EXPECT_TRUE(synth->StreamOpen());
}

TEST_F(SoundThroughServer, ANoteWithoutAServerIsDroppedAndTheNextTriesAgain) {
    ASSERT_TRUE(synth->Open());
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/korvalin-no-server");
    synth->Send(PackMidiMessage(0x90, 60, 100));
    EXPECT_FALSE(synth->StreamOpen());
    // What the synthesizer would play next, were a stream open: nothing of the dropped note.
    std::vector<float> next(2 * 4410, 1.0f);
    synth->Engine().Render(next.data(), 4410);
    EXPECT_TRUE(std::all_of(next.begin(), next.end(), [](float v) { return std::fabs(v) < 1e-6f; }))
        << "the dropped note would sound when a stream opens";
    qputenv("PULSE_SERVER", server);
    synth->Send(PackMidiMessage(0x90, 62, 100));
    EXPECT_TRUE(synth->StreamOpen()) << "the next note must try again";
    synth->Close();
    EXPECT_FALSE(synth->StreamOpen());
}

// The sound server restarted under a sounding note, as a desktop's server is when devices change:
// the next note sounds once the server is back. A server of the test's own, on its own socket.
TEST_F(SoundThroughServer, AfterTheServerRestartsUnderASoundingNoteTheNextNoteSounds) {
    QTemporaryDir dir;
    const auto server = [&](const char* command) {
        QProcess p;
        p.start(KORVALIN_PULSE_SCRIPT, {command, dir.path()});
        p.waitForFinished(20000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed().toUtf8();
    };
    const QByteArray shared = qgetenv("PULSE_SERVER");
    const QByteArray own = server("start");
    ASSERT_FALSE(own.isEmpty()) << "a server of the test's own did not start";
    qputenv("PULSE_SERVER", own);
    ASSERT_TRUE(synth->Open());
    synth->Send(PackMidiMessage(0x90, 60, 100));
    ASSERT_TRUE(synth->StreamOpen());
    QTest::qWait(300);
    server("stop");
    EXPECT_EQ(server("start"), own);
    QTest::qWait(600);
    synth->Send(PackMidiMessage(0x90, 60, 0));
    {
        MonitorRecording recording;
        EXPECT_TRUE(recording.Started());
        const std::size_t from = recording.Samples();
        synth->Send(PackMidiMessage(0x90, 64, 100));
        QTest::qWait(1000);
        const std::vector<float> x = recording.Between(from, recording.Samples());
        EXPECT_TRUE(std::any_of(x.begin(), x.end(), [](float v) { return std::fabs(v) > 1e-3f; })) << "the next note was silent";
    }
    synth->Close();
    server("stop");
    qputenv("PULSE_SERVER", shared);
}

} // namespace
