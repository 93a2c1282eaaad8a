// The reference drawings: what the charts hold (read from the note table, so that they agree with
// the main window), and that every drawing fills its target without leaking outside it.
#include "app/korvalin1.h"
#include "app/note_table.h"
#include "reference/chart_layout.h"
#include "reference/charts.h"
#include "reference/explainer_art.h"
#include "reference/text_pages.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <gtest/gtest.h>

#include <functional>
#include <numbers>
#include <set>

using namespace korvalin;

namespace {

std::vector<ChartNote> AllNotes(const ChartContent& c) {
    std::vector<ChartNote> notes;
    for (const ChartBand& b : c.bands) notes.insert(notes.end(), b.notes.begin(), b.notes.end());
    return notes;
}

// The fingering pictures the main window can show for a pitch: for each row of that pitch, its
// standard picture and those the variation buttons reach.
std::set<int> MainWindowPictures(int pitch) {
    std::set<int> pictures;
    for (int row = 1; row < kNoteRows; ++row) {
        if (NoteValue(row, Pitch) != pitch || row < 70 || row > 137) continue;
        const int f = NoteValue(row, Fingering), c = NoteValue(row, FingeringCount);
        for (int i = 0; i < std::max(c, 1); ++i) pictures.insert(f + i);
    }
    return pictures;
}

class ChartContentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetKorvalin1(); // the charts must build the note table themselves when it is empty
    }
};

} // namespace

TEST_F(ChartContentTest, FingeringChartRunsChromaticallyFromLowBbToTheAAboveTheStaff) {
    const ChartContent c = FingeringChartContent();
    ASSERT_EQ(c.bands.size(), 2u);
    EXPECT_EQ(c.bands[0].notes.size(), 18u);
    EXPECT_EQ(c.bands[1].notes.size(), 18u);
    EXPECT_EQ(c.staffOctaveShift, 0);
    const auto notes = AllNotes(c);
    for (size_t i = 0; i < notes.size(); ++i) EXPECT_EQ(notes[i].pitch, 58 + int(i));
    EXPECT_EQ(notes.front().label, "A#/Bb");
    EXPECT_EQ(notes.back().label, "A");
}

TEST_F(ChartContentTest, AltissimoChartRunsFromFSharpToAAndIsWrittenAnOctaveLower) {
    const ChartContent c = AltissimoChartContent();
    ASSERT_EQ(c.bands.size(), 2u);
    const auto notes = AllNotes(c);
    ASSERT_EQ(notes.size(), 16u);
    EXPECT_EQ(notes.front().pitch, 90);
    EXPECT_EQ(notes.front().label, "F#/Gb");
    EXPECT_EQ(notes.back().pitch, 105);
    EXPECT_EQ(c.staffOctaveShift, 1);
    // F# above high F is written on the top line of the staff, an octave below where it sounds.
    EXPECT_EQ(notes.front().spellings[0].step, 8);
    EXPECT_EQ(notes.front().spellings[0].accidental, 0);
    // Most altissimo notes offer three or four fingerings.
    int threeOrFour = 0;
    for (const ChartNote& n : notes) threeOrFour += n.pictures.size() >= 3;
    EXPECT_GE(threeOrFour, 12);
}

TEST_F(ChartContentTest, EveryNoteShowsExactlyTheFingeringsTheMainWindowOffers) {
    for (const ChartContent& c : {FingeringChartContent(), AltissimoChartContent()}) {
        for (const ChartNote& n : AllNotes(c)) {
            const std::set<int> expected = MainWindowPictures(n.pitch);
            EXPECT_EQ(std::set<int>(n.pictures.begin(), n.pictures.end()), expected) << "pitch " << n.pitch;
            ASSERT_FALSE(n.pictures.empty());
            // The standard fingering comes first.
            EXPECT_EQ(n.pictures.front(), *expected.begin()) << "pitch " << n.pitch;
            EXPECT_EQ(std::count(n.pictures.begin(), n.pictures.end(), 46), 0) << "blank diagram on a chart";
        }
    }
}

TEST_F(ChartContentTest, TwoAlternativesForFSharpAlthoughGFlatHasNone) {
    // The two spellings share a pitch; the chart shows the fingerings of either.
    const auto notes = AllNotes(FingeringChartContent());
    const ChartNote& fSharp = notes[66 - 58];
    EXPECT_EQ(fSharp.label, "F#/Gb");
    EXPECT_EQ(fSharp.pictures, (std::vector<int>{8, 9}));
    const ChartNote& bFlat = notes[70 - 58];
    EXPECT_EQ(bFlat.pictures, (std::vector<int>{13, 14, 15, 16}));
}

TEST_F(ChartContentTest, SpellingsSitOnTheirStaffPlaces) {
    const auto notes = AllNotes(FingeringChartContent());
    struct Expect {
        int pitch;
        std::vector<std::pair<std::string, int>> spellingSteps;
    };
    // Steps above the treble staff's bottom line E.
    for (const Expect& e : std::vector<Expect>{{58, {{"A#", -4}, {"Bb", -3}}},
                                               {60, {{"C", -2}}},
                                               {64, {{"E", 0}}},
                                               {72, {{"C", 5}}},
                                               {77, {{"F", 8}}},
                                               {78, {{"F#", 8}, {"Gb", 9}}},
                                               {93, {{"A", 17}}}}) {
        const ChartNote& n = notes[e.pitch - 58];
        ASSERT_EQ(n.spellings.size(), e.spellingSteps.size()) << e.pitch;
        for (size_t i = 0; i < n.spellings.size(); ++i) {
            EXPECT_EQ(n.spellings[i].name, e.spellingSteps[i].first) << e.pitch;
            EXPECT_EQ(n.spellings[i].step, e.spellingSteps[i].second) << e.pitch;
        }
    }
}

TEST(PlayAlong, ConcertEbToDWithWhatEachSaxophoneReads) {
    const auto rows = PlayAlongTable();
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows.front().concert, "D#/Eb");
    EXPECT_EQ(rows.front().eFlatInstrument, "C");
    EXPECT_EQ(rows.front().bFlatInstrument, "F");
    EXPECT_EQ(rows.back().concert, "D");
    EXPECT_EQ(rows.back().eFlatInstrument, "B");
    EXPECT_EQ(rows.back().bFlatInstrument, "E");
    // Concert C: alto and baritone read A, soprano and tenor D.
    EXPECT_EQ(rows[9].concert, "C");
    EXPECT_EQ(rows[9].eFlatInstrument, "A");
    EXPECT_EQ(rows[9].bFlatInstrument, "D");
    std::set<std::string> concert, eFlat, bFlat;
    for (const auto& r : rows) {
        concert.insert(r.concert);
        eFlat.insert(r.eFlatInstrument);
        bFlat.insert(r.bFlatInstrument);
    }
    EXPECT_EQ(concert.size(), 12u);
    EXPECT_EQ(eFlat.size(), 12u);
    EXPECT_EQ(bFlat.size(), 12u);
}

TEST(TranspositionGuide, WrittenCAndTheFourSoundingNotes) {
    ResetKorvalin1();
    const auto examples = TranspositionExamples();
    ASSERT_EQ(examples.size(), 4u);
    const std::vector<std::tuple<std::string, int, std::string>> expected{
        {"Soprano", 2, "Bb"}, {"Alto", 9, "Eb"}, {"Tenor", 14, "Bb"}, {"Baritone", 21, "Eb"}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(examples[i].instrument, std::get<0>(expected[i]));
        EXPECT_EQ(examples[i].semitonesBelow, std::get<1>(expected[i]));
        EXPECT_EQ(examples[i].sounding.name, std::get<2>(expected[i]));
        EXPECT_EQ(examples[i].written.name, "C");
        EXPECT_LT(examples[i].sounding.step, examples[i].written.step);
    }
    // The baritone's E-flat lies in the bass staff's range, a tenth and more below the written C.
    EXPECT_EQ(examples[3].sounding.step, -7);
}

TEST(CircleOfFifths, KeysGoCounterClockwiseWithOneMoreSharp) {
    const auto keys = CircleOfFifthsKeys();
    const std::vector<std::string> majors{"C", "G", "D", "A", "E", "B", "F#", "C#", "Ab", "Eb", "Bb", "F"};
    const std::vector<std::string> minors{"A", "E", "B", "F#", "C#", "G#", "D#", "A#", "F", "C", "G", "D"};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(keys[i].major, majors[i]);
        EXPECT_EQ(keys[i].minor, minors[i]);
        EXPECT_EQ(keys[i].clockHour, i == 0 ? 12 : 12 - i);
    }
    for (int i = 0; i < 8; ++i) EXPECT_EQ(keys[i].sharps, i);
    for (int i = 8; i < 12; ++i) EXPECT_EQ(keys[i].flats, 12 - i);
}

TEST(CircleOfFifths, SignatureAccidentalsInTheirWrittenOrder) {
    EXPECT_EQ(SignatureSteps(7, 0), (std::vector<int>{8, 5, 9, 6, 3, 7, 4}));
    EXPECT_EQ(SignatureSteps(0, 3), (std::vector<int>{4, 7, 3}));
    EXPECT_TRUE(SignatureSteps(0, 0).empty());
    EXPECT_EQ(SignatureSteps(9, 0).size(), 7u);
}

// ---- Drawings ----

namespace {

using Drawing = std::function<void(QPainter&, const QRectF&)>;

// Draws into part of an image filled with a colour no drawing uses; returns the image.
QImage DrawOnGrey(const Drawing& draw, QSize image, QRectF target) {
    QImage img(image, QImage::Format_ARGB32);
    img.fill(QColor(13, 201, 177));
    QPainter p(&img);
    p.setPen(QPen(Qt::green, 3));
    const QTransform before = p.transform();
    draw(p, target);
    // The caller's painter is handed back as it was given.
    EXPECT_EQ(p.transform(), before);
    EXPECT_EQ(p.pen().color(), QColor(Qt::green));
    EXPECT_FALSE(p.hasClipping());
    p.end();
    return img;
}

bool IsUntouched(QRgb c) { return qRed(c) == 13 && qGreen(c) == 201 && qBlue(c) == 177; }
bool IsDark(QRgb c) { return qGray(c) < 100; }
bool IsRed(QRgb c) { return qRed(c) > 170 && qGreen(c) < 80 && qBlue(c) < 80; }

int Count(const QImage& img, const QRect& area, const std::function<bool(QRgb)>& test) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += test(img.pixel(x, y));
    return n;
}

struct DrawingCase {
    const char* name;
    Drawing draw;
};

} // namespace

class ChartDrawing : public ::testing::TestWithParam<DrawingCase> {};

TEST_P(ChartDrawing, FillsItsTargetStretchedAndNothingOutside) {
    ResetKorvalin1();
    const QRect target(40, 30, 900, 420); // far wider than the page's own shape
    const QImage img = DrawOnGrey(GetParam().draw, QSize(980, 500), target);
    // Outside: untouched.
    EXPECT_EQ(Count(img, QRect(0, 0, 980, 30), [](QRgb c) { return !IsUntouched(c); }), 0);
    EXPECT_EQ(Count(img, QRect(0, 451, 980, 49), [](QRgb c) { return !IsUntouched(c); }), 0);
    EXPECT_EQ(Count(img, QRect(0, 0, 40, 500), [](QRgb c) { return !IsUntouched(c); }), 0);
    EXPECT_EQ(Count(img, QRect(941, 0, 39, 500), [](QRgb c) { return !IsUntouched(c); }), 0);
    // Inside: painted all over (no grey left), with ink in each quarter of the page.
    EXPECT_EQ(Count(img, target, IsUntouched), 0);
    for (int qx = 0; qx < 2; ++qx)
        for (int qy = 0; qy < 2; ++qy) {
            const QRect quarter(target.left() + qx * 450, target.top() + qy * 210, 450, 210);
            EXPECT_GT(Count(img, quarter, IsDark), 200) << "quarter " << qx << "," << qy;
        }
}

INSTANTIATE_TEST_SUITE_P(Reference, ChartDrawing,
                         ::testing::Values(DrawingCase{"fingering", DrawFingeringChart},
                                           DrawingCase{"altissimo", DrawAltissimoChart},
                                           DrawingCase{"circle", DrawCircleOfFifths}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChartDrawing, PressedKeysAreRedUnderBothBands) {
    ResetKorvalin1();
    for (const Drawing& draw : {Drawing(DrawFingeringChart), Drawing(DrawAltissimoChart)}) {
        const QImage img = DrawOnGrey(draw, QSize(1426, 1008), QRectF(0, 0, 1426, 1008));
        // The bands take the left three quarters of the page; diagrams lie in both halves.
        EXPECT_GT(Count(img, QRect(0, 0, 1050, 504), IsRed), 300);
        EXPECT_GT(Count(img, QRect(0, 504, 1050, 504), IsRed), 300);
    }
}

TEST(ChartDrawing, CircleSignaturesStandOutsideTheRing) {
    const QImage img = DrawOnGrey(DrawCircleOfFifths, QSize(720, 540), QRectF(0, 0, 720, 540));
    // Twelve small staves around the ring: ink at each clock hour, 214 pixels from the centre.
    for (int hour = 1; hour <= 12; ++hour) {
        const double a = (90.0 - 30.0 * hour) * std::numbers::pi / 180.0;
        const QPoint c(int(346 + 214 * std::cos(a)), int(250 - 214 * std::sin(a)));
        EXPECT_GT(Count(img, QRect(c - QPoint(30, 14), QSize(60, 28)), IsDark), 40) << "hour " << hour;
    }
}

// ---- Explainer pictures: each leader line begins on its part ----

namespace {

struct LineStart {
    bool mouthpiece;
    int view; // MouthpieceView or ReedView
    const char* part;
    QPointF twips; // the line's first point, in twips of its window
};

// The pictures sit at 120, 120 twips in their windows and are 280 x 100 on a 15-twip grid.
QPointF ToDesign(QPointF twips) { return twips / 15.0 - QPointF(8, 8); }

} // namespace

class LeaderLineStart : public ::testing::TestWithParam<LineStart> {};

TEST_P(LeaderLineStart, LiesOnItsPart) {
    const LineStart& l = GetParam();
    const QPainterPath shape = l.mouthpiece ? MouthpiecePartShape(MouthpieceView(l.view), l.part)
                                            : ReedPartShape(ReedView(l.view), l.part);
    ASSERT_FALSE(shape.isEmpty()) << l.part;
    const QPointF p = ToDesign(l.twips);
    EXPECT_TRUE(shape.contains(p)) << l.part << " at " << p.x() << "," << p.y();

    // And the picture really shows something there, not the bare background (a light gradient
    // from top to bottom).
    const QImage img = l.mouthpiece ? MouthpieceImage(MouthpieceView(l.view), QSize(280, 100))
                                    : ReedImage(ReedView(l.view), QSize(280, 100));
    const int x = std::min(279, int(p.x())), y = int(p.y());
    const QColor at = img.pixelColor(x, y);
    const double t = (y + 0.5) / 100.0;
    const QColor background(qRound(244 - 30 * t), qRound(246 - 25 * t), qRound(249 - 19 * t));
    const int difference = std::abs(at.red() - background.red()) + std::abs(at.green() - background.green()) +
                           std::abs(at.blue() - background.blue());
    EXPECT_GT(difference, 12) << l.part;
}

INSTANTIATE_TEST_SUITE_P(
    Explainers, LeaderLineStart,
    ::testing::Values(
        LineStart{true, int(MouthpieceView::Assembled), "toothplate", {840, 720}},
        LineStart{true, int(MouthpieceView::Assembled), "body", {1320, 840}},
        LineStart{true, int(MouthpieceView::Assembled), "reed", {1560, 1080}},
        LineStart{true, int(MouthpieceView::Assembled), "ligature", {1920, 480}},
        LineStart{true, int(MouthpieceView::Assembled), "tuning guide", {3600, 240}},
        LineStart{true, int(MouthpieceView::Assembled), "tuning guide", {3480, 240}},
        LineStart{true, int(MouthpieceView::Assembled), "neck cork", {3960, 720}},
        LineStart{true, int(MouthpieceView::Assembled), "neck", {4320, 480}},
        LineStart{true, int(MouthpieceView::Section), "baffle", {600, 840}},
        LineStart{true, int(MouthpieceView::Section), "facing", {720, 960}},
        LineStart{true, int(MouthpieceView::Section), "chamber", {1440, 720}},
        LineStart{true, int(MouthpieceView::Section), "throat", {2280, 720}},
        LineStart{true, int(MouthpieceView::Table), "tip rail", {480, 840}},
        LineStart{true, int(MouthpieceView::Table), "side rail", {1080, 600}},
        LineStart{true, int(MouthpieceView::Table), "window", {1200, 840}},
        LineStart{true, int(MouthpieceView::Table), "table", {2520, 840}},
        LineStart{false, int(ReedView::Top), "tip", {720, 840}},
        LineStart{false, int(ReedView::Top), "side", {840, 1080}},
        LineStart{false, int(ReedView::Top), "heart", {1080, 840}},
        LineStart{false, int(ReedView::Top), "vamp", {1560, 960}},
        LineStart{false, int(ReedView::Top), "shoulder", {2160, 960}},
        LineStart{false, int(ReedView::Top), "stock", {3240, 960}},
        LineStart{false, int(ReedView::Top), "heel", {3840, 960}},
        LineStart{false, int(ReedView::Side), "table", {3000, 1080}},
        LineStart{false, int(ReedView::Side), "rail", {1440, 1080}}),
    [](const auto& info) {
        std::string name = std::string(info.param.mouthpiece ? "Mouthpiece" : "Reed") + "_" + info.param.part + "_" +
                           std::to_string(info.index);
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

TEST(ExplainerParts, UnknownNamesHaveNoShape) {
    EXPECT_TRUE(MouthpiecePartShape(MouthpieceView::Table, "toothplate").isEmpty());
    EXPECT_TRUE(ReedPartShape(ReedView::Side, "heel").isEmpty());
}

// ---- Text pages ----

TEST(TextPages, TipsInTheirOrder) {
    const QString text = TipsPlainText();
    const QStringList expected{"Top 5 tips for saxophone students",
                               "People often ask me what are the most important things to learn",
                               "The rest will hopefully follow.",
                               "1. Practice, practice, practice",
                               "2. Relax",
                               "3. Learn to blow long notes",
                               "4. Learn to play softly",
                               "5. Enjoy yourself"};
    int from = 0;
    for (const QString& line : expected) {
        const int at = text.indexOf(line, from);
        EXPECT_GE(at, 0) << line.toStdString();
        if (at >= 0) from = at + line.size();
    }
}

TEST(TextPages, PagesAreDrawn) {
    for (const Drawing& draw : {Drawing(DrawCircleExplanation), Drawing(DrawTranspositionExample),
                                Drawing(DrawTranspositionExplanation), Drawing(DrawTips)}) {
        const QImage img = DrawOnGrey(draw, QSize(500, 400), QRectF(10, 10, 459, 326));
        EXPECT_EQ(Count(img, QRect(10, 10, 459, 326), IsUntouched), 0);
        EXPECT_GT(Count(img, QRect(10, 10, 459, 326), IsDark), 500);
        EXPECT_EQ(Count(img, QRect(0, 340, 500, 60), [](QRgb c) { return !IsUntouched(c); }), 0);
    }
}
