// The pictures of the printed scale page, drawn in code so that they are sharp at any size:
// one note strip per printable pitch and the row-start strip.
//
// A note strip shows, from the top: five staff lines with the note written on them (twice, sharp
// and flat, for a black-key pitch), the note's name ("D#/Eb" for a black-key pitch) and one, two
// or four key diagrams side by side. The row-start strip is the start of the staff: a bar line and
// a treble clef.
#pragma once

#include <QRectF>
#include <QString>
#include <QWidget>
#include <vector>

class QPainter;

namespace korvalin {

// Draws strip picture `strip` (0..35 notes, 36 and 37 row starts) stretched over `target`.
void DrawNoteStrip(QPainter& painter, const QRectF& target, int strip);

// The name printed on note strip `strip`: "C", "D#/Eb", ...; empty outside 0..35.
QString StripNoteName(int strip);

// Staff steps above the bottom line of the treble staff (E) of the note strip's spellings: one
// for a white key, the sharp and the flat spelling for a black key.
std::vector<int> StripStaffSteps(int strip);

// Fingering pictures the strip shows, left to right.
std::vector<int> StripFingerings(int strip);

// A picture control of the page: shows one strip picture stretched to its size, or nothing.
class StripPicture : public QWidget {
    Q_OBJECT
public:
    explicit StripPicture(QWidget* parent = nullptr);

    void setStrip(int strip); // -1: no picture
    int strip() const { return strip_; }
    // Gives this control the picture of another (as a page slot receives a copy of a strip).
    void copyPictureFrom(const StripPicture& other) { setStrip(other.strip_); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int strip_ = -1;
};

} // namespace korvalin
