// Pictures of the main window and its companions, drawn in code at any device pixel ratio.
// Sizes are in logical pixels; with dpr > 1 an image has size * dpr physical pixels and carries
// that device pixel ratio. The geometry of the staff and keyboard is what the hit tests assume.
#pragma once

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

// Staff picture geometry. Lines are 1 pixel high every 12 pixels from y = 9 to y = 261; the
// treble staff holds lines 8 to 12, middle C's ledger line is line 13, the bass staff lines 14
// to 18, and the rest are ledger lines drawn only under the two marker columns.
inline constexpr int kStaffLineCount = 22;
inline constexpr int kFirstStaffLineY = 9;
inline constexpr int kStaffLineSpacing = 12;
inline constexpr int kMiddleCLineY = 165;
inline constexpr int kWrittenMarkerLeft = 52;   // glyph column of the written note
inline constexpr int kSoundingMarkerLeft = 102; // glyph column of the sounding note
constexpr int StaffLineY(int line) { return kFirstStaffLineY + kStaffLineSpacing * line; }
constexpr bool IsFiveLineStaffLine(int line) { return (line >= 8 && line <= 12) || (line >= 14 && line <= 18); }

// The glyph's own staff line (glyphs 0..2) and note head sit on row 11, its space lines
// (glyphs 3..5) on rows 5 and 17: with the glyph's top at StaffY - 7 these rows fall exactly
// on the staff picture's lines, since a note on a line has StaffY = line y - 4.
inline constexpr int kGlyphSize = 25;
inline constexpr int kGlyphHeadRow = 11;

// Keyboard picture geometry: white key i (0..41) spans x = 2 + 12 i .. 12 + 12 i between the
// separator lines at x = 1 + 12 i and 13 + 12 i (x = 1 and 505 are the frame); black keys are
// 7 pixels wide, centred on a separator, rows 1 to 48.
inline constexpr int kWhiteKeyCount = 42;
inline constexpr int kBlackKeyBottom = 48;
constexpr int KeySeparatorX(int k) { return 13 + 12 * k; } // k = 0..40
// True when a black key straddles separator k: after C, D, F, G and A (the first key is C).
constexpr bool HasBlackKeyAt(int k) { return k % 7 != 2 && k % 7 != 6; }

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
