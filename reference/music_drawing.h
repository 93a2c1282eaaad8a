// Staff notation for the drawn reference pictures: staff lines, clefs, whole notes with ledger lines,
// accidentals and key signatures. Clefs and accidentals come from the Noto Music font when it is
// installed, otherwise they are drawn as plain shapes. Units are whatever the painter uses.
#pragma once

#include <QColor>
#include <QPointF>

class QPainter;

namespace korvalin {

// A five-line staff: `bottom` is the y of its bottom line, `space` the distance between lines.
// Steps count half spaces up from the bottom line (0 = bottom line, 8 = top line).
struct Staff {
    double left = 0;
    double right = 0;
    double bottom = 0;
    double space = 10;

    double Y(double step) const { return bottom - step * space / 2; }
    double Top() const { return Y(8); }
};

void DrawStaffLines(QPainter& p, const Staff& staff, const QColor& colour = Qt::black);
void DrawTrebleClef(QPainter& p, const Staff& staff, double x);
void DrawBassClef(QPainter& p, const Staff& staff, double x);

// A whole note centred at x on `step`, with the ledger lines it needs and, for accidental 0 (sharp)
// or 1 (flat), the sign to its left.
void DrawWholeNote(QPainter& p, const Staff& staff, double x, int step, int accidental,
                   const QColor& colour = Qt::black);
void DrawAccidental(QPainter& p, const Staff& staff, double x, double step, int accidental,
                    const QColor& colour = Qt::black);

// Key signature on a treble staff from x on; returns the x after it.
double DrawKeySignature(QPainter& p, const Staff& staff, double x, int sharps, int flats);

// Horizontal room a sign takes, in spaces.
inline constexpr double kAccidentalWidth = 1.1;
inline constexpr double kNoteHeadWidth = 1.5;

// True when the music font could be loaded.
bool MusicGlyphsAvailable();

} // namespace korvalin
