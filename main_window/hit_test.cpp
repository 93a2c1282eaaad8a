#include "main_window/hit_test.h"

#include "app/note_table.h"

#include <array>
#include <cmath>

namespace korvalin {
namespace {

constexpr int kFallbackNote = 73;
constexpr float kBlackKeyDepth = 49.0f;

// Natural-note rows in order, starting from C-2 (row 39): the white keys left to right.
constexpr std::array<int, 42> WhiteKeyNotes() {
    std::array<int, 42> out{};
    int n = 0;
    for (int r = 39; r <= 140 && n < 42; ++r) {
        int j = (r - 1) % 17;
        if (j == 0 || j == 3 || j == 4 || j == 7 || j == 10 || j == 11 || j == 14) out[n++] = r;
    }
    return out;
}
constexpr std::array<int, 42> kWhiteKeys = WhiteKeyNotes();

// The staff bands: a 7-pixel band for each space and a 5-pixel band around each line, from y = 13
// down to y = 248, each one natural note lower than the one above.
constexpr int kStaffTop = 13;
constexpr int kStaffBottom = 248;
constexpr int kTopNote = 137; // A4, also for anything above the first band edge

} // namespace

int KeyboardNoteAt(float x, float y) {
    if (!(x >= 2.0f && x < 505.0f)) return kFallbackNote;
    const int band = x < 13.0f ? 0 : static_cast<int>(std::floor((x - 13.0f) / 12.0f)) + 1;
    const float lo = band == 0 ? 2.0f : float(12 * (band + 1) - 11);
    const float hi = float(12 * (band + 1) + 1);
    const int white = kWhiteKeys[band];
    if (y >= kBlackKeyDepth) return white;

    const int j = (white - 1) % 17; // 4 C, 7 D, 10 E, 11 F, 14 G, 0 A, 3 B
    const bool flatHalf = j == 7 || j == 10 || j == 14 || j == 0 || j == 3;
    const bool sharpHalf = j == 4 || j == 7 || j == 11 || j == 14 || j == 0;

    if (flatHalf) {
        // The Gb halves start just after the band edge; every other flat half includes it.
        bool inLeft = (j == 14 ? x > lo : x >= lo) && x < lo + 3.0f;
        if (inLeft) return white - 1;
    }
    if (sharpHalf) {
        bool inRight;
        if (band == 0) inRight = x > 9.0f && x < hi;                 // the lowest C#
        else if (j == 4 || j == 11) inRight = x > hi - 3.0f && x < hi; // C# and F# halves
        else inRight = x >= hi - 3.0f && x < hi;
        if (inRight) return white + 1;
    }
    return white;
}

std::optional<int> StaffNoteAt(float y) {
    if (y < float(kStaffTop)) return kTopNote;
    if (!(y < float(kStaffBottom))) return std::nullopt;
    // Walk down the bands: alternately 7 and 5 pixels tall, each a natural note lower.
    int edge = kStaffTop;
    int index = 0;
    // Index of A4 among the white keys, counting down from there.
    int whiteIndex = 41 - 1; // kWhiteKeys[40] is A4 (137)
    for (;;) {
        int next = edge + (index % 2 == 0 ? 7 : 5);
        --whiteIndex;
        if (y < float(next)) return kWhiteKeys[whiteIndex];
        edge = next;
        ++index;
    }
}

} // namespace korvalin
