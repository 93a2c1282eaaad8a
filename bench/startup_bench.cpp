// The performance report of the application, one table, each figure the median of several runs
// with its range:
//   process start to the about box painted, main window load (with opening the synthesizer),
//   one ShowNote, a click on the keyboard to its Note On through the real event path, CPU used and
//   thread wake-ups of the idle application over 10 s (with an audio server and without one), a
//   click on Sharpen or Flatten to the first sounding sample handed to the audio server (with the
//   stream closed and open), CPU per second of scale playback with sound, the step timing error,
//   the time from "Next Note" to the next note, and resident memory after start-up.
// Sound goes to a private PulseAudio server with a null sink that the benchmark starts for itself
// (and stops at the end); the user's own server is never touched.
// The application is started as a child with KORVALIN_TRACE set; it reports its own marks on
// standard error with CLOCK_MONOTONIC stamps, comparable with ours. The scale figures come from the
// scale_timing program next to this one.
//   korvalin_bench [start-up runs]
#include "app/korvalin1.h"
#include "app/prompts.h"
#include "app/trace.h"
#include "app/window_registry.h"
#include "bench/private_server.h"
#include "main_window/form1.h"
#include "main_window/picture_box.h"
#include "midi/midi_port.h"
#include "tests/support/recording_midi_output.h"
#include "tests/support/find_control.h"
#include "tests/support/recording_prompts.h"
#include "midi/synth_output.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct ChildRun {
    double aboutShownMs = -1;
    double mainLoadMs = -1;
    double rssMb = -1;
    double idleCpuPercent = -1;
    double idleWakeupsPerSecond = -1;
};

// Context switches of every thread of a process, voluntary and not: each one is a wake-up.
long long ReadContextSwitches(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir) return -1;
    long long total = 0;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        std::ifstream in(tasks + "/" + e->d_name + "/status");
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                total += std::atoll(line.c_str() + line.find(':') + 1);
    }
    closedir(dir);
    return total;
}

long ReadRssKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

long long ReadCpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), {});
    auto close = all.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream rest(all.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::atoll(field.c_str());
        if (i == 15) stime = std::atoll(field.c_str());
    }
    return utime + stime;
}

// `pulseServer` empty: the child is given an address where no audio server answers.
ChildRun RunApplication(const std::string& exe, int idleSeconds, const std::string& pulseServer) {
    ChildRun run;
    int pipeFd[2];
    if (pipe(pipeFd) != 0) return run;
    const int64_t start = korvalin::MonotonicNanoseconds();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFd[1], STDERR_FILENO);
        close(pipeFd[0]);
        setenv("KORVALIN_TRACE", "1", 1);
        setenv("PULSE_SERVER", pulseServer.empty() ? "unix:/nonexistent/korvalin-bench" : pulseServer.c_str(), 1);
        if (!getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(exe.c_str(), exe.c_str(), (char*)nullptr);
        _exit(127);
    }
    close(pipeFd[1]);
    FILE* err = fdopen(pipeFd[0], "r");
    char line[512];
    bool loaded = false;
    while (!loaded && fgets(line, sizeof line, err)) {
        char event[64];
        long long stamp = 0, detail = 0;
        if (sscanf(line, "korvalin-trace %63s %lld %lld", event, &stamp, &detail) != 3) continue;
        if (std::string(event) == "about-shown") run.aboutShownMs = (stamp - start) / 1e6;
        if (std::string(event) == "main-loaded") {
            run.mainLoadMs = detail / 1e6;
            loaded = true;
        }
    }
    if (loaded) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        run.rssMb = ReadRssKb(pid) / 1024.0;
        if (idleSeconds > 0) {
            const long long before = ReadCpuTicks(pid);
            const long long switchesBefore = ReadContextSwitches(pid);
            std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
            const long long after = ReadCpuTicks(pid);
            const long long switchesAfter = ReadContextSwitches(pid);
            run.idleCpuPercent = 100.0 * double(after - before) / double(sysconf(_SC_CLK_TCK)) / idleSeconds;
            // Threads that ended during the interval take their switches with them; a negative
            // difference is not a figure.
            if (switchesBefore >= 0 && switchesAfter >= switchesBefore)
                run.idleWakeupsPerSecond = double(switchesAfter - switchesBefore) / idleSeconds;
        }
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    fclose(err);
    return run;
}

// Passes nothing on; notes when the first Note On with a velocity arrives.
class FirstNoteOn : public korvalin::MidiOutput {
public:
    bool Open() override { return true; }
    void Send(uint32_t m) override {
        if (at < 0 && korvalin::MidiMessage{m}.StartsNote()) at = korvalin::MonotonicNanoseconds();
    }
    void Close() override {}
    std::string Name() const override { return "clock"; }
    int64_t at = -1;
};

struct ScaleRun {
    double medianMs = 0, worstMs = 0, cpuPerSecond = 0, nextNoteMedianMs = 0, nextNoteWorstMs = 0;
    bool ok = false;
};

ScaleRun RunScaleTiming(const std::string& exe) {
    ScaleRun r;
    FILE* out = popen((exe + " --synth 2>/dev/null").c_str(), "r");
    if (!out) return r;
    char line[512];
    while (fgets(line, sizeof line, out))
        if (sscanf(line, "korvalin-scale %lf %lf %lf %lf %lf", &r.medianMs, &r.worstMs, &r.cpuPerSecond,
                   &r.nextNoteMedianMs, &r.nextNoteWorstMs) == 5)
            r.ok = true;
    pclose(out);
    return r;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

void Report(const char* what, std::vector<double> v, const char* unit) {
    std::sort(v.begin(), v.end());
    if (v.empty()) {
        std::printf("%-44s %10s\n", what, "n/a");
        return;
    }
    std::printf("%-44s %10.2f %-3s [%.2f .. %.2f] over %zu\n", what, Median(v), unit, v.front(), v.back(),
                v.size());
}

using korvalin::bench::PrivateServer;

// Waits for the synthesizer's first sounding buffer after `start`; -1 when none comes in 2 s.
double FirstSoundMs(korvalin::SynthEngine& engine, int64_t start) {
    for (int i = 0; i < 2000 && engine.FirstSoundAt() < 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return engine.FirstSoundAt() < 0 ? -1 : (engine.FirstSoundAt() - start) / 1e6;
}

// Lets the note end (the main window's note-off timer) and its release die away.
void WaitForSilence(korvalin::SynthEngine& engine) {
    QTest::qWait(1100);
    for (int i = 0; i < 300 && engine.ActiveVoices() > 0; ++i) QTest::qWait(10);
}

} // namespace

int main(int argc, char** argv) {
    const std::string self = argv[0];
    const std::string dir = self.substr(0, self.rfind('/') + 1);
    const std::string exe = dir + "../korvalin";
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    const PrivateServer server;
    if (server.Address().empty()) {
        std::fprintf(stderr, "the private PulseAudio server could not be started\n");
        return 1;
    }
    setenv("PULSE_SERVER", server.Address().c_str(), 1);

    std::vector<double> about, load, rss, idle, wakeups, idleNoServer, wakeupsNoServer;
    for (int i = 0; i < runs; ++i) {
        ChildRun r = RunApplication(exe, 10, server.Address());
        if (r.aboutShownMs >= 0) about.push_back(r.aboutShownMs);
        if (r.mainLoadMs >= 0) load.push_back(r.mainLoadMs);
        if (r.rssMb >= 0) rss.push_back(r.rssMb);
        if (r.idleCpuPercent >= 0) idle.push_back(r.idleCpuPercent);
        if (r.idleWakeupsPerSecond >= 0) wakeups.push_back(r.idleWakeupsPerSecond);
    }
    for (int i = 0; i < 3; ++i) {
        ChildRun r = RunApplication(exe, 10, "");
        if (r.idleCpuPercent >= 0) idleNoServer.push_back(r.idleCpuPercent);
        if (r.idleWakeupsPerSecond >= 0) wakeupsNoServer.push_back(r.idleWakeupsPerSecond);
    }

    // One ShowNote, in this process, with the sound going nowhere.
    if (!getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    korvalin::SetMidiOutput(std::make_shared<korvalin::RecordingMidiOutput>());
    korvalin::SetPrompts(std::make_shared<korvalin::RecordingPrompts>()); // no box waits for an answer
    korvalin::Form1& f = korvalin::Window<korvalin::Form1>();
    std::vector<double> showNote;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer t;
        t.start();
        const int calls = 400;
        for (int i = 0; i < calls; ++i) f.ShowNote(int16_t(39 + i % 102));
        showNote.push_back(t.nsecsElapsed() / 1e3 / calls);
    }

    // A click on the keyboard picture to its Note On, through the application's event delivery.
    auto clock = std::make_shared<FirstNoteOn>();
    korvalin::SetMidiOutput(clock);
    std::vector<double> clickToNote;
    for (int i = 0; i < 50; ++i) {
        clock->at = -1;
        const QPoint key(8 + 12 * (i % 40), 70);
        const int64_t start = korvalin::MonotonicNanoseconds();
        QTest::mouseClick(korvalin::Find<korvalin::PictureBox>(f, "Image20"), Qt::LeftButton, {}, key);
        if (clock->at >= 0) clickToNote.push_back((clock->at - start) / 1e3);
    }

    // Sharpen or Flatten to the first sounding sample the synthesizer hands to the audio server:
    // first with the stream closed (as after a silence), then while it is still open.
    auto synth = std::make_shared<korvalin::SynthOutput>();
    korvalin::SetMidiOutput(synth);
    korvalin::OpenMidiOut();
    std::vector<double> closedToSound, openToSound;
    for (int i = 0; korvalin::KORVALIN1.MidiReady != 0 && i < 7; ++i) {
        korvalin::SynthEngine& engine = synth->Engine();
        synth->Close();
        synth->Open(); // ready, stream closed
        QPushButton* button = i % 2 ? Find<QPushButton>(f, "Command3") : Find<QPushButton>(f, "Command5");
        engine.ArmFirstSoundProbe();
        int64_t start = korvalin::MonotonicNanoseconds();
        QTest::mouseClick(button, Qt::LeftButton);
        if (double ms = FirstSoundMs(engine, start); ms >= 0) closedToSound.push_back(ms);
        WaitForSilence(engine);
        if (!synth->StreamOpen()) continue;
        engine.ArmFirstSoundProbe();
        start = korvalin::MonotonicNanoseconds();
        QTest::mouseClick(button == Find<QPushButton>(f, "Command3") ? Find<QPushButton>(f, "Command5") : Find<QPushButton>(f, "Command3"), Qt::LeftButton);
        if (double ms = FirstSoundMs(engine, start); ms >= 0) openToSound.push_back(ms);
        WaitForSilence(engine);
    }
    synth->Close();
    korvalin::SetMidiOutput(nullptr);

    // Scale playback with sound, in a process of its own each time.
    std::vector<double> stepMedian, stepWorst, playCpu, nextNoteMedian, nextNoteWorst;
    for (int i = 0; i < 3; ++i) {
        ScaleRun r = RunScaleTiming(dir + "scale_timing");
        if (!r.ok) continue;
        stepMedian.push_back(r.medianMs);
        stepWorst.push_back(r.worstMs);
        playCpu.push_back(100.0 * r.cpuPerSecond);
        nextNoteMedian.push_back(r.nextNoteMedianMs);
        nextNoteWorst.push_back(r.nextNoteWorstMs);
    }

    std::printf("Korvalin performance (median of runs, range in brackets); audio server: %s\n",
                "a private PulseAudio server with a null sink");
    Report("process start to about box painted", about, "ms");
    Report("main window load (tables, synthesizer open)", load, "ms");
    Report("one ShowNote", showNote, "us");
    Report("click on a key to its Note On", clickToNote, "us");
    Report("idle CPU over 10 s", idle, "%");
    Report("idle wake-ups per second over 10 s", wakeups, "/s");
    Report("idle CPU over 10 s, no audio server", idleNoServer, "%");
    Report("idle wake-ups per second, no audio server", wakeupsNoServer, "/s");
    Report("Sharpen to first sound, stream closed", closedToSound, "ms");
    Report("Sharpen to first sound, stream open", openToSound, "ms");
    Report("CPU per second of scale playback, sounding", playCpu, "%");
    Report("step timing error, median of 50 steps", stepMedian, "ms");
    Report("step timing error, worst of 50 steps", stepWorst, "ms");
    Report("Next Note to the next note, median of 20", nextNoteMedian, "ms");
    Report("Next Note to the next note, worst of 20", nextNoteWorst, "ms");
    Report("resident memory after start-up", rss, "MB");
    korvalin::DestroyAllWindows();
    return 0;
}
