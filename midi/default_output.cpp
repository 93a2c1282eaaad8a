// Placeholder until the built-in synthesizer lands: no sound.
#include "midi/default_output.h"

namespace korvalin {

std::shared_ptr<MidiOutput> MakeDefaultMidiOutput() { return std::make_shared<SilentMidiOutput>(); }

} // namespace korvalin
