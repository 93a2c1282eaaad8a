#include "tests/support/jack_sender.h"

#include <jack/midiport.h>

#include <chrono>
#include <thread>

namespace korvalin {
namespace {

// Each queued message: its length in one byte, then its bytes.
constexpr std::size_t kQueueBytes = 4096;

} // namespace

JackSender::JackSender(const std::string& clientName, const std::string& portName) {
    jack_status_t status{};
    client_ = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (!client_) {
        error_ = "no JACK server answered (JACK_DEFAULT_SERVER=" +
                 std::string(getenv("JACK_DEFAULT_SERVER") ? getenv("JACK_DEFAULT_SERVER") : "unset") + ")";
        return;
    }
    port_ = jack_port_register(client_, portName.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    queue_ = jack_ringbuffer_create(kQueueBytes);
    jack_on_shutdown(client_, &JackSender::ServerGone, this);
    if (!port_ || !queue_ || jack_set_process_callback(client_, &JackSender::Process, this) != 0 ||
        jack_activate(client_) != 0) {
        error_ = "the JACK client could not be set up";
        jack_client_close(client_);
        client_ = nullptr;
        return;
    }
    portName_ = jack_port_name(port_);
}

JackSender::~JackSender() {
    // A client whose server has stopped is left as it is: once the process has tried to reach the
    // stopped server again (a listing, another client), closing such a client crashes inside
    // libjack. Its threads have ended with the server; only its memory stays.
    if (client_ && !serverGone_) jack_client_close(client_);
    if (queue_) jack_ringbuffer_free(queue_);
}

std::vector<std::string> JackSender::InputPorts() const {
    std::vector<std::string> names;
    if (!client_ || serverGone_) return names;
    if (const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput)) {
        for (const char** p = ports; *p; ++p) names.emplace_back(*p);
        jack_free(ports);
    }
    return names;
}

std::vector<std::string> JackSender::Connections() const {
    std::vector<std::string> names;
    if (!client_ || serverGone_) return names;
    if (const char** ports = jack_port_get_all_connections(client_, port_)) {
        for (const char** p = ports; *p; ++p) names.emplace_back(*p);
        jack_free(ports);
    }
    return names;
}

bool JackSender::ConnectTo(const std::string& inputPort) {
    return client_ && !serverGone_ && jack_connect(client_, portName_.c_str(), inputPort.c_str()) == 0;
}

bool JackSender::Send(std::vector<uint8_t> bytes) {
    if (!client_ || bytes.empty() || bytes.size() > 3) return false;
    if (jack_ringbuffer_write_space(queue_) < bytes.size() + 1) return false;
    const auto length = static_cast<char>(bytes.size());
    // One write for the length and the bytes: the reader sees the whole message or none of it.
    std::vector<char> block{length};
    block.insert(block.end(), bytes.begin(), bytes.end());
    jack_ringbuffer_write(queue_, block.data(), block.size());
    ++queued_;
    return true;
}

bool JackSender::WaitUntilSent(int timeoutMs) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (handedOver_.load() < queued_) {
        if (!client_ || serverGone_ || std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void JackSender::ServerGone(void* self) { static_cast<JackSender*>(self)->serverGone_ = true; }

int JackSender::Process(jack_nframes_t frames, void* self) {
    auto* s = static_cast<JackSender*>(self);
    void* buffer = jack_port_get_buffer(s->port_, frames);
    jack_midi_clear_buffer(buffer);
    // Everything queued goes out at the cycle's first frame, in the order it was queued.
    char length = 0;
    while (jack_ringbuffer_peek(s->queue_, &length, 1) == 1) {
        const auto n = static_cast<std::size_t>(length);
        if (jack_ringbuffer_read_space(s->queue_) < n + 1) break; // not all there yet
        jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, n);
        if (!event) break; // the buffer is full: the rest goes in the next cycle
        jack_ringbuffer_read_advance(s->queue_, 1);
        jack_ringbuffer_read(s->queue_, reinterpret_cast<char*>(event), n);
        s->handedOver_.fetch_add(1);
    }
    return 0;
}

} // namespace korvalin
