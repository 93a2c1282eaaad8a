#include "reference/music_drawing.h"

#include "reference/chart_layout.h"

#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <QTransform>

namespace korvalin {
namespace {

const char* const kMusicFontFile = "/usr/share/fonts/truetype/noto/NotoMusic-Regular.ttf";
const char* const kMusicFamily = "Noto Music";

constexpr char32_t kTrebleClef = 0x1D11E;
constexpr char32_t kBassClef = 0x1D122;
constexpr char32_t kFlatSign = 0x266D;
constexpr char32_t kSharpSign = 0x266F;

QString MusicFamily() {
    static const QString family = [] {
        if (QFontDatabase::families().contains(kMusicFamily)) return QString(kMusicFamily);
        const int id = QFontDatabase::addApplicationFont(kMusicFontFile);
        const QStringList loaded = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
        return loaded.isEmpty() ? QString() : loaded.first();
    }();
    return family;
}

// The outline of one music glyph, or an empty path when the font lacks it.
QPainterPath GlyphPath(char32_t codePoint) {
    const QString family = MusicFamily();
    if (family.isEmpty()) return {};
    QFont font(family);
    font.setPixelSize(100);
    QPainterPath path;
    path.addText(0, 0, font, QString::fromUcs4(&codePoint, 1));
    return path;
}

// Draws `glyph` scaled so that its outline spans `top` to `bottom`, its left edge at `left`.
bool FillGlyph(QPainter& p, char32_t codePoint, double left, double top, double bottom, const QColor& colour) {
    const QPainterPath glyph = GlyphPath(codePoint);
    const QRectF box = glyph.boundingRect();
    if (glyph.isEmpty() || box.height() <= 0) return false;
    const double scale = (bottom - top) / box.height();
    QTransform t;
    t.translate(left, top);
    t.scale(scale, scale);
    t.translate(-box.left(), -box.top());
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(t.map(glyph));
    p.restore();
    return true;
}

void DrawnSharp(QPainter& p, double x, double y, double s, const QColor& colour) {
    p.save();
    p.setPen(QPen(colour, s * 0.12, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(x + 0.35 * s, y - 1.3 * s), QPointF(x + 0.35 * s, y + 1.2 * s));
    p.drawLine(QPointF(x + 0.75 * s, y - 1.4 * s), QPointF(x + 0.75 * s, y + 1.1 * s));
    p.setPen(QPen(colour, s * 0.3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(x + 0.1 * s, y - 0.3 * s), QPointF(x + s, y - 0.6 * s));
    p.drawLine(QPointF(x + 0.1 * s, y + 0.5 * s), QPointF(x + s, y + 0.2 * s));
    p.restore();
}

void DrawnFlat(QPainter& p, double x, double y, double s, const QColor& colour) {
    p.save();
    p.setPen(QPen(colour, s * 0.14, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(x + 0.2 * s, y - 1.7 * s), QPointF(x + 0.2 * s, y + 0.6 * s));
    QPainterPath bowl;
    bowl.moveTo(x + 0.2 * s, y + 0.6 * s);
    bowl.cubicTo(x + 1.0 * s, y + 0.1 * s, x + 1.0 * s, y - 0.7 * s, x + 0.2 * s, y - 0.2 * s);
    p.setBrush(Qt::NoBrush);
    p.drawPath(bowl);
    p.restore();
}

void DrawnClef(QPainter& p, const Staff& staff, double x, bool treble) {
    QFont font("serif");
    font.setBold(true);
    font.setPixelSize(qMax(1, int(staff.space * (treble ? 4.5 : 3.5))));
    p.save();
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPointF(x, treble ? staff.Y(-1) : staff.Y(2.5)), treble ? "G" : "F");
    p.restore();
}

} // namespace

bool MusicGlyphsAvailable() { return !GlyphPath(kTrebleClef).isEmpty(); }

void DrawStaffLines(QPainter& p, const Staff& staff, const QColor& colour) {
    p.save();
    p.setPen(QPen(colour, staff.space * 0.1));
    for (int line = 0; line < 5; ++line) {
        const double y = staff.Y(2 * line);
        p.drawLine(QPointF(staff.left, y), QPointF(staff.right, y));
    }
    p.restore();
}

void DrawTrebleClef(QPainter& p, const Staff& staff, double x) {
    if (!FillGlyph(p, kTrebleClef, x, staff.Y(10.8), staff.Y(-3.3), Qt::black)) DrawnClef(p, staff, x, true);
}

void DrawBassClef(QPainter& p, const Staff& staff, double x) {
    if (!FillGlyph(p, kBassClef, x, staff.Y(8.1), staff.Y(0.9), Qt::black)) DrawnClef(p, staff, x, false);
}

void DrawAccidental(QPainter& p, const Staff& staff, double x, double step, int accidental, const QColor& colour) {
    const double s = staff.space;
    const double y = staff.Y(step);
    if (accidental == 0) {
        if (!FillGlyph(p, kSharpSign, x, y - 1.25 * s, y + 1.25 * s, colour)) DrawnSharp(p, x, y, s, colour);
    } else if (accidental == 1) {
        if (!FillGlyph(p, kFlatSign, x, y - 1.5 * s, y + 0.55 * s, colour)) DrawnFlat(p, x, y, s, colour);
    }
}

void DrawWholeNote(QPainter& p, const Staff& staff, double x, int step, int accidental, const QColor& colour) {
    const double s = staff.space;
    p.save();
    // Ledger lines below and above the staff.
    p.setPen(QPen(colour == QColor(Qt::black) ? colour : colour.darker(130), s * 0.12));
    for (int ledger = -2; ledger >= step; ledger -= 2)
        p.drawLine(QPointF(x - 1.1 * s, staff.Y(ledger)), QPointF(x + 1.1 * s, staff.Y(ledger)));
    for (int ledger = 10; ledger <= step; ledger += 2)
        p.drawLine(QPointF(x - 1.1 * s, staff.Y(ledger)), QPointF(x + 1.1 * s, staff.Y(ledger)));

    // The head: an oval with a tilted hole.
    const QPointF centre(x, staff.Y(step));
    QPainterPath head;
    head.setFillRule(Qt::OddEvenFill);
    head.addEllipse(centre, 0.78 * s, 0.52 * s);
    QPainterPath hole;
    hole.addEllipse(QPointF(0, 0), 0.42 * s, 0.26 * s);
    QTransform tilt;
    tilt.translate(centre.x(), centre.y());
    tilt.rotate(-40);
    head.addPath(tilt.map(hole));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(head);
    p.restore();

    if (accidental == 0 || accidental == 1)
        DrawAccidental(p, staff, x - 0.85 * s - kAccidentalWidth * s, step, accidental, colour);
}

double DrawKeySignature(QPainter& p, const Staff& staff, double x, int sharps, int flats) {
    const std::vector<int> steps = SignatureSteps(sharps, flats);
    for (int step : steps) {
        DrawAccidental(p, staff, x, step, sharps > 0 ? 0 : 1);
        x += 1.05 * staff.space;
    }
    return x;
}

} // namespace korvalin
