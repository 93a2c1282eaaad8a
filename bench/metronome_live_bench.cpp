// The metronome and drone live, as the application plays them, against a private PulseAudio
// server started for the run (nothing reaches the desktop's own sound):
//   - an external port's path: how late the event loop sends each click (a recording output
//     stands in for the port; sending on RtMidi adds only the call itself),
//   - the clicks recorded from the server's null sink for a minute: spacing and error, and with
//     the tempo changed halfway through a run as the window changes it live,
//   - processor time while the metronome and drone run, against notes struck as a scale plays them,
//   - and with everything stopped: whether the audio stream closed, and the processor time then.
//   metronome_live_bench [seconds recorded, 60 by default]
#include "app/korvalin1.h"
#include "bench/cpu_time.h"
#include "bench/private_server.h"
#include "metronome/metronome_player.h"
#include "midi/midi_port.h"
#include "midi/synth_output.h"
#include "scales/playback.h"
#include "tests/metronome/metronome_render.h"
#include "tests/support/recording_midi_output.h"

#include <QApplication>
#include <QProcess>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace korvalin;
using namespace korvalin::metronome_test;

namespace {

using korvalin::bench::PrivateServer;

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}

// Runs the event loop for `ms` milliseconds, sleeping whenever nothing is due (QTest::qWait
// would wake it every few milliseconds and count in the figures).
void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Processor time of the whole process (every thread, the synthesizer's and the server's client
// threads included) while the event loop runs for `seconds`, as a share of one core.
double CpuShare(double seconds) {
    const double start = bench::CpuSeconds();
    Wait(int(seconds * 1000));
    return (bench::CpuSeconds() - start) / seconds;
}

// An external port that notes the step clock at which each click (a note started on the
// percussion channel) was handed to it.
class ClickTimes : public MidiOutput {
public:
    bool Open() override { return true; }
    void Send(uint32_t message) override {
        const MidiMessage m{message};
        if (m.StartsNote() && m.Channel() == kPercussionChannel) sent.push_back(StepClockMs());
    }
    void Close() override {}
    std::string Name() const override { return "click times"; }
    std::vector<std::int64_t> sent;
};

// What the server's null sink plays, recorded from its monitor from construction on, once the
// recorder has delivered its first sound.
class SinkRecording {
public:
    SinkRecording() {
        QObject::connect(&parec_, &QProcess::readyReadStandardOutput, [this] { bytes_ += parec_.readAllStandardOutput(); });
        parec_.start("parec", {"--device=korvalin_test.monitor", "--format=float32le", "--rate=44100", "--channels=1",
                               "--latency-msec=10", "--raw"});
        parec_.waitForStarted(5000);
        for (int i = 0; i < 200 && bytes_.size() < 4096; ++i) Wait(50);
    }
    ~SinkRecording() { Stop(); }
    void Stop() {
        parec_.kill();
        parec_.waitForFinished(5000);
    }
    // Where the recording stands now, and the samples between two such marks.
    qsizetype Mark() const { return bytes_.size(); }
    std::vector<float> Samples(qsizetype from, qsizetype to) const {
        std::vector<float> x(std::size_t(to - from) / sizeof(float));
        std::memcpy(x.data(), bytes_.constData() + from, x.size() * sizeof(float));
        return x;
    }

private:
    QProcess parec_;
    QByteArray bytes_;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(5.0, std::atof(argv[1])) : 60.0;
    std::printf("== Metronome and drone, live\n");

    // 1. An external port's path: the event loop sends each event when its timer fires.
    {
        ResetKorvalin1();
        auto port = std::make_shared<ClickTimes>();
        SetMidiOutput(port);
        OpenMidiOut();
        KORVALIN1.SoundOn = 1;
        MetronomePlayer player;
        const std::int64_t start = StepClockMs();
        player.Start(MetronomeSchedule({.tempo = 120, .beatsPerBar = 4}, {.on = true, .note = 51}), start);
        Wait(int(seconds * 1000));
        player.Stop();
        // Each click against the beat it belongs to (the nearest: a click is never half a beat late).
        std::vector<double> late;
        for (std::int64_t t : port->sent) {
            const std::int64_t beat = start + 500 * ((t - start + 250) / 500);
            late.push_back(double(t - beat));
        }
        std::printf("external port path, %.0f s at 120 bpm: %zu clicks sent, lateness median %.3f ms, "
                    "99th percentile %.3f ms, worst %.3f ms\n",
                    seconds, late.size(), Percentile(late, 0.5), Percentile(late, 0.99), Percentile(late, 1.0));
        CloseMidiOut();
        SetMidiOutput(nullptr);
    }

    PrivateServer server;
    if (server.Address().empty()) {
        std::printf("the private PulseAudio server could not be started: no live sound figures\n");
        return 1;
    }
    qputenv("PULSE_SERVER", QByteArray::fromStdString(server.Address()));
    ResetKorvalin1();
    SynthSettings settings;
    settings.idleClose = std::chrono::milliseconds(1000);
    auto synth = std::make_shared<SynthOutput>(settings);
    SetMidiOutput(synth);
    OpenMidiOut();
    KORVALIN1.SoundOn = 1;
    if (KORVALIN1.MidiReady == 0) {
        std::printf("the built-in synthesizer did not open on the private server\n");
        return 1;
    }

    // 2. Clicks of one sound recorded from the server's null sink over a soft drone (which shows
    //    every hole in the recording; see MeasureRecordedClicks).
    {
        SinkRecording recording;
        MetronomePlayer player;
        const MetronomeSchedule clicks({.tempo = 120, .beatsPerBar = 1}, {.on = true, .note = LowDroneNote(63), .volume = 30});
        const qsizetype from = recording.Mark();
        player.Start(clicks, StepClockMs());
        Wait(int(seconds * 1000));
        const qsizetype to = recording.Mark();
        player.Stop();
        Wait(300);
        recording.Stop();
        const RecordedClickFigures f = MeasureRecordedClicks(recording.Samples(from, to), 44100, 500.0);
        std::printf("recorded from the server, %.0f s at 120 bpm: %d clicks (%d with a hole in the recording, of %d "
                    "holes), %d intervals between whole clicks: mean %.4f ms, error median %.3f ms, worst %.3f ms\n",
                    seconds, f.clicks, f.damaged, f.holes, f.intervals, f.intervalMs, f.medianErrorMs, f.worstErrorMs);
    }

    // 2b. The tempo changed while it plays, 120 to 90 halfway: the clicks recorded on each side
    //     (the first 700 ms after the change, where the last beat at 120 may still fall, left out).
    {
        SinkRecording recording;
        const DroneSettings drone{.on = true, .note = LowDroneNote(63), .volume = 30};
        MetronomePlayer player;
        const qsizetype from = recording.Mark();
        player.Start(MetronomeSchedule({.tempo = 120, .beatsPerBar = 1}, drone), StepClockMs());
        Wait(int(seconds * 500));
        const qsizetype changed = recording.Mark();
        player.Change(MetronomeSchedule({.tempo = 90, .beatsPerBar = 1}, drone));
        Wait(int(seconds * 500));
        const qsizetype to = recording.Mark();
        player.Stop();
        recording.Stop();
        const qsizetype skip = qsizetype(0.7 * 44100) * qsizetype(sizeof(float));
        const RecordedClickFigures before = MeasureRecordedClicks(recording.Samples(from, changed), 44100, 500.0);
        const RecordedClickFigures after = MeasureRecordedClicks(recording.Samples(changed + skip, to), 44100, 60000.0 / 90);
        std::printf("tempo changed live, 120 to 90 bpm after %.0f s: before, %d intervals, mean %.4f ms, worst error %.3f ms; "
                    "after, %d intervals, mean %.4f ms, worst error %.3f ms; %d holes in the recording\n",
                    seconds / 2, before.intervals, before.intervalMs, before.worstErrorMs, after.intervals, after.intervalMs,
                    after.worstErrorMs, before.holes + after.holes);
    }

    // 3. Processor time: the metronome and drone against notes struck as a scale at Speed 1 plays
    //    them (one every 100 ms, each ended before the next), both sounding through the server.
    const double measure = std::min(seconds, 20.0);
    {
        MetronomePlayer player;
        player.Start(MetronomeSchedule({.tempo = 120, .beatsPerBar = 4}, {.on = true, .note = LowDroneNote(63)}),
                     StepClockMs());
        Wait(500);
        const double share = CpuShare(measure);
        player.Stop();
        std::printf("processor time, metronome and drone running: %.2f%% of a core\n", 100.0 * share);

    }
    {
        QTimer steps;
        int k = 0;
        QObject::connect(&steps, &QTimer::timeout, [&] {
            synth->Send(PackMidiMessage(kNoteOnStatus, 60 + (k % 8), 0));
            ++k;
            synth->Send(PackMidiMessage(kNoteOnStatus, 60 + (k % 8), 100));
        });
        steps.start(100);
        Wait(500);
        const double share = CpuShare(measure);
        steps.stop();
        synth->Send(PackMidiMessage(kNoteOnStatus, 60 + (k % 8), 0));
        std::printf("processor time, a scale playing (a note every 100 ms): %.2f%% of a core\n", 100.0 * share);
    }

    // 4. Everything stopped: the stream closes after its idle time, and then nothing runs.
    {
        for (int i = 0; i < 100 && synth->StreamOpen(); ++i) Wait(100);
        const bool closed = !synth->StreamOpen();
        const double share = CpuShare(5);
        std::printf("stopped: audio stream %s, processor time over 5 s: %.3f%% of a core\n",
                    closed ? "closed" : "STILL OPEN", 100.0 * share);
    }
    CloseMidiOut();
    SetMidiOutput(nullptr);
    return 0;
}
