// The main window's scale controls: "Scales" and the key picture open the selection window, and
// "Start", "Stop", "Next Note", "Speed", "Loop" and "End" drive playback of the current scale.
#include "app/korvalin1.h"
#include "app/prompts.h"
#include "app/text_number.h"
#include "main_window/form1.h"
#include "scales/playback.h"
#include "scales/scale_catalogue.h"
#include "scales/scale_mode.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace korvalin {
namespace {

int g_runDepth = 0;

// The step wait: `length` milliseconds of the step clock, cut short by "Next Note", a typed key or
// Exit.
void WaitMilliseconds(double length);

// Start of the latest step wait, in milliseconds of the step clock. All waits share it, so a
// wait interrupted by a run started inside it is measured, once that run is over, from the start
// of that run's last wait.
qint64 g_waitStartMs = 0;

// Milliseconds of the step clock: the one a test has set, else the system's monotonic clock.
qint64 StepClockNow() {
    if (const std::function<std::int64_t()>& clock = StepClock()) return qint64(clock());
    static const QElapsedTimer monotonic = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return monotonic.elapsed();
}

constexpr int16_t kDefaultDelay = 10;
constexpr int16_t kLongestDelay = 200;
constexpr int16_t kDefaultLoops = 1;
constexpr int16_t kMostLoops = 50;

// A number as the input boxes offer it: a space in the sign position when it is not negative.
QString SignedText(int16_t v) { return (v < 0 ? QString() : QStringLiteral(" ")) + QString::number(v); }

// Asks for a whole number, offering the current one. An answer that is not a number, is 0 or
// less, or does not fit 16 bits gives `whenNotPositive`; one of `highest` or more gives `highest`.
int16_t AskNumber(QWidget* parent, std::string& offered, int16_t current, const QString& prompt,
                  const QString& title, int16_t whenNotPositive, int16_t highest) {
    const QString text = SignedText(current);
    offered = text.toStdString();
    const std::optional<QString> answer = CurrentPrompts().Input(parent, prompt, title, text);
    const TextNumber read = ReadTextNumber(answer.value_or(QString()).toStdString());
    int16_t v = read.fits16 ? read.int16 : whenNotPositive;
    if (v <= 0) v = whenNotPositive;
    if (v >= highest) v = highest;
    return v;
}

std::vector<PlaybackPacer*>& Pacers() {
    static std::vector<PlaybackPacer*> pacers;
    return pacers;
}

bool IsPacer(PlaybackPacer* p) {
    const std::vector<PlaybackPacer*>& all = Pacers();
    return std::find(all.begin(), all.end(), p) != all.end();
}

// Calls `call` on every pacer in order, on a copy of the list so that a pacer may add or remove
// pacers meanwhile; one removed before its turn is skipped.
template <class Call> void EachPacer(Call call) {
    const std::vector<PlaybackPacer*> now = Pacers();
    for (PlaybackPacer* p : now)
        if (IsPacer(p)) call(*p);
}

// Tells every pacer how the run ended, however the handler leaves.
struct RunEndNotice {
    RunEnd how = RunEnd::Left;
    RunEndNotice() = default;
    RunEndNotice(const RunEndNotice&) = delete;
    RunEndNotice& operator=(const RunEndNotice&) = delete;
    ~RunEndNotice() {
        EachPacer([this](PlaybackPacer& p) { p.RunEnds(how); });
    }
};

struct RunDepth {
    RunDepth() { ++g_runDepth; }
    ~RunDepth() { --g_runDepth; }
    RunDepth(const RunDepth&) = delete;
    RunDepth& operator=(const RunDepth&) = delete;
};

} // namespace

int PlaybackRunDepth() { return g_runDepth; }

std::function<bool()>& LeadInQuestion() {
    static std::function<bool()> question;
    return question;
}

std::function<std::int64_t()>& StepClock() {
    static std::function<std::int64_t()> clock;
    return clock;
}

std::int64_t StepClockMs() { return StepClockNow(); }

void AddPlaybackPacer(PlaybackPacer* pacer) {
    if (pacer && !IsPacer(pacer)) Pacers().push_back(pacer);
}

void RemovePlaybackPacer(PlaybackPacer* pacer) { std::erase(Pacers(), pacer); }

void Form1::LoadFillScalePatterns() { FillScalePatterns(); }

void Form1::Command4_Click() {
    OpenScaleSelection(*this);
    EnterScaleMode(*this);
    HideNoteEditing(*this);
    KORVALIN1.LoopCount = 1;
}

void Form1::Picture9_Click(int) {
    OpenScaleSelection(*this);
    EnterScaleMode(*this);
}

void Form1::Command8_Click() {
    if (g_runDepth >= kMaxNestedRuns || Ending()) return;
    const RunDepth depth;
    const QPointer<Form1> alive(this);
    auto over = [&alive] { return !alive || Ending(); };

    RunEndNotice notice;
    int index = 0;

    // One step: show and sound the note, then wait, each as the pacers say (by default the note
    // sounds and the wait is NoteDelay tenths). A field that is not a note of the table (an empty
    // pattern, or a position past the end of a pattern changed during the run) is no step at all:
    // nothing is shown or sounded and there is no wait. False when the step was skipped.
    auto step = [this, &index](int16_t n, bool leadIn) {
        if (!IsPlayableNote(n)) return false;
        StepPace pace;
        std::vector<PlaybackPacer*> waitedFor;
        EachPacer([&](PlaybackPacer& p) {
            const bool wanted = pace.untilReached;
            pace.untilReached = false;
            p.StepBegins(n, index, leadIn, pace);
            if (pace.untilReached) waitedFor.push_back(&p);
            pace.untilReached = wanted || pace.untilReached;
        });
        ++index;
        if (pace.sound) {
            ShowNote(n);
            ShowNote(CurrentNote); // strikes the same note again
        } else {
            DisplayNote(n);
        }
        bool reached = false;
        if (pace.untilReached) {
            reached = WaitUntilReached(waitedFor);
        } else {
            if (pace.untilMs) {
                // To the millisecond: a deadline in tenths as a float would end up to 1 ms late.
                WaitMilliseconds(double(*pace.untilMs - StepClockNow()));
            } else {
                float tenths = float(KORVALIN1.NoteDelay);
                WaitTenths(tenths);
            }
        }
        EachPacer([reached](PlaybackPacer& p) { p.StepEnds(reached); });
        return true;
    };

    // The lead-in: the first note three times (or as many as a pacer asks). It leaves
    // NextNoteFlag alone, so a key typed before the run cuts every lead-in wait short. "Stop" and
    // "End" pressed during it end the run after the current wait, as they do in a pass; a "Stop"
    // pressed before the run does not count.
    const std::function<bool()>& question = LeadInQuestion();
    int leadInSteps = (question ? question() : LeadInBox()) ? 3 : 0;
    if (leadInSteps > 0) {
        EachPacer([&leadInSteps](PlaybackPacer& p) { p.RunBegins(leadInSteps); });
        leadInSteps = std::clamp(leadInSteps, 1, 16);
    } else {
        EachPacer([](PlaybackPacer& p) {
            int none = 0;
            p.RunBegins(none);
        });
    }
    if (leadInSteps > 0) {
        KORVALIN1.StopFlag = 0;
        for (int i = 0; i < leadInSteps; ++i) {
            step(FieldValue(CurrentScalePattern(), 1), true);
            if (over()) return;
            if (KORVALIN1.StopFlag == 1) {
                // Left as a stopped pass leaves it; "End" has already left scale mode and shown what
                // belongs there.
                if (scaleMode_) SetStepButtons(StepButtons::NextNote);
                notice.how = scaleMode_ ? RunEnd::Stopped : RunEnd::Left;
                return;
            }
        }
    }

    const int16_t passes = KORVALIN1.LoopCount;
    for (int pass = 1; pass <= passes; ++pass) {
        SetStepButtons(StepButtons::NextNote);
        KORVALIN1.StopFlag = 0;
        // The pass keeps its length; the pattern itself is read again at every step, so a new
        // selection made during the run takes over at the position reached.
        const auto length = int(CurrentScalePattern().size());
        for (int p = 1; p <= length; p += kFieldWidth) {
            if (!step(FieldValue(CurrentScalePattern(), p), false)) continue;
            if (over()) return;
            KORVALIN1.NextNoteFlag = 0;
            if (KORVALIN1.StopFlag == 1) {
                notice.how = scaleMode_ ? RunEnd::Stopped : RunEnd::Left;
                return;
            }
        }
        if (KORVALIN1.StopFlag == 1) {
            notice.how = scaleMode_ ? RunEnd::Stopped : RunEnd::Left;
            return;
        }
    }
    notice.how = RunEnd::Completed;
}

bool Form1::WaitUntilReached(const std::vector<PlaybackPacer*>& waitedFor) {
    // The wait ends when a pacer that asked for it says the step is reached, when none of them
    // takes part or waits any more (listening was closed or stopped), or at "Next Note", "Stop", "End" or Exit. There
    // is no time limit: the player takes as long as the note needs.
    auto reached = [&waitedFor] {
        bool any = false;
        for (PlaybackPacer* p : waitedFor) {
            if (!IsPacer(p) || !p->StillWaiting()) continue;
            any = true;
            if (p->StepReached()) return std::optional<bool>(true);
        }
        return any ? std::optional<bool>() : std::optional<bool>(false);
    };
    auto cutShort = [] { return KORVALIN1.NextNoteFlag == 2 || KORVALIN1.StopFlag == 1 || Ending(); };
    QEventLoop loop;
    std::optional<bool> outcome;
    auto look = [&] {
        if (!outcome) outcome = reached();
        if (!outcome && cutShort()) outcome = false;
        if (outcome) loop.quit();
    };
    look();
    if (outcome) return *outcome;
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, look);
    // The loop may also end early when Exit ends every loop or a run started inside it is over.
    while (!outcome) {
        loop.exec();
        look();
    }
    return *outcome;
}

void Form1::WaitTenths(float& tenths) { WaitMilliseconds(double(tenths) * 100.0); }

namespace {

void WaitMilliseconds(double length) {
    g_waitStartMs = StepClockNow();
    // A clock that went back (one set by a test) counts as no time passed, so no wait is longer
    // than its own length.
    auto remaining = [length] {
        const qint64 passed = std::max<qint64>(StepClockNow() - g_waitStartMs, 0);
        return qint64(std::ceil(length - double(passed)));
    };
    auto cutShort = [] { return KORVALIN1.NextNoteFlag == 2 || Form1::Ending(); };
    if (remaining() <= 0) return;
    if (cutShort()) {
        // The flag was already up: pending events are still handled once.
        QCoreApplication::processEvents();
        return;
    }

    // Sleep in a nested event loop until the time is up or an event handled inside it has raised
    // NextNoteFlag (a "Next Note" click, a typed key) or begun Exit. The flag and the clock are
    // looked at each time the loop has handled what was pending and is about to sleep, so setting
    // the flag needs no signal of its own; the loop uses no processor time while it sleeps.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, [&loop, &cutShort, &remaining] {
            if (cutShort() || remaining() <= 0) loop.quit();
        });
    // The loop may also end early: when a run started inside this wait is over, or when Exit ends
    // every loop. Each time, the time left is measured again from the shared start.
    for (qint64 left = remaining(); left > 0 && !cutShort(); left = remaining()) {
        timer.start(int(std::min<qint64>(left, std::numeric_limits<int>::max())));
        loop.exec();
    }
}

} // namespace

void Form1::Command7_Click() {
    KORVALIN1.StopFlag = 1;
    EachPacer([](PlaybackPacer& p) { p.StopPressed(); });
}

void Form1::Command11_Click() { KORVALIN1.NextNoteFlag = 2; }

void Form1::Command9_Click() {
    KORVALIN1.NoteDelay = AskNumber(this, KORVALIN1.SpeedText, KORVALIN1.NoteDelay,
                                    "Enter the duration between each note (approx 10ths of a second)", "Speed",
                                    kDefaultDelay, kLongestDelay);
}

void Form1::Command6_Click() {
    KORVALIN1.LoopCount = AskNumber(this, KORVALIN1.LoopText, KORVALIN1.LoopCount,
                                    "Enter the Number of loops required (1-50) ", "Loop", kDefaultLoops, kMostLoops);
}

void Form1::Command10_Click() {
    EachPacer([](PlaybackPacer& p) { p.StopPressed(); });
    LeaveScaleMode(*this);
}

} // namespace korvalin
