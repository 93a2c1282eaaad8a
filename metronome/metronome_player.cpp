#include "metronome/metronome_player.h"

#include "app/korvalin1.h"
#include "metronome/sequencer_click_track.h"
#include "midi/midi_port.h"
#include "midi/synth_output.h"
#include "scales/playback.h"

#include <QAbstractEventDispatcher>

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvalin {

MetronomePlayer::MetronomePlayer(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { PlayDue(); });
}

MetronomePlayer::~MetronomePlayer() {
    Stop();
    if (sequencer_) {
        // The sequencer leaves the synthesizer only while no audio thread renders it.
        synth_->Engine().StopAudio();
        sequencer_.reset();
    }
}

bool MetronomePlayer::Start(MetronomeSchedule schedule, std::int64_t originMs) {
    Stop();
    failure_ = KORVALIN1.SoundOn != 1 ? Failure::SoundOff : Failure::NoOutput;
    if (KORVALIN1.SoundOn != 1 || KORVALIN1.MidiReady == 0) return false;
    std::shared_ptr<MidiOutput> output = CurrentMidiOutput();
    if (!output) return false;
    failure_ = Failure::None;
    schedule_ = std::move(schedule);
    originMs_ = originMs;
    if (auto synth = std::dynamic_pointer_cast<SynthOutput>(output)) {
        if (StartOnSynth(synth)) return true;
        failure_ = Failure::Synthesizer;
        Stop();
        return false;
    }

    output_ = std::move(output);
    track_ = std::make_unique<ClickTrack>(*output_);
    track_->Start(schedule_);
    path_ = Path::EventLoop;
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        blockWatch_ = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { PlayDue(); });
    PlayDue();
    return true;
}

bool MetronomePlayer::StartOnSynth(const std::shared_ptr<SynthOutput>& synth) {
    SynthEngine& engine = synth->Engine();
    if (!engine.Loaded()) return false;
    if (synth_ != synth) {
        if (sequencer_) synth_->Engine().StopAudio();
        sequencer_.reset();
        synth_ = synth;
    }
    if (!sequencer_) {
        // Attached with the stream stopped (see SynthEngine::FluidSynth); the hold below opens it
        // again at once. This happens once for each synthesizer.
        engine.StopAudio();
        sequencer_ = std::make_unique<SequencerClickTrack>(engine.FluidSynth());
    }
    if (!sequencer_->Valid() || !synth->HoldStream()) return false;
    holding_ = true;
    // The sequencer counts rendered samples; beat 0 is put as far after its present tick as the
    // origin lies after the step clock's present reading.
    const std::int64_t ahead = std::clamp<std::int64_t>(originMs_ - StepClockMs(), 0, 10000);
    sequencer_->Start(schedule_, unsigned(ahead));
    path_ = Path::Sequencer;
    return true;
}

bool MetronomePlayer::Change(MetronomeSchedule schedule) {
    const std::shared_ptr<MidiOutput> output = CurrentMidiOutput();
    const bool same = KORVALIN1.SoundOn == 1 && KORVALIN1.MidiReady != 0 && output &&
                      (path_ == Path::Sequencer ? output == synth_ : path_ == Path::EventLoop && output == output_);
    if (!same) return Start(std::move(schedule), StepClockMs());
    if (path_ == Path::Sequencer) {
        sequencer_->Change(schedule);
        schedule_ = sequencer_->Schedule();
        return true;
    }
    track_->Change(schedule, double(StepClockMs() - originMs_));
    schedule_ = track_->Schedule();
    timer_.stop();
    ArmTimer();
    return true;
}

std::optional<std::int64_t> MetronomePlayer::MsUntilBeat(std::int64_t beat) const {
    if (path_ != Path::Sequencer || !sequencer_->Running()) return std::nullopt;
    return std::int64_t(sequencer_->BeatTick(beat)) - std::int64_t(sequencer_->Tick());
}

void MetronomePlayer::PlayStep(int note, std::int64_t beat, std::int64_t endBeat) {
    if (path_ == Path::Sequencer) sequencer_->QueueStep(note, beat, endBeat);
}

void MetronomePlayer::PlayDue() {
    if (path_ != Path::EventLoop || !track_) return;
    const double now = double(StepClockMs() - originMs_);
    bool sent = false;
    while (std::optional<double> next = track_->NextEventTime()) {
        if (*next > now) break;
        // One moment at a time, so that each one's lateness is its own.
        track_->PlayUntil(*next);
        sent = true;
    }
    // The timer already waits for the next moment unless one was just sent.
    if (sent || !timer_.isActive()) ArmTimer();
}

void MetronomePlayer::ArmTimer() {
    const std::optional<double> next = track_ ? track_->NextEventTime() : std::nullopt;
    if (!next) return;
    const double wait = *next - double(StepClockMs() - originMs_);
    timer_.start(int(std::clamp(std::ceil(wait), 0.0, double(std::numeric_limits<int>::max()))));
}

void MetronomePlayer::Stop() {
    const Path was = path_;
    path_ = Path::None;
    timer_.stop();
    if (blockWatch_) disconnect(blockWatch_);
    blockWatch_ = {};
    if (was == Path::EventLoop && track_) track_->Stop();
    track_.reset();
    output_.reset();
    if (sequencer_) sequencer_->Stop();
    if (holding_ && synth_) synth_->ReleaseStream();
    holding_ = false;
}

} // namespace korvalin
