// The drawn strips of the scale page: what each shows, and that it is drawn where it says.
#include "app/korvalin1.h"
#include "app/note_table.h"
#include "printing/note_strip.h"
#include "printing/scale_page.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace korvalin {
namespace {

struct StripCase {
    int strip;
    const char* name;
    std::vector<int> steps;    // staff steps above the bottom line
    std::vector<int> pictures; // fingering pictures
};

class StripContent : public ::testing::TestWithParam<StripCase> {
protected:
    void SetUp() override {
        ResetKorvalin1();
        BuildNoteTable();
    }
};

TEST_P(StripContent, ShowsTheNoteItsNamesAndItsFingerings) {
    const StripCase& c = GetParam();
    EXPECT_EQ(StripNoteName(c.strip), c.name);
    EXPECT_EQ(StripStaffSteps(c.strip), c.steps);
    EXPECT_EQ(StripFingerings(c.strip), c.pictures);
}

INSTANTIATE_TEST_SUITE_P(
    Strips, StripContent,
    ::testing::Values(StripCase{0, "A#/Bb", {-4, -3}, {0}},           // below the staff, on ledger lines
                      StripCase{2, "C", {-2}, {2}},                   // middle C
                      StripCase{6, "E", {0}, {6}},                    // bottom line
                      StripCase{8, "F#/Gb", {1, 2}, {8, 9}},          // two fingerings
                      StripCase{12, "A#/Bb", {3, 4}, {13, 14, 15, 16}}, // four fingerings
                      StripCase{26, "C", {12}, {36, 37}},
                      StripCase{32, "F#/Gb", {15, 16}, {50}},          // one printed, though four exist
                      StripCase{35, "A", {17}, {63}}),                 // the top strip
    [](const auto& info) { return "Strip" + std::to_string(info.param.strip); });

TEST(StripContentEdges, NothingOutsideTheStrips) {
    for (int s : {-1, 36, 37, 38}) {
        EXPECT_TRUE(StripNoteName(s).isEmpty());
        EXPECT_TRUE(StripStaffSteps(s).empty());
        EXPECT_TRUE(StripFingerings(s).empty());
    }
}

QImage Render(int strip, qreal pixelsPerTwip = 1 / 5.0) {
    const QSize size(qRound(StripWidth(strip) * pixelsPerTwip), qRound(kStripHeight * pixelsPerTwip));
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::red); // anything left red was not drawn over
    QPainter p(&img);
    DrawNoteStrip(p, QRectF(QPointF(0, 0), QSizeF(size)), strip);
    return img;
}

int Dark(const QImage& img, QRect area) {
    int n = 0;
    area &= img.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += qGray(img.pixel(x, y)) < 128;
    return n;
}

TEST(StripDrawing, CoversItsWholeAreaAndDrawsEachPart) {
    BuildNoteTable();
    for (int strip = 0; strip < kPageStrips; ++strip) {
        const QImage img = Render(strip);
        bool covered = true;
        for (int y = 0; y < img.height() && covered; y += 7)
            for (int x = 0; x < img.width(); x += 3) covered &= img.pixel(x, y) != qRgb(255, 0, 0);
        EXPECT_TRUE(covered) << "strip " << strip;
        // At a fifth of a pixel per twip: the staff's five lines (twips 1620 to 2260), the name
        // (2800 to 3060) and the diagrams (from 3140).
        EXPECT_GT(Dark(img, QRect(0, 320, img.width(), 140)), 20) << "strip " << strip;
        if (strip < kNoteStrips) {
            EXPECT_GT(Dark(img, QRect(0, 560, img.width(), 52)), 10) << "name of strip " << strip;
            // Every diagram has ink in its own share of the width.
            for (int d = 0; d < StripDiagramCount(strip); ++d)
                EXPECT_GT(Dark(img, QRect(d * 129, 628, 129, 180)), 10) << "diagram " << d << " of " << strip;
        }
    }
}

} // namespace
} // namespace korvalin
