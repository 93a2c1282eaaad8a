// A MIDI device that remembers every open, message and close, for tests and the bench programs.
#pragma once

#include "midi/midi_port.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvalin {

class RecordingMidiOutput : public MidiOutput {
public:
    enum class Kind { Open, Send, Close };
    struct Event {
        Kind kind;
        uint32_t message = 0; // for Send
        uint8_t Status() const { return message & 0xFF; }
        uint8_t Data1() const { return (message >> 8) & 0xFF; }
        uint8_t Data2() const { return (message >> 16) & 0xFF; }
        MidiMessage Message() const { return {message}; }
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
