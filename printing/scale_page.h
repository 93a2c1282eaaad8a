// The printed scale page as data: which note strip goes into which slot, and where, in twips.
// The page window (Form12) only lays its pictures out from this; nothing here needs a toolkit.
//
// The page has a title line and at most two rows of strips. Each row begins with a row-start strip
// (a staff with a treble clef); then one strip per note of the pattern follows, each as wide as
// the note's printed advance (645, 1,290 or 2,580 twips: one, two or four key diagrams).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvalin {

inline constexpr int kNoteStrips = 36;       // strips 0..35: written A#/Bb below the staff up to A
inline constexpr int kRowStartStrips = 2;    // strips 36 and 37: the start of row one and row two
inline constexpr int kPageStrips = kNoteStrips + kRowStartStrips;
inline constexpr int kPageSlots = 38;        // slots that can receive a copy of a note strip
inline constexpr int kStripHeight = 4875;    // twips
inline constexpr int kRowStartWidth = 315;   // twips
inline constexpr int kRowStartAdvance = 322; // twips the pen moves after a row start
inline constexpr int kDiagramWidth = 645;    // twips taken by one key diagram in a strip
inline constexpr int kFirstRowTop = 400;
inline constexpr int kRowSpacing = 5000;
inline constexpr int kRowLeft = 100;
inline constexpr int kRowEnd = 14500;        // no strip is begun to the right of this
inline constexpr int kEmptySlotWidth = 615;  // a slot's size until a strip is copied into it
inline constexpr int kEmptySlotHeight = 495;

// The text that follows the scale's name in the title.
inline constexpr std::string_view kScaleCredit = " Scale - printed with Korvalin, the saxophone tutor";

// One picture placed on the page (twips, from the page's top-left corner).
struct PlacedStrip {
    int strip = 0;  // which strip picture: 0..35 a note, 36/37 a row start
    int slot = -1;  // the slot that shows it; -1 for a row start, which is shown in place
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const PlacedStrip&, const PlacedStrip&) = default;
};

struct ScalePage {
    std::string title;
    std::vector<PlacedStrip> rowStarts; // one or two
    std::vector<PlacedStrip> noteStrips; // noteStrips[i] goes into slot i; the other slots stay hidden

    friend bool operator==(const ScalePage&, const ScalePage&) = default;
};

// Width in twips of strip picture `strip` (0..37); 0 for any other index.
int StripWidth(int strip);

// Number of key diagrams drawn side by side in note strip `strip` (0..35).
int StripDiagramCount(int strip);

// The pitch (MIDI note number) note strip `strip` shows: 58 + strip.
int StripPitch(int strip);

// The title: the scale's name as the main window shows it, "C Major" while that label still carries
// its initial caption "Label5" (nothing chosen yet), followed by the credit text.
std::string ScalePageTitle(std::string_view scaleName);

// Lays out the page for a pattern text (three-character note-number fields). Reads the printed
// picture and advance of each note from the note table.
ScalePage ComposeScalePage(std::string_view pattern, std::string_view scaleName);

} // namespace korvalin
