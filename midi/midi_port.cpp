#include "midi/midi_port.h"

#include "app/korvalin1.h"

namespace korvalin {
namespace {

std::shared_ptr<MidiOutput>& Device() {
    static std::shared_ptr<MidiOutput> device = std::make_shared<SilentMidiOutput>();
    return device;
}

int32_t g_nextHandle = 1;

} // namespace

uint32_t PackMidiMessage(int32_t status, int32_t data1, int32_t data2) {
    // Computed wide and wrapped, so no combination of values can overflow.
    int64_t v = int64_t(data1) * 256 + int64_t(status) + int64_t(data2) * 65536;
    return static_cast<uint32_t>(v);
}

void SetMidiOutput(std::shared_ptr<MidiOutput> output) {
    Device() = output ? std::move(output) : std::make_shared<SilentMidiOutput>();
}

std::shared_ptr<MidiOutput> CurrentMidiOutput() { return Device(); }

void OpenMidiOut() {
    if (!Device()->Open()) {
        KORVALIN1.MidiOutHandle = 0;
        KORVALIN1.MidiReady = 0;
        return;
    }
    KORVALIN1.MidiOutHandle = g_nextHandle++;
    KORVALIN1.MidiData2 = 0;
    KORVALIN1.MidiStatusByte = 192 + KORVALIN1.MidiChannel;
    KORVALIN1.MidiData1 = KORVALIN1.MidiPatch;
    SendMidiMessage();
    KORVALIN1.MidiReady = True;
}

void SendMidiMessage() {
    Device()->Send(PackMidiMessage(KORVALIN1.MidiStatusByte, KORVALIN1.MidiData1, KORVALIN1.MidiData2));
}

void CloseMidiOut() {
    Device()->Close();
    KORVALIN1.MidiOutHandle = 0;
}

std::vector<uint32_t> RecordingMidiOutput::Sent() const {
    std::vector<uint32_t> out;
    for (const Event& e : events)
        if (e.kind == Kind::Send) out.push_back(e.message);
    return out;
}

int RecordingMidiOutput::Count(Kind kind) const {
    int n = 0;
    for (const Event& e : events) n += e.kind == kind;
    return n;
}

} // namespace korvalin
