// A MIDI keyboard for tests, on the JACK server the environment names (the private one that
// `./korvalin test` starts): a JACK client with one MIDI output port that sends the messages it is
// given, in order, in the server's next cycles. Korvalin's MIDI input can be opened on its port,
// or the sender can connect itself to an input port by name.
#pragma once

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace korvalin {

// Whether the environment names the private JACK server `./korvalin test` starts: never the user's
// default server, which an unset name would mean.
inline bool OnPrivateJackServer() {
    const char* server = std::getenv("JACK_DEFAULT_SERVER");
    return server && std::string(server).starts_with("korvalin_test_");
}
inline constexpr const char* kNoPrivateJack =
    "no private JACK server: run through ./korvalin test, or export what tests/support/private_jack.sh "
    "start <folder> prints";

class JackSender {
public:
    // Opens the client (never starting a server). ok() says whether it did; error() why not.
    explicit JackSender(const std::string& clientName = "Korvalin test keyboard", const std::string& portName = "out");
    ~JackSender();
    JackSender(const JackSender&) = delete;
    JackSender& operator=(const JackSender&) = delete;

    bool ok() const { return client_ != nullptr; }
    const std::string& error() const { return error_; }

    // The output port's full name ("client:port"), as MIDI input lists name it.
    const std::string& PortName() const { return portName_; }
    // The full names of the MIDI input ports on the server now, e.g. "Korvalin:Listen in".
    std::vector<std::string> InputPorts() const;
    // The full names of the ports the output port is connected to.
    std::vector<std::string> Connections() const;
    // Connects the output port to an input port given by its full name.
    bool ConnectTo(const std::string& inputPort);

    // Queues a message (at most 3 bytes); false when the queue is full or the client is not open.
    bool Send(std::vector<uint8_t> bytes);
    bool NoteOn(int channel, int note, int velocity) {
        return Send({uint8_t(0x90 | (channel & 0x0F)), uint8_t(note & 0x7F), uint8_t(velocity & 0x7F)});
    }
    bool NoteOff(int channel, int note) { return Send({uint8_t(0x80 | (channel & 0x0F)), uint8_t(note & 0x7F), 64}); }
    // Waits until every queued message has been handed to the server; false after timeoutMs or
    // when the server has stopped.
    bool WaitUntilSent(int timeoutMs = 5000) const;

private:
    static int Process(jack_nframes_t frames, void* self);
    static void ServerGone(void* self);

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    jack_ringbuffer_t* queue_ = nullptr;
    std::string error_;
    std::string portName_;
    uint64_t queued_ = 0;                // messages queued (the test's thread only)
    std::atomic<uint64_t> handedOver_{0}; // messages written to the port (JACK's thread)
    std::atomic<bool> serverGone_{false};
};

} // namespace korvalin
