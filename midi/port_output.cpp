#include "midi/port_output.h"

#include "room/own_sound.h"

#include "midi/audio_diagnostics.h"
#include "midi/jack_watch.h"
#include "midi/midi_message.h"
#include "midi/rtmidi_clients.h"

#include <QCoreApplication>
#include <rtmidi/RtMidi.h>

#include <algorithm>

namespace korvalin {
namespace {

constexpr const char* kClientName = "Korvalin";

RtMidi::Api ApiOf(PortSystem system) { return system == PortSystem::Alsa ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK; }

// A client of the given system, or null when the system is missing or does not answer.
std::unique_ptr<RtMidiOut> Connect(PortSystem system) { return RtMidiClient<RtMidiOut>(ApiOf(system), kClientName); }

} // namespace

std::vector<PortInfo> ListMidiPorts() {
    std::vector<PortInfo> ports;
    for (PortSystem system : {PortSystem::Alsa, PortSystem::Jack}) {
        std::unique_ptr<RtMidiOut> out = Connect(system);
        if (!out) continue;
        const char* suffix = system == PortSystem::Alsa ? " (ALSA)" : " (JACK)";
        for (std::string& name : RtMidiPortNames(*out))
            if (!name.empty()) ports.push_back({system, name, name + suffix});
    }
    return ports;
}

std::vector<unsigned char> ShortMessageBytes(uint32_t message) {
    const MidiMessage m{message};
    const auto status = static_cast<unsigned char>(m.Status());
    const auto data1 = static_cast<unsigned char>(m.Data1());
    const auto data2 = static_cast<unsigned char>(m.Data2());
    switch (m.Kind()) {
    case kNoteOffStatus: case kNoteOnStatus: case kKeyPressureStatus: case kControlChangeStatus: case kPitchBendStatus:
        return {status, data1, data2};
    case kProgramChangeStatus: case kChannelPressureStatus:
        return {status, data1};
    default:
        return {};
    }
}

std::optional<unsigned> PortNumber(const std::vector<std::string>& names, const std::string& port) {
    if (port.empty()) return std::nullopt; // never listed, so never chosen
    const auto found = std::find(names.begin(), names.end(), port);
    if (found == names.end()) return std::nullopt;
    return unsigned(found - names.begin());
}

PortOutput::PortOutput(PortInfo info) : info_(std::move(info)) {}

PortOutput::~PortOutput() { Close(); }

bool PortOutput::Open() {
    if (out_) return true;
    std::unique_ptr<JackWatch> watch;
    if (info_.system == PortSystem::Jack) {
        // The server stopping is passed on to the GUI thread, where the port is told of the loss
        // if this output is still the one in use.
        std::weak_ptr<const PortOutput*> alive = alive_;
        watch = JackWatch::Start({.serverStopped = [alive] {
            QCoreApplication* app = QCoreApplication::instance();
            if (!app) return;
            QMetaObject::invokeMethod(app, [alive] {
                if (const std::shared_ptr<const PortOutput*> output = alive.lock())
                    MidiOutputLost(*output, "The JACK server stopped; choose the output again.");
            }, Qt::QueuedConnection);
        }, .portGone = {}});
        if (!watch) {
            NoteAudioDiagnostic("no JACK server for " + info_.display);
            return false;
        }
    }
    std::unique_ptr<RtMidiOut> out = Connect(info_.system);
    if (!out) return false;
    const std::optional<unsigned> number = PortNumber(RtMidiPortNames(*out), info_.port);
    if (!number) {
        NoteAudioDiagnostic("MIDI port has gone: " + info_.display);
        return false;
    }
    try {
        out->openPort(*number, kClientName);
    } catch (const RtMidiError& e) {
        NoteAudioDiagnostic("rtmidi: " + e.getMessage());
    }
    if (!out->isPortOpen()) return false;
    out_ = std::move(out);
    watch_ = std::move(watch);
    return true;
}

void PortOutput::Send(uint32_t message) {
    if (!out_) return;
    const std::vector<unsigned char> bytes = ShortMessageBytes(message);
    if (bytes.empty()) return;
    // What sounds there is not ours to hear back: listening is told which notes they are.
    OwnSounding().Sent(message, SteadyMilliseconds());
    try {
        out_->sendMessage(bytes.data(), bytes.size());
    } catch (const RtMidiError& e) {
        NoteAudioDiagnostic("rtmidi: " + e.getMessage());
    }
}

void PortOutput::Close() {
    if (!out_) return;
    OwnSounding().AllStopped(SteadyMilliseconds());
    if (watch_ && watch_->ServerStopped()) {
        // Closing a client of a stopped JACK server can crash (see KeepClientOfStoppedServer).
        KeepClientOfStoppedServer(std::shared_ptr<RtMidiOut>(std::move(out_)));
    } else {
        try {
            out_->closePort();
        } catch (const RtMidiError& e) {
            NoteAudioDiagnostic("rtmidi: " + e.getMessage());
        }
    }
    out_.reset();
    watch_.reset();
}

} // namespace korvalin
