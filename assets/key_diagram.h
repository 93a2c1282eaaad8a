// Saxophone key diagrams: one picture per entry of the fingering database.
//
// The diagram is drawn in code on a 162 x 240 design grid and scaled uniformly into any box, so the
// main window, the fingering and altissimo charts and the printed pages all draw the same picture
// at their own size. Layout, as a player sees the horn: the octave key at the top, front F above
// the first finger, the six main keys in one column with a gap between the hands, the palm keys
// beside the upper left hand, the left little-finger table beside the left hand, the side keys and
// the high F# key beside the right-hand stack, the right little-finger table below it.
#pragma once

#include "assets/fingering_db.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <string>
#include <vector>

namespace korvalin {

inline constexpr int kFingeringPictures = kFingeringPictureCount;

// Size of the design grid every diagram is laid out on (the main window's picture size).
inline constexpr qreal kKeyDiagramWidth = 162.0;
inline constexpr qreal kKeyDiagramHeight = 240.0;

struct KeyDiagramStyle {
    QColor pressed = QColor(20, 20, 20);   // fill of pressed keys
    QColor open = QColor(255, 255, 255);   // fill of open keys
    QColor outline = QColor(70, 70, 70);   // outline of open keys
    QColor body = QColor(190, 190, 190);   // the rod joining the main keys, the gap between hands
    QColor background = Qt::transparent;   // painted over the whole box first
    bool greyed = false;                   // the whole diagram pale, nothing pressed
    bool labels = true;                    // letters on the small keys
};

// Where a key sits on the design grid (162 x 240): its bounding rectangle.
QRectF KeyDiagramKeyRect(SaxKey key);

// Maps a point of the design grid into `box` the way DrawKeyDiagram does (uniform scale, centred).
QPointF KeyDiagramToBox(const QRectF& box, const QPointF& designPoint);

// Draws the diagram into `box` with the keys of `pressed` filled.
void DrawKeyDiagram(QPainter& painter, const QRectF& box, KeyMask pressed,
                    const KeyDiagramStyle& style = KeyDiagramStyle());

// The same from key names as written in the data file; names that are not keys are ignored.
void DrawKeyDiagram(QPainter& painter, const QRectF& box, const std::vector<std::string>& pressed,
                    const KeyDiagramStyle& style = KeyDiagramStyle());

// Draws fingering picture `index` (0..98) into `box`, keys pressed filled with `pressedColour`.
// The picture of a note without a fingering (46), and any index outside the set, is the greyed
// diagram with nothing pressed.
void DrawFingeringPicture(QPainter& painter, const QRectF& box, int index,
                          const QColor& pressedColour = QColor(20, 20, 20));

// The picture rendered at `size` logical pixels and device pixel ratio `dpr`, on white.
QImage FingeringImage(int index, QSize size = QSize(162, 240), qreal dpr = 1.0);

// What a screen reader says for the picture, in the main window's note names, e.g. "Fingering:
// Bb1, bis" (the player's written Bb4) and
// "pressed: lh1, bis". The tooltip is the two joined by a line break.
QString FingeringAccessibleName(int index);
QString FingeringAccessibleDescription(int index);
QString FingeringToolTip(int index);

// A short caption for charts and sheets: "Bb4 bis", "F#6 altissimo 2", "no fingering".
QString FingeringCaption(int index);

// The fingering database compiled into the application, loaded and checked on first use. Faults
// found while loading (which the tests turn into failures) are in its `errors` and are also
// written to the diagnostic log once.
const FingeringSet& Fingerings();

} // namespace korvalin
