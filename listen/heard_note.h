// One moment of what listening hears, from the microphone's pitch tracker or from a MIDI input:
// the form in which the listening window passes heard notes on (to the main window, to practice
// that waits for the player).
#pragma once

#include <cstdint>

namespace korvalin {

struct HeardNote {
    bool hasNote = false;   // false: nothing is heard (silence, a note released)
    int concertMidi = -1;   // the concert-pitch MIDI note heard; -1 without a note
    double cents = 0;       // -50 to +50 off concertMidi; a MIDI note is exactly in tune (0)
    bool fromMidi = false;  // from a MIDI input rather than the microphone
    int64_t ms = 0;         // when, in milliseconds of a monotonic clock
    double levelDb = -120;  // how loud the microphone heard it (dBFS); a MIDI note's is -120
};

} // namespace korvalin
