#include "midi/jack_watch.h"

#include "midi/audio_diagnostics.h"

#include <jack/jack.h>

#include <mutex>
#include <vector>

namespace korvalin {

void KeepClientOfStoppedServer(std::shared_ptr<void> holder) {
    static std::mutex mutex;
    static auto* kept = new std::vector<std::shared_ptr<void>>;
    std::lock_guard lock(mutex);
    kept->push_back(std::move(holder));
}

std::unique_ptr<JackWatch> JackWatch::Start(Calls calls) {
    QuietSoundLibraries();
    std::unique_ptr<JackWatch> watch(new JackWatch);
    watch->calls_ = std::move(calls);
    jack_status_t status{};
    watch->client_ = jack_client_open("Korvalin watch", JackNoStartServer, &status);
    if (!watch->client_) return nullptr;
    jack_on_shutdown(watch->client_, &JackWatch::OnShutdown, watch.get());
    if (watch->calls_.portGone)
        jack_set_port_registration_callback(watch->client_, &JackWatch::OnPortRegistration, watch.get());
    if (jack_activate(watch->client_) != 0) return nullptr; // the destructor closes the client
    return watch;
}

JackWatch::~JackWatch() {
    if (!client_) return;
    if (stopped_)
        KeepClientOfStoppedServer(std::shared_ptr<void>(client_, [](void*) {}));
    else
        jack_client_close(client_);
}

void JackWatch::OnShutdown(void* self) noexcept {
    auto* watch = static_cast<JackWatch*>(self);
    watch->stopped_ = true;
    try {
        if (watch->calls_.serverStopped) watch->calls_.serverStopped();
    } catch (...) {
    }
}

void JackWatch::OnPortRegistration(uint32_t, int registered, void* self) noexcept {
    auto* watch = static_cast<JackWatch*>(self);
    if (registered) return;
    try {
        watch->calls_.portGone();
    } catch (...) {
    }
}

} // namespace korvalin
