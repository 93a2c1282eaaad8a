#include "printing/note_strip.h"

#include "app/korvalin1.h"
#include "app/note_table.h"
#include "assets/key_diagram.h"
#include "printing/scale_page.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <array>

namespace korvalin {
namespace {

// Strip geometry in twips, on the strip's own design (its width by kStripHeight). The staff, the
// name and the diagrams stand as one block in the middle of the strip's height.
constexpr qreal kStep = 80;                    // one staff step; the lines are two steps apart
constexpr qreal kHighestStep = 17;             // the top strip's A, four ledger lines above the staff
constexpr qreal kHighestNoteY = 900;
constexpr qreal kBottomLineY = kHighestNoteY + kHighestStep * kStep;
constexpr qreal kLineWidth = 14;
constexpr qreal kHeadWidth = 190;
constexpr qreal kHeadHeight = 150;
constexpr qreal kAccidentalWidth = 100;
constexpr qreal kAccidentalGap = 20;
constexpr qreal kLedgerOverhang = 40;
constexpr qreal kNameTop = kBottomLineY + 540; // below the lowest note's sharp
constexpr qreal kNameHeight = 260;
constexpr qreal kNamePixelSize = 170;
constexpr qreal kDiagramTop = kNameTop + kNameHeight + 80;
constexpr qreal kDiagramMargin = 25;

constexpr std::array<const char*, 12> kPitchNames{"C", "C#/Db", "D", "D#/Eb", "E", "F",
                                                  "F#/Gb", "G", "G#/Ab", "A", "A#/Bb", "B"};
// Staff letter of each pitch class (C = 0 ... B = 6) for its plain or sharp spelling.
constexpr std::array<int, 12> kSharpLetter{0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
constexpr std::array<bool, 12> kBlack{false, true, false, true, false, false,
                                      true, false, true, false, true, false};

qreal StepY(int step) { return kBottomLineY - step * kStep; }

bool IsNoteStrip(int strip) { return strip >= 0 && strip < kNoteStrips; }

void DrawStaffLines(QPainter& p, qreal width) {
    p.setPen(QPen(Qt::black, kLineWidth, Qt::SolidLine, Qt::FlatCap));
    for (int line = 0; line < 5; ++line) p.drawLine(QPointF(0, StepY(2 * line)), QPointF(width, StepY(2 * line)));
}

// An open (whole) note head: an outer oval less a tilted inner one.
void DrawHead(QPainter& p, QPointF centre) {
    QPainterPath head;
    head.addEllipse(centre, kHeadWidth / 2, kHeadHeight / 2);
    QPainterPath hole;
    hole.addEllipse(QPointF(0, 0), kHeadWidth * 0.24, kHeadHeight * 0.36);
    QTransform tilt;
    tilt.translate(centre.x(), centre.y());
    tilt.rotate(-35);
    p.fillPath(head.subtracted(tilt.map(hole)), Qt::black);
}

void DrawLedgers(QPainter& p, int step, qreal headCentreX) {
    p.setPen(QPen(Qt::black, kLineWidth, Qt::SolidLine, Qt::FlatCap));
    const qreal half = kHeadWidth / 2 + kLedgerOverhang;
    auto ledger = [&](int s) { p.drawLine(QPointF(headCentreX - half, StepY(s)), QPointF(headCentreX + half, StepY(s))); };
    for (int s = -2; s >= step; s -= 2) ledger(s);
    for (int s = 10; s <= step; s += 2) ledger(s);
}

void DrawSharp(QPainter& p, qreal left, qreal y) {
    const qreal w = kAccidentalWidth;
    p.setPen(QPen(Qt::black, 12, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(left + 0.32 * w, y - 170), QPointF(left + 0.32 * w, y + 190));
    p.drawLine(QPointF(left + 0.70 * w, y - 190), QPointF(left + 0.70 * w, y + 170));
    // The two bars are thick and rise to the right.
    for (qreal dy : {-60.0, 60.0}) {
        QPainterPath bar;
        bar.moveTo(left, y + dy + 24);
        bar.lineTo(left + w, y + dy - 6);
        bar.lineTo(left + w, y + dy - 42);
        bar.lineTo(left, y + dy - 12);
        bar.closeSubpath();
        p.fillPath(bar, Qt::black);
    }
}

void DrawFlat(QPainter& p, qreal left, qreal y) {
    const qreal stem = left + 12;
    p.setPen(QPen(Qt::black, 14, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(stem, y - 300), QPointF(stem, y + 70));
    QPainterPath bowl;
    bowl.moveTo(stem, y + 70);
    bowl.cubicTo(QPointF(left + 95, y + 10), QPointF(left + 110, y - 90), QPointF(stem, y - 30));
    bowl.lineTo(stem, y - 5);
    bowl.cubicTo(QPointF(left + 70, y - 55), QPointF(left + 75, y + 10), QPointF(stem, y + 45));
    bowl.closeSubpath();
    p.fillPath(bowl, Qt::black);
}

QString MusicFontFamily() {
    static const QString family = [] {
        const QString name = QStringLiteral("Noto Music");
        if (!QFontDatabase::hasFamily(name)) return QString();
        return QFontMetricsF(QFont(name)).inFontUcs4(0x1D11E) ? name : QString();
    }();
    return family;
}

// The treble clef as an outline whose curl sits on y = 0 (the G line), for a line spacing of 1.
QPainterPath TrebleClef() {
    const QString family = MusicFontFamily();
    if (!family.isEmpty()) {
        // The font's em is four staff spaces and its baseline the bottom line of the staff.
        constexpr qreal kEm = 400;
        QFont font(family);
        font.setPixelSize(int(kEm));
        const char32_t code = 0x1D11E;
        QPainterPath glyph;
        glyph.addText(0, 0, font, QString::fromUcs4(&code, 1));
        QTransform t;
        t.scale(4 / kEm, 4 / kEm);
        t.translate(-glyph.boundingRect().left(), kEm / 4);
        return t.map(glyph);
    }
    // Drawn stand-in: curl round the G line, loop above the staff, spine down to a hooked tail.
    QPainterPath stroke;
    stroke.moveTo(1.15, 0.35);
    stroke.cubicTo(0.5, 0.45, 0.5, -0.5, 1.1, -0.55);
    stroke.cubicTo(1.95, -0.5, 2.0, 0.9, 1.05, 1.0);
    stroke.cubicTo(-0.15, 1.0, -0.05, -1.1, 1.0, -1.95);
    stroke.cubicTo(1.75, -2.55, 1.9, -3.7, 1.4, -4.2);
    stroke.cubicTo(0.95, -3.8, 0.85, -3.0, 1.1, -2.0);
    stroke.lineTo(1.45, 1.75);
    stroke.cubicTo(1.5, 2.35, 0.7, 2.5, 0.55, 2.05);
    QPainterPathStroker pen;
    pen.setWidth(0.2);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    QPainterPath clef = pen.createStroke(stroke);
    clef.addEllipse(QPointF(0.75, 2.0), 0.27, 0.27);
    clef.setFillRule(Qt::WindingFill);
    return clef;
}

void DrawRowStart(QPainter& p, qreal width) {
    DrawStaffLines(p, width);
    // Bar line at the start of the staff.
    p.setPen(QPen(Qt::black, kLineWidth * 1.5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(kLineWidth, StepY(8)), QPointF(kLineWidth, StepY(0)));
    const qreal space = 2 * kStep;
    QPainterPath clef = TrebleClef();
    QTransform t;
    t.translate(0, StepY(2));
    t.scale(space, space);
    clef = t.map(clef);
    const QRectF box = clef.boundingRect();
    clef.translate((width - box.width()) / 2 - box.left() + kLineWidth / 2, 0);
    p.fillPath(clef, Qt::black);
}

void DrawNote(QPainter& p, int strip, qreal width) {
    DrawStaffLines(p, width);

    // The note on the staff, once per spelling, side by side in the middle of the strip.
    const std::vector<int> steps = StripStaffSteps(strip);
    const bool black = kBlack[std::size_t(StripPitch(strip) % 12)];
    const qreal share = kDiagramWidth / qreal(steps.size());
    const qreal start = (width - kDiagramWidth) / 2;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const qreal content = black ? kAccidentalWidth + kAccidentalGap + kHeadWidth : kHeadWidth;
        const qreal left = start + share * qreal(i) + (share - content) / 2;
        const qreal headX = left + content - kHeadWidth / 2;
        const qreal y = StepY(steps[i]);
        DrawLedgers(p, steps[i], headX);
        DrawHead(p, QPointF(headX, y));
        if (black) {
            if (i == 0) DrawSharp(p, left, y);
            else DrawFlat(p, left, y);
        }
    }

    // The name.
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(int(kNamePixelSize));
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRectF(0, kNameTop, width, kNameHeight), Qt::AlignCenter, StripNoteName(strip));

    // The key diagrams side by side, each as wide as its share and as tall as its proportions allow.
    const std::vector<int> pictures = StripFingerings(strip);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const qreal w = kDiagramWidth - 2 * kDiagramMargin;
        const qreal h = w * kKeyDiagramHeight / kKeyDiagramWidth;
        const QRectF box(kDiagramWidth * qreal(i) + kDiagramMargin, kDiagramTop, w, h);
        DrawFingeringPicture(p, box, pictures[i]);
    }
}

} // namespace

QString StripNoteName(int strip) {
    if (!IsNoteStrip(strip)) return {};
    return QString::fromLatin1(kPitchNames[std::size_t(StripPitch(strip) % 12)]);
}

std::vector<int> StripStaffSteps(int strip) {
    if (!IsNoteStrip(strip)) return {};
    const int pitch = StripPitch(strip);
    const int pc = pitch % 12;
    // Middle C (pitch 60) is two steps below the bottom line.
    const int octaveSteps = 7 * (pitch / 12 - 5) - 2;
    const int sharpStep = octaveSteps + kSharpLetter[std::size_t(pc)];
    if (!kBlack[std::size_t(pc)]) return {sharpStep};
    return {sharpStep, sharpStep + 1};
}

std::vector<int> StripFingerings(int strip) {
    if (!IsNoteStrip(strip)) return {};
    // The table is built at start-up; a picture asked for before that builds it (it never changes).
    if (NoteCell(73, Pitch).empty()) BuildNoteTable();
    int first = -1;
    for (int row = 70; row <= 120 && first < 0; ++row)
        if (NoteValue(row, Pitch) == StripPitch(strip)) first = NoteValue(row, Fingering);
    std::vector<int> pictures;
    for (int i = 0; i < StripDiagramCount(strip); ++i) pictures.push_back(first + i);
    return pictures;
}

void DrawNoteStrip(QPainter& painter, const QRectF& target, int strip) {
    const int width = StripWidth(strip);
    if (width <= 0 || target.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(target.topLeft());
    painter.scale(target.width() / width, target.height() / kStripHeight);
    painter.fillRect(QRectF(0, 0, width, kStripHeight), Qt::white);
    if (IsNoteStrip(strip)) DrawNote(painter, strip, width);
    else DrawRowStart(painter, width);
    painter.restore();
}

StripPicture::StripPicture(QWidget* parent) : QWidget(parent) {}

void StripPicture::setStrip(int strip) {
    strip_ = strip;
    if (IsNoteStrip(strip)) setAccessibleName(QStringLiteral("Note strip: %1").arg(StripNoteName(strip)));
    else if (strip >= 0) setAccessibleName(QStringLiteral("Staff with treble clef"));
    else setAccessibleName(QString());
    update();
}

void StripPicture::paintEvent(QPaintEvent*) {
    if (strip_ < 0) return;
    QPainter p(this);
    DrawNoteStrip(p, QRectF(rect()), strip_);
}

} // namespace korvalin
