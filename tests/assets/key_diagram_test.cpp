// The drawn key diagram and the fingering picture's words, read back from pixels and through the
// accessibility interface a screen reader uses.
#include "assets/key_diagram.h"

#include <QAccessible>
#include <QLabel>
#include <QPixmap>
#include <gtest/gtest.h>

using namespace korvalin;

namespace {

// Keys drawn without a letter on them, so their centre shows the key's own fill.
const SaxKey kPlainKeys[] = {SaxKey::Octave, SaxKey::Lh1, SaxKey::Bis, SaxKey::Lh2, SaxKey::Lh3,
                             SaxKey::Rh1,    SaxKey::Rh2, SaxKey::Rh3, SaxKey::AltFSharp};

int GreyAt(const QImage& img, const QRectF& box, SaxKey key) {
    const QPointF logical = KeyDiagramToBox(box, KeyDiagramKeyRect(key).center());
    const QPoint device = (logical * img.devicePixelRatio()).toPoint();
    return qGray(img.pixel(device));
}

struct Size {
    int w, h;
    qreal dpr;
};

class RenderedPictures : public ::testing::TestWithParam<Size> {};

// Every picture, at every size: a plain key is dark exactly when the data file presses it.
TEST_P(RenderedPictures, PressedKeysAreFilledOpenKeysAreNot) {
    const Size s = GetParam();
    const QRectF box(0, 0, s.w, s.h);
    for (int p = 0; p < kFingeringPictureCount; ++p) {
        const QImage img = FingeringImage(p, QSize(s.w, s.h), s.dpr);
        ASSERT_EQ(img.size(), QSize(qRound(s.w * s.dpr), qRound(s.h * s.dpr)));
        const FingeringEntry* e = Fingerings().Find(p);
        ASSERT_NE(e, nullptr);
        for (SaxKey k : kPlainKeys) {
            // A key a few device pixels across is mostly outline: only larger ones are sampled.
            const qreal scale = std::min(s.w / kKeyDiagramWidth, s.h / kKeyDiagramHeight) * s.dpr;
            if (KeyDiagramKeyRect(k).width() * scale < 5) continue;
            const int grey = GreyAt(img, box, k);
            if (e->Presses(k)) {
                EXPECT_LT(grey, 90) << "picture " << p << " key " << KeyName(k);
            } else {
                EXPECT_GT(grey, 200) << "picture " << p << " key " << KeyName(k);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, RenderedPictures,
                         ::testing::Values(Size{162, 240, 1.0}, Size{324, 480, 1.0}, Size{162, 240, 2.0},
                                           Size{120, 120, 1.0}, Size{400, 240, 1.0}));

TEST(KeyDiagram, NoFingeringPictureIsGreyedWithNothingPressed) {
    const QImage img = FingeringImage(kBlankFingeringPicture);
    int darkest = 255;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) darkest = std::min(darkest, qGray(img.pixel(x, y)));
    EXPECT_GT(darkest, 150);
    // Outside the set the same greyed diagram is drawn rather than nothing.
    EXPECT_EQ(FingeringImage(-1), img);
    EXPECT_EQ(FingeringImage(kFingeringPictureCount), img);
    EXPECT_NE(FingeringImage(20), img); // C#5, all keys open, is drawn in full strength
}

TEST(KeyDiagram, DrawsKeyListsByNameInTheGivenColour) {
    QImage img(162, 240, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter p(&img);
    KeyDiagramStyle style;
    style.pressed = QColor(200, 0, 0);
    DrawKeyDiagram(p, QRectF(0, 0, 162, 240), {"lh2", "no-such-key"}, style);
    p.end();
    auto at = [&](SaxKey k) { return img.pixelColor(KeyDiagramKeyRect(k).center().toPoint()); };
    EXPECT_EQ(at(SaxKey::Lh2), QColor(200, 0, 0));
    EXPECT_EQ(at(SaxKey::Lh1), QColor(Qt::white));
}

TEST(KeyDiagram, LayoutPlayersKnow) {
    const auto r = [](SaxKey k) { return KeyDiagramKeyRect(k); };
    const QRectF grid(0, 0, kKeyDiagramWidth, kKeyDiagramHeight);
    for (int i = 0; i < kSaxKeyCount; ++i) {
        const QRectF a = r(SaxKey(i));
        EXPECT_TRUE(grid.contains(a)) << KeyName(SaxKey(i));
        for (int j = i + 1; j < kSaxKeyCount; ++j)
            EXPECT_FALSE(a.intersects(r(SaxKey(j)))) << KeyName(SaxKey(i)) << " overlaps " << KeyName(SaxKey(j));
        if (SaxKey(i) != SaxKey::Octave) {
            EXPECT_LT(r(SaxKey::Octave).top(), a.top()) << KeyName(SaxKey(i));
        }
    }
    // One column of six main keys, left hand above right hand, a wider gap between the hands.
    const SaxKey column[] = {SaxKey::Lh1, SaxKey::Lh2, SaxKey::Lh3, SaxKey::Rh1, SaxKey::Rh2, SaxKey::Rh3};
    for (int i = 1; i < 6; ++i) {
        EXPECT_DOUBLE_EQ(r(column[i]).center().x(), r(column[0]).center().x());
        EXPECT_GT(r(column[i]).top(), r(column[i - 1]).bottom());
    }
    const qreal withinHand = r(SaxKey::Lh3).center().y() - r(SaxKey::Lh2).center().y();
    EXPECT_GT(r(SaxKey::Rh1).center().y() - r(SaxKey::Lh3).center().y(), withinHand * 1.2);
    // Front F straight above the first finger; palm keys and the left table on the left hand's
    // side, side keys and the right table on the right hand's side, each beside its own hand.
    EXPECT_DOUBLE_EQ(r(SaxKey::FrontF).center().x(), r(SaxKey::Lh1).center().x());
    EXPECT_LT(r(SaxKey::FrontF).bottom(), r(SaxKey::Lh1).top());
    const qreal x = r(SaxKey::Lh1).center().x();
    const auto beside = [&](SaxKey k, bool left, SaxKey from, SaxKey to) {
        EXPECT_EQ(r(k).center().x() < x, left) << KeyName(k);
        EXPECT_GE(r(k).center().y(), r(from).top()) << KeyName(k);
        EXPECT_LE(r(k).center().y(), r(to).bottom()) << KeyName(k);
    };
    for (SaxKey k : {SaxKey::PalmD, SaxKey::PalmEb, SaxKey::PalmF}) beside(k, true, SaxKey::FrontF, SaxKey::Lh2);
    for (SaxKey k : {SaxKey::GSharp, SaxKey::LowCSharp, SaxKey::LowB, SaxKey::LowBb})
        beside(k, true, SaxKey::Lh2, SaxKey::Rh1);
    for (SaxKey k : {SaxKey::HighE, SaxKey::SideC, SaxKey::SideBb, SaxKey::HighFSharp})
        beside(k, false, SaxKey::Rh1, SaxKey::Rh3);
    for (SaxKey k : {SaxKey::LowEb, SaxKey::LowC}) beside(k, false, SaxKey::Rh3, SaxKey::LowC);
}

// What a screen reader reads for the picture the main window shows, with V1..V4 of Bb1 (the
// player's written Bb4), named as the main window names notes.
struct Spoken {
    int picture;
    const char* name;
    const char* description;
};

class FingeringWords : public ::testing::TestWithParam<Spoken> {};

TEST_P(FingeringWords, ReadThroughTheAccessibilityInterface) {
    const Spoken& s = GetParam();
    QLabel label;
    label.setPixmap(QPixmap::fromImage(FingeringImage(s.picture)));
    label.setAccessibleName(FingeringAccessibleName(s.picture));
    label.setAccessibleDescription(FingeringAccessibleDescription(s.picture));
    label.setToolTip(FingeringToolTip(s.picture));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&label);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->text(QAccessible::Name), QString::fromUtf8(s.name));
    EXPECT_EQ(iface->text(QAccessible::Description), QString::fromUtf8(s.description));
    EXPECT_EQ(label.toolTip(), QString::fromUtf8(s.name) + '\n' + QString::fromUtf8(s.description));
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, FingeringWords,
    ::testing::Values(Spoken{13, "Fingering: Bb1, bis", "pressed: lh1, bis"},
                      Spoken{14, "Fingering: Bb1, 1 and 1", "pressed: lh1, rh1"},
                      Spoken{15, "Fingering: Bb1, side Bb", "pressed: lh1, lh2, side-bb"},
                      Spoken{16, "Fingering: Bb1, 1 and 2", "pressed: lh1, rh2"},
                      Spoken{44, "Fingering: F2, front F", "pressed: octave, front-f, lh2"},
                      Spoken{98, "Fingering: A4, altissimo 1",
                             "pressed: octave, palm-d, lh2, lh3, rh3, low-eb"},
                      Spoken{46, "Fingering: none for this note", "pressed: none"}));

TEST(FingeringWords, CaptionsForChartsAndSheets) {
    EXPECT_EQ(FingeringCaption(13), QStringLiteral("Bb4 bis"));
    EXPECT_EQ(FingeringCaption(46), QStringLiteral("no fingering"));
    EXPECT_EQ(FingeringAccessibleName(-5), QStringLiteral("Fingering: none for this note"));
}

} // namespace
