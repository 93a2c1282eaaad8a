#include "printing/scale_page.h"

#include "app/note_table.h"
#include "app/text_number.h"

#include <array>

namespace korvalin {
namespace {

// Key diagrams per note strip, from written A#/Bb below the staff (strip 0) a semitone at a time
// up to A (strip 35). The strip is as wide as its diagrams, which is the advance the note table
// gives the notes it shows.
constexpr std::array<int, kNoteStrips> kDiagrams{
    1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1, // A#/Bb .. A
    4, 1, 2, 2, 1, 1, 1, 1, 2, 1, 1, 1, // A#/Bb .. A, an octave up
    4, 1, 2, 1, 1, 1, 2, 2, 1, 1, 1, 1, // A#/Bb .. A, two octaves up
};

constexpr int kLowestStripPitch = 58;

} // namespace

int StripWidth(int strip) {
    if (strip >= 0 && strip < kNoteStrips) return kDiagrams[strip] * kDiagramWidth;
    if (strip >= kNoteStrips && strip < kPageStrips) return kRowStartWidth;
    return 0;
}

int StripDiagramCount(int strip) { return strip >= 0 && strip < kNoteStrips ? kDiagrams[strip] : 0; }

int StripPitch(int strip) { return kLowestStripPitch + strip; }

std::string ScalePageTitle(std::string_view scaleName) {
    std::string title(scaleName == "Label5" ? std::string_view("C Major") : scaleName);
    title += kScaleCredit;
    return title;
}

ScalePage ComposeScalePage(std::string_view pattern, std::string_view scaleName) {
    ScalePage page;
    page.title = ScalePageTitle(scaleName);

    int rowTop = kFirstRowTop;
    int penX = kRowLeft;
    auto startRow = [&](int strip) {
        page.rowStarts.push_back({strip, -1, penX, rowTop, kRowStartWidth, kStripHeight});
        penX += kRowStartAdvance;
    };
    startRow(kNoteStrips);

    bool secondRow = false;
    int slotIndex = 0;
    for (std::size_t i = 0; i < pattern.size(); i += 3) {
        if (!secondRow && penX > kRowEnd) {
            rowTop += kRowSpacing;
            penX = kRowLeft;
            startRow(kNoteStrips + 1);
            secondRow = true;
        }
        // A note number outside the table reads as an empty row: strip 0, no advance.
        const int n = TextToInt16(pattern.substr(i, 3));
        const int strip = NoteValue(n, PrintPicture);
        const int stripIndex = strip >= 0 && strip < kPageStrips ? strip : 0;
        page.noteStrips.push_back({stripIndex, slotIndex, penX, rowTop, StripWidth(stripIndex), kStripHeight});
        penX += NoteValue(n, PrintAdvance);
        if (secondRow && penX > kRowEnd) break;
        if (++slotIndex >= kNoteStrips) break;
    }
    return page;
}

} // namespace korvalin
