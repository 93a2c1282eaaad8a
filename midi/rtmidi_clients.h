// RtMidi clients as the output ports and the MIDI input both open them: only of a system compiled
// in (RtMidi would otherwise fall back to another), named for Korvalin, with RtMidi's complaints
// sent to the audio diagnostics instead of the terminal.
#pragma once

#include <rtmidi/RtMidi.h>

#include <memory>
#include <string>
#include <vector>

namespace korvalin {

bool RtMidiCompiled(RtMidi::Api api);

// An input (RtMidiIn) or output (RtMidiOut) client of `api` named `name`, or null when the system
// is not compiled in or cannot be reached (no sequencer device, no JACK server).
template <class Client>
std::unique_ptr<Client> RtMidiClient(RtMidi::Api api, const char* name);
extern template std::unique_ptr<RtMidiIn> RtMidiClient<RtMidiIn>(RtMidi::Api, const char*);
extern template std::unique_ptr<RtMidiOut> RtMidiClient<RtMidiOut>(RtMidi::Api, const char*);

// Every port's name in the system's own numbering, empty names included, so that a position in
// this list is the number openPort() takes.
std::vector<std::string> RtMidiPortNames(RtMidi& client);

} // namespace korvalin
