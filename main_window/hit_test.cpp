#include "main_window/hit_test.h"

#include "app/note_table.h"
#include "assets/main_geometry.h"

#include <array>
#include <cmath>

namespace korvalin {
namespace {

constexpr int kFallbackNote = 73;
// The black keys end on row kBlackKeyBottom: the white-key zone starts on the row below.
constexpr float kBlackKeyDepth = float(kBlackKeyBottom + 1);

// Natural-note rows in order, starting from C-2 (row 39): the white keys left to right.
constexpr std::array<int, kWhiteKeyCount> WhiteKeyNotes() {
    std::array<int, kWhiteKeyCount> out{};
    int n = 0;
    for (int r = 39; r <= 140 && n < kWhiteKeyCount; ++r) {
        int j = (r - 1) % 17;
        if (j == 0 || j == 3 || j == 4 || j == 7 || j == 10 || j == 11 || j == 14) out[n++] = r;
    }
    return out;
}
constexpr std::array<int, kWhiteKeyCount> kWhiteKeys = WhiteKeyNotes();

// The staff bands: a space band and a band around each line, alternately, from the first band
// edge down, each one natural note lower than the one above.
constexpr int kTopNote = 137; // A4, also for anything above the first band edge

} // namespace

int KeyboardNoteAt(float x, float y) {
    // Each white key's band runs from the separator on its left (the first from the key's own
    // edge) to the one on its right.
    if (!(x >= float(kFirstWhiteKeyX) && x < float(kKeyboardRightFrameX))) return kFallbackNote;
    const float firstSeparator = float(KeySeparatorX(0));
    const int band = x < firstSeparator ? 0 : static_cast<int>(std::floor((x - firstSeparator) / float(kWhiteKeyPitch))) + 1;
    const float lo = band == 0 ? float(kFirstWhiteKeyX) : float(KeySeparatorX(band - 1));
    const float hi = float(KeySeparatorX(band));
    const float strip = float(kHalfBlackKeyWidth);
    const int white = kWhiteKeys[band];
    if (y >= kBlackKeyDepth) return white;

    const int j = (white - 1) % 17; // 4 C, 7 D, 10 E, 11 F, 14 G, 0 A, 3 B
    const bool flatHalf = j == 7 || j == 10 || j == 14 || j == 0 || j == 3;
    const bool sharpHalf = j == 4 || j == 7 || j == 11 || j == 14 || j == 0;

    if (flatHalf) {
        // The Gb halves start just after the band edge; every other flat half includes it.
        bool inLeft = (j == 14 ? x > lo : x >= lo) && x < lo + strip;
        if (inLeft) return white - 1;
    }
    if (sharpHalf) {
        bool inRight;
        if (band == 0) inRight = x > hi - strip - 1.0f && x < hi;          // the lowest C#
        else if (j == 4 || j == 11) inRight = x > hi - strip && x < hi; // C# and F# halves
        else inRight = x >= hi - strip && x < hi;
        if (inRight) return white + 1;
    }
    return white;
}

std::optional<int> StaffNoteAt(float y) {
    if (y < float(kStaffBandsTop)) return kTopNote;
    if (!(y < float(kStaffBandsBottom))) return std::nullopt;
    // Walk down the bands: a space, then a line, each a natural note lower.
    int edge = kStaffBandsTop;
    int index = 0;
    // Index of A4 among the white keys, counting down from there.
    int whiteIndex = 41 - 1; // kWhiteKeys[40] is A4 (137)
    for (;;) {
        int next = edge + (index % 2 == 0 ? kSpaceBandHeight : kLineBandHeight);
        --whiteIndex;
        if (y < float(next)) return kWhiteKeys[whiteIndex];
        edge = next;
        ++index;
    }
}

} // namespace korvalin
