// Practice that waits for the player: the judge of a step fed timed readings, the note names and
// concert pitches it works with, the summary line and the CSV of a run.
#include "app/note_table.h"
#include "listen/practice.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <utility>
#include <vector>

namespace korvalin {
namespace {

constexpr int kC0 = 73, kD0 = 76, kE0 = 79, kD1 = 93; // written notes (note table rows)
constexpr int kAltoC0 = 51;                          // written C0 on the alto sounds Eb (MIDI 51)

HeardNote Mic(std::int64_t ms, int midi, double cents) { return {true, midi, cents, false, ms}; }
HeardNote Midi(std::int64_t ms, int midi) { return {true, midi, 0, true, ms}; }
HeardNote Nothing(std::int64_t ms, bool fromMidi = false) { return {false, -1, 0, fromMidi, ms}; }

TEST(PracticeNotes, NamesAndConcertPitchesFollowTheNoteTable) {
    BuildNoteTable();
    for (int note = 1; note <= 153; ++note) {
        std::string name = NoteCell(note, Name).substr(0, 4);
        name.erase(name.find_last_not_of(' ') + 1);
        EXPECT_EQ(PracticeNoteName(note), name) << note;
        EXPECT_EQ(ConcertPitchOf(note, 0), NoteValue(note, Pitch)) << note;
    }
    EXPECT_EQ(PracticeNoteName(kD1), "D1");
    EXPECT_EQ(PracticeNoteName(0), "");
    EXPECT_EQ(ConcertPitchOf(154, 0), -1);
    // Written C0 (MIDI 60) on each saxophone, and before an instrument is chosen.
    const std::pair<int, int> sounds[] = {{kSoprano.transposition, 58}, {kAlto.transposition, 51},
                                          {kTenor.transposition, 46},   {kBaritone.transposition, 39},
                                          {0, 60},                      {5, -1}};
    for (auto [rows, concert] : sounds) EXPECT_EQ(ConcertPitchOf(kC0, rows), concert) << rows;
}

// Written C0 on the alto, tolerance 25 cents, hold 150 ms; the step begins at 1000 ms.
struct JudgeCase {
    const char* name;
    std::vector<HeardNote> heard;
    std::vector<std::pair<std::int64_t, bool>> asks; // (when, reached by then), in time order
    std::optional<std::int64_t> timeToHit;
    std::optional<double> average;
};
void PrintTo(const JudgeCase& c, std::ostream* os) { *os << c.name; }
class Judge : public ::testing::TestWithParam<JudgeCase> {};

TEST_P(Judge, ReachesOnlyWhenTheConcertNoteIsHeldInTuneForTheHoldTime) {
    const JudgeCase& c = GetParam();
    StepJudge judge(kC0, kAlto.transposition);
    ASSERT_EQ(judge.TargetConcertMidi(), kAltoC0);
    judge.Begin(1000);
    for (const HeardNote& h : c.heard) judge.Hear(h);
    for (auto [ms, reached] : c.asks) EXPECT_EQ(judge.ReachedBy(ms), reached) << "at " << ms;
    EXPECT_EQ(judge.TimeToHitMs(), c.timeToHit);
    ASSERT_EQ(judge.AverageCents().has_value(), c.average.has_value());
    if (c.average) {
        EXPECT_NEAR(*judge.AverageCents(), *c.average, 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Readings, Judge,
    ::testing::Values(
        JudgeCase{"InTuneHeld", {Mic(1100, kAltoC0, 5)}, {{1249, false}, {1250, true}, {9000, true}}, 250, 5},
        JudgeCase{"AtTheToleranceCounts", {Mic(1000, kAltoC0, -25)}, {{1150, true}}, 150, -25},
        JudgeCase{"FlatBeyondTheTolerance", {Mic(1100, kAltoC0, -30)}, {{5000, false}}, std::nullopt, -30},
        JudgeCase{"SemitoneBelowIsAnotherNote", {Mic(1100, kAltoC0 - 1, 0)}, {{5000, false}}, std::nullopt,
                  std::nullopt},
        JudgeCase{"OctaveWrong", {Mic(1100, kAltoC0 + 12, 0)}, {{5000, false}}, std::nullopt, std::nullopt},
        JudgeCase{"WrittenPitchInsteadOfConcert", {Mic(1100, 60, 0)}, {{5000, false}}, std::nullopt, std::nullopt},
        JudgeCase{"NeighbourReadingWithinFiftyCentsIsTheNote",
                  {Mic(1100, kAltoC0 - 1, 50), Mic(1110, kAltoC0, -10)}, {{1259, false}, {1260, true}}, 260, -30},
        JudgeCase{"HeldShorterThanTheHold", {Mic(1100, kAltoC0, 0), Nothing(1200)}, {{5000, false}}, std::nullopt, 0},
        JudgeCase{"HeldLongerThanTheHoldThenSilence", {Mic(1100, kAltoC0, 3), Nothing(1300)}, {{5000, true}}, 250, 3},
        JudgeCase{"DropOutShorterThanTheGraceKeepsTheHold",
                  {Mic(1100, kAltoC0, 2), Nothing(1200), Mic(1230, kAltoC0, 4)}, {{1250, true}}, 250, 3},
        JudgeCase{"DropOutLongerThanTheGraceStartsAgain",
                  {Mic(1100, kAltoC0, 2), Nothing(1200), Mic(1300, kAltoC0, 4)}, {{1449, false}, {1450, true}}, 450, 3},
        JudgeCase{"OutOfTuneMomentLongerThanTheGrace",
                  {Mic(1100, kAltoC0, 0), Mic(1200, kAltoC0, -40), Mic(1260, kAltoC0, 0)},
                  {{1409, false}, {1410, true}}, 410, -40.0 / 3},
        JudgeCase{"AverageStopsWhenReached", {Mic(1000, kAltoC0, 10), Mic(1200, kAltoC0, -20)}, {{1200, true}}, 150, 10},
        JudgeCase{"WrongNoteThenRight", {Mic(1000, kAltoC0 + 2, 0), Mic(1500, kAltoC0, -6)}, {{1650, true}}, 650, -6},
        JudgeCase{"ReadingsBeforeTheStepAreNotJudged", {Mic(900, kAltoC0, 0)}, {{5000, false}}, std::nullopt,
                  std::nullopt},
        JudgeCase{"MidiNoteHeld", {Midi(1050, kAltoC0)}, {{1199, false}, {1200, true}}, 200, 0},
        JudgeCase{"MidiNoteReleasedEarly", {Midi(1050, kAltoC0), Nothing(1100, true)}, {{5000, false}},
                  std::nullopt, 0},
        JudgeCase{"NothingHeard", {}, {{5000, false}}, std::nullopt, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PracticeJudge, ToleranceAndHoldAreAdjustable) {
    StepJudge wide(kC0, kAlto.transposition, 40, 300);
    wide.Begin(0);
    wide.Hear(Mic(0, kAltoC0, -35));
    EXPECT_FALSE(wide.ReachedBy(299));
    EXPECT_TRUE(wide.ReachedBy(300));
    StepJudge narrow(kC0, kAlto.transposition, 5, 150);
    narrow.Begin(0);
    narrow.Hear(Mic(0, kAltoC0, 6));
    EXPECT_FALSE(narrow.ReachedBy(1000));
    // No instrument the judge knows: nothing is ever the note.
    StepJudge unknown(kC0, 5);
    unknown.Begin(0);
    unknown.Hear(Mic(0, kAltoC0, 0));
    EXPECT_FALSE(unknown.ReachedBy(1000));
}

PracticeStep Played(int note, double cents, std::int64_t ms) { return {note, true, cents, ms}; }
PracticeStep CutShort(int note, std::optional<double> cents = std::nullopt) { return {note, false, cents, {}}; }

struct SummaryCase {
    const char* name;
    std::vector<PracticeStep> steps;
    std::string summary;
};
void PrintTo(const SummaryCase& c, std::ostream* os) { *os << c.name; }
class Summary : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(Summary, CountsNotesInTuneAndNamesTheFlattest) {
    EXPECT_EQ(PracticeSummary(GetParam().steps), GetParam().summary);
}

std::vector<PracticeStep> TwentyWithAFlatD1() {
    std::vector<PracticeStep> steps(18, Played(kC0, 4, 500));
    steps.insert(steps.begin() + 5, Played(kD1, -22.4, 900));
    steps.push_back(CutShort(kE0, -12));
    return steps;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, Summary,
    ::testing::Values(
        SummaryCase{"AsTheIssueShowsIt", TwentyWithAFlatD1(), "18 of 20 notes in tune; flattest D1, -22 cents"},
        SummaryCase{"EdgeOfTheZoneIsInTune", {Played(kC0, 10.4, 1), Played(kD0, -10.5, 1)},
                    "1 of 2 notes in tune; flattest D0, -11 cents"},
        SummaryCase{"CutShortInTuneDoesNotCount", {CutShort(kC0, 0), Played(kD0, 2, 1)},
                    "1 of 2 notes in tune; none flat"},
        SummaryCase{"FirstOfEquallyFlat", {Played(kC0, -7, 1), Played(kD0, -7, 1)},
                    "2 of 2 notes in tune; flattest C0, -7 cents"},
        SummaryCase{"RoundsToZeroIsNotFlat", {Played(kC0, -0.4, 1), Played(kD0, 30, 1)}, "1 of 2 notes in tune; none flat"},
        SummaryCase{"NothingHeard", {CutShort(kC0), CutShort(kD0), CutShort(kE0)}, "0 of 3 notes in tune; no note played"},
        SummaryCase{"NoSteps", {}, "0 of 0 notes in tune; no note played"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PracticeList, TextsAndCsvOfARun) {
    const std::vector<PracticeStep> steps = {Played(kC0, 4.26, 1250), Played(kD1, -22.44, 40), CutShort(kE0, -0.02),
                                             CutShort(kD0)};
    EXPECT_EQ(CentsText(4.26), "+4");
    EXPECT_EQ(CentsText(-22.5), "-23");
    EXPECT_EQ(CentsText(-0.2), "0");
    EXPECT_EQ(CentsText(std::nullopt), "");
    EXPECT_EQ(TimeToHitText(1250), "1.25 s");
    EXPECT_EQ(TimeToHitText(std::nullopt), "");
    const std::string expected = "Note,Average cents,Time to hit (s)\r\n"
                                 "C0,4.3,1.250\r\n"
                                 "D1,-22.4,0.040\r\n"
                                 "E0,0.0,\r\n"
                                 "D0,,\r\n";
    EXPECT_EQ(PracticeCsv(steps), expected);
    // A decimal comma locale changes nothing (C++ number formatting ignores it).
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        EXPECT_EQ(PracticeCsv(steps), expected);
        std::setlocale(LC_NUMERIC, "C");
    }
    const std::pair<std::string, std::string> fields[] = {
        {"C#0", "C#0"}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"two\r\nlines", "\"two\r\nlines\""},
        {"", ""}};
    for (const auto& [text, field] : fields) EXPECT_EQ(CsvField(text), field) << text;
}

} // namespace
} // namespace korvalin
