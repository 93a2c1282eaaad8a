// Start-up and idle figures of the application:
//   process start to the about box painted, main window load (with opening the synthesizer),
//   one ShowNote, resident memory after start-up, CPU used by the idle application over 10 s.
// The application is started as a child with KORVALIN_TRACE set; it reports its own marks on
// standard error with CLOCK_MONOTONIC stamps, comparable with ours.
#include "app/korvalin1.h"
#include "app/trace.h"
#include "app/window_registry.h"
#include "main_window/form1.h"
#include "midi/midi_port.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
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
};

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

ChildRun RunApplication(const std::string& exe, int idleSeconds) {
    ChildRun run;
    int pipeFd[2];
    if (pipe(pipeFd) != 0) return run;
    const int64_t start = korvalin::MonotonicNanoseconds();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFd[1], STDERR_FILENO);
        close(pipeFd[0]);
        setenv("KORVALIN_TRACE", "1", 1);
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
            std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
            const long long after = ReadCpuTicks(pid);
            run.idleCpuPercent = 100.0 * double(after - before) / double(sysconf(_SC_CLK_TCK)) / idleSeconds;
        }
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    fclose(err);
    return run;
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
    std::printf("%-44s %10.2f %-4s (range %.2f .. %.2f, %zu runs)\n", what, Median(v), unit, v.front(), v.back(),
                v.size());
}

} // namespace

int main(int argc, char** argv) {
    const std::string self = argv[0];
    const std::string dir = self.substr(0, self.rfind('/') + 1);
    const std::string exe = dir + "../korvalin";
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    std::vector<double> about, load, rss, idle;
    for (int i = 0; i < runs; ++i) {
        ChildRun r = RunApplication(exe, i == 0 ? 10 : 0);
        if (r.aboutShownMs >= 0) about.push_back(r.aboutShownMs);
        if (r.mainLoadMs >= 0) load.push_back(r.mainLoadMs);
        if (r.rssMb >= 0) rss.push_back(r.rssMb);
        if (r.idleCpuPercent >= 0) idle.push_back(r.idleCpuPercent);
    }

    // One ShowNote, in this process, with the sound going nowhere.
    if (!getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    korvalin::SetMidiOutput(std::make_shared<korvalin::RecordingMidiOutput>());
    korvalin::Form1& f = korvalin::Window<korvalin::Form1>();
    std::vector<double> showNote;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer t;
        t.start();
        const int calls = 400;
        for (int i = 0; i < calls; ++i) f.ShowNote(int16_t(39 + i % 102));
        showNote.push_back(t.nsecsElapsed() / 1e3 / calls);
    }

    std::printf("Korvalin start-up and idle figures\n");
    Report("process start to about box painted", about, "ms");
    Report("main window load (tables, synthesizer open)", load, "ms");
    Report("one ShowNote", showNote, "us");
    Report("resident memory after start-up", rss, "MB");
    Report("idle CPU over 10 s", idle, "%");
    korvalin::DestroyAllWindows();
    return 0;
}
