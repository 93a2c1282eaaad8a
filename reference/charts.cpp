#include "reference/charts.h"

#include "assets/key_diagram.h"
#include "reference/chart_layout.h"
#include "reference/music_drawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvalin {
namespace {

// Page of the two fingering charts, in chart units (576 to the inch).
constexpr double kPageWidth = 14256;
constexpr double kPageHeight = 10080;
constexpr double kMargin = 220;
constexpr double kMainRight = 10560;  // the bands end here, the side panels begin after a gap
constexpr double kPanelLeft = 10780;
constexpr double kTitleBottom = 760;
constexpr double kStaffSpace = 120;
constexpr double kLabelHeight = 300;
constexpr double kDiagramGap = 40;
constexpr double kBandGap = 140;

// The circle of fifths' own picture size, in pixels.
constexpr double kCircleWidth = 720;
constexpr double kCircleHeight = 540;

const QColor kPressedKeys(215, 0, 0);
const QColor kPanelFill(244, 246, 250);
const QColor kPanelBorder(150, 160, 180);
const QColor kInk(25, 25, 25);

// One colour per saxophone in the transposition guide (red stays for pressed keys).
const std::array<QColor, 4> kInstrumentColours{QColor(20, 90, 200), QColor(0, 135, 70), QColor(215, 110, 0),
                                               QColor(135, 40, 160)};

QFont TextFont(double pixels, bool bold = false, bool italic = false) {
    QFont f("DejaVu Sans");
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(std::max(1, int(std::lround(pixels))));
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

// "A#/Bb" written with the music signs.
QString Pretty(const std::string& name) {
    QString out;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '#') out += QChar(0x266F);
        else if (c == 'b' && i > 0 && name[i - 1] != '/') out += QChar(0x266D);
        else out += QChar(c);
    }
    return out;
}

// The part of a key diagram's design grid that its keys cover, with a little room around them.
QRectF DiagramKeyArea() {
    static const QRectF area = [] {
        QRectF keys;
        for (int k = 0; k < kSaxKeyCount; ++k) keys |= KeyDiagramKeyRect(SaxKey(k));
        if (keys.isEmpty()) keys = QRectF(0, 0, kKeyDiagramWidth, kKeyDiagramHeight);
        return keys.adjusted(-4, -4, 4, 4);
    }();
    return area;
}

double DiagramAspect() {
    const QRectF keys = DiagramKeyArea();
    return keys.width() / keys.height();
}

// The variant's name for the caption under an alternative fingering ("bis", "side C").
QString VariantName(int picture) {
    const QString caption = FingeringCaption(picture);
    const int space = caption.indexOf(' ');
    return space < 0 ? caption : caption.mid(space + 1);
}

// Maps the chart's own units onto the target and back to the caller's painter.
class Canvas {
public:
    Canvas(QPainter& p, const QRectF& target, double width, double height) : p_(p) {
        p_.save();
        base_ = p_.transform();
        local_.translate(target.left(), target.top());
        local_.scale(target.width() / width, target.height() / height);
        p_.setClipRect(target, Qt::IntersectClip);
        p_.fillRect(target, Qt::white);
        p_.setTransform(local_, true);
        p_.setRenderHint(QPainter::Antialiasing);
        p_.setRenderHint(QPainter::TextAntialiasing);
    }
    ~Canvas() { p_.restore(); }

    QPainter& painter() { return p_; }

    // A key diagram is drawn in the caller's units so that its lines keep their intended weight;
    // its keys (not the empty margin of its design grid) fill `box`.
    void Diagram(const QRectF& box, int picture) {
        const QRectF keys = DiagramKeyArea();
        const double scale = std::min(box.width() / keys.width(), box.height() / keys.height());
        const QPointF origin = box.center() - keys.center() * scale;
        const QRectF grid(origin, QSizeF(kKeyDiagramWidth * scale, kKeyDiagramHeight * scale));
        p_.save();
        p_.setTransform(base_);
        DrawFingeringPicture(p_, local_.mapRect(grid), picture, kPressedKeys);
        p_.restore();
    }

private:
    QPainter& p_;
    QTransform base_;
    QTransform local_;
};

void Text(QPainter& p, const QRectF& box, int flags, const QString& text, const QFont& font,
          const QColor& colour = kInk) {
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, flags, text);
    p.restore();
}

// One line of text made smaller, if need be, to fit the width of `box`.
void FittedText(QPainter& p, const QRectF& box, int flags, const QString& text, QFont font,
                const QColor& colour = kInk) {
    const double width = QFontMetricsF(font).horizontalAdvance(text);
    if (width > box.width() && width > 0)
        font.setPixelSize(std::max(1, int(font.pixelSize() * box.width() / width)));
    Text(p, box, flags, text, font, colour);
}

// ---- The bands of notes ----

// How the diagrams under each note are arranged.
struct Arrangement {
    int columnsForMany = 1; // notes with three or four fingerings
    int columnsForTwo = 1;  // notes with two
};

struct BandPlan {
    std::vector<double> weights; // column widths in units
    std::vector<int> columns;    // diagrams side by side under each note
    int maxRows = 1;             // deepest stack of diagrams
    int lowStep = 0, highStep = 8;
    int staffTopStep = 13;       // highest step the staff area reaches
    double staffHeight = 0;
};

BandPlan PlanBand(const ChartBand& band, Arrangement arrangement) {
    BandPlan plan;
    for (const ChartNote& n : band.notes) {
        const int pictures = int(n.pictures.size());
        const int cols = pictures >= 3 ? arrangement.columnsForMany
                         : pictures == 2 ? arrangement.columnsForTwo
                                         : 1;
        const int rows = (pictures + cols - 1) / cols;
        const double spellingWeight = n.spellings.size() > 1 ? 1.35 : 1.0;
        plan.weights.push_back(std::max(spellingWeight, double(cols)));
        plan.columns.push_back(cols);
        plan.maxRows = std::max(plan.maxRows, rows);
        for (const ChartSpelling& s : n.spellings) {
            plan.lowStep = std::min(plan.lowStep, s.step);
            plan.highStep = std::max(plan.highStep, s.step);
        }
    }
    // Room for the clef above and below the staff, ledger lines, and an 8va line on top.
    plan.staffTopStep = std::max(plan.highStep + 5, 13);
    const int bottom = std::min(plan.lowStep - 3, -4);
    plan.staffHeight = (plan.staffTopStep - bottom) * kStaffSpace / 2;
    return plan;
}

double Sum(const std::vector<double>& v) {
    double s = 0;
    for (double x : v) s += x;
    return s;
}

constexpr double kCaptionHeight = 150;
constexpr double kClefRoom = 3.6 * kStaffSpace;

// Height of one diagram when the bands share the page this way.
double DiagramHeight(const std::vector<BandPlan>& plans, double width, double height) {
    double fixed = 0;
    int rows = 0;
    for (const BandPlan& b : plans) {
        fixed += b.staffHeight + kLabelHeight + kBandGap + b.maxRows * (kCaptionHeight + kDiagramGap);
        rows += b.maxRows;
    }
    double h = (height - fixed) / rows;
    for (const BandPlan& b : plans) {
        const double unit = (width - kClefRoom) / Sum(b.weights);
        h = std::min(h, (unit - 2 * kDiagramGap) / DiagramAspect());
    }
    return h;
}

void DrawBand(Canvas& canvas, const ChartBand& band, const BandPlan& plan, const QRectF& area, double diagramH,
              bool octaveLower) {
    QPainter& p = canvas.painter();
    const double s = kStaffSpace;
    Staff staff{area.left(), area.right(), area.top() + plan.staffTopStep * s / 2, s};
    DrawStaffLines(p, staff);
    // A bar line closes each end of the band.
    p.save();
    p.setPen(QPen(Qt::black, s * 0.12));
    p.drawLine(QPointF(staff.left, staff.Y(0)), QPointF(staff.left, staff.Y(8)));
    p.drawLine(QPointF(staff.right, staff.Y(0)), QPointF(staff.right, staff.Y(8)));
    p.restore();
    DrawTrebleClef(p, staff, staff.left + 0.5 * s);

    const double notesLeft = staff.left + kClefRoom;
    const double unit = (staff.right - notesLeft) / Sum(plan.weights);
    const double diagramW = diagramH * DiagramAspect();
    const double labelTop = area.top() + plan.staffHeight;
    const double diagramsTop = labelTop + kLabelHeight;

    if (octaveLower) {
        // Everything in this band is played an octave above where it is written.
        const double y = staff.Y(std::max(plan.highStep + 3, 11));
        Text(p, QRectF(notesLeft - 0.5 * s, y - 1.8 * s, 4 * s, 1.8 * s), Qt::AlignLeft | Qt::AlignBottom, "8va",
             TextFont(1.5 * s, true, true));
        p.save();
        p.setPen(QPen(kInk, s * 0.1, Qt::DashLine));
        p.drawLine(QPointF(notesLeft + 2.6 * s, y - 0.6 * s), QPointF(staff.right - s, y - 0.6 * s));
        p.drawLine(QPointF(staff.right - s, y - 0.6 * s), QPointF(staff.right - s, y + 0.4 * s));
        p.restore();
    }

    double x = notesLeft;
    for (size_t i = 0; i < band.notes.size(); ++i) {
        const ChartNote& note = band.notes[i];
        const double width = unit * plan.weights[i];
        const double centre = x + width / 2;

        // The note on the staff: one head, or the sharp and the flat spelling side by side.
        if (note.spellings.size() == 1) {
            DrawWholeNote(p, staff, centre, note.spellings[0].step, note.spellings[0].accidental);
        } else {
            const double d = 1.3 * s;
            for (size_t k = 0; k < note.spellings.size(); ++k) {
                const ChartSpelling& sp = note.spellings[k];
                DrawWholeNote(p, staff, centre + (k == 0 ? -d : d), sp.step, sp.accidental);
            }
        }

        // Its name.
        FittedText(p, QRectF(x, labelTop, width, kLabelHeight), Qt::AlignCenter, Pretty(note.label),
                   TextFont(s * 1.45, true));

        // Its fingerings: the standard one first, then the alternatives named, a row at a time.
        const int cols = plan.columns[i];
        const double cellW = std::max(diagramW, unit - kDiagramGap);
        const double gridW = cols * cellW + (cols - 1) * kDiagramGap;
        for (size_t k = 0; k < note.pictures.size(); ++k) {
            const int c = int(k) % cols, r = int(k) / cols;
            const double cellLeft = centre - gridW / 2 + c * (cellW + kDiagramGap);
            const double top = diagramsTop + r * (diagramH + kCaptionHeight + kDiagramGap);
            canvas.Diagram(QRectF(cellLeft + (cellW - diagramW) / 2, top, diagramW, diagramH), note.pictures[k]);
            if (note.pictures.size() > 1)
                FittedText(p, QRectF(cellLeft, top + diagramH, cellW, kCaptionHeight),
                           Qt::AlignHCenter | Qt::AlignTop, VariantName(note.pictures[k]), TextFont(100),
                           QColor(60, 60, 60));
        }
        x += width;
    }
}

void DrawBands(Canvas& canvas, const ChartContent& content, const QRectF& area) {
    // Of the ways to stack or pair the diagrams, the one that makes them largest.
    std::vector<BandPlan> best;
    double bestH = -1;
    for (int many : {1, 2})
        for (int two : {1, 2}) {
            std::vector<BandPlan> plans;
            for (const ChartBand& b : content.bands) plans.push_back(PlanBand(b, {many, two}));
            const double h = DiagramHeight(plans, area.width(), area.height());
            if (h > bestH + 1) {
                bestH = h;
                best = plans;
            }
        }
    auto bandHeight = [&](const BandPlan& plan) {
        return plan.staffHeight + kLabelHeight + plan.maxRows * (bestH + kCaptionHeight + kDiagramGap);
    };
    // Room the diagrams cannot use is shared out above, between and below the bands.
    double used = 0;
    for (const BandPlan& plan : best) used += bandHeight(plan) + kBandGap;
    const double spare = std::max(0.0, area.height() - used) / (content.bands.size() + 1);
    double y = area.top() + spare;
    for (size_t i = 0; i < content.bands.size(); ++i) {
        const double bandH = bandHeight(best[i]);
        DrawBand(canvas, content.bands[i], best[i], QRectF(area.left(), y, area.width(), bandH), bestH,
                 content.staffOctaveShift != 0);
        y += bandH + kBandGap + spare;
    }
}

// ---- Side panels ----

QRectF Panel(QPainter& p, const QRectF& box, const QString& title) {
    p.save();
    p.setPen(QPen(kPanelBorder, 14));
    p.setBrush(kPanelFill);
    p.drawRoundedRect(box, 90, 90);
    p.restore();
    Text(p, QRectF(box.left() + 160, box.top() + 90, box.width() - 320, 300), Qt::AlignLeft | Qt::AlignVCenter,
         title, TextFont(230, true));
    return QRectF(box.left() + 160, box.top() + 440, box.width() - 320, box.height() - 540);
}

void DrawPlayAlongGuide(QPainter& p, const QRectF& box) {
    const QRectF inner = Panel(p, box, "Play-along guide");
    const QString intro = "Playing with a piano, a guitar or a concert-pitch part? Find the concert note "
                          "and read the note of your saxophone beside it.";
    const QFont small = TextFont(125);
    Text(p, QRectF(inner.left(), inner.top(), inner.width(), 560), Qt::AlignLeft | Qt::TextWordWrap, intro, small);

    const std::vector<PlayAlongRow> rows = PlayAlongTable();
    const double headerTop = inner.top() + 620;
    const double headerH = 520;
    const double rowH = std::min(240.0, (inner.bottom() - headerTop - headerH) / rows.size());
    const double colW = inner.width() / 3;
    const std::array<QString, 3> headers{"Concert\npitch", "Alto and\nBaritone (E\u266D)",
                                         "Soprano and\nTenor (B\u266D)"};
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 222, 236));
    p.drawRect(QRectF(inner.left(), headerTop, inner.width(), headerH));
    p.restore();
    for (int c = 0; c < 3; ++c)
        Text(p, QRectF(inner.left() + c * colW, headerTop, colW, headerH), Qt::AlignCenter, headers[c],
             TextFont(125, true));
    for (size_t r = 0; r < rows.size(); ++r) {
        const double y = headerTop + headerH + r * rowH;
        if (r % 2 == 1) {
            p.save();
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(232, 236, 244));
            p.drawRect(QRectF(inner.left(), y, inner.width(), rowH));
            p.restore();
        }
        const std::array<std::string, 3> cells{rows[r].concert, rows[r].eFlatInstrument, rows[r].bFlatInstrument};
        for (int c = 0; c < 3; ++c)
            Text(p, QRectF(inner.left() + c * colW, y, colW, rowH), Qt::AlignCenter, Pretty(cells[c]),
                 TextFont(140, c == 0));
    }
    p.save();
    p.setPen(QPen(kPanelBorder, 10));
    for (int c = 1; c < 3; ++c)
        p.drawLine(QPointF(inner.left() + c * colW, headerTop),
                   QPointF(inner.left() + c * colW, headerTop + headerH + rows.size() * rowH));
    p.restore();
}

void DrawTranspositionGuide(QPainter& p, const QRectF& box) {
    const QRectF inner = Panel(p, box, "Transposition guide");
    const std::vector<SoundingExample> examples = TranspositionExamples();
    const double s = 120;
    Text(p, QRectF(inner.left(), inner.top(), inner.width(), 300), Qt::AlignLeft | Qt::TextWordWrap,
         "A written C and the note each saxophone sounds for it:", TextFont(125));

    Staff treble{inner.left(), inner.right(), inner.top() + 320 + 14 * s / 2, s};
    Staff bass{inner.left(), inner.right(), treble.Y(-12), s};
    DrawStaffLines(p, treble);
    DrawStaffLines(p, bass);
    p.save();
    p.setPen(QPen(Qt::black, s * 0.12));
    p.drawLine(QPointF(inner.left(), treble.Y(8)), QPointF(inner.left(), bass.Y(0)));
    p.drawLine(QPointF(inner.right(), treble.Y(8)), QPointF(inner.right(), bass.Y(0)));
    p.restore();
    DrawTrebleClef(p, treble, inner.left() + 0.4 * s);
    DrawBassClef(p, bass, inner.left() + 0.4 * s);

    // The written C, then each instrument's sounding note in its colour.
    const double left = inner.left() + 3.6 * s;
    const double step = (inner.right() - left) / 5;
    auto place = [&](const ChartSpelling& sp, double x, const QColor& colour) {
        if (sp.step >= -2) DrawWholeNote(p, treble, x, sp.step, sp.accidental, colour);
        else DrawWholeNote(p, bass, x, sp.step + 12, sp.accidental, colour);
    };
    const double labelY = bass.Y(-3);
    place(examples.front().written, left + step / 2, Qt::black);
    FittedText(p, QRectF(left, labelY, step, 200), Qt::AlignHCenter | Qt::AlignTop, "Written", TextFont(110, true));
    for (size_t i = 0; i < examples.size(); ++i) {
        const double x = left + step * (i + 1.5);
        place(examples[i].sounding, x, kInstrumentColours[i]);
        FittedText(p, QRectF(x - step / 2, labelY, step, 200), Qt::AlignHCenter | Qt::AlignTop,
                   QString::fromStdString(examples[i].instrument), TextFont(110, true), kInstrumentColours[i]);
    }

    // The legend.
    double y = labelY + 330;
    for (size_t i = 0; i < examples.size(); ++i) {
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(kInstrumentColours[i]);
        p.drawRoundedRect(QRectF(inner.left(), y + 40, 150, 150), 30, 30);
        p.restore();
        const QString line = QString("%1 sounds %2 semitones below the written note: a written C sounds %3.")
                                 .arg(QString::fromStdString(examples[i].instrument))
                                 .arg(examples[i].semitonesBelow)
                                 .arg(Pretty(examples[i].sounding.name));
        Text(p, QRectF(inner.left() + 230, y, inner.width() - 230, 420), Qt::AlignLeft | Qt::TextWordWrap, line,
             TextFont(125), kInstrumentColours[i].darker(125));
        y += 440;
    }
}

void DrawChartPage(QPainter& painter, const QRectF& target, const QString& title, const QString& subtitle,
                   const ChartContent& content, bool withPanels) {
    Canvas canvas(painter, target, kPageWidth, kPageHeight);
    QPainter& p = canvas.painter();
    Text(p, QRectF(kMargin, 120, kMainRight - kMargin, 380), Qt::AlignLeft | Qt::AlignVCenter, title,
         TextFont(340, true));
    FittedText(p, QRectF(kMargin, 480, kMainRight - kMargin, 240), Qt::AlignLeft | Qt::AlignVCenter, subtitle,
               TextFont(150, false, true), QColor(70, 70, 70));

    const double right = withPanels ? kMainRight : kPageWidth - kMargin;
    DrawBands(canvas, content, QRectF(kMargin, kTitleBottom + 80, right - kMargin,
                                      kPageHeight - kTitleBottom - 80 - kMargin));
    if (withPanels) {
        const double panelW = kPageWidth - kMargin - kPanelLeft;
        const double split = 5050;
        DrawPlayAlongGuide(p, QRectF(kPanelLeft, 200, panelW, split - 200 - 100));
        DrawTranspositionGuide(p, QRectF(kPanelLeft, split, panelW, kPageHeight - kMargin - split));
    }
}

// ---- Circle of fifths ----

void DrawSignatureStaff(QPainter& p, const QPointF& centre, const CircleKey& key) {
    const double s = 6.5;
    const double w = 86;
    Staff staff{centre.x() - w / 2, centre.x() + w / 2, centre.y() + 2 * s, s};
    DrawStaffLines(p, staff);
    DrawTrebleClef(p, staff, staff.left + 1);
    DrawKeySignature(p, staff, staff.left + 3.6 * s, key.sharps, key.flats);
}

} // namespace

void DrawFingeringChart(QPainter& painter, const QRectF& target) {
    DrawChartPage(painter, target, "Saxophone Fingering Chart",
                  "Keys to press are red. Under each note the first diagram is the standard fingering; "
                  "any others are alternatives.",
                  FingeringChartContent(), true);
}

void DrawAltissimoChart(QPainter& painter, const QRectF& target) {
    DrawChartPage(painter, target, "Altissimo Chart",
                  "All notes sound an octave above the written note. Keys to press are red; try each "
                  "alternative to find the one that speaks best on your instrument.",
                  AltissimoChartContent(), true);
}

void DrawCircleOfFifths(QPainter& painter, const QRectF& target) {
    Canvas canvas(painter, target, kCircleWidth, kCircleHeight);
    QPainter& p = canvas.painter();
    p.fillRect(QRectF(0, 0, kCircleWidth, kCircleHeight), QColor(252, 251, 246));

    Text(p, QRectF(16, 10, 260, 34), Qt::AlignLeft | Qt::AlignVCenter, "Circle of Fifths", TextFont(24, true));
    Text(p, QRectF(16, 42, 200, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
         "Major keys on the ring,\nrelative minor keys inside", TextFont(11), QColor(80, 80, 80));

    const QPointF c(346, 250);
    const double rOuter = 150, rMiddle = 100, rInner = 56;
    const std::array<CircleKey, 12> keys = CircleOfFifthsKeys();

    // Twelve sectors; key i stands at its clock hour, its sector spans half an hour either side.
    auto angleOf = [](int hour) { return 90.0 - 30.0 * hour; }; // degrees, counter-clockwise from 3 o'clock
    for (const CircleKey& key : keys) {
        const double a = angleOf(key.clockHour);
        const bool odd = key.clockHour % 2 == 1;
        QPainterPath outer;
        outer.moveTo(c);
        outer.arcTo(QRectF(c.x() - rOuter, c.y() - rOuter, 2 * rOuter, 2 * rOuter), a - 15, 30);
        outer.closeSubpath();
        QPainterPath middle;
        middle.moveTo(c);
        middle.arcTo(QRectF(c.x() - rMiddle, c.y() - rMiddle, 2 * rMiddle, 2 * rMiddle), a - 15, 30);
        middle.closeSubpath();
        p.save();
        p.setPen(QPen(QColor(90, 100, 130), 1.2));
        p.setBrush(odd ? QColor(196, 214, 240) : QColor(176, 198, 232));
        p.drawPath(outer);
        p.setBrush(odd ? QColor(240, 226, 196) : QColor(232, 214, 176));
        p.drawPath(middle);
        p.restore();
    }
    p.save();
    p.setPen(QPen(QColor(90, 100, 130), 1.2));
    p.setBrush(QColor(252, 251, 246));
    p.drawEllipse(c, rInner, rInner);
    p.restore();
    Text(p, QRectF(c.x() - 50, c.y() - 20, 100, 40), Qt::AlignCenter, "major\nminor", TextFont(10, false, true),
         QColor(90, 90, 90));

    for (const CircleKey& key : keys) {
        const double rad = angleOf(key.clockHour) * std::numbers::pi / 180.0;
        auto at = [&](double r) { return QPointF(c.x() + r * std::cos(rad), c.y() - r * std::sin(rad)); };
        // Keys at 5, 6 and 7 o'clock can be written with flats too.
        QString major = Pretty(key.major);
        QString minor = Pretty(key.minor) + "m";
        QString majorAlso, minorAlso;
        if (key.clockHour == 5) { majorAlso = "(D\u266D)"; minorAlso = "(B\u266Dm)"; }
        if (key.clockHour == 6) { majorAlso = "(G\u266D)"; minorAlso = "(E\u266Dm)"; }
        if (key.clockHour == 7) { majorAlso = "(C\u266D)"; minorAlso = "(A\u266Dm)"; }
        const QPointF m = at((rOuter + rMiddle) / 2);
        Text(p, QRectF(m.x() - 30, m.y() - (majorAlso.isEmpty() ? 12 : 16), 60, 24), Qt::AlignCenter, major,
             TextFont(20, true), QColor(20, 40, 90));
        if (!majorAlso.isEmpty())
            Text(p, QRectF(m.x() - 30, m.y() + 5, 60, 14), Qt::AlignCenter, majorAlso, TextFont(10),
                 QColor(20, 40, 90));
        const QPointF n = at((rMiddle + rInner) / 2 + 2);
        Text(p, QRectF(n.x() - 28, n.y() - (minorAlso.isEmpty() ? 9 : 13), 56, 18), Qt::AlignCenter, minor,
             TextFont(13, true), QColor(100, 60, 10));
        if (!minorAlso.isEmpty())
            Text(p, QRectF(n.x() - 28, n.y() + 3, 56, 12), Qt::AlignCenter, minorAlso, TextFont(8),
                 QColor(100, 60, 10));

        // The signature on a small staff outside the ring.
        DrawSignatureStaff(p, at(rOuter + 64), key);
        const QPointF t = at(rOuter + 64);
        const QString count = key.sharps ? QString("%1\u266F").arg(key.sharps)
                              : key.flats ? QString("%1\u266D").arg(key.flats)
                                          : QString("no \u266F/\u266D");
        Text(p, QRectF(t.x() - 40, t.y() + 22, 80, 14), Qt::AlignCenter, count, TextFont(10), QColor(90, 90, 90));
    }
}

} // namespace korvalin
