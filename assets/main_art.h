// Pictures of the main window and its companions, drawn in code at any device pixel ratio.
// Sizes are in logical pixels; the geometry of the staff and keyboard is what the hit tests assume.
#pragma once

#include <QIcon>
#include <QImage>

namespace korvalin {

QImage StaffPicture(bool greyed, qreal dpr = 1.0);              // 147 x 264 grand staff
QImage StaffGlyph(int glyph, bool sounding, qreal dpr = 1.0);   // 25 x 25, glyph 0..5
QImage KeyboardPicture(qreal dpr = 1.0);                        // 507 x 90, 42 white keys
QImage KeyMarker(bool sounding, qreal dpr = 1.0);               // 3 x 15
QImage BannerPicture(qreal dpr = 1.0);                          // 332 x 23
QImage AboutPicture(qreal dpr = 1.0);                           // 320 x 200
QImage KeySignaturePicture(int keyIndex, qreal dpr = 1.0);      // 79 x 64, key index 0..12
QImage FacePicture(bool smiling, qreal dpr = 1.0);              // 24 x 22
QIcon AppIcon();

} // namespace korvalin
