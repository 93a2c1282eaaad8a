// Pictures of the main window and its companions, drawn in code at any device pixel ratio.
// Sizes are in logical pixels; with dpr > 1 an image has size * dpr physical pixels and carries
// that device pixel ratio. The geometry of the staff and keyboard (assets/main_geometry.h) is what
// the hit tests assume.
#pragma once

#include "assets/main_geometry.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <vector>

namespace korvalin {

QImage StaffPicture(bool greyed, qreal dpr = 1.0);              // 147 x 264 grand staff
QImage StaffGlyph(int glyph, bool sounding, qreal dpr = 1.0);   // 25 x 25, glyph 0..5
QImage KeyboardPicture(qreal dpr = 1.0);                        // 507 x 90, 42 white keys
QImage KeyMarker(bool sounding, qreal dpr = 1.0);               // 3 x 15
QImage BannerPicture(qreal dpr = 1.0);                          // 332 x 23
QImage AboutPicture(qreal dpr = 1.0);                           // 320 x 200
QImage KeySignaturePicture(int keyIndex, qreal dpr = 1.0);      // 79 x 64, key index 0..12
QImage FacePicture(bool smiling, qreal dpr = 1.0);              // 24 x 22
QIcon AppIcon();                                                // painted at whatever size is asked

// The application icon drawn into any rectangle (also into a scalable vector file for the desktop).
void DrawAppIcon(QPainter& painter, const QRectF& target);

// One accidental of a key signature: its kind and its height in staff steps above the bottom
// line of the treble staff (0 = E, 1 = F, 2 = G, ..., 8 = the top line F).
struct SignatureAccidental {
    bool sharp = false;
    int step = 0;
};
// The signature of key index 0..12 (0 none, 1..7 flats, 8..12 five down to one sharp), in the
// order in which it is written. Empty for indices outside 0..12.
std::vector<SignatureAccidental> KeySignatureAccidentals(int keyIndex);

// The pictures draw clefs and accidentals from the installed music font and fall back to drawn
// shapes when it is missing. Forcing the fallback lets both paths be exercised.
void ForceDrawnMusicSymbols(bool force);
bool MusicFontAvailable();

} // namespace korvalin
