// Saxophone key diagrams: one picture per entry of the fingering database.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <string>
#include <vector>

namespace korvalin {

inline constexpr int kFingeringPictures = 99;

// Draws fingering picture `index` (0..98) into `box`, keys pressed filled with `pressedColour`.
void DrawFingeringPicture(QPainter& painter, const QRectF& box, int index,
                          const QColor& pressedColour = QColor(20, 20, 20));

// The picture rendered at `size` logical pixels and device pixel ratio `dpr`.
QImage FingeringImage(int index, QSize size = QSize(162, 240), qreal dpr = 1.0);

// What a screen reader says for the picture, e.g. "Fingering: written Bb4, bis" and
// "pressed: lh1, bis".
QString FingeringAccessibleName(int index);
QString FingeringAccessibleDescription(int index);

} // namespace korvalin
