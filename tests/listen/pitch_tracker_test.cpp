// The pitch tracker fed synthetic sound: what it names, when, and what it refuses to name.
#include "listen/pitch_tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <stdexcept>
#include <vector>

using namespace korvalin;

namespace {

const std::vector<double> kRich{1.0, 1.4, 0.9, 0.7, 0.5, 0.35, 0.25};
const std::vector<double> kWeakFundamental{0.2, 1.0, 0.7, 0.5, 0.3};
const std::vector<double> kSine{1.0};

// A harmonic tone of `seconds` at `amplitude` (of the fundamental's weight 1), with 5 ms ramps.
std::vector<float> Tone(double rate, double hz, double seconds, const std::vector<double>& harmonics = kRich,
                        double amplitude = 0.2) {
    const int n = int(rate * seconds), ramp = std::max(1, int(rate * 0.005));
    std::vector<float> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        double v = 0;
        for (std::size_t h = 0; h < harmonics.size(); ++h)
            if ((h + 1) * hz < rate / 2) v += harmonics[h] * std::sin(2 * std::numbers::pi * hz * double(h + 1) * i / rate);
        x[std::size_t(i)] = float(amplitude * v * std::min({1.0, double(i) / ramp, double(n - i) / ramp}));
    }
    return x;
}

// The note 2 hz with an attack that sounds the octave below for a moment: the harmonics of hz,
// the even ones (the note's own) steady, the odd ones (which make it hz and not 2 hz) starting
// `oddGain` times as strong and fading with time constant `fadeMs` to a `residue` that wavers
// by half of itself six times a second.
std::vector<float> OctaveBelowAttack(double rate, double hz, double seconds, double oddGain, double fadeMs,
                                     double residue = 0) {
    const int n = int(rate * seconds), ramp = int(rate * 0.005);
    std::vector<float> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = i / rate;
        const double odd = oddGain * std::exp(-1000.0 * t / fadeMs)
                           + residue * (1 + 0.5 * std::sin(2 * std::numbers::pi * 6 * t));
        double v = 0;
        for (int k = 1; k <= 12; ++k)
            v += (k % 2 ? odd : 1.0) / k * std::sin(2 * std::numbers::pi * hz * k * t);
        x[std::size_t(i)] = float(0.2 * v * std::min({1.0, double(i) / ramp, double(n - i) / ramp}));
    }
    return x;
}

// A harmonic tone sliding evenly (in pitch) from `from` to `to` Hz.
std::vector<float> Slide(double rate, double from, double to, double seconds) {
    std::vector<float> x(std::size_t(rate * seconds));
    for (double i = 0, phase = 0; i < double(x.size()); phase += 2 * std::numbers::pi * from * std::pow(to / from, i++ / double(x.size())) / rate)
        for (std::size_t h = 0; h < kRich.size(); ++h) x[std::size_t(i)] += float(0.2 * kRich[h] * std::sin(double(h + 1) * phase));
    return x;
}

std::vector<float> Quiet(double rate, double seconds) { return std::vector<float>(std::size_t(rate * seconds), 0.0f); }

std::vector<float> Noise(double rate, double seconds, double level, uint32_t seed) {
    std::mt19937 engine(seed);
    std::vector<float> x(std::size_t(rate * seconds));
    for (float& s : x) s = float(level * (double(engine()) / 4294967296.0 * 2.0 - 1.0) * std::sqrt(3.0));
    return x;
}

std::vector<float> Join(std::initializer_list<std::vector<float>> parts) {
    std::vector<float> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::vector<PitchReading> Listen(PitchTracker& tracker, const std::vector<float>& x, std::size_t buffer = 512) {
    std::vector<PitchReading> readings;
    tracker.SetOnPitch([&](const PitchReading& r) { readings.push_back(r); });
    for (std::size_t at = 0; at < x.size(); at += buffer)
        tracker.Process(std::span<const float>(x.data() + at, std::min(buffer, x.size() - at)));
    tracker.SetOnPitch(nullptr); // the readings go out of scope here
    return readings;
}

std::vector<PitchReading> Listen(const PitchTrackerSettings& settings, const std::vector<float>& x, std::size_t buffer = 512) {
    PitchTracker tracker(settings);
    return Listen(tracker, x, buffer);
}

// The notes reported, in order, each once per run of hops that carried it.
std::vector<int> NoteSequence(const std::vector<PitchReading>& readings) {
    std::vector<int> notes;
    for (const PitchReading& r : readings)
        if (r.changed && r.hasNote) notes.push_back(r.midiNote);
    return notes;
}

TEST(PitchTracker, NearestNoteAndReferenceA) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    struct Case {
        double hz, referenceA;
        int note;
        double cents;
    };
    const Case cases[] = {
        {440, 440, 69, 0},           {445, 440, 69, 19.56},       {435, 440, 69, -19.79},
        {65.4064, 440, 36, 0},        {3135.96, 440, 103, 0},      {440, 415, 70, 1.27},
        {442, 442, 69, 0},           {452, 440, 69, 46.58},       {454, 440, 70, -45.78},
        {0, 440, -1, 0},             {-440, 440, -1, 0},          {nan, 440, -1, 0},
        {inf, 440, -1, 0},           {440, 0, -1, 0},
    };
    for (const Case& c : cases) {
        const NearestNote n = NearestMidiNote(c.hz, c.referenceA);
        EXPECT_EQ(n.note, c.note) << c.hz << " Hz against " << c.referenceA;
        EXPECT_NEAR(n.cents, c.cents, 0.01) << c.hz << " Hz against " << c.referenceA;
    }
    EXPECT_NEAR(MidiNoteFrequency(36), 65.406, 0.001);
    EXPECT_NEAR(MidiNoteFrequency(69, 415), 415, 1e-9);

    const double clamps[][2] = {{400, 415}, {415, 415}, {442, 442}, {466, 466}, {500, 466}, {nan, 440}, {-inf, 440}};
    for (const auto& c : clamps) EXPECT_DOUBLE_EQ(ClampReferenceA(c[0]), c[1]) << c[0];

    PitchTracker tracker;
    tracker.SetReferenceA(300);
    EXPECT_DOUBLE_EQ(tracker.ReferenceA(), 415);
    PitchTrackerSettings low;
    low.referenceA = 1000;
    EXPECT_DOUBLE_EQ(PitchTracker(low).ReferenceA(), 466);
}

TEST(PitchTracker, RefusesSettingsItCannotHonour) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto with = [](auto change) {
        PitchTrackerSettings s;
        change(s);
        return s;
    };
    const PitchTrackerSettings bad[] = {
        with([](auto& s) { s.sampleRate = 0; }),
        with([&](auto& s) { s.sampleRate = nan; }),
        with([](auto& s) { s.sampleRate = 1e6; }),
        with([](auto& s) { s.lowestHz = 0; }),
        with([](auto& s) { s.lowestHz = 1; }), // a window of seconds
        with([](auto& s) { s.highestHz = s.lowestHz; }),
        with([](auto& s) { s.sampleRate = 8000; s.highestHz = 3200; }),
    };
    for (const PitchTrackerSettings& s : bad) EXPECT_THROW(PitchTracker{s}, std::invalid_argument);
    for (double rate : {44100.0, 48000.0}) {
        PitchTrackerSettings s;
        s.sampleRate = rate;
        PitchTracker t(s);
        EXPECT_EQ(t.WindowSize(), 2048); // two periods of 60 Hz
        EXPECT_EQ(t.HopSize(), 256);
    }
}

// Steady tones across the range, at both common rates, also with a weak fundamental, against
// another reference A, and with yin: the note, its cents and the frequency.
TEST(PitchTracker, NamesSteadyTones) {
    struct Case {
        double rate;
        double hz;
        const std::vector<double>* harmonics;
        double referenceA;
        PitchMethod method;
        int note;
        double cents;
    };
    const Case cases[] = {
        {44100, 65.406, &kRich, 440, PitchMethod::Yin, 36, 0},
        {48000, 69.296, &kWeakFundamental, 440, PitchMethod::Yin, 37, 0},
        {44100, 146.83, &kWeakFundamental, 440, PitchMethod::Yin, 50, 0},
        {48000, 233.08 * std::pow(2, 0.2 / 12), &kRich, 440, PitchMethod::Yin, 58, 20},
        {44100, 440, &kSine, 440, PitchMethod::Yin, 69, 0},
        {44100, 440, &kRich, 415, PitchMethod::Yin, 70, 1.27},
        {44100, 440 * std::pow(2, -0.35 / 12), &kWeakFundamental, 440, PitchMethod::Yin, 69, -35},
        {48000, 1046.5, &kRich, 440, PitchMethod::Yin, 84, 0},
        {44100, 3135.96, &kRich, 440, PitchMethod::Yin, 103, 0},
        {44100, 196.0, &kWeakFundamental, 440, PitchMethod::YinTimeDomain, 55, 0},
        {48000, 2093.0, &kSine, 440, PitchMethod::YinTimeDomain, 96, 0},
    };
    for (const Case& c : cases) {
        PitchTrackerSettings s;
        s.sampleRate = c.rate;
        s.referenceA = c.referenceA;
        s.method = c.method;
        const auto readings = Listen(s, Tone(c.rate, c.hz, 0.4));
        EXPECT_EQ(NoteSequence(readings), std::vector<int>{c.note}) << c.hz << " Hz at " << c.rate;
        const PitchReading& mid = readings[readings.size() / 2];
        ASSERT_TRUE(mid.hasNote) << c.hz;
        EXPECT_NEAR(1200 * std::log2(mid.frequency / c.hz), 0, 3) << c.hz;
        EXPECT_NEAR(mid.cents, c.cents, 3) << c.hz;
        EXPECT_GT(mid.levelDb, -30);
        EXPECT_GE(mid.confidence, s.minConfidence);
    }
}

// The readings do not depend on how the stream is cut into buffers.
TEST(PitchTracker, BufferSizeDoesNotMatter) {
    const auto x = Join({Quiet(44100, 0.1), Tone(44100, 311.1, 0.3), Noise(44100, 0.2, 0.05, 3), Tone(44100, 98.0, 0.3)});
    const auto whole = Listen(PitchTrackerSettings{}, x, x.size());
    ASSERT_EQ(whole.size(), x.size() / 256);
    EXPECT_EQ(NoteSequence(whole), (std::vector<int>{63, 43}));
    for (std::size_t buffer : {std::size_t(1), std::size_t(7), std::size_t(256), std::size_t(4097)}) {
        const auto cut = Listen(PitchTrackerSettings{}, x, buffer);
        ASSERT_EQ(cut.size(), whole.size()) << buffer;
        for (std::size_t i = 0; i < cut.size(); ++i) {
            ASSERT_EQ(cut[i].endSample, int64_t(256 * (i + 1)));
            ASSERT_EQ(cut[i].midiNote, whole[i].midiNote) << buffer << " at hop " << i;
            ASSERT_EQ(cut[i].frequency, whole[i].frequency) << buffer << " at hop " << i;
        }
    }
    PitchTracker tracker;
    tracker.Process({});
    EXPECT_EQ(tracker.SamplesFed(), 0);
}

// Silence, noise, clicks, a too-quiet tone, samples that are no numbers, mains hum below every
// saxophone and a slide through the notes give no note.
TEST(PitchTracker, NoNoteWithoutOne) {
    const double rate = 44100;
    std::vector<float> clicks = Quiet(rate, 2);
    for (std::size_t at = 1000; at < clicks.size(); at += 5512) clicks[at] = 0.9f;
    std::vector<float> broken(std::size_t(rate / 2));
    const float notNumbers[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                -std::numeric_limits<float>::infinity()};
    for (std::size_t i = 0; i < broken.size(); ++i) broken[i] = notNumbers[i % 3];
    struct Case {
        const char* what;
        std::vector<float> x;
        double gateDb;
        double levelAbove, levelBelow; // the level every hop reports
    };
    const Case cases[] = {
        {"silence", Quiet(rate, 2), -55, -121, -119},
        {"loud white noise", Noise(rate, 2, 0.1, 1), -55, -25, -15},
        {"quiet white noise", Noise(rate, 2, 0.001, 2), -55, -65, -55},
        {"clicks", clicks, -55, -121, 0},
        {"a tone below the gate", Tone(rate, 440, 1, kRich, 0.0005), -55, -121, -55},
        {"samples that are no numbers", broken, -55, -121, 0},
        {"60 Hz hum", Tone(rate, 60, 2), -55, -121, 0},
        {"50 Hz hum, its fundamental weak", Tone(rate, 50, 2, kWeakFundamental), -55, -121, 0},
        {"a slide from 50 Hz to 4 kHz", Slide(rate, 50, 4000, 4), -55, -121, 0},
    };
    for (const Case& c : cases) {
        PitchTrackerSettings s;
        s.gateDb = c.gateDb;
        const auto readings = Listen(s, c.x);
        ASSERT_FALSE(readings.empty());
        for (const PitchReading& r : readings) {
            ASSERT_FALSE(r.hasNote) << c.what << " at " << r.endSample;
            ASSERT_EQ(r.midiNote, -1);
            ASSERT_EQ(r.frequency, 0);
            ASSERT_GT(r.levelDb, c.levelAbove) << c.what;
            ASSERT_LT(r.levelDb, c.levelBelow) << c.what;
        }
    }
    // The gate is the user's: the quiet tone is heard once the gate is below it.
    PitchTrackerSettings open;
    open.gateDb = -90;
    EXPECT_EQ(NoteSequence(Listen(open, Tone(rate, 440, 1, kRich, 0.0005))), std::vector<int>{69});
}

// A note is reported once it has held for the stable time; one shorter is not; a held note ends
// soon after the sound stops and survives a short drop-out.
TEST(PitchTracker, StableRuleAndRelease) {
    const double rate = 44100;
    PitchTrackerSettings s;
    s.stableMs = 40;
    {
        const auto readings = Listen(s, Join({Quiet(rate, 0.2), Tone(rate, 220, 0.02), Quiet(rate, 0.3)}));
        EXPECT_TRUE(NoteSequence(readings).empty());
    }
    const auto x = Join({Quiet(rate, 0.2), Tone(rate, 220, 0.3), Quiet(rate, 0.015), Tone(rate, 220, 0.3), Quiet(rate, 0.3)});
    const auto readings = Listen(s, x);
    EXPECT_EQ(NoteSequence(readings), std::vector<int>{57});
    const int64_t onset = int64_t(0.2 * rate), end = int64_t(0.815 * rate);
    int64_t first = -1, last = -1;
    for (const PitchReading& r : readings)
        if (r.hasNote) {
            if (first < 0) first = r.endSample;
            last = r.endSample;
        }
    EXPECT_GE(first - onset, int64_t(0.040 * rate)); // held at least the stable time
    EXPECT_LE(first - onset, int64_t(0.100 * rate));
    EXPECT_GT(last, end);                            // released after the end...
    EXPECT_LE(last - end, int64_t(0.120 * rate));    // ...soon: release time plus the window
    EXPECT_FALSE(readings.back().hasNote);
}

// Legato note changes are reported in order, with no note between them; a brief jump to the
// octave (the second harmonic taking over) is ignored, while a real octave leap held long enough
// is followed. An attack that sounds the octave below while its odd harmonics fade is heard as it
// is, and the note itself follows as soon as it is steady, not only after the octave guard's time;
// what is left of the faded octave does not bring it back.
TEST(PitchTracker, NoteChangesAndOctaveGuard) {
    const double rate = 48000;
    struct Case {
        const char* what;
        std::vector<float> x;
        std::vector<int> notes;
        double lastNoteBy = 0; // stream time (s) by which the last note is reported; 0: any time
    };
    const Case cases[] = {
        {"legato steps", Join({Tone(rate, 293.66, 0.25), Tone(rate, 329.63, 0.25), Tone(rate, 261.63, 0.25)}), {62, 64, 60}},
        {"octave harmonic for 50 ms",
         Join({Tone(rate, 110, 0.4, kRich), Tone(rate, 220, 0.05, kSine), Tone(rate, 110, 0.4, kRich)}), {45}},
        {"octave leap held", Join({Tone(rate, 110, 0.4, kRich), Tone(rate, 220, 0.4, kRich)}), {45, 57}},
        {"octave leap down held", Join({Tone(rate, 880, 0.4, kRich), Tone(rate, 440, 0.4, kWeakFundamental)}), {81, 69}},
        {"attack an octave below, fading", OctaveBelowAttack(rate, 110, 0.6, 3, 40), {45, 57}, 0.2},
        {"attack an octave below, fading slower", OctaveBelowAttack(rate, 164.81, 0.6, 2, 50), {52, 64}, 0.22},
        {"attack an octave below, fading to a wavering residue", OctaveBelowAttack(rate, 164.81, 0.6, 3, 40, 0.1), {52, 64}},
    };
    for (const Case& c : cases) {
        const auto readings = Listen(PitchTrackerSettings{.sampleRate = rate}, c.x);
        EXPECT_EQ(NoteSequence(readings), c.notes) << c.what;
        if (c.lastNoteBy > 0) {
            const auto last = std::find_if(readings.begin(), readings.end(),
                                           [&](const PitchReading& r) { return r.hasNote && r.midiNote == c.notes.back(); });
            ASSERT_NE(last, readings.end()) << c.what;
            EXPECT_LE(last->endSample, int64_t(c.lastNoteBy * rate)) << c.what;
        }
    }
}

TEST(PitchTracker, ResetForgetsTheNote) {
    PitchTracker tracker;
    const auto tone = Tone(44100, 440, 0.3);
    Listen(tracker, tone);
    ASSERT_TRUE(tracker.Current().hasNote);
    tracker.Process(std::span<const float>(tone.data(), 100)); // part of a hop
    tracker.Reset();
    EXPECT_FALSE(tracker.Current().hasNote);
    const int64_t atReset = int64_t(tone.size() + 100);
    EXPECT_EQ(tracker.SamplesFed(), atReset); // stream time goes on
    // Nothing of the old note remains: the quiet after the reset carries no note, although the
    // release time has not passed.
    const auto after = Listen(tracker, Quiet(44100, 0.05));
    ASSERT_FALSE(after.empty());
    for (const PitchReading& r : after) EXPECT_FALSE(r.hasNote);
    EXPECT_EQ(after.front().endSample, atReset + 256);
}

} // namespace
