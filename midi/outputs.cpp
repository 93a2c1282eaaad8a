#include "midi/outputs.h"

#include "midi/default_output.h"
#include "midi/port_output.h"
#include "midi/synth_output.h"

namespace korvalin {
namespace {

std::weak_ptr<MidiOutput>& RememberedBuiltIn() {
    static std::weak_ptr<MidiOutput> builtIn;
    return builtIn;
}

std::function<std::vector<OutputChoice>()>& PortLister() {
    static std::function<std::vector<OutputChoice>()> lister;
    return lister;
}

} // namespace

std::shared_ptr<MidiOutput> BuiltInSynthesizer() {
    if (std::shared_ptr<MidiOutput> builtIn = RememberedBuiltIn().lock()) return builtIn;
    return MakeDefaultMidiOutput();
}

void SetBuiltInSynthesizer(const std::shared_ptr<MidiOutput>& output) { RememberedBuiltIn() = output; }

void SetPortLister(std::function<std::vector<OutputChoice>()> lister) { PortLister() = std::move(lister); }

std::vector<OutputChoice> ListPortOutputs() {
    std::vector<OutputChoice> choices;
    for (PortInfo& port : ListMidiPorts()) {
        std::string name = port.display;
        choices.push_back({std::move(name), [port] { return std::make_shared<PortOutput>(port); }});
    }
    return choices;
}

std::vector<OutputChoice> ListOutputs() {
    std::shared_ptr<MidiOutput> builtIn = BuiltInSynthesizer();
    std::vector<OutputChoice> choices{{kBuiltInSynthesizerName, [builtIn] { return builtIn; }}};
    for (OutputChoice& c : PortLister() ? PortLister()() : ListPortOutputs())
        if (c.make && c.name != kBuiltInSynthesizerName) choices.push_back(std::move(c));
    return choices;
}

} // namespace korvalin
