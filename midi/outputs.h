// The outputs a user can choose between: the built-in synthesizer first, then every external MIDI
// port present at the moment of asking.
#pragma once

#include "midi/midi_port.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvalin {

struct OutputChoice {
    std::string name;                                 // as the user reads it
    std::function<std::shared_ptr<MidiOutput>()> make; // the device behind the name
};

// "Built-in synthesizer", then the external ports, listed afresh on each call.
std::vector<OutputChoice> ListOutputs();

// The built-in synthesizer of this run: the one MakeDefaultMidiOutput() made while it is still in
// use, else a new one. Every choice list keeps it alive, so that going back to it after trying an
// external port does not load the soundfont again.
std::shared_ptr<MidiOutput> BuiltInSynthesizer();

// Substitutes for tests: the device behind "Built-in synthesizer" (remembered without being kept
// alive; null forgets it), and the list of external ports (null lists the real ones).
void SetBuiltInSynthesizer(const std::shared_ptr<MidiOutput>& output);
void SetPortLister(std::function<std::vector<OutputChoice>()> lister);

// The real external ports, each opened through RtMidi when chosen.
std::vector<OutputChoice> ListPortOutputs();

} // namespace korvalin
