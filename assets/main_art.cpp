// The main window's pictures (staff, glyphs, keyboard, markers, banner), the about picture, the
// key-signature pictures of the scale window and the faces of the MIDI window, all painted in
// code. Flat colours and whole-pixel rectangles wherever a hit test relies on the drawing;
// antialiasing only for curves (clefs, accidentals, heads, faces, lettering).
#include "assets/main_art.h"

#include "app/version.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPixmap>
#include <QRadialGradient>
#include <QTransform>

#include <algorithm>
#include <array>

namespace korvalin {
namespace {

constexpr const char* kMusicFontPath = "/usr/share/fonts/truetype/noto/NotoMusic-Regular.ttf";
constexpr const char* kMusicFontFamily = "Noto Music";

bool g_forceDrawnSymbols = false;

// ---------------------------------------------------------------------------------------------
// Images

QImage NewImage(int width, int height, qreal dpr, const QColor& fill) {
    if (!(dpr > 0.0)) dpr = 1.0;
    QImage img(QSize(qRound(width * dpr), qRound(height * dpr)), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(fill);
    return img;
}

// ---------------------------------------------------------------------------------------------
// Music symbols. Every symbol is produced as a path in its own frame: x = 0 at its left edge and
// y = 0 on its reference line (the G line for the treble clef, the F line for the bass clef, the
// line or space of the note for an accidental), for a staff whose line spacing is `space`.

enum class Symbol { TrebleClef, BassClef, Sharp, Flat };

QString MusicFamily() {
    static const QString family = [] {
        QString found;
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kMusicFontPath));
        if (id >= 0) found = QFontDatabase::applicationFontFamilies(id).value(0);
        if (found.isEmpty() && QFontDatabase::hasFamily(QString::fromLatin1(kMusicFontFamily)))
            found = QString::fromLatin1(kMusicFontFamily);
        if (!found.isEmpty()) {
            // Accept the font only if it carries every symbol drawn here.
            const QFontMetricsF metrics{QFont(found)};
            for (char32_t c : {U'\U0001D11E', U'\U0001D122', U'\u266F', U'\u266D'})
                if (!metrics.inFontUcs4(c)) return QString();
        }
        return found;
    }();
    return family;
}

bool UseFont() { return !g_forceDrawnSymbols && !MusicFamily().isEmpty(); }

// The bass clef's two dots are its rightmost pieces; the F line runs midway between them. The
// font's own baseline does not put them on a line of its staff, so they are found in the outline.
qreal BassClefDotsMiddle(const QPainterPath& clef) {
    QList<QRectF> pieces;
    for (const QPolygonF& polygon : clef.toSubpathPolygons()) pieces.append(polygon.boundingRect());
    std::sort(pieces.begin(), pieces.end(), [](const QRectF& a, const QRectF& b) { return a.left() > b.left(); });
    if (pieces.size() < 3) return clef.boundingRect().top() + clef.boundingRect().height() * 0.3;
    return (pieces[0].center().y() + pieces[1].center().y()) / 2;
}

// The music font puts its baseline on the bottom line of a five-line staff and its em is four
// staff spaces, so a symbol is drawn at a pixel size of 4 spaces and moved onto its reference:
// the treble clef's curl sits one space up, on the G line.
QPainterPath FontSymbol(Symbol symbol, qreal space) {
    static constexpr std::array<char32_t, 4> kCodes = {U'\U0001D11E', U'\U0001D122', U'\u266F', U'\u266D'};
    constexpr int kDesignSize = 400; // build large, then scale: the outline stays exact
    QFont font(MusicFamily());
    font.setPixelSize(kDesignSize);
    const char32_t code = kCodes[static_cast<int>(symbol)];
    QPainterPath path;
    path.addText(0, 0, font, QString::fromUcs4(&code, 1));
    const qreal designSpace = kDesignSize / 4.0;
    const QRectF box = path.boundingRect();
    qreal reference = 0; // y of the reference line in design units
    switch (symbol) {
    case Symbol::TrebleClef: reference = -designSpace; break;          // second line up
    case Symbol::BassClef: reference = BassClefDotsMiddle(path); break; // between the dots
    case Symbol::Sharp: reference = box.center().y(); break;           // the middle of the sign
    case Symbol::Flat: reference = box.bottom() - 0.26 * box.height(); break; // middle of the bowl
    }
    QTransform t;
    t.scale(space / designSpace, space / designSpace);
    t.translate(-box.left(), -reference);
    return t.map(path);
}

// Hand-drawn stand-ins for when the music font is not installed, in the same frames.
QPainterPath DrawnSymbol(Symbol symbol, qreal s) {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    QPainterPathStroker thin;
    thin.setCapStyle(Qt::RoundCap);
    thin.setJoinStyle(Qt::RoundJoin);
    switch (symbol) {
    case Symbol::TrebleClef: {
        // One stroke: the curl round the G line, up into the top loop, down the spine to the hook.
        QPainterPath stroke;
        stroke.moveTo(1.15 * s, 0.35 * s);
        stroke.cubicTo(0.55 * s, 0.45 * s, 0.55 * s, -0.45 * s, 1.05 * s, -0.5 * s);
        stroke.cubicTo(1.9 * s, -0.5 * s, 2.0 * s, 0.85 * s, 1.1 * s, 0.95 * s);
        stroke.cubicTo(-0.1 * s, 1.0 * s, 0.0 * s, -1.1 * s, 1.0 * s, -1.9 * s);
        stroke.cubicTo(1.7 * s, -2.5 * s, 1.9 * s, -3.6 * s, 1.45 * s, -4.1 * s);
        stroke.cubicTo(1.0 * s, -3.7 * s, 0.9 * s, -3.0 * s, 1.1 * s, -2.0 * s);
        stroke.lineTo(1.45 * s, 1.7 * s);
        stroke.cubicTo(1.5 * s, 2.3 * s, 0.7 * s, 2.5 * s, 0.55 * s, 2.0 * s);
        thin.setWidth(0.22 * s);
        path = thin.createStroke(stroke);
        path.addEllipse(QPointF(0.75 * s, 1.95 * s), 0.28 * s, 0.28 * s);
        break;
    }
    case Symbol::BassClef: {
        QPainterPath stroke;
        stroke.moveTo(0.35 * s, -0.1 * s);
        stroke.cubicTo(0.4 * s, -1.2 * s, 2.4 * s, -1.3 * s, 2.3 * s, 0.2 * s);
        stroke.cubicTo(2.2 * s, 1.4 * s, 1.2 * s, 2.2 * s, 0.2 * s, 2.6 * s);
        thin.setWidth(0.25 * s);
        path = thin.createStroke(stroke);
        path.addEllipse(QPointF(0.45 * s, 0.0), 0.38 * s, 0.38 * s);
        path.addEllipse(QPointF(2.8 * s, -0.5 * s), 0.17 * s, 0.17 * s);
        path.addEllipse(QPointF(2.8 * s, 0.5 * s), 0.17 * s, 0.17 * s);
        break;
    }
    case Symbol::Sharp: {
        path.addRect(QRectF(0.28 * s, -1.45 * s, 0.11 * s, 2.8 * s));
        path.addRect(QRectF(0.72 * s, -1.35 * s, 0.11 * s, 2.8 * s));
        for (qreal y : {-0.45 * s, 0.55 * s}) {
            QPolygonF bar;
            bar << QPointF(0, y + 0.12 * s) << QPointF(1.1 * s, y - 0.2 * s)
                << QPointF(1.1 * s, y + 0.1 * s) << QPointF(0, y + 0.42 * s);
            path.addPolygon(bar);
            path.closeSubpath();
        }
        break;
    }
    case Symbol::Flat: {
        path.addRect(QRectF(0, -1.75 * s, 0.12 * s, 2.25 * s));
        QPainterPath bowl;
        bowl.moveTo(0.06 * s, 0.5 * s);
        bowl.cubicTo(0.6 * s, 0.1 * s, 1.2 * s, -0.35 * s, 0.85 * s, -0.62 * s);
        bowl.cubicTo(0.6 * s, -0.8 * s, 0.25 * s, -0.55 * s, 0.06 * s, -0.3 * s);
        bowl.lineTo(0.06 * s, -0.12 * s);
        bowl.cubicTo(0.3 * s, -0.45 * s, 0.62 * s, -0.55 * s, 0.7 * s, -0.35 * s);
        bowl.cubicTo(0.78 * s, -0.1 * s, 0.4 * s, 0.2 * s, 0.06 * s, 0.38 * s);
        bowl.closeSubpath();
        path.addPath(bowl);
        break;
    }
    }
    return path;
}

QPainterPath SymbolPath(Symbol symbol, qreal space) {
    return UseFont() ? FontSymbol(symbol, space) : DrawnSymbol(symbol, space);
}

// Fills `symbol` with its left edge at `left` and its reference line at `referenceY`.
// `widthScale` narrows it (the small pictures have little room across); `embolden` thickens the
// outline by that many pixels, so that hairlines of a sign a few pixels tall stay visible.
void DrawSymbol(QPainter& p, Symbol symbol, qreal space, qreal left, qreal referenceY,
                const QColor& colour, qreal widthScale = 1.0, qreal embolden = 0.0) {
    QTransform t;
    t.translate(left, referenceY);
    t.scale(widthScale, 1.0);
    const QPainterPath path = t.map(SymbolPath(symbol, space));
    p.fillPath(path, colour);
    if (embolden > 0) p.strokePath(path, QPen(colour, embolden, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

qreal SymbolWidth(Symbol symbol, qreal space) { return SymbolPath(symbol, space).boundingRect().width(); }

// A whole-note head: an oval with an oblique oval hole.
void DrawWholeHead(QPainter& p, const QRectF& box, const QColor& colour) {
    QPainterPath head;
    head.setFillRule(Qt::OddEvenFill);
    head.addEllipse(box);
    QPainterPath hole;
    hole.addEllipse(QPointF(0, 0), box.width() * 0.24, box.height() * 0.36);
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.rotate(-40);
    head.addPath(t.map(hole));
    p.fillPath(head, colour);
}

// A font for lettering: the first of `families` that is installed, else the default.
QFont LetteringFont(const QStringList& families, int pixelSize, bool bold, bool italic) {
    QFont font;
    for (const QString& family : families) {
        if (QFontDatabase::hasFamily(family)) {
            font.setFamily(family);
            break;
        }
    }
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont ScriptFont(int pixelSize) {
    return LetteringFont({QStringLiteral("Z003"), QStringLiteral("URW Chancery L"),
                          QStringLiteral("Noto Serif Display"), QStringLiteral("Noto Serif"),
                          QStringLiteral("DejaVu Serif")},
                         pixelSize, false, true);
}

QFont SmallFont(int pixelSize, bool bold) {
    return LetteringFont({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"),
                          QStringLiteral("Nimbus Sans")},
                         pixelSize, bold, false);
}

// Text as a filled path, left edge at x, baseline at y: sharp at any device pixel ratio.
QPainterPath TextPath(const QFont& font, const QString& text, qreal x, qreal baseline) {
    QPainterPath path;
    path.addText(x, baseline, font, text);
    return path;
}

QPainterPath CentredText(const QFont& font, const QString& text, qreal centreX, qreal baseline) {
    QPainterPath path = TextPath(font, text, 0, baseline);
    path.translate(centreX - path.boundingRect().center().x(), 0);
    return path;
}

// ---------------------------------------------------------------------------------------------
// Colours

const QColor kInk(0, 0, 0);
const QColor kPaper(255, 255, 255);
const QColor kGreyPaper(176, 176, 176);
const QColor kGreyInk(228, 228, 228);
const QColor kMiddleCYellow(255, 214, 0);
const QColor kWrittenGreen(0, 168, 0);
const QColor kSoundingRed(222, 0, 0);
const QColor kKeyFrame(28, 28, 28);
const QColor kKeySeparator(100, 100, 100);
const QColor kBlackKey(14, 14, 14);
const QColor kBlackKeyFront(44, 44, 44);
const QColor kBlackKeySplit(84, 84, 84);
const QColor kWhiteKeyFront(232, 232, 232);
const QColor kYellowKeyFront(236, 196, 0);

void DrawLedger(QPainter& p, int y, int left, int right, const QColor& ink) {
    p.fillRect(QRect(left, y, right - left + 1, 1), ink);
}

// ---------------------------------------------------------------------------------------------
// Application icon: a gold saxophone on a blue tile, painted at the size asked for.

void PaintAppIcon(QPainter& p, const QRectF& r, QIcon::Mode mode) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(r.topLeft());
    p.scale(r.width() / 64.0, r.height() / 64.0);

    QLinearGradient tile(0, 0, 0, 64);
    tile.setColorAt(0, QColor(46, 92, 178));
    tile.setColorAt(1, QColor(18, 40, 100));
    p.setPen(QPen(QColor(10, 24, 64), 1.5));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(1.5, 1.5, 61, 61), 11, 11);

    // Body of the saxophone: a tube from the neck down, round the bow and up into the bell.
    QPainterPath tube;
    tube.moveTo(25, 12);
    tube.cubicTo(25, 30, 24, 42, 27, 48);
    tube.cubicTo(30, 55, 41, 55, 43, 46);
    tube.lineTo(46, 33);
    QPainterPathStroker stroker;
    stroker.setWidth(7.5);
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    QPainterPath body = stroker.createStroke(tube);
    QPainterPath bell;
    bell.moveTo(41.5, 36);
    bell.lineTo(38, 26);
    bell.cubicTo(42, 24.5, 49, 25.5, 54, 28);
    bell.lineTo(50.5, 37.5);
    bell.closeSubpath();
    body = body.united(bell);
    // Neck and mouthpiece.
    QPainterPath neck;
    neck.moveTo(25, 13);
    neck.cubicTo(24, 8, 19, 6, 13, 8);
    QPainterPathStroker neckStroker;
    neckStroker.setWidth(4);
    neckStroker.setCapStyle(Qt::RoundCap);
    body = body.united(neckStroker.createStroke(neck));

    QLinearGradient brass(18, 0, 54, 0);
    brass.setColorAt(0, QColor(255, 226, 120));
    brass.setColorAt(0.5, QColor(232, 176, 32));
    brass.setColorAt(1, QColor(170, 112, 10));
    p.setPen(QPen(QColor(90, 56, 0), 1.1));
    p.setBrush(brass);
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 20, 0));
    p.drawEllipse(QPointF(12.5, 8.3), 2.6, 2.0); // mouthpiece
    // Key cups down the body.
    p.setBrush(QColor(255, 244, 200));
    p.setPen(QPen(QColor(110, 70, 0), 0.8));
    for (qreal y : {20.0, 27.0, 34.0, 41.0})
        p.drawEllipse(QPointF(24.6 + (y - 20) * 0.06, y), 2.2, 2.2);
    p.restore();

    if (mode == QIcon::Disabled) {
        p.save();
        p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        p.fillRect(r, QColor(200, 200, 200, 170));
        p.restore();
    }
}

class DrawnIconEngine final : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        PaintAppIcon(*painter, rect, mode);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        if (size.isEmpty()) return QPixmap();
        QImage img = NewImage(size.width(), size.height(), scale, Qt::transparent);
        QPainter p(&img);
        PaintAppIcon(p, QRectF(0, 0, size.width(), size.height()), mode);
        p.end();
        return QPixmap::fromImage(img);
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48),
                QSize(64, 64), QSize(128, 128), QSize(256, 256)};
    }
    QIconEngine* clone() const override { return new DrawnIconEngine; }
    QString key() const override { return QStringLiteral("KorvalinDrawnIcon"); }
    bool isNull() override { return false; }
};

} // namespace

// ---------------------------------------------------------------------------------------------

void ForceDrawnMusicSymbols(bool force) { g_forceDrawnSymbols = force; }
bool MusicFontAvailable() { return !MusicFamily().isEmpty(); }

std::vector<SignatureAccidental> KeySignatureAccidentals(int keyIndex) {
    // Steps above the treble staff's bottom line (E): flats B E A D G C F, sharps F C G D A E B.
    static constexpr std::array<int, 7> kFlatSteps = {4, 7, 3, 6, 2, 5, 1};
    static constexpr std::array<int, 7> kSharpSteps = {8, 5, 9, 6, 3, 7, 4};
    std::vector<SignatureAccidental> out;
    if (keyIndex >= 1 && keyIndex <= 7) {
        for (int i = 0; i < keyIndex; ++i) out.push_back({false, kFlatSteps[i]});
    } else if (keyIndex >= 8 && keyIndex <= 12) {
        for (int i = 0; i < 13 - keyIndex; ++i) out.push_back({true, kSharpSteps[i]});
    }
    return out;
}

QImage StaffPicture(bool greyed, qreal dpr) {
    const QColor paper = greyed ? kGreyPaper : kPaper;
    const QColor ink = greyed ? kGreyInk : kInk;
    constexpr int kWidth = kStaffPictureWidth;
    QImage img = NewImage(kWidth, kStaffPictureHeight, dpr, paper);
    QPainter p(&img);

    // Written and sounding ledger segments, a little wider than the 25-pixel glyphs on them. The
    // marker columns are counted from the control's left, which lies kStaffPictureInset further out.
    const int writtenLeft = kWrittenMarkerLeft - kStaffPictureInset - kLedgerOverhang;
    const int writtenRight = kWrittenMarkerLeft - kStaffPictureInset + kGlyphSize - 1 + kLedgerOverhang;
    const int soundingLeft = kSoundingMarkerLeft - kStaffPictureInset - kLedgerOverhang;
    const int soundingRight = kSoundingMarkerLeft - kStaffPictureInset + kGlyphSize - 1 + kLedgerOverhang;
    for (int line = 0; line < kStaffLineCount; ++line) {
        const int y = StaffLineY(line);
        if (IsFiveLineStaffLine(line)) {
            p.fillRect(QRect(0, y, kWidth, 1), ink);
        } else if (y == kMiddleCLineY) {
            DrawLedger(p, y, writtenLeft, soundingRight, ink); // one line across: the landmark
        } else {
            DrawLedger(p, y, writtenLeft, writtenRight, ink);
            DrawLedger(p, y, soundingLeft, soundingRight, ink);
        }
    }
    // The system line joining the two staves.
    const int top = StaffLineY(8), bottom = StaffLineY(18);
    p.fillRect(QRect(0, top, 1, bottom - top + 1), ink);

    p.setRenderHint(QPainter::Antialiasing);
    const qreal space = kStaffLineSpacing;
    DrawSymbol(p, Symbol::TrebleClef, space, 4, StaffLineY(11) + 0.5, ink); // curl on G (y = 141)
    DrawSymbol(p, Symbol::BassClef, space, 5, StaffLineY(15) + 0.5, ink);   // dots round F (y = 189)

    // Middle C's landmark dot, between the two marker columns.
    const qreal dotX = (writtenRight + soundingLeft + 1) / 2.0;
    p.setPen(QPen(greyed ? kGreyInk : QColor(120, 90, 0), 1.0));
    p.setBrush(greyed ? QColor(214, 206, 160) : kMiddleCYellow);
    p.drawEllipse(QPointF(dotX, kMiddleCLineY + 0.5), 3.5, 3.5);
    return img;
}

QImage StaffGlyph(int glyph, bool sounding, qreal dpr) {
    QImage img = NewImage(kGlyphSize, kGlyphSize, dpr, Qt::transparent);
    if (glyph < 0 || glyph > 5) return img;
    const bool onLine = glyph < 3;
    const int accidental = glyph % 3; // 0 sharp, 1 flat, 2 none
    QPainter p(&img);
    if (onLine) {
        p.fillRect(QRect(0, kGlyphHeadRow, kGlyphSize, 1), kInk);
    } else {
        p.fillRect(QRect(0, kGlyphHeadRow - 6, kGlyphSize, 1), kInk);
        p.fillRect(QRect(0, kGlyphHeadRow + 6, kGlyphSize, 1), kInk);
    }
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colour = sounding ? kSoundingRed : kWrittenGreen;
    const qreal centreY = kGlyphHeadRow + 0.5;
    // The head: 14 x 11 pixels, rows 7 to 17 round the centre row, at the right of the picture.
    DrawWholeHead(p, QRectF(10, centreY - 5.5, 14, 11), colour);
    if (accidental == 0) {
        const qreal space = 4.7;
        DrawSymbol(p, Symbol::Sharp, space, 0.8, centreY, colour, 7.6 / SymbolWidth(Symbol::Sharp, space), 0.6);
    } else if (accidental == 1) {
        const qreal space = 7.0;
        DrawSymbol(p, Symbol::Flat, space, 1.8, centreY, colour, 6.0 / SymbolWidth(Symbol::Flat, space), 0.6);
    }
    return img;
}

QImage KeyboardPicture(qreal dpr) {
    constexpr int kHeight = kKeyboardHeight;
    QImage img = NewImage(kKeyboardWidth, kHeight, dpr, kKeyFrame);
    QPainter p(&img);
    constexpr int kKeyTop = 1, kKeyBottom = kHeight - 2; // rows 1..88; row 0 and 89 are the frame
    constexpr int kFrontRows = 4;                         // a slightly shaded front edge
    constexpr int kMiddleCKey = 14;                       // the 15th white key
    for (int i = 0; i < kWhiteKeyCount; ++i) {
        const QRect key(kFirstWhiteKeyX + kWhiteKeyPitch * i, kKeyTop, kWhiteKeyPitch - 1, kKeyBottom - kKeyTop + 1);
        const bool landmark = i == kMiddleCKey;
        p.fillRect(key, landmark ? kMiddleCYellow : kPaper);
        p.fillRect(QRect(key.left(), kKeyBottom - kFrontRows + 1, key.width(), kFrontRows),
                   landmark ? kYellowKeyFront : kWhiteKeyFront);
    }
    for (int k = 0; k < kWhiteKeyCount - 1; ++k)
        p.fillRect(QRect(KeySeparatorX(k), kKeyTop, 1, kKeyBottom - kKeyTop + 1), kKeySeparator);
    constexpr int kBlackFrontRows = 5;
    for (int k = 0; k < kWhiteKeyCount - 1; ++k) {
        if (!HasBlackKeyAt(k)) continue;
        const int s = KeySeparatorX(k);
        const int left = s - kHalfBlackKeyWidth, width = 2 * kHalfBlackKeyWidth + 1;
        p.fillRect(QRect(left, kKeyTop, width, kBlackKeyBottom - kKeyTop + 1), kBlackKey);
        p.fillRect(QRect(left, kBlackKeyBottom - kBlackFrontRows + 1, width, kBlackFrontRows), kBlackKeyFront);
        // A faint line down the middle: the left half plays the sharp, the right half the flat.
        p.fillRect(QRect(s, kKeyTop, 1, kBlackKeyBottom - kKeyTop + 1), kBlackKeySplit);
    }
    return img;
}

QImage KeyMarker(bool sounding, qreal dpr) {
    return NewImage(3, 15, dpr, sounding ? kSoundingRed : kWrittenGreen);
}

QImage BannerPicture(qreal dpr) {
    constexpr int kWidth = 332, kHeight = 23;
    QImage img = NewImage(kWidth, kHeight, dpr, Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, kWidth, 0);
    ground.setColorAt(0.0, QColor(16, 34, 92));
    ground.setColorAt(0.5, QColor(40, 86, 168));
    ground.setColorAt(1.0, QColor(16, 34, 92));
    p.fillRect(QRect(0, 0, kWidth, kHeight), ground);
    // A faint staff running through the band.
    for (int i = 0; i < 5; ++i) p.fillRect(QRectF(0, 3.5 + 4 * i, kWidth, 0.6), QColor(255, 255, 255, 44));
    const QColor gold(255, 212, 70);
    p.fillRect(QRect(0, 0, kWidth, 1), gold);
    p.fillRect(QRect(0, kHeight - 1, kWidth, 1), gold);

    const QPainterPath name = CentredText(ScriptFont(20), QStringLiteral("Korvalin"), kWidth / 2.0, 17);
    p.fillPath(name.translated(1, 1), QColor(0, 0, 0, 150));
    p.fillPath(name, gold);
    // A treble clef at each end.
    const qreal space = 3.0;
    const qreal clefWidth = SymbolWidth(Symbol::TrebleClef, space);
    DrawSymbol(p, Symbol::TrebleClef, space, 8, 14.5, gold);
    DrawSymbol(p, Symbol::TrebleClef, space, kWidth - 8 - clefWidth, 14.5, gold);
    return img;
}

QImage AboutPicture(qreal dpr) {
    constexpr int kWidth = 320, kHeight = 200;
    const QColor ground(192, 192, 192), light(240, 240, 240), shadow(112, 112, 112);
    QImage img = NewImage(kWidth, kHeight, dpr, ground);
    QPainter p(&img);

    // A sunken double frame round the title panel.
    const QRect outer(14, 40, 292, 120);
    p.fillRect(outer, shadow);
    p.fillRect(outer.adjusted(1, 1, 0, 0), light);
    p.fillRect(outer.adjusted(1, 1, -1, -1), ground);
    const QRect inner = outer.adjusted(6, 6, -6, -6);
    p.fillRect(inner, light);
    p.fillRect(inner.adjusted(1, 1, 0, 0), shadow);
    QLinearGradient panel(0, inner.top(), 0, inner.bottom());
    panel.setColorAt(0, QColor(232, 236, 246));
    panel.setColorAt(1, QColor(200, 208, 228));
    const QRect face = inner.adjusted(1, 1, -1, -1);
    p.fillRect(face, panel);

    p.setRenderHint(QPainter::Antialiasing);
    // A staff behind the name, with a treble clef at its head.
    const QColor staffInk(120, 132, 170);
    const qreal space = 9;
    const qreal bottomLine = face.center().y() + 2 * space;
    for (int i = 0; i < 5; ++i) p.fillRect(QRectF(face.left() + 6, bottomLine - i * space, face.width() - 12, 1), staffInk);
    DrawSymbol(p, Symbol::TrebleClef, space, face.left() + 10, bottomLine - space + 0.5, staffInk);

    const QPainterPath name =
        CentredText(ScriptFont(62), QStringLiteral("Korvalin"), face.center().x() + 14, face.center().y() + 20);
    p.fillPath(name.translated(2, 2), QColor(60, 60, 80, 120));
    p.fillPath(name, QColor(18, 36, 104));

    const QColor text(24, 24, 24);
    p.fillPath(CentredText(SmallFont(13, true), QStringLiteral("Saxophone tutor"), kWidth / 2.0, 28), text);
    p.fillPath(CentredText(SmallFont(11, false),
                           QStringLiteral("Version " KORVALIN_VERSION "  \u2022  fingering, scales and sound"),
                           kWidth / 2.0, 182),
               text);
    return img;
}

QImage KeySignaturePicture(int keyIndex, qreal dpr) {
    constexpr int kWidth = 79;
    constexpr int kSpace = 8;
    constexpr int kBottomLine = 48; // lines at 16, 24, 32, 40, 48
    QImage img = NewImage(kWidth, 64, dpr, kPaper);
    QPainter p(&img);
    for (int i = 0; i < 5; ++i) p.fillRect(QRect(0, kBottomLine - kSpace * i, kWidth, 1), kInk);
    p.fillRect(QRect(0, kBottomLine - 4 * kSpace, 1, 4 * kSpace + 1), kInk);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal reference = kBottomLine + 0.5;
    DrawSymbol(p, Symbol::TrebleClef, kSpace, 3, reference - kSpace, kInk);
    qreal x = 3 + SymbolWidth(Symbol::TrebleClef, kSpace) + 2.5;
    for (const SignatureAccidental& a : KeySignatureAccidentals(keyIndex)) {
        const qreal y = reference - a.step * kSpace / 2.0;
        if (a.sharp) {
            const qreal space = 5.2;
            const qreal width = 8.5;
            DrawSymbol(p, Symbol::Sharp, space, x, y, kInk, width / SymbolWidth(Symbol::Sharp, space), 0.4);
            x += width + 1.5;
        } else {
            const qreal space = 7.0;
            const qreal width = 6.0;
            DrawSymbol(p, Symbol::Flat, space, x, y, kInk, width / SymbolWidth(Symbol::Flat, space), 0.4);
            x += width + 1.3;
        }
    }
    return img;
}

QImage FacePicture(bool smiling, qreal dpr) {
    QImage img = NewImage(24, 22, dpr, Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor fill = smiling ? QColor(255, 218, 0) : QColor(118, 196, 84);
    const QColor line = smiling ? QColor(110, 80, 0) : QColor(28, 80, 20);
    QRadialGradient shade(QPointF(9, 7), 15);
    shade.setColorAt(0, fill.lighter(125));
    shade.setColorAt(1, fill);
    p.setPen(QPen(line, 1.2));
    p.setBrush(shade);
    p.drawEllipse(QRectF(1.5, 1.0, 21, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(line);
    p.drawEllipse(QPointF(8.5, 8.2), 1.5, 2.0);
    p.drawEllipse(QPointF(15.5, 8.2), 1.5, 2.0);
    QPainterPath mouth;
    if (smiling) {
        mouth.moveTo(6.5, 12.8);
        mouth.quadTo(12, 19.5, 17.5, 12.8);
    } else {
        mouth.moveTo(7.0, 17.2);
        mouth.quadTo(12, 11.8, 17.0, 17.2);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(line, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(mouth);
    return img;
}

QIcon AppIcon() { return QIcon(new DrawnIconEngine); }

void DrawAppIcon(QPainter& painter, const QRectF& target) { PaintAppIcon(painter, target, QIcon::Normal); }

} // namespace korvalin
