// Where a click on the keyboard or staff picture lands, as a note number. Pure functions of a
// point in pixels from the picture's top-left corner.
#pragma once

#include <optional>

namespace korvalin {

// The piano picture: 42 white keys 12 pixels apart from x = 2; above y = 49 each black key is
// split into the sharp of the white key on its left and the flat of the one on its right.
// Defined for every point; 73 (C0) outside the keys.
int KeyboardNoteAt(float x, float y);

// The grand staff: natural notes from A4 at the top (any y < 13) to D-2; nothing at y >= 248.
std::optional<int> StaffNoteAt(float y);

} // namespace korvalin
