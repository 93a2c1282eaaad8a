// External MIDI outputs (hardware ports, other programs' inputs) through RtMidi, on the ALSA
// sequencer or a JACK server. Every library failure (no sequencer, no server, a port that has gone)
// becomes a failed open or a dropped message, never an exception or a message on the terminal.
#pragma once

#include "midi/midi_port.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class RtMidiOut;

namespace korvalin {

enum class PortSystem { Alsa, Jack };

struct PortInfo {
    PortSystem system;
    std::string port;    // the port's name as the MIDI system reports it
    std::string display; // what the user reads: the name and the system
};

// Every output port now present, ALSA first, then JACK. Empty when neither system answers.
std::vector<PortInfo> ListMidiPorts();

class JackWatch;

class PortOutput : public MidiOutput {
public:
    explicit PortOutput(PortInfo info);
    ~PortOutput() override;

    // Looks the port up by name (its number may have changed) and connects to it. False when the
    // system or the port is not there.
    bool Open() override;
    void Send(uint32_t message) override;
    void Close() override;
    std::string Name() const override { return info_.display; }

    bool IsOpen() const { return out_ != nullptr; }

private:
    PortInfo info_;
    std::unique_ptr<RtMidiOut> out_;
    std::unique_ptr<JackWatch> watch_; // on JACK: tells whether the server has stopped
    // Lives as long as this output; word from JACK's threads is passed on only while it does.
    std::shared_ptr<const PortOutput*> alive_ = std::make_shared<const PortOutput*>(this);
};

// The number under which a system lists a port, given every name it lists in order (empty names
// included): the first with the port's name. None when the port is not there.
std::optional<unsigned> PortNumber(const std::vector<std::string>& names, const std::string& port);

// The bytes of a packed short message as they go on the wire: the status byte and as many data
// bytes (taken to 7 bits) as its kind has. Empty when the low byte is not a channel status.
std::vector<unsigned char> ShortMessageBytes(uint32_t message);

} // namespace korvalin
