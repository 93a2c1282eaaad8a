// Watching a JACK server for clients that cannot watch it themselves (RtMidi's tell neither
// whether the server stopped nor whether a port went away), and what to do with clients of a
// server that has stopped.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

typedef struct _jack_client jack_client_t;

namespace korvalin {

// Once a JACK server has stopped, the clients a process had on it must not be closed: after the
// process has tried to reach a server again and failed (listing ports, say), libjack crashes
// closing them. Their threads have ended with the server; whatever holds them is kept here,
// reachable and never freed, for the rest of the run.
void KeepClientOfStoppedServer(std::shared_ptr<void> holder);

// A client with no ports on the server the environment names (JACK_DEFAULT_SERVER), never starting
// one. Its calls run on JACK's threads and must only pass word on.
class JackWatch {
public:
    struct Calls {
        std::function<void()> serverStopped;
        std::function<void()> portGone; // some port of the server was unregistered
    };
    // Null when no server answers.
    static std::unique_ptr<JackWatch> Start(Calls calls);
    // Closes the client, or keeps it when its server has stopped.
    ~JackWatch();
    JackWatch(const JackWatch&) = delete;
    JackWatch& operator=(const JackWatch&) = delete;

    bool ServerStopped() const { return stopped_; }
    // For looking at the server's ports and connections while it runs.
    jack_client_t* Client() const { return client_; }

private:
    JackWatch() = default;
    static void OnShutdown(void* self) noexcept;
    static void OnPortRegistration(uint32_t port, int registered, void* self) noexcept;

    jack_client_t* client_ = nullptr;
    Calls calls_;
    std::atomic<bool> stopped_{false};
};

} // namespace korvalin
