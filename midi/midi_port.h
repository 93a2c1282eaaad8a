// The one MIDI output the application plays on. Callers prepare a message in
// KORVALIN1.MidiStatusByte / MidiData1 / MidiData2 and call SendMidiMessage(); the port itself
// knows nothing of notes or windows. Which device stands behind it (the built-in synthesizer, an
// external port, or a recorder in tests) is a MidiOutput chosen with SetMidiOutput().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvalin {

// A device that takes packed short messages: bits 0-7 status, 8-15 first data byte, 16-23 second.
// Implementations must make Send() and Close() harmless on a device that is not open.
class MidiOutput {
public:
    virtual ~MidiOutput() = default;
    virtual bool Open() = 0;              // true when the device is ready to play
    virtual void Send(uint32_t message) = 0;
    virtual void Close() = 0;
    virtual std::string Name() const = 0; // what the user reads when choosing an output
};

// status + 256 * data1 + 65536 * data2, wrapped to 32 bits (values are not masked).
uint32_t PackMidiMessage(int32_t status, int32_t data1, int32_t data2);

// Chooses the device behind the port. The previous one is not closed here: callers close first.
void SetMidiOutput(std::shared_ptr<MidiOutput> output);
std::shared_ptr<MidiOutput> CurrentMidiOutput();

// Opens the current device: on success MidiReady becomes True and a Program Change for
// MidiPatch on MidiChannel is sent; on failure MidiReady is 0 and nothing is sent.
void OpenMidiOut();

// Sends KORVALIN1's prepared message on the current device.
void SendMidiMessage();

// Closes the current device (MidiReady keeps its value).
void CloseMidiOut();

// A device that fails to open and drops everything: the port's state before a device is chosen.
class SilentMidiOutput : public MidiOutput {
public:
    bool Open() override { return false; }
    void Send(uint32_t) override {}
    void Close() override {}
    std::string Name() const override { return "No output"; }
};

// Remembers every open, message and close, for tests and diagnostics.
class RecordingMidiOutput : public MidiOutput {
public:
    enum class Kind { Open, Send, Close };
    struct Event {
        Kind kind;
        uint32_t message = 0; // for Send
        uint8_t Status() const { return message & 0xFF; }
        uint8_t Data1() const { return (message >> 8) & 0xFF; }
        uint8_t Data2() const { return (message >> 16) & 0xFF; }
    };

    explicit RecordingMidiOutput(bool opens = true, std::string name = "Recorder")
        : opens_(opens), name_(std::move(name)) {}

    bool Open() override { events.push_back({Kind::Open}); isOpen = opens_; return opens_; }
    void Send(uint32_t message) override { events.push_back({Kind::Send, message}); }
    void Close() override { events.push_back({Kind::Close}); isOpen = false; }
    std::string Name() const override { return name_; }

    std::vector<uint32_t> Sent() const;  // the messages only, in order
    int Count(Kind kind) const;
    void Clear() { events.clear(); }

    std::vector<Event> events;
    bool isOpen = false;

private:
    bool opens_;
    std::string name_;
};

} // namespace korvalin
