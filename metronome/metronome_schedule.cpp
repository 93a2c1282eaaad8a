#include "metronome/metronome_schedule.h"

#include "app/korvalin1.h"
#include "app/note_table.h"
#include "midi/midi_port.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace korvalin {
namespace {

constexpr int64_t kUnitsPerBeat = 60000; // units of 1/tempo ms in one beat, at any tempo

// Integer division rounding halves up, for the non-negative moments of a schedule.
int64_t DivideRounded(int64_t numerator, int64_t denominator) {
    return (2 * numerator + denominator) / (2 * denominator);
}

int Velocity(int volume) { return std::clamp(volume, 0, 127); }

uint32_t NoteOn(int channel, int key, int velocity) {
    return PackMidiMessage(kNoteOnStatus + (channel & 0x0F), key & 0x7F, velocity & 0x7F);
}

} // namespace

int64_t EventTime::RoundedMs() const { return DivideRounded(units, tempo); }

int64_t EventTime::Sample(int64_t sampleRate) const { return DivideRounded(units * sampleRate, int64_t(tempo) * 1000); }

int DroneChannelFor(int noteChannel) { return (noteChannel & 0x0F) == 15 ? 14 : 15; }

int LowDroneNote(int concertMidi) {
    if (concertMidi < 0) return -1;
    constexpr int kBottom = 43; // G2: the drone's octave runs from here to F#3
    return kBottom + ((concertMidi - kBottom) % 12 + 12) % 12;
}

int DroneNoteForTonic(int writtenTonic, int transpositionRows) {
    if (writtenTonic < 1 || writtenTonic >= kNoteRows) return -1;
    const int sounding = SoundingNoteFor(writtenTonic, transpositionRows);
    if (sounding < 1 || sounding >= kNoteRows) return -1;
    const int pitch = NoteValue(sounding, Pitch);
    return pitch > 0 ? LowDroneNote(pitch) : -1;
}

MetronomeSchedule::MetronomeSchedule(MetronomeSettings metronome, DroneSettings drone, StepSettings steps)
    : metronome_(metronome), drone_(drone), steps_(std::move(steps)) {
    metronome_.tempo = std::clamp(metronome_.tempo, kMinTempo, kMaxTempo);
    metronome_.beatsPerBar = std::clamp(metronome_.beatsPerBar, kMinBeatsPerBar, kMaxBeatsPerBar);
    metronome_.clickVolume = Velocity(metronome_.clickVolume);
    drone_.volume = Velocity(drone_.volume);
    drone_.program = std::clamp(drone_.program, 0, 127);
    drone_.channel &= 0x0F;
    if (drone_.note > 127) drone_.note = -1;
    // The drone never shares the percussion channel or the user's note channel.
    if (drone_.channel == kPercussionChannel || drone_.channel == (steps_.channel & 0x0F))
        drone_.channel = DroneChannelFor(steps_.channel);
    steps_.channel &= 0x0F;
    steps_.velocity = Velocity(steps_.velocity);
    if (metronome_.barPosition < 0 || metronome_.barPosition >= metronome_.beatsPerBar) metronome_.barPosition = 0;
}

EventTime MetronomeSchedule::BeatTime(int64_t beat) const { return {beat * kUnitsPerBeat, metronome_.tempo}; }

int64_t MetronomeSchedule::StepsEndBeat() const { return LeadInBeats() + int64_t(steps_.notes.size()); }

std::vector<ScheduledEvent> MetronomeSchedule::Bar(int64_t bar) const {
    std::vector<ScheduledEvent> events;
    if (bar < 0) return events;
    const int n = metronome_.beatsPerBar;
    const int tempo = metronome_.tempo;
    const int64_t clickLength = int64_t(kClickLengthMs) * tempo;

    if (bar == 0 && drone_.on && drone_.note >= 0) {
        if (!drone_.held)
            events.push_back({BeatTime(0), EventKind::DroneProgram,
                              PackMidiMessage(kProgramChangeStatus + drone_.channel, drone_.program, 0), 0});
        events.push_back({BeatTime(0), EventKind::DroneVolume,
                          PackMidiMessage(kControlChangeStatus + drone_.channel, kExpressionController, drone_.volume), 0});
        if (!drone_.held)
            events.push_back({BeatTime(0), EventKind::DroneStart, NoteOn(drone_.channel, drone_.note, kDroneVelocity), 0});
    }
    const int64_t stepsEnd = StepsEndBeat();
    for (int64_t beat = bar * n; beat < (bar + 1) * n; ++beat) {
        const EventTime at = BeatTime(beat);
        if (metronome_.clickOn) {
            const bool accent = (beat + metronome_.barPosition) % n == 0;
            const int key = accent ? kHighWoodBlockKey : kSideStickKey;
            events.push_back({at, accent ? EventKind::Accent : EventKind::Click,
                              NoteOn(kPercussionChannel, key, metronome_.clickVolume), beat});
            events.push_back({{at.units + clickLength, tempo}, EventKind::ClickEnd, NoteOn(kPercussionChannel, key, 0), beat});
        }
        // A step sounds for its whole beat; it ends where the next one (or the silence) begins.
        const int64_t step = beat - LeadInBeats();
        // A step whose note is no MIDI note keeps its beat silent rather than sound a wrapped one.
        if (step >= 0 && beat < stepsEnd && steps_.notes[std::size_t(step)] >= 0 && steps_.notes[std::size_t(step)] <= 127) {
            const int note = steps_.notes[std::size_t(step)];
            events.push_back({at, EventKind::StepStart, NoteOn(steps_.channel, note, steps_.velocity), beat, int(step)});
            events.push_back({BeatTime(beat + 1), EventKind::StepEnd, NoteOn(steps_.channel, note, 0), beat, int(step)});
        }
    }
    std::stable_sort(events.begin(), events.end(), [](const ScheduledEvent& a, const ScheduledEvent& b) {
        return a.at.units != b.at.units ? a.at.units < b.at.units : a.kind < b.kind;
    });
    return events;
}

std::vector<uint32_t> MetronomeSchedule::StopMessages() const {
    std::vector<uint32_t> messages;
    for (int key : {kHighWoodBlockKey, kSideStickKey}) messages.push_back(NoteOn(kPercussionChannel, key, 0));
    if (drone_.note >= 0) messages.push_back(NoteOn(drone_.channel, drone_.note, 0));
    const std::set<int> stepNotes(steps_.notes.begin(), steps_.notes.end());
    for (int note : stepNotes)
        if (note >= 0 && note <= 127) messages.push_back(NoteOn(steps_.channel, note, 0));
    for (int channel : {kPercussionChannel, drone_.channel})
        messages.push_back(PackMidiMessage(kControlChangeStatus + channel, kAllNotesOffController, 0));
    messages.push_back(PackMidiMessage(kControlChangeStatus + drone_.channel, kExpressionController, 127));
    return messages;
}

int64_t MetronomeSchedule::NextBeatAfter(double ms) const {
    if (ms < 0) return 0;
    return int64_t(std::floor(ms * metronome_.tempo / double(kUnitsPerBeat))) + 1;
}

MetronomeSchedule MetronomeSchedule::TakingOver(const MetronomeSchedule& before, int64_t beat) const {
    MetronomeSchedule next = *this;
    const int64_t place = (std::max<int64_t>(beat, 0) + before.metronome_.barPosition) % before.metronome_.beatsPerBar;
    next.metronome_.barPosition = place < next.metronome_.beatsPerBar ? int(place) : 0;
    next.metronome_.leadIn = false;
    const DroneSettings& was = before.drone_;
    next.drone_.held = was.on && was.note >= 0 && next.drone_.on && next.drone_.note == was.note &&
                       next.drone_.channel == was.channel && next.drone_.program == was.program;
    return next;
}

std::vector<uint32_t> MetronomeSchedule::EndsAtTakeover(const MetronomeSchedule& before) const {
    const DroneSettings& was = before.drone_;
    if (!was.on || was.note < 0 || drone_.held) return {};
    return {NoteOn(was.channel, was.note, 0)};
}

} // namespace korvalin
