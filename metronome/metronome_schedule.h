// The metronome and the drone as a schedule of MIDI messages in event time, worked out ahead of
// any clock: clicks on the percussion channel with an accent on the first beat of each bar, an
// optional lead-in bar, scale steps on the beats, and a drone held on a channel of its own.
// Every moment is computed from its beat number in exact integer arithmetic (beat k lies at
// k * 60000 / tempo milliseconds), never by adding beat lengths, so a long run does not drift.
#pragma once

#include <cstdint>
#include <vector>

namespace korvalin {

inline constexpr int kMinTempo = 30;   // beats per minute
inline constexpr int kMaxTempo = 240;
inline constexpr int kMinBeatsPerBar = 1;
inline constexpr int kMaxBeatsPerBar = 8;

// General MIDI: channel 10 (9 counted from 0) plays percussion; keys of its drum map.
inline constexpr int kPercussionChannel = 9;
inline constexpr int kSideStickKey = 37;     // every beat but the first of the bar
inline constexpr int kHighWoodBlockKey = 76; // the accent
// How long a click is held before its Note Off: shorter than a beat at the fastest tempo.
inline constexpr int kClickLengthMs = 50;

// Sustained General MIDI programs for the drone (0-based). The reed organ is the default: in the
// General MIDI soundfont installed with the program it holds its pitch within a cent of the note
// across the drone's range, where the string ensemble's samples lie up to 14 cents flat and the
// church organ's 10 cents sharp, too far off for a note to tune against.
inline constexpr int kReedOrganProgram = 20;     // Reed Organ
inline constexpr int kDrawbarOrganProgram = 16;  // Drawbar Organ
inline constexpr int kStringEnsembleProgram = 48; // String Ensemble 1
// The drone sounds in this range, low under the instrument.
inline constexpr int kLowestDroneNote = 36;  // C2
inline constexpr int kHighestDroneNote = 59; // B3

// A moment of a schedule: `units` of 1/tempo millisecond after its start. Beat k lies at exactly
// k * 60000 units, so every beat's moment is an integer and comparisons are exact.
struct EventTime {
    int64_t units = 0;
    int32_t tempo = 120;

    double Ms() const { return double(units) / double(tempo); }
    // The nearest whole millisecond, and the nearest sample at `sampleRate` frames a second.
    int64_t RoundedMs() const;
    int64_t Sample(int64_t sampleRate) const;

    friend bool operator==(const EventTime& a, const EventTime& b) = default;
};

struct MetronomeSettings {
    int tempo = 90;          // clamped to kMinTempo..kMaxTempo
    int beatsPerBar = 4;     // clamped to kMinBeatsPerBar..kMaxBeatsPerBar
    bool clickOn = true;
    int clickVolume = 100;   // Note On velocity, 0..127
    bool leadIn = false;     // one bar of clicks before the first step
    int barPosition = 0;     // where in its bar beat 0 falls (0: on the accent); a schedule that
                             // takes over from another goes on where the bar was
};

struct DroneSettings {
    bool on = false;
    int note = -1;           // MIDI note as sent (concert pitch, see DroneNoteForTonic); none below 0
    int volume = 40;         // the channel's expression (controller 11), 0..127: a change of
                             // volume reaches a drone already sounding
    int program = kReedOrganProgram;
    int channel = 15;        // 0..15; see DroneChannelFor()
    bool held = false;       // already sounding on this note and channel: not struck again
};

// The drone is struck at full velocity; its volume is the channel's expression, which a sounding
// note follows. The stop gives the channel its full expression back.
inline constexpr int kDroneVelocity = 127;
inline constexpr int kExpressionController = 11;

// Scale steps, one a beat after the lead-in. Notes are MIDI notes as sent (concert pitch).
struct StepSettings {
    std::vector<int> notes;
    int channel = 0;         // the user's note channel (MidiChannel), also with no steps: the
                             // drone keeps off it
    int velocity = 100;
};

// The drone's channel: channel 16 (15 from 0), or 15 when the user's notes are on 16; never the
// percussion channel.
int DroneChannelFor(int noteChannel);

// `concertMidi` moved by whole octaves into kLowestDroneNote..kHighestDroneNote, in its lower
// octave from G2 (43) to F#3 (54): under the saxophones' own range, where it does not cover the
// played note. -1 for a negative note.
int LowDroneNote(int concertMidi);

// The drone note for a scale's tonic: the written note number `writtenTonic` (1 to 153) sounded on
// the saxophone `transpositionRows` rows down, at concert pitch, placed low. -1 outside the note
// table. Needs the note table built.
int DroneNoteForTonic(int writtenTonic, int transpositionRows);

enum class EventKind {
    StepEnd,      // the step before ends where the next begins: ends come first at a moment
    ClickEnd,
    DroneProgram,
    DroneVolume,
    DroneStart,
    Accent,       // the first beat's click
    Click,
    StepStart,
};

struct ScheduledEvent {
    EventTime at;
    EventKind kind;
    uint32_t message = 0; // packed short message: status | data1 << 8 | data2 << 16
    int64_t beat = 0;     // the beat it belongs to (counted from 0, lead-in included)
    int step = -1;        // index into StepSettings::notes for steps
};

class MetronomeSchedule {
public:
    MetronomeSchedule(MetronomeSettings metronome = {}, DroneSettings drone = {}, StepSettings steps = {});

    int Tempo() const { return metronome_.tempo; }
    int BeatsPerBar() const { return metronome_.beatsPerBar; }
    int LeadInBeats() const { return metronome_.leadIn ? metronome_.beatsPerBar : 0; }
    const DroneSettings& Drone() const { return drone_; }
    const StepSettings& Steps() const { return steps_; }

    EventTime BeatTime(int64_t beat) const;
    // The beat after the last step ends (the lead-in alone when there are no steps).
    int64_t StepsEndBeat() const;

    // Every event of bar `bar` (beats bar * BeatsPerBar() up to the next bar), in the order they
    // are to be sent: by moment, and at one moment in EventKind order. Bar 0 begins with the drone.
    std::vector<ScheduledEvent> Bar(int64_t bar) const;

    // What ends everything this schedule can have sounding, at once: a velocity-0 Note On for each
    // note it plays (both click sounds, the drone, every step note), an All Notes Off on the
    // percussion channel and the drone's channel, and the drone channel's expression restored.
    std::vector<uint32_t> StopMessages() const;

    // The beat `before` plays first after `ms` milliseconds of its event time (beat 0 for a
    // moment before it): where a change of settings takes over.
    int64_t NextBeatAfter(double ms) const;
    // This schedule taking over from `before` at `before`'s beat `beat` (its event time 0 there):
    // the bar goes on from its place (a bar made shorter than that place begins again on its
    // accent), and a drone that keeps its note and channel is held, not struck again.
    MetronomeSchedule TakingOver(const MetronomeSchedule& before, int64_t beat) const;
    // What `before` leaves sounding that this schedule does not hold, ended at the takeover: its
    // drone when this one is off or on another note.
    std::vector<uint32_t> EndsAtTakeover(const MetronomeSchedule& before) const;

private:
    MetronomeSettings metronome_;
    DroneSettings drone_;
    StepSettings steps_;
};

} // namespace korvalin
