// How well the pitch tracker hears real saxophone sound (the built-in synthesizer's four
// saxophones, rendered offline) and harmonic tones with vibrato in noise, and that it hears no note
// in silence, noise and key clicks. Every third written note here; the listening benchmark runs
// them all. Onset times are stream time (samples), so they are the same on any machine.
#include "tests/listen/listen_corpus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace korvalin;
using namespace korvalin::listen_test;

namespace {

struct SetCase {
    const char* name;
    double rate;
    bool saxophones; // rendered saxophones, or synthetic tones
    int step;
    int expectedCases;
    double leastNamed;    // share of the notes named
    int mostOctaveErrors; // cases with an octave reported at any time, the attack included
};

class ListenAccuracy : public ::testing::TestWithParam<SetCase> {};

TEST_P(ListenAccuracy, NamesTunesAndSettlesQuickly) {
    const SetCase& set = GetParam();
    const std::vector<ListenCase> cases = set.saxophones ? RenderSaxophoneNotes(set.rate, set.step)
                                                         : SyntheticTones(set.rate, set.step);
    ASSERT_EQ(int(cases.size()), set.expectedCases) << "soundfont " << kGeneralMidiSoundfont;
    PitchTrackerSettings settings;
    settings.sampleRate = set.rate;
    std::vector<CaseResult> results;
    for (const ListenCase& c : cases) results.push_back(Evaluate(c, settings));
    const Figures f = Summarise(cases, results);

    std::string misnamed;
    for (const std::string& m : f.misnamed) misnamed += "\n  " + m;
    EXPECT_GE(f.namedShare, set.leastNamed) << f.named << " of " << f.cases << " named:" << misnamed;
    EXPECT_LE(f.medianCents, 3.0);
    EXPECT_GE(f.medianCents, 0.0);
    EXPECT_LE(f.medianOnsetMs, 60.0);
    EXPECT_GT(f.medianOnsetMs, 0.0);
    EXPECT_LE(f.octaveErrors, set.mostOctaveErrors);
    // No case may be far out of tune even when named.
    EXPECT_LE(f.worstCents, 15.0);
    RecordProperty("named", f.named);
    RecordProperty("median_cents_x100", int(f.medianCents * 100));
    RecordProperty("median_onset_ms_x10", int(f.medianOnsetMs * 10));
}

// The synthesizer's tenor sounds the octave below for the first 150 ms or so of its concert E4
// to G4 (a subharmonic in the sample's attack, which the tracker hears as it is), and some other
// attacks do so more briefly; so not every saxophone note is named, and octaves are reported
// during attacks. The synthetic tones have no such attack.
INSTANTIATE_TEST_SUITE_P(Sets, ListenAccuracy, ::testing::Values(
    SetCase{"Saxophones", 44100, true, 3, 4 * 11, 0.95, 12},
    SetCase{"Tones", 48000, false, 2, 34, 1.0, 0}),
    [](const ::testing::TestParamInfo<SetCase>& info) { return std::string(info.param.name); });

// The yardstick of the tuning error: over the synthetic tones, whose frequency is known at every
// sample, the demodulated phase gives the mean frequency of any stretch of the held note to within
// 2 cents at worst (its smoothing blurs the vibrato of the lowest notes, and noise passes with a
// weak fundamental) and far better on most.
TEST(ListenAccuracy, ReferencePitchMeasuresWhatSounded) {
    for (const ListenCase& c : SyntheticTones(44100, 5)) {
        const ReferencePitch reference(c);
        for (int64_t from = c.onset + 4410; from + 2048 <= c.release - 4410; from += 3000) {
            double sum = 0;
            for (int64_t i = from; i < from + 2048; ++i) sum += c.FrequencyAt(i);
            const double truth = sum / 2048;
            EXPECT_NEAR(1200 * std::log2(reference.MeanHz(from, from + 2048) / truth), 0, 2.0) << c.label << " at " << from;
        }
        EXPECT_EQ(reference.MeanHz(-5000, 0), 0) << c.label;
        EXPECT_EQ(reference.MeanHz(0, int64_t(c.samples.size()) + 10), 0) << c.label;
    }
}

// Ten seconds each of silence, loud white noise and key clicks give no note at all.
TEST(ListenAccuracy, NothingHeardInSilenceNoiseOrClicks) {
    const double rate = 44100;
    PitchTrackerSettings settings;
    struct Case {
        const char* what;
        std::vector<float> x;
    };
    const Case cases[] = {
        {"silence", Silence(rate, 10)},
        {"white noise at -20 dBFS", WhiteNoise(rate, 10, -20, 7)},
        {"white noise at -45 dBFS", WhiteNoise(rate, 10, -45, 8)},
        {"key clicks, 8 a second", ClickTrain(rate, 10, 8, 11)},
        {"key clicks, 30 a second", ClickTrain(rate, 10, 30, 12)},
    };
    for (const Case& c : cases) EXPECT_EQ(HopsWithNote(c.x, settings), 0) << c.what;
}

} // namespace
