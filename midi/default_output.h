// The output the application plays on unless the user chooses another.
#pragma once

#include "midi/midi_port.h"

#include <memory>

namespace korvalin {

// Begins preparing the default output (which may load a soundfont in the background) and returns
// it; opening it later waits for that preparation.
std::shared_ptr<MidiOutput> MakeDefaultMidiOutput();

} // namespace korvalin
