// "Wait for me" in use: scale runs of the main window that wait for the student's heard notes, on
// the fixture's driven step clock; the intonation chart as drawn; the panel's list, summary line,
// CSV file and remembered settings.
#include "app/note_table.h"
#include "listen/intonation_chart.h"
#include "listen/tuning_colours.h"
#include "listen/wait_for_me_panel.h"
#include "scales/form2.h"
#include "scales/scale_catalogue.h"
#include "tests/scales/scale_fixture.h"
#include "tests/support/find_control.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace korvalin {
namespace {

constexpr int kC0 = 73, kD0 = 76, kE0 = 79;

// Records when each step of a run begins, after the panel's pacer has had its say.
struct StepSpy : PlaybackPacer {
    struct Begun {
        int note;
        qint64 ms;
        bool leadIn;
        bool silent;
    };
    void StepBegins(std::int16_t note, int, bool leadIn, StepPace& pace) override {
        begun.push_back({note, StepClockMs(), leadIn, !pace.sound});
    }
    // The `k`th step that is not part of the lead-in, or null before it begins.
    const Begun* Judged(size_t k) const {
        for (const Begun& b : begun)
            if (!b.leadIn && k-- == 0) return &b;
        return nullptr;
    }
    std::vector<Begun> begun;
};

// What the student does in a step, `delay` ms after it began: plays (a note `offset` semitones from
// the step's concert note, `cents` off, from the microphone or a MIDI input) or presses a button.
struct Act {
    size_t step;
    qint64 delay;
    int offset = 0;
    double cents = 0;
    bool midi = false;
    const char* button = nullptr;
};
Act Press(size_t step, qint64 delay, const char* button) { return {step, delay, 0, 0, false, button}; }

struct WaitForMe : ScaleFixture {
    void SetUp() override {
        ScaleFixture::SetUp();
        QSettings("Korvalin", "Korvalin").remove("listen"); // the default tolerance, unticked
        Window<Form1>().Option2_Click();
        panel = std::make_unique<WaitForMePanel>();
        panel->SetInputRunning(true);
        Find<QCheckBox>(*panel, "waitForMe")->setChecked(true);
        QObject::connect(panel.get(), &WaitForMePanel::resultsShown, [this] { ++shown; });
        AddPlaybackPacer(&spy);
    }
    void TearDown() override {
        RemovePlaybackPacer(&spy);
        panel.reset();
        ScaleFixture::TearDown();
    }
    // "Scales" with the pattern C0 D0 E0.
    Form1& ThreeNotes() {
        Form1& f = Main();
        f.Command4_Click();
        Window<Form2>().Form_DblClick();
        KORVALIN1.ScalePatterns[kUserPatternEntry] = "073076079";
        KORVALIN1.ScaleType = 0;
        KORVALIN1.ScaleKey = kUserPatternKey;
        KORVALIN1.NoteDelay = 5;
        return f;
    }
    void Do(const Act& a) {
        clock.When([this, a] { return spy.Judged(a.step) && clock.now >= spy.Judged(a.step)->ms + a.delay; },
                   [this, a] {
                       if (a.button) {
                           Find<QPushButton>(Window<Form1>(), a.button)->click();
                           return;
                       }
                       const int concert = ConcertPitchOf(spy.Judged(a.step)->note, kAlto.transposition);
                       panel->OnHeard(HeardNote{true, concert + a.offset, a.cents, a.midi, 0});
                   });
    }

    std::unique_ptr<WaitForMePanel> panel;
    StepSpy spy;
    int shown = 0;
};

struct RunCase {
    const char* name;
    bool leadIn;
    std::vector<Act> acts;
    std::vector<int> sounded;                 // the notes struck on the MIDI output, by step
    std::vector<std::string> results;         // "note reached cents time" per step
    std::string summary;
};
void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }
class PlayedRun : public WaitForMe, public ::testing::WithParamInterface<RunCase> {};

std::string Describe(const PracticeStep& s) {
    return PracticeNoteName(s.note) + (s.reached ? " reached " : " missed ") + CentsText(s.averageCents) + " " +
           (s.timeToHitMs ? std::to_string(*s.timeToHitMs) : std::string("-"));
}

TEST_P(PlayedRun, EachStepIsSilentAndAdvancesOnlyWhenPlayed) {
    const RunCase& c = GetParam();
    Form1& f = ThreeNotes();
    leadIn = c.leadIn;
    for (const Act& a : c.acts) Do(a);
    f.Command8_Click();
    EXPECT_EQ(notes->Steps(), c.sounded);
    std::vector<std::string> results;
    for (const PracticeStep& s : panel->Results()) results.push_back(Describe(s));
    EXPECT_EQ(results, c.results);
    EXPECT_EQ(shown, 1) << "the results are shown once, when the run ends";
    EXPECT_EQ(Find<QLabel>(*panel, "practiceSummary")->text().toStdString(), c.summary);
    // Every judged step was shown silently, and each began only once the one before was over:
    // played in tune (its time to hit after its start) or cut short.
    for (size_t k = 0; spy.Judged(k); ++k) {
        EXPECT_TRUE(spy.Judged(k)->silent) << k;
        const PracticeStep& s = panel->Results().at(k);
        if (spy.Judged(k + 1) && s.reached) {
            EXPECT_EQ(spy.Judged(k + 1)->ms, spy.Judged(k)->ms + *s.timeToHitMs) << k;
        }
    }
    EXPECT_EQ(PlaybackRunDepth(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Students, PlayedRun,
    ::testing::Values(
        RunCase{"EveryNotePlayedInTurn", false, {{0, 300, 0, 4}, {1, 200, 0, -22}, {2, 100, 0, 12}}, {},
                {"C0 reached +4 450", "D0 reached -22 350", "E0 reached +12 250"},
                "1 of 3 notes in tune; flattest D0, -22 cents"},
        RunCase{"MidiInput", false, {{0, 50, 0, 0, true}, {1, 50, 0, 0, true}, {2, 50, 0, 0, true}}, {},
                {"C0 reached 0 200", "D0 reached 0 200", "E0 reached 0 200"}, "3 of 3 notes in tune; none flat"},
        RunCase{"FlatBeyondToleranceWaitsUntilCorrected", false,
                {{0, 100, 0, -40}, {0, 500, 0, -5}, {1, 10}, {2, 10}}, {},
                {"C0 reached -23 650", "D0 reached 0 160", "E0 reached 0 160"},
                "2 of 3 notes in tune; flattest C0, -23 cents"},
        RunCase{"WrongOctaveThenNextNote", false, {{0, 100, 12}, Press(0, 800, "Command11"), {1, 10}, {2, 10}}, {},
                {"C0 missed  -", "D0 reached 0 160", "E0 reached 0 160"}, "2 of 3 notes in tune; none flat"},
        RunCase{"StopCutsTheRunShort", false, {{0, 10}, {1, 100, 0, -8}, Press(1, 120, "Command7")}, {},
                {"C0 reached 0 160", "D0 missed -8 -"}, "1 of 2 notes in tune; flattest D0, -8 cents"},
        RunCase{"EndLeavesTheRun", false, {{0, 10}, Press(1, 120, "Command10")}, {},
                {"C0 reached 0 160", "D0 missed  -"}, "1 of 2 notes in tune; none flat"},
        RunCase{"LeadInSoundsAndIsNotJudged", true, {{0, 10}, {1, 10}, {2, 10, 0, 3}}, {kC0, kC0, kC0},
                {"C0 reached 0 160", "D0 reached 0 160", "E0 reached +3 160"}, "3 of 3 notes in tune; none flat"}),
    [](const auto& info) { return std::string(info.param.name); });

// Unticked, or with no input running, a run is paced as without the panel: sounded, NoteDelay apart.
TEST_F(WaitForMe, WithoutTheBoxOrAnInputTheRunIsAsUsual) {
    for (int way = 0; way < 2; ++way) {
        Form1& f = ThreeNotes();
        Find<QCheckBox>(*panel, "waitForMe")->setChecked(way == 1);
        panel->SetInputRunning(way == 0);
        f.Command8_Click();
        EXPECT_EQ(notes->Steps(), (std::vector<int>{kC0, kD0, kE0})) << way;
        EXPECT_EQ(shown, 0) << way;
    }
}

// Bars on a rendered chart: sharp ones above the zero line, flat ones below, green when in tune as
// the summary counts it (reached, within ±10 cents) and red otherwise; nothing where a note was never
// heard; bars side by side for 8 to 100 notes.
TEST(IntonationChartPicture, BarsGoUpForSharpDownForFlatColouredByTheZone) {
    const std::vector<std::optional<double>> cents = {20, -5, 3, -30, std::nullopt, 0, 10.4, -10.6};
    for (int count : {8, 40, 100}) {
        std::vector<PracticeStep> steps;
        // The third of every eight, +3 cents, is never reached.
        for (int i = 0; i < count; ++i) steps.push_back({kC0 + i % 5, i % 8 != 2, cents[std::size_t(i) % cents.size()], 100});
        IntonationChart chart;
        chart.resize(640, 240);
        chart.SetSteps(steps);
        const QImage image = chart.grab().toImage();
        const int zero = chart.ZeroY();
        for (int i = 0; i < count; ++i) {
            const auto& c = cents[std::size_t(i) % cents.size()];
            const QRect bar = chart.BarRect(i);
            SCOPED_TRACE(testing::Message() << count << " notes, bar " << i);
            if (!c) {
                EXPECT_TRUE(bar.isEmpty());
                continue;
            }
            ASSERT_FALSE(bar.isEmpty());
            const bool sharp = *c >= 0; // a note exactly in tune shows as a sliver above zero
            if (sharp) {
                EXPECT_LE(bar.bottom(), zero - 1);
            } else {
                EXPECT_GE(bar.top(), zero);
            }
            const QColor expected = std::abs(std::round(*c)) <= 10 && i % 8 != 2 ? InTuneColour()
                                                                     : OutOfTuneColour();
            EXPECT_EQ(image.pixel(bar.center()), expected.rgb());
            // The other side of the zero line, as far away, is not the bar's colour.
            const QPoint mirror(bar.center().x(), 2 * zero - bar.center().y());
            EXPECT_NE(image.pixel(mirror), expected.rgb());
            if (i > 0 && !chart.BarRect(i - 1).isEmpty()) {
                EXPECT_LT(chart.BarRect(i - 1).right(), bar.left());
            }
        }
        EXPECT_TRUE(chart.accessibleDescription().contains("C0 +20 cents, out of tune")) << count;
        EXPECT_TRUE(chart.accessibleDescription().contains("+3 cents, not reached")) << count;
    }
}

// The panel after a run: the list and summary as played, the CSV written to the file chosen, and a
// file that cannot be written reported, never taken for saved.
TEST_F(WaitForMe, ListSummaryAndCsvFile) {
    const std::vector<PracticeStep> steps = {{kC0, true, 4.2, 450}, {kD0, false, -31.0, {}}, {kE0, false, {}, {}}};
    panel->ShowResults(steps);
    auto* list = Find<QTreeWidget>(*panel, "practiceList");
    ASSERT_EQ(list->topLevelItemCount(), 3);
    const char* rows[3][3] = {{"C0", "+4", "0.45 s"}, {"D0", "-31", "not reached"}, {"E0", "not played", "not reached"}};
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col) EXPECT_EQ(list->topLevelItem(r)->text(col).toStdString(), rows[r][col]);
    EXPECT_EQ(Find<QLabel>(*panel, "practiceSummary")->text(), "1 of 3 notes in tune; flattest D0, -31 cents");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(Find<QLabel>(*panel, "practiceSummary"))->text(QAccessible::Name),
              "Summary: 1 of 3 notes in tune; flattest D0, -31 cents");

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.csv"));
    struct SaveCase {
        QString answer;     // what the file chooser answers
        QString written;    // the file that must then hold the list; empty: none
        bool warned;
    };
    const SaveCase cases[] = {
        {dir.filePath("run.csv"), dir.filePath("run.csv"), false},
        {dir.filePath("plain"), dir.filePath("plain.csv"), false},
        {QString(), QString(), false},                                    // cancelled
        {dir.filePath("no/such/folder/run.csv"), QString(), true},        // cannot be written
        {dir.filePath("taken.csv"), QString(), true},                     // a folder of that name
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        prompts->messages.clear();
        prompts->files = {c.answer};
        Find<QPushButton>(*panel, "saveCsv")->click();
        if (!c.written.isEmpty()) {
            QFile file(c.written);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll().toStdString(), PracticeCsv(steps));
        }
        ASSERT_EQ(prompts->messages.size(), c.warned ? 1u : 0u);
        if (c.warned) {
            EXPECT_EQ(prompts->messages[0].title, "Save as CSV");
            EXPECT_TRUE(prompts->messages[0].text.startsWith("The list could not be saved to"));
            EXPECT_EQ(prompts->messages[0].icon, QMessageBox::Warning);
        }
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("no/such/folder/run.csv")));
}

TEST_F(WaitForMe, TickAndToleranceAreRemembered) {
    struct Choice {
        bool ticked;
        int tolerance;
        int kept; // what the spin box holds after it is set
    };
    for (const Choice& c : {Choice{false, 12, 12}, Choice{true, 40, 40}, Choice{true, 80, 50}}) {
        // Ticked and unticked as switch access and voice control do it.
        if (Find<QCheckBox>(*panel, "waitForMe")->isChecked() != c.ticked)
            QAccessible::queryAccessibleInterface(Find<QCheckBox>(*panel, "waitForMe"))->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        Find<QSpinBox>(*panel, "tolerance")->setValue(c.tolerance);
        panel = std::make_unique<WaitForMePanel>();
        EXPECT_EQ(Find<QCheckBox>(*panel, "waitForMe")->isChecked(), c.ticked);
        EXPECT_EQ(Find<QSpinBox>(*panel, "tolerance")->value(), c.kept);
        EXPECT_EQ(panel->Pacer().ToleranceCents(), c.kept);
    }
    QSettings("Korvalin", "Korvalin").remove("listen");
}

} // namespace
} // namespace korvalin
