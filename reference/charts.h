#pragma once

// The three reference charts, drawn by one routine each so that the window
// showing a chart and the printer produce the same picture. Each routine fills
// `target` with the whole chart, stretched to it (the fingering and altissimo
// charts are laid out on a 14,256 x 10,080 page; the circle of fifths on a
// 720 x 540 page measured from its top-left corner).

class QPainter;
class QRectF;

namespace korvalin {

void DrawFingeringChart(QPainter& painter, const QRectF& target);
void DrawAltissimoChart(QPainter& painter, const QRectF& target);
void DrawCircleOfFifths(QPainter& painter, const QRectF& target);

} // namespace korvalin
