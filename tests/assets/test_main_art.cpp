// The drawn pictures: sizes at several device pixel ratios, the pixel geometry that the staff
// and keyboard hit tests rely on, and what the glyphs, key signatures and faces show.
#include "assets/main_art.h"

#include "app/note_table.h"
#include "main_window/hit_test.h"

#include <QPixmap>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace korvalin {
namespace {

QColor At(const QImage& img, int x, int y) { // top-left physical pixel of logical pixel (x, y)
    return img.pixelColor(int(x * img.devicePixelRatio()), int(y * img.devicePixelRatio()));
}
int Luma(const QColor& c) { return (c.red() * 30 + c.green() * 59 + c.blue() * 11) / 100; }
bool Dark(const QColor& c) { return c.alpha() > 128 && Luma(c) < 128; }
bool PureBlack(const QColor& c) { return c.alpha() == 255 && std::max({c.red(), c.green(), c.blue()}) < 40; }
bool Coloured(const QColor& c, bool red) {
    const int r = c.red(), g = c.green(), b = c.blue();
    return c.alpha() >= 64 && (red ? (r > g + 60 && r > b + 60) : (g > r + 60 && g > b + 60));
}

// What a person sees on the keyboard under the pointer.
enum class Shade { White, Yellow, Black, Line };
Shade Classify(const QColor& c) {
    if (c.red() > 200 && c.green() > 160 && c.blue() < 120) return Shade::Yellow;
    if (std::min({c.red(), c.green(), c.blue()}) >= 200) return Shade::White;
    if (std::max({c.red(), c.green(), c.blue()}) < 64) return Shade::Black;
    return Shade::Line;
}
bool IsSeparatorColumn(int x) { return x >= 13 && x <= 493 && (x - 13) % 12 == 0; }

std::set<int> LineRows(bool fiveLineOnly) {
    std::set<int> rows;
    for (int i = 0; i < kStaffLineCount; ++i)
        if (!fiveLineOnly || IsFiveLineStaffLine(i)) rows.insert(StaffLineY(i));
    return rows;
}

class ArtTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { BuildNoteTable(); }
    void TearDown() override { ForceDrawnMusicSymbols(false); }
};

// ---- sizes -----------------------------------------------------------------------------------

const std::vector<std::tuple<std::function<QImage(qreal)>, int, int>> kPictures = {
    {[](qreal d) { return StaffPicture(false, d); }, 147, 264}, {[](qreal d) { return StaffPicture(true, d); }, 147, 264},
    {[](qreal d) { return StaffGlyph(4, true, d); }, 25, 25},   {[](qreal d) { return KeyboardPicture(d); }, 507, 90},
    {[](qreal d) { return KeyMarker(false, d); }, 3, 15},       {[](qreal d) { return BannerPicture(d); }, 332, 23},
    {[](qreal d) { return AboutPicture(d); }, 320, 200},        {[](qreal d) { return KeySignaturePicture(7, d); }, 79, 64},
    {[](qreal d) { return FacePicture(true, d); }, 24, 22},
};

class PictureSize : public ArtTest, public ::testing::WithParamInterface<std::tuple<size_t, qreal>> {};

TEST_P(PictureSize, LogicalSizeTimesRatio) {
    const auto& [index, dpr] = GetParam();
    const auto& [render, width, height] = kPictures[index];
    const QImage img = render(dpr);
    EXPECT_EQ(img.size(), QSize(qRound(width * dpr), qRound(height * dpr)));
    EXPECT_DOUBLE_EQ(img.devicePixelRatio(), dpr);
}
INSTANTIATE_TEST_SUITE_P(All, PictureSize,
                         ::testing::Combine(::testing::Range<size_t>(0, 9), ::testing::Values(1.0, 1.5, 2.0)));

// ---- staff -----------------------------------------------------------------------------------

class Staff : public ArtTest, public ::testing::WithParamInterface<qreal> {};

TEST_P(Staff, LinesOnTheirRowsLedgersOnlyUnderTheMarkersGreyTwinAlike) {
    const QImage img = StaffPicture(false, GetParam()), grey = StaffPicture(true, GetParam());
    const std::set<int> all = LineRows(false), five = LineRows(true);
    const QColor greyGround = At(grey, 140, 0);
    for (int y = 0; y < 264; ++y) {
        // Under the written (x = 60) and sounding (x = 110) glyphs every line; beside them only
        // the two five-line staves (middle C's line, with its dot, joins the two columns).
        for (int x : {60, 110}) EXPECT_EQ(Dark(At(img, x, y)), all.count(y) == 1) << x << "," << y;
        for (int x : {45, 140}) EXPECT_EQ(Dark(At(img, x, y)), five.count(y) == 1) << x << "," << y;
        for (int x : {45, 60, 110, 140}) {
            const QColor c = At(grey, x, y);
            EXPECT_EQ(c != greyGround, Dark(At(img, x, y))) << "grey twin " << x << "," << y;
            if (c != greyGround) { EXPECT_GT(Luma(c), Luma(greyGround)) << "light lines on grey"; }
        }
    }
    for (int y : five)
        for (int x = 36; x < 147; ++x) ASSERT_TRUE(Dark(At(img, x, y))) << x << "," << y;
    for (int x = 50; x < 129; ++x)
        if (std::abs(x - 89) > 4) { EXPECT_TRUE(Dark(At(img, x, kMiddleCLineY))) << x; }
    int yellow = 0;
    for (int y = 0; y < 264; ++y)
        for (int x = 0; x < 147; ++x)
            if (Classify(At(img, x, y)) == Shade::Yellow) {
                ++yellow;
                EXPECT_LE(std::hypot(x - 89, y - kMiddleCLineY), 4.5) << "yellow at " << x << "," << y;
            }
    EXPECT_GE(yellow, 12);
}
INSTANTIATE_TEST_SUITE_P(Ratios, Staff, ::testing::Values(1.0, 2.0));

// Clefs from the music font and from the drawn stand-ins.
class Clefs : public ArtTest, public ::testing::WithParamInterface<bool> {};

TEST_P(Clefs, TrebleCurlsRoundGAndBassDotsFlankF) {
    ForceDrawnMusicSymbols(GetParam());
    const QImage img = StaffPicture(false);
    const std::set<int> lines = LineRows(false);
    auto ink = [&](int x, int y) { return lines.count(y) == 0 && Dark(At(img, x, y)); };
    int top = 264, bottom = -1, left = 147, right = -1;
    for (int y = 60; y < 176; ++y)
        for (int x = 1; x < 46; ++x)
            if (ink(x, y)) top = std::min(top, y), bottom = std::max(bottom, y), left = std::min(left, x), right = std::max(right, x);
    EXPECT_LT(top, 105);  // rises above the treble staff
    EXPECT_GT(bottom, 153); // and hangs below it
    EXPECT_LT(bottom, 176);
    for (int y : {137, 145}) { // the curl crosses the rows next to the G line (141) twice
        int runs = 0;
        for (int x = left; x <= right; ++x) runs += ink(x, y) && !ink(x - 1, y);
        EXPECT_GE(runs, 2) << "row " << y;
    }
    int dots = -1; // the bass clef's rightmost ink is its pair of dots
    for (int y = 178; y < 236; ++y)
        for (int x = 1; x < 46; ++x)
            if (ink(x, y)) dots = std::max(dots, x);
    std::set<int> where; // 0: space above F (y = 189), 1: space below, 2: elsewhere
    for (int y = 178; y < 236; ++y)
        for (int x = dots - 2; x <= dots; ++x)
            if (ink(x, y)) where.insert(y > 177 && y < 189 ? 0 : y > 189 && y < 201 ? 1 : 2);
    EXPECT_EQ(where, (std::set<int>{0, 1}));
    if (!GetParam() && MusicFontAvailable()) {
        ForceDrawnMusicSymbols(true);
        EXPECT_NE(img, StaffPicture(false)) << "the font's clefs are used when it is installed";
    }
}
INSTANTIATE_TEST_SUITE_P(FontAndDrawn, Clefs, ::testing::Bool());

// ---- glyphs ----------------------------------------------------------------------------------

class Glyphs : public ArtTest, public ::testing::WithParamInterface<std::tuple<int, bool, qreal>> {};

TEST_P(Glyphs, LinesHeadAndAccidentalWhereTheyBelong) {
    const auto& [glyph, red, dpr] = GetParam();
    const QImage img = StaffGlyph(glyph, red, dpr);
    const int n = img.width();
    const std::set<int> lineRows = glyph < 3 ? std::set<int>{kGlyphHeadRow} : std::set<int>{kGlyphHeadRow - 6, kGlyphHeadRow + 6};
    std::map<int, int> black;
    double head = 0, headY = 0, headX = 0, acc = 0, accY = 0;
    int headTop = n, headBottom = -1;
    for (int py = 0; py < n; ++py)
        for (int px = 0; px < n; ++px) {
            const QColor c = img.pixelColor(px, py);
            black[int(py / dpr)] += PureBlack(c);
            EXPECT_FALSE(Coloured(c, !red)) << px << "," << py;
            if (!Coloured(c, red)) continue;
            const double x = (px + 0.5) / dpr, y = (py + 0.5) / dpr, w = c.alphaF();
            if (x >= 10) {
                head += w, headY += w * y, headX += w * x;
                headTop = std::min(headTop, int(y)), headBottom = std::max(headBottom, int(y));
            } else {
                acc += w, accY += w * y;
            }
        }
    for (const auto& [row, count] : black) EXPECT_EQ(count > 0, lineRows.count(row) == 1) << "black on row " << row;
    ASSERT_GT(head, 20 * dpr * dpr);
    EXPECT_NEAR(headY / head, kGlyphHeadRow + 0.5, 0.35); // centred on the head row
    EXPECT_NEAR(headX / head, 17, 1.0);
    EXPECT_NEAR(headTop, kGlyphHeadRow - 5, 1);
    EXPECT_NEAR(headBottom, kGlyphHeadRow + 5, 1);
    if (glyph % 3 == 2) {
        EXPECT_EQ(acc, 0.0);
    } else {
        ASSERT_GT(acc, 0.0) << "no accidental";
        EXPECT_TRUE(glyph % 3 == 0 ? std::abs(accY / acc - headY / head) < 1.2 // sharp: level with the head
                                   : accY / acc < headY / head - 1.5)           // flat: rises above it
            << accY / acc;
    }
    EXPECT_EQ(img.pixelColor(n - 1, 0).alpha(), 0);
    QImage clear(img.size(), img.format()); // no such glyph: nothing drawn
    clear.setDevicePixelRatio(dpr);
    clear.fill(Qt::transparent);
    EXPECT_EQ(StaffGlyph(glyph + 6, red, dpr), clear);
}
INSTANTIATE_TEST_SUITE_P(All, Glyphs,
                         ::testing::Combine(::testing::Range(0, 6), ::testing::Bool(), ::testing::Values(1.0, 2.0)));

// Every note drawn on the staff: its glyph, with its top at StaffY - 7 in the staff control as the
// note display puts it (the picture lies kStaffPictureInset inside the control), has its lines
// exactly on the picture's lines and its head on its line or in its space.
TEST_F(ArtTest, GlyphLinesCoincideWithStaffLinesForEveryNote) {
    const std::set<int> lines = LineRows(false);
    int checked = 0;
    for (int note = 39; note <= 140; ++note) {
        const int symbol = NoteValue(note, StaffSymbol);
        if (symbol > 5) continue;
        const int top = NoteValue(note, StaffY) - kGlyphTopAboveStaffY - kStaffPictureInset, head = top + kGlyphHeadRow;
        const QImage glyph = StaffGlyph(symbol, false);
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 25; ++x)
                if (PureBlack(glyph.pixelColor(x, y))) { ASSERT_EQ(lines.count(top + y), 1u) << note << " row " << y; }
        EXPECT_TRUE(symbol < 3 ? lines.count(head) : lines.count(head - 6) && lines.count(head + 6)) << note;
        ++checked;
    }
    EXPECT_EQ(checked, 97); // rows 39 to 135
}

// ---- keyboard --------------------------------------------------------------------------------

class Keyboard : public ArtTest, public ::testing::WithParamInterface<qreal> {};

TEST_P(Keyboard, SeparatorsBlackKeysFrameAndTheYellowMiddleC) {
    const QImage img = KeyboardPicture(GetParam());
    for (int y : {49, 60, 85}) { // below the black keys only the 41 separators break the keys
        std::vector<int> cuts;
        for (int x = 2; x <= 504; ++x)
            if (Classify(At(img, x, y)) != Shade::White && Classify(At(img, x, y)) != Shade::Yellow) cuts.push_back(x);
        std::vector<int> expected;
        for (int k = 0; k < 41; ++k) expected.push_back(KeySeparatorX(k));
        EXPECT_EQ(cuts, expected) << "y=" << y;
    }
    int blackKeys = 0;
    for (int k = 0; k < 41; ++k) {
        const int s = KeySeparatorX(k);
        if (!HasBlackKeyAt(k)) { // between E and F, B and C: the separator alone
            EXPECT_TRUE(Classify(At(img, s - 1, 20)) != Shade::Black && Classify(At(img, s + 1, 20)) != Shade::Black) << k;
            continue;
        }
        ++blackKeys;
        for (int y = 1; y <= 48; ++y)
            for (int x = s - 3; x <= s + 3; ++x) ASSERT_NE(Classify(At(img, x, y)), Shade::White) << x << "," << y;
        EXPECT_NE(Classify(At(img, s - 4, 20)), Shade::Black) << k;
        EXPECT_NE(Classify(At(img, s + 4, 20)), Shade::Black) << k;
        EXPECT_NE(Classify(At(img, s - 2, 49)), Shade::Black) << k;
    }
    EXPECT_EQ(blackKeys, 30);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 507; ++x) {
            const bool frame = x < 2 || x > 504 || y == 0 || y == 89;
            const bool yellow = x >= 170 && x <= 180 && !frame && !(x >= 178 && y <= 48); // C# over it
            ASSERT_EQ(Classify(At(img, x, y)) == Shade::Yellow, yellow) << x << "," << y;
            if (frame) { ASSERT_EQ(Classify(At(img, x, y)), Shade::Black) << x << "," << y; }
        }
}

// A click at any point of the picture (every physical pixel: half-pixel steps at ratio 2) gives
// a note of the kind drawn under it. Tolerance: separator lines and the line down the middle of
// each black key are borders that may give either neighbour; any other point may disagree with
// its own pixel only if the shade its note needs is drawn 1 logical pixel to its left or right.
// That covers the black keys' outer columns: the keys are drawn 7 pixels wide, while the hit
// test gives some of them 2 + 2 or 3 + 2 pixels of strip, leaving an edge column to the white key.
TEST_P(Keyboard, ClickGivesTheKeyDrawnUnderThePointer) {
    const qreal dpr = GetParam();
    const QImage img = KeyboardPicture(dpr);
    auto shade = [&](qreal x, qreal y) { return Classify(img.pixelColor(int(x * dpr), int(y * dpr))); };
    int slack = 0;
    for (int py = int(dpr); py < int(89 * dpr); ++py)
        for (int px = int(2 * dpr); px < int(505 * dpr); ++px) {
            const qreal x = px / dpr, y = py / dpr;
            const Shade drawn = shade(x, y);
            if (drawn == Shade::Line) {
                ASSERT_TRUE(IsSeparatorColumn(int(x))) << "stray line at " << x << "," << y;
                continue;
            }
            const int note = KeyboardNoteAt(float(x), float(y));
            const Shade wanted = IsBlackKeySpelling(note) ? Shade::Black : note == 73 ? Shade::Yellow : Shade::White;
            if (drawn == wanted) continue;
            ASSERT_TRUE(shade(x - 1, y) == wanted || shade(x + 1, y) == wanted) << x << "," << y << " note " << note;
            ++slack;
        }
    EXPECT_LE(slack, int(61 * 48 * dpr * dpr)); // at most two edge columns per black key, three at the first
}
INSTANTIATE_TEST_SUITE_P(Ratios, Keyboard, ::testing::Values(1.0, 2.0));

// Key markers placed where the note display puts them stand on their own key.
TEST_F(ArtTest, KeyMarkersStandOnTheirKeys) {
    const QImage img = KeyboardPicture();
    for (int note = 39; note <= 140; ++note) {
        const int left = NoteValue(note, KeyboardX), top = KeyMarkerHeight(note);
        const Shade key = IsBlackKeySpelling(note) ? Shade::Black : note == 73 ? Shade::Yellow : Shade::White;
        for (int y = top; y < top + 15; ++y)
            for (int x = left; x < left + 3; ++x) {
                const Shade s = Classify(At(img, x, y));
                EXPECT_TRUE(s == key || (key == Shade::Black && IsSeparatorColumn(x))) << note << " at " << x << "," << y;
            }
        EXPECT_EQ(NoteValue(KeyboardNoteAt(left + 1.5f, top + 7.5f), Pitch), NoteValue(note, Pitch)) << note;
    }
}

// ---- key signatures --------------------------------------------------------------------------

TEST_F(ArtTest, KeySignaturesInConventionalOrderAndPlaces) {
    auto step = [](const char* place) { // treble-staff steps above the bottom line, E4
        return int(std::string("CDEFGAB").find(place[0])) + 7 * (place[1] - '4') - 2;
    };
    const std::vector<std::vector<const char*>> expected = {
        {}, {"B4"}, {"B4", "E5"}, {"B4", "E5", "A4"}, {"B4", "E5", "A4", "D5"}, {"B4", "E5", "A4", "D5", "G4"},
        {"B4", "E5", "A4", "D5", "G4", "C5"}, {"B4", "E5", "A4", "D5", "G4", "C5", "F4"},
        {"F5", "C5", "G5", "D5", "A4"}, {"F5", "C5", "G5", "D5"}, {"F5", "C5", "G5"}, {"F5", "C5"}, {"F5"}};
    for (int k = 0; k <= 12; ++k) {
        const auto got = KeySignatureAccidentals(k);
        ASSERT_EQ(got.size(), expected[k].size()) << k;
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_TRUE(got[i].sharp == (k >= 8) && got[i].step == step(expected[k][i])) << k << " #" << i;
    }
    EXPECT_TRUE(KeySignatureAccidentals(13).empty());
    EXPECT_EQ(KeySignaturePicture(13), KeySignaturePicture(0));
}

class KeySignatures : public ArtTest, public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(KeySignatures, OneSignAtEachPlaceRightOfTheClef) {
    const auto& [key, drawn] = GetParam();
    ForceDrawnMusicSymbols(drawn);
    const QImage plain = KeySignaturePicture(0), img = KeySignaturePicture(key);
    const std::set<int> lines = {16, 24, 32, 40, 48};
    auto ink = [&](const QImage& im, int x, int y) { return lines.count(y) == 0 && Dark(At(im, x, y)); };
    for (int y : lines)
        for (int x = 1; x < 79; ++x) ASSERT_TRUE(Dark(At(img, x, y))) << "staff line " << y;
    int clefRight = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 1; x < 79; ++x)
            if (ink(plain, x, y)) clefRight = std::max(clefRight, x);
    ASSERT_TRUE(clefRight > 10 && clefRight < 30);
    std::vector<std::pair<int, int>> runs; // inked column runs right of the clef: one per sign
    for (int x = clefRight + 1; x < 79; ++x) {
        bool any = false;
        for (int y = 0; y < 64; ++y) any = any || ink(img, x, y);
        if (!any) continue;
        if (!runs.empty() && runs.back().second == x - 1) runs.back().second = x;
        else runs.push_back({x, x});
    }
    const auto signs = KeySignatureAccidentals(key);
    ASSERT_EQ(runs.size(), signs.size());
    for (size_t i = 0; i < runs.size(); ++i) {
        double weight = 0, sum = 0;
        for (int x = runs[i].first; x <= runs[i].second; ++x)
            for (int y = 0; y < 64; ++y)
                if (ink(img, x, y)) weight += 1, sum += y + 0.5;
        const double offset = sum / weight - (48.5 - 4.0 * signs[i].step); // from its line or space
        EXPECT_TRUE(signs[i].sharp ? std::abs(offset) < 1.5 : offset < -0.5 && offset > -5.5) << i << ": " << offset;
    }
}
INSTANTIATE_TEST_SUITE_P(All, KeySignatures, ::testing::Combine(::testing::Range(0, 13), ::testing::Bool()));

// ---- faces and icon --------------------------------------------------------------------------

TEST_F(ArtTest, SmilingYellowAndFrowningGreenFaces) {
    for (bool smiling : {true, false}) {
        const QImage img = FacePicture(smiling, 2.0);
        int yellow = 0, green = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                yellow += c.alpha() > 200 && Classify(c) == Shade::Yellow;
                green += c.alpha() > 200 && Coloured(c, false);
            }
        EXPECT_GT(smiling ? yellow : green, img.width() * img.height() / 3);
        EXPECT_EQ(smiling ? green : yellow, 0);
        auto mouth = [&](int x) { // first dark row of the mouth (rows 12..18, below the eyes)
            for (int y = 12; y < 19; ++y)
                if (Dark(At(img, x, y))) return y;
            return 99;
        };
        // A smile is lower in the middle than at its corners, a frown higher.
        if (smiling) EXPECT_GT(mouth(12), std::max(mouth(8), mouth(16)));
        else EXPECT_LT(mouth(12), std::min(mouth(8), mouth(16)));
    }
}

TEST_F(ArtTest, AppIconPaintsAtEverySize) {
    const QIcon icon = AppIcon();
    ASSERT_FALSE(icon.availableSizes().isEmpty());
    for (int size : {16, 48, 256}) {
        const QImage img = icon.pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(img.size(), QSize(size, size));
        EXPECT_EQ(img.pixelColor(0, 0).alpha(), 0) << size;                       // rounded corner
        EXPECT_EQ(img.pixelColor(size / 2, size * 9 / 10).alpha(), 255) << size;  // the tile
    }
    EXPECT_NE(icon.pixmap(32, QIcon::Normal).toImage(), icon.pixmap(32, QIcon::Disabled).toImage());
}

} // namespace
} // namespace korvalin
