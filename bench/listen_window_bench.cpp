// What listening costs the application: processor time (all threads) and resident memory with
// the main window idle, with the Listen window open and capturing a saxophone note played into a
// private PulseAudio server, then in the room: the built-in synthesizer's drone and clicks at their
// loudest heard by the same microphone, taken out by the echo canceller on the capture thread; and
// once the window is closed again.
//   listen_window_bench [seconds per phase, 10 by default]
#include "app/prompts.h"
#include "app/window_registry.h"
#include "bench/cpu_time.h"
#include "bench/private_server.h"
#include "listen/audio_pitch_input.h"
#include "listen/listen_window.h"
#include "main_window/form1.h"
#include "metronome/metronome_player.h"
#include "midi/midi_port.h"
#include "midi/synth_output.h"
#include "scales/playback.h"
#include "tests/listen/listen_corpus.h"
#include "tests/support/recording_midi_output.h"
#include "tests/support/recording_prompts.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <unistd.h>

using namespace korvalin;

namespace {

long RssKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// What each thread of the process has used so far: processor time and how often it was woken
// (context switches), from /proc, keyed by thread id.
struct ThreadUse {
    QString name;
    double cpuSeconds = 0;
    long wakeups = 0;
};

QMap<QString, ThreadUse> Threads() {
    QMap<QString, ThreadUse> threads;
    const double tick = double(sysconf(_SC_CLK_TCK));
    for (const QString& task : QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        ThreadUse use;
        QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        if (comm.open(QIODevice::ReadOnly)) use.name = QString::fromUtf8(comm.readAll().trimmed());
        QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(task));
        if (stat.open(QIODevice::ReadOnly)) {
            // Fields after the name, which is in parentheses: utime and stime are the 12th and
            // 13th of them.
            const QByteArray line = stat.readAll();
            const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 12) use.cpuSeconds = (fields[11].toDouble() + fields[12].toDouble()) / tick;
        }
        QFile status(QStringLiteral("/proc/self/task/%1/status").arg(task));
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray& l : status.readAll().split('\n'))
                if (l.contains("ctxt_switches:")) use.wakeups += l.mid(l.indexOf(':') + 1).trimmed().toLong();
        threads.insert(task, use);
    }
    return threads;
}

struct Phase {
    double cpuPercent;
    double rssMb;
    double capture; // the capture thread's share of a core
    QStringList threads; // each thread: its name, its share of a core and its wake-ups a second
};

Phase Measure(int seconds) {
    const QMap<QString, ThreadUse> start = Threads();
    const double before = bench::CpuSeconds();
    QTest::qWait(seconds * 1000);
    const double cpu = 100.0 * (bench::CpuSeconds() - before) / seconds;
    QStringList threads;
    double capture = 0;
    const QMap<QString, ThreadUse> end = Threads();
    for (auto t = end.begin(); t != end.end(); ++t) {
        const ThreadUse from = start.value(t.key(), ThreadUse{t->name, 0, 0});
        if (t->name == "Listening") capture += 100.0 * (t->cpuSeconds - from.cpuSeconds) / seconds;
        threads << QStringLiteral("%1 (%2 %, %3/s)")
                       .arg(t->name)
                       .arg(100.0 * (t->cpuSeconds - from.cpuSeconds) / seconds, 0, 'f', 2)
                       .arg(double(t->wakeups - from.wakeups) / seconds, 0, 'f', 1);
    }
    return {cpu, RssKb() / 1024.0, capture, threads};
}

using korvalin::bench::PrivateServer;

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const PrivateServer server;
    if (server.Address().empty()) {
        std::fprintf(stderr, "the private PulseAudio server could not be started\n");
        return 1;
    }
    setenv("PULSE_SERVER", server.Address().c_str(), 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8()); // the user's settings stay untouched
    QApplication app(argc, argv);

    // The note to hear: an alto's written Bb0, rendered, played over and over into the sink.
    std::vector<float> note;
    for (listen_test::ListenCase& c : listen_test::RenderSaxophoneNotes(44100, 12))
        if (c.label.rfind("alto", 0) == 0 && c.expectedNote == 61) note = c.samples;
    QFile raw(config.filePath("note.raw"));
    if (note.empty() || !raw.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "the saxophone note could not be rendered\n");
        return 1;
    }
    for (int i = 0; i < 3 * seconds; ++i) raw.write(reinterpret_cast<const char*>(note.data()), qint64(note.size() * 4));
    raw.close();

    // The application with a recording output, so that only listening is measured.
    SetMidiOutput(std::make_shared<RecordingMidiOutput>());
    SetPrompts(std::make_shared<RecordingPrompts>()); // the missing help file's warning waits for nobody
    Form1::EndApplication() = [] {};
    Form1& f = Window<Form1>();
    f.show();
    QTest::qWait(1000);
    const Phase idle = Measure(seconds);

    // A source over the sink's monitor (the list of inputs leaves monitors out), as a microphone.
    QProcess pactl;
    pactl.start("pactl", {"load-module", "module-remap-source", "master=korvalin_test.monitor",
                          "source_name=korvalin_bench_microphone",
                          "source_properties=device.description=Korvalin_bench_microphone"});
    pactl.waitForFinished(10000);
    QProcess player;
    player.start("pacat", {"--playback", "--raw", "--device=korvalin_test", "--format=float32le", "--rate=44100",
                           "--channels=1", raw.fileName()});
    f.findChild<QAction*>("ListenItem")->trigger();
    ListenWindow& w = Window<ListenWindow>();
    QString monitor;
    for (int i = 0; i < 100 && monitor.isEmpty(); ++i) {
        for (const QAudioDevice& d : AudioPitchInput::Inputs())
            if (d.id() == "korvalin_bench_microphone") monitor = d.description();
        if (monitor.isEmpty()) QTest::qWait(100);
    }
    w.ListInputs();
    if (monitor.isEmpty() || !w.ChooseInput(monitor) || !w.Listening()) {
        std::fprintf(stderr, "the sink's monitor could not be captured\n");
        return 1;
    }
    int heard = 0;
    QObject::connect(&w, &ListenWindow::heard, [&heard](const HeardNote& n) { heard += n.hasNote && n.concertMidi == 61; });
    QTest::qWait(1000);
    const Phase listening = Measure(seconds);
    const int shownOnMain = f.CurrentNote;

    // The room: the synthesizer plays into the sink the microphone hears.
    SetMidiOutput(std::make_shared<SynthOutput>(SynthSettings{}));
    OpenMidiOut();
    MetronomePlayer metronome;
    metronome.Start(MetronomeSchedule({.tempo = 120, .beatsPerBar = 4, .clickVolume = 127}, {.on = true, .note = 51, .volume = 127}),
                    StepClockMs());
    QTest::qWait(3000); // the canceller finds the delay and settles
    const Phase room = Measure(seconds);
    metronome.Stop();
    CloseMidiOut();
    SetMidiOutput(std::make_shared<RecordingMidiOutput>());

    w.close();
    player.kill();
    player.waitForFinished(5000);
    QTest::qWait(1000);
    const Phase closed = Measure(seconds);

    std::printf("Listening (window open, capturing a played note), %d s per phase:\n", seconds);
    auto line = [](const char* what, const Phase& p) {
        std::printf("  %-28s %6.2f %% of a core, RSS %6.1f MB\n", what, p.cpuPercent, p.rssMb);
        std::printf("    threads (share of a core, wake-ups a second): %s\n", qPrintable(p.threads.join(", ")));
    };
    line("application idle", idle);
    line("Listen window capturing", listening);
    line("the same, drone and clicks", room);
    line("Listen window closed again", closed);
    std::printf("  listening costs %.2f %% of a core and %.1f MB; %d readings of the note; main window note %d\n",
                listening.cpuPercent - idle.cpuPercent, listening.rssMb - idle.rssMb, heard, shownOnMain);
    std::printf("  the capture thread (tracker, and in the room the echo canceller): %.2f %% of a core alone, %.2f %% in the room\n",
                listening.capture, room.capture);
    DestroyAllWindows();
    SetMidiOutput(nullptr);
    SetPrompts(nullptr);
    return 0;
}
