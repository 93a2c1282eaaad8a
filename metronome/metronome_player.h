// Puts a metronome schedule on the output in use. On the built-in synthesizer the schedule is
// queued on the synthesizer's own sequencer, so clicks land on their samples whatever the event
// loop is doing, and the audio stream is held open while it runs. On any other output (an
// external port, a recording output in tests) the event loop plays it: a precise timer wakes it
// for each event, and each time the loop is about to sleep it sends whatever is due by the step
// clock (StepClockMs), the clock scale steps are timed by, so clicks and steps share one time.
#pragma once

#include "metronome/click_track.h"
#include "metronome/metronome_schedule.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace korvalin {

class MidiOutput;
class SequencerClickTrack;
class SynthOutput;

class MetronomePlayer : public QObject {
public:
    explicit MetronomePlayer(QObject* parent = nullptr);
    ~MetronomePlayer() override;
    MetronomePlayer(const MetronomePlayer&) = delete;
    MetronomePlayer& operator=(const MetronomePlayer&) = delete;

    enum class Path { None, Sequencer, EventLoop };
    // Why the latest Start did not start.
    enum class Failure { None, SoundOff, NoOutput, Synthesizer };

    // Starts `schedule` on the output in use, beat 0 at step clock reading `originMs` (a running
    // one is stopped first). Nothing starts while sound is off or the output is not ready.
    bool Start(MetronomeSchedule schedule, std::int64_t originMs);
    Failure LastFailure() const { return failure_; }
    // New settings for a running metronome, taking over at its next beat: the bar goes on and a
    // drone on the same note is not struck again. Starts it now when it is not running, or when
    // the output in use has changed.
    bool Change(MetronomeSchedule schedule);
    // On the built-in synthesizer, how many milliseconds of its sample clock lie between now and
    // beat `beat` of the running schedule (negative when past); nothing on any other path.
    std::optional<std::int64_t> MsUntilBeat(std::int64_t beat) const;
    // On the built-in synthesizer, a scale step from beat `beat` to beat `endBeat` of the running
    // schedule, sounded by the synthesizer's sample clock as the clicks are. Nothing elsewhere.
    void PlayStep(int note, std::int64_t beat, std::int64_t endBeat);
    // Ends every click and the drone at once, on the output they were started on.
    void Stop();
    bool Running() const { return path_ != Path::None; }
    Path CurrentPath() const { return path_; }
    const MetronomeSchedule& Schedule() const { return schedule_; }

private:
    bool StartOnSynth(const std::shared_ptr<SynthOutput>& synth);
    void PlayDue();
    void ArmTimer();

    Path path_ = Path::None;
    Failure failure_ = Failure::None;
    MetronomeSchedule schedule_;
    std::int64_t originMs_ = 0;

    // The event-loop path.
    std::shared_ptr<MidiOutput> output_;
    std::unique_ptr<ClickTrack> track_;
    QTimer timer_;
    QMetaObject::Connection blockWatch_;

    // The sequencer path: one sequencer for the synthesizer it was made on, kept with it.
    std::shared_ptr<SynthOutput> synth_;
    std::unique_ptr<SequencerClickTrack> sequencer_;
    bool holding_ = false;

};

} // namespace korvalin
