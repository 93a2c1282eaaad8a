// Geometry of the main window's staff and keyboard, in pixels: one set of numbers read by the
// drawing of the pictures, the placing of the note markers and the hit tests alike. Plain
// constants, so that the hit tests stay free of any toolkit.
#pragma once

namespace korvalin {

// A framed picture control draws a 1-pixel border and its picture 1:1 inside it.
inline constexpr int kPictureBorder = 1;

// ---- staff -------------------------------------------------------------------------------------
// The staff picture is 147 x 264, shown 1:1 in its 149 x 266 control: picture row r is row
// r + kStaffPictureInset of the control, and the note table's StaffY and every hit band are
// counted from the control's top.
inline constexpr int kStaffPictureWidth = 147;
inline constexpr int kStaffPictureHeight = 264;
inline constexpr int kStaffPictureInset = kPictureBorder;
inline constexpr int kStaffControlWidth = kStaffPictureWidth + 2 * kPictureBorder;
inline constexpr int kStaffControlHeight = kStaffPictureHeight + 2 * kPictureBorder;

// Lines are 1 pixel high every 12 pixels from picture row 9 to 261; the treble staff holds lines
// 8 to 12, middle C's ledger line is line 13, the bass staff lines 14 to 18, and the rest are
// ledger lines drawn only under the two marker columns.
inline constexpr int kStaffLineCount = 22;
inline constexpr int kFirstStaffLineY = 9;
inline constexpr int kStaffLineSpacing = 12;
inline constexpr int kMiddleCLine = 13;
constexpr int StaffLineY(int line) { return kFirstStaffLineY + kStaffLineSpacing * line; } // picture row
inline constexpr int kMiddleCLineY = StaffLineY(kMiddleCLine);
constexpr bool IsFiveLineStaffLine(int line) { return (line >= 8 && line <= 12) || (line >= 14 && line <= 18); }

// The note markers: 25 x 25 glyphs whose left edge is this far from the staff control's left
// (written note, sounding note) and whose top is kGlyphTopAboveStaffY above the note's StaffY.
// A note on a line has StaffY = the line's control row - 5, so the glyph's head row 12 falls on
// the line; a note in a space has its two neighbouring lines on glyph rows 6 and 18.
inline constexpr int kGlyphSize = 25;
inline constexpr int kWrittenMarkerLeft = 52;
inline constexpr int kSoundingMarkerLeft = 102;
inline constexpr int kGlyphTopAboveStaffY = 7;
inline constexpr int kGlyphHeadRow = 12;
// Ledger lines reach this far beyond either side of a glyph.
inline constexpr int kLedgerOverhang = 3;

// The staff hit test: a 5-pixel band centred on each line's control row and a 7-pixel band for
// each space, from the end of the top line's band down to the start of line 20's band.
inline constexpr int kLineBandHeight = 5;
inline constexpr int kSpaceBandHeight = kStaffLineSpacing - kLineBandHeight;
inline constexpr int kStaffBandsTop = kStaffPictureInset + StaffLineY(0) + kLineBandHeight / 2 + 1;
inline constexpr int kStaffBandsBottom = kStaffPictureInset + StaffLineY(20) - kLineBandHeight / 2;

// ---- keyboard ----------------------------------------------------------------------------------
// The keyboard picture, 507 x 90, shown 1:1 in a control of its size: white key i (0..41) spans
// x = 2 + 12 i .. 12 + 12 i between the separator lines at x = 1 + 12 i and 13 + 12 i (x = 1 and
// 505 are the frame); black keys are 7 pixels wide, centred on a separator, rows 1 to 48.
inline constexpr int kKeyboardWidth = 507;
inline constexpr int kKeyboardHeight = 90;
inline constexpr int kWhiteKeyCount = 42;
inline constexpr int kFirstWhiteKeyX = 2;
inline constexpr int kWhiteKeyPitch = 12;
inline constexpr int kBlackKeyBottom = 48;
inline constexpr int kHalfBlackKeyWidth = 3; // on each side of its separator line
constexpr int KeySeparatorX(int k) { return kFirstWhiteKeyX + 11 + kWhiteKeyPitch * k; } // k = 0..40
// True when a black key straddles separator k: after C, D, F, G and A (the first key is C).
constexpr bool HasBlackKeyAt(int k) { return k % 7 != 2 && k % 7 != 6; }
// The right frame line, where the last white key's band ends.
inline constexpr int kKeyboardRightFrameX = KeySeparatorX(kWhiteKeyCount - 1);

} // namespace korvalin
