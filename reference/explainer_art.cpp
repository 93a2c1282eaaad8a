#include "reference/explainer_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <cmath>

namespace korvalin {
namespace {

QPainterPath Polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QPainterPath Rect(double x, double y, double w, double h) {
    QPainterPath path;
    path.addRect(QRectF(x, y, w, h));
    return path;
}

// ---- Mouthpiece, side view (tip to the left, the neck leaving at the right) ----

QPainterPath MouthpieceBody() {
    QPainterPath p;
    p.moveTo(20, 47);
    p.lineTo(22, 45.5);
    p.cubicTo(40, 41, 56, 37, 66, 35);
    p.cubicTo(82, 32, 104, 30.5, 140, 30);
    p.lineTo(236, 30);
    p.quadTo(239, 44, 236, 58);
    p.lineTo(24, 58);
    p.quadTo(20, 55, 20, 47);
    p.closeSubpath();
    return p;
}

QPainterPath Toothplate() { return Polygon({{28, 43.5}, {62, 35}, {62, 38.5}, {28, 46.8}}); }

QPainterPath AssembledReed() {
    QPainterPath p;
    p.moveTo(21, 58);
    p.lineTo(172, 58);
    p.quadTo(175, 64, 172, 70);
    p.lineTo(24, 60);
    p.quadTo(20, 59.5, 21, 58);
    p.closeSubpath();
    return p;
}

QPainterPath LigatureBand() { return Rect(104, 27, 36, 45); }
QPainterPath LigatureScrew() { return Rect(113, 16, 14, 12); }
QPainterPath Ligature() { return LigatureBand().united(LigatureScrew()); }

QPainterPath TuningGuide() { return Rect(214, 4, 48, 8); }
QPainterPath NeckCork() { return Rect(228, 33, 36, 22); }

QPainterPath Neck() {
    QPainterPath p;
    p.moveTo(263, 35);
    p.cubicTo(270, 30, 276, 23, 292, 13);
    p.lineTo(292, 34);
    p.cubicTo(282, 38, 272, 45, 263, 53);
    p.closeSubpath();
    return p;
}

// Inside of the mouthpiece, cut along its length.
QPainterPath Chamber() {
    QPainterPath p;
    p.addEllipse(QPointF(94, 46), 33, 11);
    return p;
}
QPainterPath Throat() { return Rect(124, 37.5, 44, 13.5); }
QPainterPath Bore() { return Rect(166, 35, 71, 18); }
QPainterPath Baffle() { return Polygon({{23, 47.4}, {64, 38}, {64, 41.6}, {23, 50.2}}); }
QPainterPath Facing() {
    QPainterPath p;
    p.moveTo(21, 54.6);
    p.quadTo(46, 55.2, 74, 56.2);
    p.lineTo(74, 58);
    p.lineTo(22, 58);
    p.closeSubpath();
    return p;
}
QPainterPath Cavity() {
    QPainterPath under = Polygon({{22, 50.2}, {64, 41.6}, {70, 40}, {70, 55.8}, {22, 54.8}});
    return under.united(Chamber()).united(Throat()).united(Bore());
}

// ---- Mouthpiece seen from below: the table, the window and the rails ----

QPainterPath TableOutline() {
    QPainterPath p;
    p.moveTo(30, 26);
    p.lineTo(200, 25);
    p.lineTo(238, 24);
    p.quadTo(242, 48, 238, 72);
    p.lineTo(200, 71);
    p.lineTo(30, 70);
    p.quadTo(10, 48, 30, 26);
    p.closeSubpath();
    return p;
}

QPainterPath TipRail() {
    QPainterPath p;
    p.moveTo(30, 26);
    p.quadTo(10, 48, 30, 70);
    p.lineTo(35, 63);
    p.quadTo(23, 48, 35, 33);
    p.closeSubpath();
    return p;
}

QPainterPath Window() {
    QPainterPath p;
    p.moveTo(35, 33);
    p.lineTo(116, 38.5);
    p.quadTo(124, 48, 116, 57.5);
    p.lineTo(35, 63);
    p.quadTo(23, 48, 35, 33);
    p.closeSubpath();
    return p;
}

QPainterPath SideRails() {
    return Polygon({{30, 26}, {122, 31}, {122, 38.6}, {116, 38.5}, {35, 33}})
        .united(Polygon({{30, 70}, {122, 65}, {122, 57.4}, {116, 57.5}, {35, 63}}));
}

QPainterPath Table() { return Polygon({{122, 31}, {200, 27}, {200, 69}, {122, 65}}).subtracted(Window()); }

// ---- Reed ----

QPainterPath ReedOutline() {
    QPainterPath p;
    p.moveTo(40, 36);
    p.lineTo(248, 36);
    p.quadTo(256, 53, 248, 70);
    p.lineTo(40, 70);
    p.quadTo(31, 53, 40, 36);
    p.closeSubpath();
    return p;
}

// The cut part of the reed ends in an arch; right of it the bark is left on.
QPainterPath VampArea() {
    QPainterPath p;
    p.moveTo(0, 36);
    p.lineTo(118, 36);
    p.quadTo(166, 53, 118, 70);
    p.lineTo(0, 70);
    p.closeSubpath();
    return p.intersected(ReedOutline());
}

QPainterPath Shoulder() {
    QPainterPath p;
    p.moveTo(112, 36);
    p.lineTo(118, 36);
    p.quadTo(166, 53, 118, 70);
    p.lineTo(112, 70);
    p.quadTo(158, 53, 112, 36);
    p.closeSubpath();
    return p.intersected(ReedOutline());
}

QPainterPath ReedTip() { return ReedOutline().intersected(Rect(0, 30, 46, 46)); }
QPainterPath ReedSide() { return Rect(40, 62, 90, 8).intersected(ReedOutline()); }
QPainterPath Heart() {
    QPainterPath p;
    p.addEllipse(QPointF(72, 52), 20, 8.5);
    return p;
}
QPainterPath Stock() { return ReedOutline().subtracted(VampArea()).subtracted(Rect(240, 30, 30, 46)); }
QPainterPath Heel() { return ReedOutline().intersected(Rect(240, 30, 30, 46)); }

QPainterPath ReedProfile() {
    QPainterPath p;
    p.moveTo(33, 66);
    p.lineTo(254, 66);
    p.quadTo(256, 59.5, 254, 53);
    p.lineTo(172, 53);
    p.cubicTo(152, 54, 142, 59.5, 136, 60);
    p.lineTo(33, 65.3);
    p.closeSubpath();
    return p;
}
QPainterPath ProfileRail() { return ReedProfile().intersected(Rect(30, 50, 106, 20)); }
QPainterPath ProfileTable() { return Rect(136, 63, 118, 3); }

// ---- Painting helpers ----

void Background(QPainter& p) {
    QLinearGradient g(0, 0, 0, kExplainerHeight);
    g.setColorAt(0, QColor(244, 246, 249));
    g.setColorAt(1, QColor(214, 221, 230));
    p.fillRect(QRectF(0, 0, kExplainerWidth, kExplainerHeight), g);
}

// A soft shadow under an object lying on the background.
void Shadow(QPainter& p, const QPainterPath& shape, QPointF offset = {2.5, 3.5}) {
    p.save();
    p.translate(offset);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawPath(shape);
    p.restore();
}

// Top-lit cylinder shading between y0 and y1.
QLinearGradient Cylinder(double y0, double y1, QColor dark, QColor mid, QColor light) {
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0.0, mid);
    g.setColorAt(0.22, light);
    g.setColorAt(0.55, mid);
    g.setColorAt(1.0, dark);
    return g;
}

void Fill(QPainter& p, const QPainterPath& shape, const QBrush& brush, QColor edge = QColor(0, 0, 0, 150),
          double width = 0.6) {
    p.save();
    p.setPen(QPen(edge, width));
    p.setBrush(brush);
    p.drawPath(shape);
    p.restore();
}

// Wood grain: fine lines along the reed, lighter through the heart.
void Grain(QPainter& p, const QPainterPath& area, QColor colour, double spacing) {
    p.save();
    p.setClipPath(area, Qt::IntersectClip);
    p.setPen(QPen(colour, 0.35));
    for (double y = 36.5; y < 70; y += spacing) {
        QPainterPath line;
        line.moveTo(30, y);
        for (double x = 30; x <= 260; x += 10) line.lineTo(x, y + 0.35 * std::sin(x * 0.11 + y));
        p.drawPath(line);
    }
    p.restore();
}

// Cork: brown with small dark pores.
void Cork(QPainter& p, const QPainterPath& shape) {
    Fill(p, shape, Cylinder(33, 55, QColor(120, 78, 40), QColor(170, 120, 70), QColor(214, 170, 118)));
    p.save();
    p.setClipPath(shape, Qt::IntersectClip);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 55, 25, 150));
    unsigned seed = 7;
    for (int i = 0; i < 60; ++i) {
        seed = seed * 1103515245u + 12345u;
        const double x = 228 + (seed >> 8) % 36;
        seed = seed * 1103515245u + 12345u;
        const double y = 33 + (seed >> 8) % 22;
        p.drawEllipse(QPointF(x, y), 0.6, 0.45);
    }
    p.restore();
}

const QColor kRubberDark(16, 16, 18), kRubberMid(46, 46, 52), kRubberLight(112, 114, 124);
const QColor kMetalDark(110, 112, 118), kMetalMid(180, 183, 190), kMetalLight(245, 246, 250);
const QColor kBrassDark(130, 92, 20), kBrassMid(205, 160, 60), kBrassLight(250, 226, 150);
const QColor kCaneDark(196, 160, 70), kCaneMid(232, 204, 120), kCaneLight(250, 236, 180);

void DrawNeck(QPainter& p) {
    Shadow(p, Neck());
    Fill(p, Neck(), Cylinder(18, 50, kBrassDark, kBrassMid, kBrassLight), kBrassDark.darker(150));
}

void DrawMouthpieceBody(QPainter& p) {
    Shadow(p, MouthpieceBody());
    Fill(p, MouthpieceBody(), Cylinder(30, 58, kRubberDark, kRubberMid, kRubberLight), Qt::black);
    // The shank's end ring, catching the light.
    p.save();
    p.setPen(QPen(QColor(150, 150, 160), 0.8));
    p.drawLine(QPointF(232, 31), QPointF(232, 57));
    p.restore();
}

void DrawAssembled(QPainter& p) {
    Cork(p, NeckCork());
    DrawNeck(p);
    DrawMouthpieceBody(p);
    Fill(p, Toothplate(), QColor(20, 20, 22), Qt::black, 0.4);
    Shadow(p, AssembledReed(), {1.5, 2});
    Fill(p, AssembledReed(), Cylinder(58, 70, kCaneDark, kCaneMid, kCaneLight), kCaneDark.darker(140));

    // Ligature: a metal band with its tightening screw on top.
    Shadow(p, Ligature());
    Fill(p, LigatureBand(), Cylinder(27, 72, kMetalDark, kMetalMid, kMetalLight), kMetalDark.darker(130));
    p.save();
    p.setPen(QPen(kMetalDark, 0.5));
    for (double x : {108.0, 136.0}) p.drawLine(QPointF(x, 28), QPointF(x, 71));
    p.restore();
    QLinearGradient screw(113, 0, 127, 0);
    screw.setColorAt(0, kMetalDark);
    screw.setColorAt(0.35, kMetalLight);
    screw.setColorAt(1, kMetalDark);
    Fill(p, LigatureScrew(), screw, kMetalDark.darker(140));
    p.save();
    p.setPen(QPen(kMetalDark.darker(120), 0.5));
    for (double y = 18; y < 27; y += 2) p.drawLine(QPointF(113.5, y), QPointF(126.5, y + 0.8));
    p.restore();

    // Tuning guide: a scale over the end of the mouthpiece.
    Fill(p, TuningGuide(), QColor(250, 250, 246), QColor(90, 90, 90), 0.5);
    p.save();
    p.setPen(QPen(QColor(60, 60, 60), 0.4));
    for (int i = 0; i <= 11; ++i) {
        const double x = 216 + 4 * i;
        p.drawLine(QPointF(x, 12), QPointF(x, i % 3 == 0 ? 7 : 9.5));
    }
    p.setPen(QPen(QColor(60, 60, 60), 0.5, Qt::DotLine));
    p.drawLine(QPointF(236, 12), QPointF(236, 30));
    p.restore();
}

void DrawSection(QPainter& p) {
    // The neck and reed stay as in the assembled view; the mouthpiece is shown cut in half.
    Cork(p, NeckCork());
    DrawNeck(p);
    Shadow(p, MouthpieceBody());
    // Cut face of the hard rubber.
    Fill(p, MouthpieceBody(), Cylinder(30, 58, QColor(40, 40, 44), QColor(70, 70, 76), QColor(104, 104, 112)),
         Qt::black);
    p.save();
    p.setClipPath(MouthpieceBody().subtracted(Cavity()), Qt::IntersectClip);
    p.setPen(QPen(QColor(140, 140, 150, 120), 0.4));
    for (double x = 0; x < 300; x += 3.2) p.drawLine(QPointF(x, 60), QPointF(x + 30, 28));
    p.restore();
    // The hollow inside, dark at the back.
    QRadialGradient inside(QPointF(100, 44), 90);
    inside.setColorAt(0, QColor(236, 226, 206));
    inside.setColorAt(1, QColor(170, 156, 130));
    Fill(p, Cavity(), inside, QColor(30, 30, 30), 0.5);
    p.save();
    p.setClipPath(Cavity(), Qt::IntersectClip);
    Cork(p, NeckCork().intersected(Rect(228, 33, 36, 22)));
    p.restore();
    Fill(p, Baffle(), QColor(150, 150, 160), QColor(20, 20, 20), 0.4);
    Fill(p, Facing(), QColor(170, 170, 182), QColor(20, 20, 20), 0.4);
    Shadow(p, AssembledReed(), {1.5, 2});
    Fill(p, AssembledReed(), Cylinder(58, 70, kCaneDark, kCaneMid, kCaneLight), kCaneDark.darker(140));
}

void DrawTableView(QPainter& p) {
    Shadow(p, TableOutline());
    // Seen from below: the flat table in front, the rounded shank behind it.
    Fill(p, TableOutline(), Cylinder(24, 72, kRubberDark, kRubberMid, kRubberLight), Qt::black);
    QLinearGradient flat(0, 26, 0, 70);
    flat.setColorAt(0, QColor(78, 78, 86));
    flat.setColorAt(0.5, QColor(120, 120, 130));
    flat.setColorAt(1, QColor(70, 70, 78));
    Fill(p, Table(), flat, QColor(20, 20, 20), 0.4);
    Fill(p, SideRails(), QColor(150, 150, 160), QColor(20, 20, 20), 0.4);
    Fill(p, TipRail(), QColor(160, 160, 170), QColor(20, 20, 20), 0.4);
    QLinearGradient hole(0, 33, 0, 63);
    hole.setColorAt(0, QColor(8, 8, 10));
    hole.setColorAt(0.5, QColor(36, 30, 26));
    hole.setColorAt(1, QColor(8, 8, 10));
    Fill(p, Window(), hole, Qt::black, 0.5);
    // Where the table ends and the round shank begins.
    p.save();
    p.setPen(QPen(QColor(20, 20, 20), 0.6));
    p.drawLine(QPointF(200, 27), QPointF(200, 69));
    p.restore();
}

void DrawReedTop(QPainter& p) {
    Shadow(p, ReedOutline());
    Fill(p, ReedOutline(), Cylinder(36, 70, kCaneDark, kCaneMid, kCaneLight), kCaneDark.darker(150));
    // The bark left on the stock, darker and streaked.
    QLinearGradient bark(0, 36, 0, 70);
    bark.setColorAt(0, QColor(214, 174, 70));
    bark.setColorAt(0.3, QColor(236, 200, 100));
    bark.setColorAt(1, QColor(176, 132, 44));
    Fill(p, ReedOutline().subtracted(VampArea()), bark, kCaneDark.darker(150), 0.4);
    Grain(p, ReedOutline().subtracted(VampArea()), QColor(150, 104, 30, 140), 2.2);
    // The vamp, scraped thin: pale, finely grained, a brighter heart in the middle.
    Grain(p, VampArea(), QColor(190, 150, 70, 110), 1.6);
    QRadialGradient heart(QPointF(74, 52), 22);
    heart.setColorAt(0, QColor(200, 160, 70, 120));
    heart.setColorAt(1, QColor(200, 160, 70, 0));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(heart);
    p.drawPath(Heart());
    p.restore();
    p.save();
    p.setPen(QPen(QColor(160, 120, 40), 0.6));
    p.setBrush(Qt::NoBrush);
    QPainterPath edge;
    edge.moveTo(118, 36);
    edge.quadTo(166, 53, 118, 70);
    p.drawPath(edge);
    p.restore();
}

void DrawReedSide(QPainter& p) {
    Shadow(p, ReedProfile());
    Fill(p, ReedProfile(), Cylinder(53, 66, kCaneDark, kCaneMid, kCaneLight), kCaneDark.darker(150));
    QLinearGradient bark(0, 53, 0, 66);
    bark.setColorAt(0, QColor(236, 200, 100));
    bark.setColorAt(1, QColor(176, 132, 44));
    Fill(p, ReedProfile().intersected(Rect(150, 50, 110, 20)), bark, kCaneDark.darker(150), 0.3);
    Fill(p, ProfileTable(), QColor(246, 232, 190), kCaneDark.darker(130), 0.3);
}

template <class Draw>
void OnGrid(QPainter& painter, const QRectF& target, Draw draw) {
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / kExplainerWidth, target.height() / kExplainerHeight);
    painter.setClipRect(QRectF(0, 0, kExplainerWidth, kExplainerHeight), Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing);
    Background(painter);
    draw(painter);
    painter.restore();
}

template <class Draw>
QImage Render(QSize size, qreal dpr, Draw draw) {
    QImage img(size * dpr, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::white);
    QPainter p(&img);
    draw(p, QRectF(QPointF(0, 0), QSizeF(size)));
    return img;
}

} // namespace

void DrawMouthpiece(QPainter& painter, const QRectF& target, MouthpieceView view) {
    OnGrid(painter, target, [view](QPainter& p) {
        switch (view) {
        case MouthpieceView::Assembled: DrawAssembled(p); break;
        case MouthpieceView::Section: DrawSection(p); break;
        case MouthpieceView::Table: DrawTableView(p); break;
        }
    });
}

void DrawReed(QPainter& painter, const QRectF& target, ReedView view) {
    OnGrid(painter, target, [view](QPainter& p) {
        if (view == ReedView::Top) DrawReedTop(p);
        else DrawReedSide(p);
    });
}

QImage MouthpieceImage(MouthpieceView view, QSize size, qreal dpr) {
    return Render(size, dpr, [view](QPainter& p, const QRectF& r) { DrawMouthpiece(p, r, view); });
}

QImage ReedImage(ReedView view, QSize size, qreal dpr) {
    return Render(size, dpr, [view](QPainter& p, const QRectF& r) { DrawReed(p, r, view); });
}

QPainterPath MouthpiecePartShape(MouthpieceView view, const QString& name) {
    switch (view) {
    case MouthpieceView::Assembled:
        if (name == "toothplate") return Toothplate();
        if (name == "body") return MouthpieceBody().subtracted(Toothplate()).subtracted(Ligature());
        if (name == "reed") return AssembledReed().subtracted(Ligature());
        if (name == "ligature") return Ligature();
        if (name == "tuning guide") return TuningGuide();
        if (name == "neck cork") return NeckCork().subtracted(MouthpieceBody());
        if (name == "neck") return Neck();
        break;
    case MouthpieceView::Section:
        if (name == "baffle") return Baffle();
        if (name == "facing") return Facing();
        if (name == "chamber") return Chamber();
        if (name == "throat") return Throat();
        break;
    case MouthpieceView::Table:
        if (name == "tip rail") return TipRail();
        if (name == "side rail") return SideRails();
        if (name == "window") return Window();
        if (name == "table") return Table();
        break;
    }
    return {};
}

QPainterPath ReedPartShape(ReedView view, const QString& name) {
    if (view == ReedView::Top) {
        if (name == "tip") return ReedTip();
        if (name == "side") return ReedSide();
        if (name == "heart") return Heart();
        if (name == "vamp") return VampArea();
        if (name == "shoulder") return Shoulder();
        if (name == "stock") return Stock();
        if (name == "heel") return Heel();
    } else {
        if (name == "table") return ProfileTable();
        if (name == "rail") return ProfileRail();
    }
    return {};
}

} // namespace korvalin
