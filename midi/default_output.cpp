#include "midi/default_output.h"

#include "midi/outputs.h"
#include "midi/synth_output.h"

namespace korvalin {

std::shared_ptr<MidiOutput> MakeDefaultMidiOutput() {
    auto synth = std::make_shared<SynthOutput>();
    SetBuiltInSynthesizer(synth);
    return synth;
}

} // namespace korvalin
