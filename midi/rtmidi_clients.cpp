#include "midi/rtmidi_clients.h"

#include "midi/audio_diagnostics.h"

#include <algorithm>

namespace korvalin {
namespace {

// Called from inside RtMidi: nothing may leave it, not even a failed allocation.
void RtMidiMessage(RtMidiError::Type, const std::string& text, void*) noexcept {
    try {
        NoteAudioDiagnostic("rtmidi: " + text);
    } catch (...) {
    }
}

} // namespace

bool RtMidiCompiled(RtMidi::Api api) {
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    return std::find(apis.begin(), apis.end(), api) != apis.end();
}

template <class Client>
std::unique_ptr<Client> RtMidiClient(RtMidi::Api api, const char* name) {
    QuietSoundLibraries();
    if (!RtMidiCompiled(api)) return nullptr;
    CerrToAudioDiagnostics capture("rtmidi: ");
    try {
        auto client = std::make_unique<Client>(api, name);
        client->setErrorCallback(&RtMidiMessage, nullptr);
        return client;
    } catch (const RtMidiError& e) {
        NoteAudioDiagnostic("rtmidi: " + e.getMessage());
    } catch (const std::exception& e) {
        NoteAudioDiagnostic(std::string("rtmidi: ") + e.what());
    }
    return nullptr;
}

template std::unique_ptr<RtMidiIn> RtMidiClient<RtMidiIn>(RtMidi::Api, const char*);
template std::unique_ptr<RtMidiOut> RtMidiClient<RtMidiOut>(RtMidi::Api, const char*);

std::vector<std::string> RtMidiPortNames(RtMidi& client) {
    std::vector<std::string> names;
    CerrToAudioDiagnostics capture("rtmidi: ");
    try {
        const unsigned count = client.getPortCount();
        for (unsigned i = 0; i < count; ++i) names.push_back(client.getPortName(i));
    } catch (const RtMidiError& e) {
        NoteAudioDiagnostic("rtmidi: " + e.getMessage());
    }
    return names;
}

} // namespace korvalin
