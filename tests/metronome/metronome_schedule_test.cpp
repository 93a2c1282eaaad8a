// The metronome's schedule and its player on a recording output, in event time (no clock).
#include "app/note_table.h"
#include "listen/written_note.h"
#include "metronome/click_track.h"
#include "tests/support/recording_midi_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace korvalin {
namespace {

// A message sent at a moment of event time.
struct Timed {
    double ms;
    uint32_t message;
    int Status() const { return int(message & 0xFF); }
    int Key() const { return int((message >> 8) & 0xFF); }
    int Velocity() const { return int((message >> 16) & 0xFF); }
};

// Plays `schedule` from 0 up to (not including) `untilMs`, stamping each message with the moment
// it was due, then stops it; the stop messages carry the moment `untilMs`.
std::vector<Timed> Play(const MetronomeSchedule& schedule, double untilMs) {
    RecordingMidiOutput out;
    ClickTrack track(out);
    track.Start(schedule);
    std::vector<Timed> played;
    while (auto next = track.NextEventTime()) {
        if (*next >= untilMs) break;
        const std::size_t before = out.events.size();
        track.PlayUntil(*next);
        for (std::size_t i = before; i < out.events.size(); ++i) played.push_back({*next, out.events[i].message});
        EXPECT_GT(out.events.size(), before) << "nothing was due at " << *next;
    }
    const std::size_t before = out.events.size();
    track.Stop();
    for (std::size_t i = before; i < out.events.size(); ++i) played.push_back({untilMs, out.events[i].message});
    const std::size_t stopped = out.events.size();
    track.Stop(); // a second stop sends nothing
    EXPECT_EQ(out.events.size(), stopped);
    return played;
}

// What is left sounding after `messages`: (channel, key) of every Note On not ended by a
// velocity-0 Note On or an All Notes Off on its channel.
std::set<std::pair<int, int>> Sounding(const std::vector<Timed>& messages) {
    std::set<std::pair<int, int>> on;
    for (const Timed& m : messages) {
        const int channel = m.Status() & 0x0F;
        if ((m.Status() & 0xF0) == kNoteOnStatus) {
            if (m.Velocity() > 0) on.insert({channel, m.Key()});
            else on.erase({channel, m.Key()});
        } else if ((m.Status() & 0xF0) == kControlChangeStatus && m.Key() == kAllNotesOffController) {
            std::erase_if(on, [&](const auto& n) { return n.first == channel; });
        }
    }
    return on;
}

TEST(MetronomeSchedule, ClampsAndPlacesTheDroneApart) {
    struct Case {
        int tempo, beats, expectedTempo, expectedBeats;
    };
    for (const Case& c : {Case{10, 0, 30, 1}, Case{30, 1, 30, 1}, Case{240, 8, 240, 8}, Case{400, 12, 240, 8},
                          Case{-5, -3, 30, 1}}) {
        const MetronomeSchedule s({.tempo = c.tempo, .beatsPerBar = c.beats});
        EXPECT_EQ(s.Tempo(), c.expectedTempo) << c.tempo;
        EXPECT_EQ(s.BeatsPerBar(), c.expectedBeats) << c.beats;
    }
    // The drone's channel: a channel of its own, neither the user's notes' nor the percussion's.
    for (int channel = 0; channel < 16; ++channel) {
        const int drone = DroneChannelFor(channel);
        EXPECT_NE(drone, channel);
        EXPECT_NE(drone, kPercussionChannel);
        EXPECT_TRUE(drone >= 0 && drone <= 15) << drone;
        // A drone asked for on the user's channel or the percussion one is moved off it.
        for (int asked : {channel, kPercussionChannel}) {
            const MetronomeSchedule s({}, {.on = true, .note = 48, .channel = asked}, {.notes = {60}, .channel = channel});
            EXPECT_NE(s.Drone().channel, channel);
            EXPECT_NE(s.Drone().channel, kPercussionChannel);
        }
    }
}

TEST(MetronomeSchedule, DroneNoteIsTheTonicAtConcertPitchPlacedLow) {
    BuildNoteTable();
    for (int midi = 0; midi < 128; ++midi) {
        const int low = LowDroneNote(midi);
        EXPECT_GE(low, kLowestDroneNote);
        EXPECT_LE(low, kHighestDroneNote);
        EXPECT_EQ(low % 12, midi % 12);
    }
    EXPECT_EQ(LowDroneNote(-1), -1);
    // Written C5 (MIDI 72) on each saxophone (rows down in the note table): soprano sounds Bb,
    // alto Eb, tenor Bb, baritone Eb; written G4 (67) on alto sounds Bb.
    struct Case {
        int writtenMidi, rows, semitonesDown;
    };
    for (const Case& c : {Case{72, 2, 2}, Case{72, 12, 9}, Case{72, 19, 14}, Case{72, 29, 21}, Case{67, 12, 9},
                          Case{66, 19, 14}}) {
        const int written = NoteNumberForPitch(c.writtenMidi);
        ASSERT_GT(written, 0);
        EXPECT_EQ(DroneNoteForTonic(written, c.rows), LowDroneNote(c.writtenMidi - c.semitonesDown))
            << c.writtenMidi << " " << c.rows;
    }
    EXPECT_EQ(DroneNoteForTonic(0, 12), -1);
    EXPECT_EQ(DroneNoteForTonic(154, 12), -1);
}

TEST(MetronomeSchedule, EventTimeIsExactAtEveryTempo) {
    // Beat k from k alone: at 90 bpm beat 3 is at 2000 ms exactly and beat 1 at 666.67 ms; at
    // 44100 samples a second no beat drifts from k * 60 * rate / tempo over a long run.
    for (int tempo : {30, 90, 120, 137, 240}) {
        const MetronomeSchedule s({.tempo = tempo});
        for (int64_t beat : {int64_t(0), int64_t(1), int64_t(3), int64_t(1000), int64_t(1000003)}) {
            EXPECT_DOUBLE_EQ(s.BeatTime(beat).Ms(), double(beat) * 60000.0 / tempo);
            const int64_t sample = s.BeatTime(beat).Sample(44100);
            EXPECT_LE(std::abs(double(sample) - double(beat) * 60.0 * 44100 / tempo), 0.5) << tempo << " " << beat;
        }
    }
}

TEST(ClickTrack, AMinuteAt120BeatsPerMinute) {
    struct Case {
        int beats;
        bool leadIn;
    };
    for (const Case& c : {Case{4, false}, Case{3, true}, Case{1, false}, Case{8, true}}) {
        SCOPED_TRACE(testing::Message() << c.beats << " beats a bar, lead-in " << c.leadIn);
        const std::vector<int> scale{60, 62, 64, 65, 67, 69, 71, 72};
        const int noteChannel = 2;
        const MetronomeSchedule schedule({.tempo = 120, .beatsPerBar = c.beats, .clickVolume = 90, .leadIn = c.leadIn},
                                         {.on = true, .note = 48, .volume = 30, .program = kStringEnsembleProgram},
                                         {.notes = scale, .channel = noteChannel, .velocity = 100});
        const std::vector<Timed> played = Play(schedule, 60000);

        std::vector<Timed> clicks, steps;
        int droneOn = 0, droneProgram = 0;
        for (const Timed& m : played) {
            if (m.Status() == kNoteOnStatus + kPercussionChannel && m.Velocity() > 0) clicks.push_back(m);
            if (m.Status() == kNoteOnStatus + noteChannel && m.Velocity() > 0) steps.push_back(m);
            if (m.Status() == kProgramChangeStatus + 15) {
                EXPECT_EQ(m.Key(), kStringEnsembleProgram);
                EXPECT_EQ(droneOn, 0) << "the patch comes before the note";
                ++droneProgram;
            }
            if (m.Status() == kNoteOnStatus + 15 && m.Velocity() > 0) {
                EXPECT_EQ(m.ms, 0);
                EXPECT_EQ(m.Key(), 48);
                EXPECT_EQ(m.Velocity(), kDroneVelocity);
                ++droneOn;
            }
            if (m.Status() == kControlChangeStatus + 15 && m.Key() == kExpressionController && m.ms < 60000) {
                EXPECT_EQ(m.Velocity(), 30) << "the drone's volume";
            }
        }
        EXPECT_EQ(droneProgram, 1);
        EXPECT_EQ(droneOn, 1);
        // 120 clicks, 500 ms apart, the last at 59.5 s; the first of each bar is the accent.
        ASSERT_EQ(clicks.size(), 120u);
        for (std::size_t k = 0; k < clicks.size(); ++k) {
            EXPECT_EQ(clicks[k].ms, 500.0 * double(k));
            EXPECT_EQ(clicks[k].Key(), k % std::size_t(c.beats) == 0 ? kHighWoodBlockKey : kSideStickKey) << k;
            EXPECT_EQ(clicks[k].Velocity(), 90);
        }
        EXPECT_EQ(clicks.back().ms, 59500.0);
        // Each step on its beat after the lead-in, the step before ended at that very moment.
        ASSERT_EQ(steps.size(), scale.size());
        const double first = c.leadIn ? 500.0 * c.beats : 0;
        for (std::size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(steps[i].ms, first + 500.0 * double(i));
            EXPECT_EQ(steps[i].Key(), scale[i]);
        }
        for (std::size_t i = 1; i <= played.size(); ++i) {
            const auto now = Sounding({played.begin(), played.begin() + std::ptrdiff_t(i)});
            EXPECT_LE(std::count_if(now.begin(), now.end(), [](const auto& n) { return n.first == noteChannel; }), 1)
                << "steps overlap at " << played[i - 1].ms;
        }
        // Nothing sounds after the steps but the clicks and the drone; the stop ends those at once.
        const std::vector<Timed> beforeStop(played.begin(), played.end() - std::ptrdiff_t(schedule.StopMessages().size()));
        const auto sounding = Sounding(beforeStop);
        EXPECT_EQ(sounding.count({15, 48}), 1u) << "the drone holds until the stop";
        for (const auto& [channel, key] : sounding) EXPECT_NE(channel, noteChannel);
        EXPECT_TRUE(Sounding(played).empty());
        for (auto it = played.end() - std::ptrdiff_t(schedule.StopMessages().size()); it != played.end(); ++it)
            EXPECT_EQ(it->ms, 60000.0);
    }
}

TEST(ClickTrack, StopAtAnyMomentLeavesNothingSounding) {
    // Stopped in the middle of a click, of a step and between beats, with and without the drone.
    const MetronomeSchedule schedule({.tempo = 200, .beatsPerBar = 5, .leadIn = true},
                                     {.on = true, .note = 50, .channel = 3}, {.notes = {62, 62, 200, 65, -3}, .channel = 3});
    EXPECT_NE(schedule.Drone().channel, 3);
    for (double stopAt : {0.1, 10.0, 299.0, 300.0, 1500.0, 1510.0, 2100.0, 4000.0}) {
        const std::vector<Timed> played = Play(schedule, stopAt);
        EXPECT_TRUE(Sounding(played).empty()) << stopAt;
        // Notes outside MIDI's range leave their beats silent instead of sounding wrapped.
        for (const Timed& m : played)
            if (m.Status() == kNoteOnStatus + 3) {
                EXPECT_TRUE(m.Key() == 62 || m.Key() == 65) << m.Key();
            }
    }
    // A track stopped before it starts, or started twice, sends only silence for what it began.
    RecordingMidiOutput out;
    {
        ClickTrack track(out);
        track.Stop();
        EXPECT_TRUE(out.events.empty());
        track.Start(schedule);
        track.PlayUntil(100);
        track.Start(MetronomeSchedule({.tempo = 60}));
        track.PlayUntil(1000);
    } // the destructor stops it
    std::vector<Timed> all;
    for (const auto& e : out.events) all.push_back({0, e.message});
    EXPECT_TRUE(Sounding(all).empty());
}

} // namespace
} // namespace korvalin
