// Scale playback timing and cost:
//   the step timing error at a step delay of one tenth (median and worst of 50 steps), and the
//   processor time the application uses per second of playback (ten notes shown and sounded a
//   second), of the step waits alone, of the idle application, and of a wait that polls the event
//   queue instead of sleeping; and how soon "Next Note", pressed during a 20-second step, brings
//   the next note (median and worst of 20 presses).
//   scale_timing [--synth]    (--synth plays on the built-in synthesizer instead of a silent recorder)
#include "app/korvalin1.h"
#include "app/prompts.h"
#include "app/window_registry.h"
#include "main_window/form1.h"
#include "midi/default_output.h"
#include "midi/midi_port.h"
#include "scales/form2.h"
#include "scales/playback.h"
#include "scales/scale_catalogue.h"
#include "tests/support/recording_prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/resource.h>
#include <vector>

using namespace korvalin;

namespace {

// Passes every message on and notes the time of each Note On with a velocity.
class TimedOutput : public MidiOutput {
public:
    explicit TimedOutput(std::shared_ptr<MidiOutput> inner) : inner_(std::move(inner)) { clock_.start(); }
    qint64 Now() const { return clock_.nsecsElapsed(); }
    bool Open() override { return inner_ ? inner_->Open() : true; }
    void Send(uint32_t m) override {
        if (korvalin::MidiMessage{m}.StartsNote()) noteOns.push_back(clock_.nsecsElapsed());
        if (inner_) inner_->Send(m);
    }
    void Close() override {
        if (inner_) inner_->Close();
    }
    std::string Name() const override { return inner_ ? inner_->Name() : "Timer"; }
    std::vector<qint64> noteOns;

private:
    std::shared_ptr<MidiOutput> inner_;
    QElapsedTimer clock_;
};

double CpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Cost {
    double processPerSecond, threadPerSecond;
};

template <class F>
Cost Measure(F&& work) {
    const double p0 = CpuSeconds(RUSAGE_SELF), t0 = CpuSeconds(RUSAGE_THREAD);
    QElapsedTimer wall;
    wall.start();
    work();
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    return {(CpuSeconds(RUSAGE_SELF) - p0) / seconds, (CpuSeconds(RUSAGE_THREAD) - t0) / seconds};
}

void Idle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void Poll(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool synth = argc > 1 && std::strcmp(argv[1], "--synth") == 0;

    auto output = std::make_shared<TimedOutput>(synth ? MakeDefaultMidiOutput() : nullptr);
    SetMidiOutput(output);
    SetPrompts(std::make_shared<RecordingPrompts>()); // no box waits for an answer (a missing help file)
    Form1::EndApplication() = [] {};
    LeadInQuestion() = [] { return false; };

    Form1& f = Window<Form1>();
    f.Command4_Click();
    Window<Form2>().Form_DblClick();
    Idle(500); // let start-up settle

    constexpr int kSteps = 50;
    KORVALIN1.NoteDelay = 1;
    KORVALIN1.LoopCount = 2; // 58 steps of C major: 50 whole intervals and more
    const int playMs = 58 * 100;

    const Cost idle = Measure([&] { Idle(playMs); });
    output->noteOns.clear();
    const Cost play = Measure([&] { f.Command8_Click(); });
    const Cost waits = Measure([&] {
        for (int i = 0; i < kSteps; ++i) {
            float tenths = 1;
            f.WaitTenths(tenths);
        }
    });
    const Cost poll = Measure([&] { Poll(2000); });

    // Each step strikes its note twice at once; the step starts at the first of the two.
    std::vector<double> errorsMs;
    for (int i = 1; i <= kSteps && size_t(2 * i) < output->noteOns.size(); ++i)
        errorsMs.push_back(double(output->noteOns[size_t(2 * i)] - output->noteOns[size_t(2 * i - 2)]) / 1e6 - 100.0);
    if (errorsMs.size() < size_t(kSteps)) {
        std::fprintf(stderr, "only %zu steps were timed\n", errorsMs.size());
        return 1;
    }
    std::vector<double> sorted = errorsMs;
    std::sort(sorted.begin(), sorted.end());
    const double median = (sorted[kSteps / 2 - 1] + sorted[kSteps / 2]) / 2;
    const double worst = *std::max_element(errorsMs.begin(), errorsMs.end(),
                                           [](double a, double b) { return std::fabs(a) < std::fabs(b); });

    // "Next Note" 20 ms into each 20-second step of a 21-note pattern; each press is timed to the
    // first Note On after it.
    constexpr int kPresses = 20;
    std::vector<double> nextNoteMs;
    {
        KORVALIN1.ScalePatterns[kUserPatternEntry].clear();
        for (int i = 0; i <= kPresses; ++i) KORVALIN1.ScalePatterns[kUserPatternEntry] += i % 2 ? "076" : "073";
        KORVALIN1.ScaleType = 0;
        KORVALIN1.ScaleKey = kUserPatternKey;
        KORVALIN1.NoteDelay = 200;
        KORVALIN1.LoopCount = 1;
        output->noteOns.clear();
        size_t seen = 0;
        qint64 pressedAt = -1;
        QTimer presser;
        presser.setInterval(20);
        QObject::connect(&presser, &QTimer::timeout, [&] {
            if (output->noteOns.size() == seen) return; // the note after the last press has not come yet
            if (pressedAt >= 0) nextNoteMs.push_back(double(output->noteOns[seen] - pressedAt) / 1e6);
            seen = output->noteOns.size();
            pressedAt = output->Now();
            f.Command11_Click();
        });
        presser.start();
        f.Command8_Click();
        presser.stop();
    }
    if (nextNoteMs.size() < size_t(kPresses)) {
        std::fprintf(stderr, "only %zu presses of Next Note were timed\n", nextNoteMs.size());
        return 1;
    }
    std::sort(nextNoteMs.begin(), nextNoteMs.end());
    const double nextMedian = (nextNoteMs[kPresses / 2 - 1] + nextNoteMs[kPresses / 2]) / 2;

    std::printf("output: %s\n", synth ? "built-in synthesizer" : "silent recorder");
    std::printf("step timing error over %d steps at a delay of 100 ms: median %+.2f ms, worst %+.2f ms "
                "(earliest %+.2f, latest %+.2f)\n",
                kSteps, median, worst, sorted.front(), sorted.back());
    std::printf("Next Note to the next note over %d presses: median %.3f ms, worst %.3f ms\n", kPresses, nextMedian,
                nextNoteMs.back());
    std::printf("CPU seconds per second    idle     playback  waits alone  polling wait (for comparison)\n");
    std::printf("  whole process           %.4f   %.4f    %.4f       %.4f\n", idle.processPerSecond,
                play.processPerSecond, waits.processPerSecond, poll.processPerSecond);
    std::printf("  interface thread        %.4f   %.4f    %.4f       %.4f\n", idle.threadPerSecond,
                play.threadPerSecond, waits.threadPerSecond, poll.threadPerSecond);
    // One line for the benchmark report to read.
    std::printf("korvalin-scale %.3f %.3f %.5f %.3f %.3f\n", median, worst, play.processPerSecond, nextMedian,
                nextNoteMs.back());
    DestroyAllWindows();
    SetMidiOutput(nullptr);
    SetPrompts(nullptr);
    return 0;
}
