#include "midi/midi_port.h"

#include "app/korvalin1.h"
#include "room/own_sound.h"

#include <chrono>
#include <limits>
#include <set>
#include <utility>

namespace korvalin {
namespace {

std::shared_ptr<MidiOutput>& Device() {
    static std::shared_ptr<MidiOutput> device = std::make_shared<SilentMidiOutput>();
    return device;
}

// Notes started on the current device and not yet ended, as (channel, note) on the wire, so that
// closing can end each of them whichever part of the application started it.
std::set<std::pair<int, int>>& Held() {
    static std::set<std::pair<int, int>> held;
    return held;
}

// When the last held note ended; unset until a note has sounded.
std::chrono::steady_clock::time_point g_lastSounded{};
bool g_everSounded = false;

void NoteSilenceFrom(bool wasSounding) {
    if (wasSounding && Held().empty()) g_lastSounded = std::chrono::steady_clock::now();
    if (Held().empty()) OwnSounding().AllStopped(SteadyMilliseconds());
}

void NoteWhatSounds(uint32_t message) {
    if (!Device()->SoundCancelled()) OwnSounding().Sent(message, SteadyMilliseconds());
    const MidiMessage m{message};
    const int channel = m.Channel();
    std::set<std::pair<int, int>>& held = Held();
    const bool wasSounding = !held.empty();
    if (m.StartsNote()) {
        held.insert({channel, m.Data1()});
        g_everSounded = true;
    } else if (m.Kind() == kNoteOnStatus) {
        held.erase({channel, m.Data1()});
    } else if (m.Kind() == kControlChangeStatus && m.Data1() == kAllNotesOffController) {
        std::erase_if(held, [channel](const std::pair<int, int>& h) { return h.first == channel; });
    }
    NoteSilenceFrom(wasSounding);
}

void Send(int32_t status, int32_t data1, int32_t data2) {
    KORVALIN1.MidiStatusByte = status;
    KORVALIN1.MidiData1 = data1;
    KORVALIN1.MidiData2 = data2;
    SendMidiMessage();
}

int32_t g_nextHandle = 1;

} // namespace

void SetMidiOutput(std::shared_ptr<MidiOutput> output) {
    Device() = output ? std::move(output) : std::make_shared<SilentMidiOutput>();
    const bool wasSounding = !Held().empty();
    Held().clear();
    NoteSilenceFrom(wasSounding);
}

std::shared_ptr<MidiOutput> CurrentMidiOutput() { return Device(); }

void OpenMidiOut() {
    if (!Device()->Open()) {
        KORVALIN1.MidiOutHandle = 0;
        KORVALIN1.MidiReady = 0;
        return;
    }
    KORVALIN1.MidiOutHandle = g_nextHandle++;
    SendMidiProgramChange(KORVALIN1.MidiPatch);
    KORVALIN1.MidiReady = True;
}

void SendMidiMessage() {
    const uint32_t message = PackMidiMessage(KORVALIN1.MidiStatusByte, KORVALIN1.MidiData1, KORVALIN1.MidiData2);
    NoteWhatSounds(message);
    Device()->Send(message);
}

void SendMidiNoteOn(int32_t note, int32_t velocity) { Send(kNoteOnStatus + KORVALIN1.MidiChannel, note, velocity); }

void SendMidiNoteOff(int32_t note) {
    // Only a note this port started and has not ended is released: a release of a note never
    // played (note 0 before the first note, or a note the note-off timer has already ended) would
    // reach an external instrument as a message of its own.
    if (!Held().contains({KORVALIN1.MidiChannel & 0x0F, note & 0x7F})) return;
    Send(kNoteOnStatus + KORVALIN1.MidiChannel, note, 0);
}

void SendMidiProgramChange(int32_t program) { Send(kProgramChangeStatus + KORVALIN1.MidiChannel, program, 0); }

void SendMidiControlChange(int32_t controller, int32_t value) {
    Send(kControlChangeStatus + KORVALIN1.MidiChannel, controller, value);
}

std::function<void()>& BeforeMidiOutCloses() {
    static std::function<void()> hook;
    return hook;
}

std::function<void(const std::string&)>& WhenMidiOutputLost() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

void MidiOutputLost(const MidiOutput* device, const std::string& line) {
    if (device != Device().get()) return;
    KORVALIN1.MidiReady = 0;
    if (const auto& hook = WhenMidiOutputLost()) hook(line);
}

void CloseMidiOut() {
    if (const std::function<void()>& hook = BeforeMidiOutCloses()) hook();
    // The last note of the note display is ended first, as the note display itself would end it,
    // then whatever else is still held (a Test note held down, a note left on a channel since
    // changed), then every channel concerned is told to end all its notes, for devices that missed
    // a note on. Notes that are not sounding are not released.
    const int channel = KORVALIN1.MidiChannel & 0x0F;
    const std::set<std::pair<int, int>> held = Held();
    SendMidiNoteOff(KORVALIN1.LastMidiNote);
    std::set<int> others;
    for (const auto& [c, note] : held) {
        if (c == channel && note == (KORVALIN1.LastMidiNote & 0x7F)) continue;
        Send(kNoteOnStatus + c, note, 0);
        if (c != channel) others.insert(c);
    }
    SendMidiControlChange(kAllNotesOffController, 0);
    for (int c : others) Send(kControlChangeStatus + c, kAllNotesOffController, 0);
    Device()->Close();
    const bool wasSounding = !Held().empty();
    Held().clear();
    NoteSilenceFrom(wasSounding);
    KORVALIN1.MidiOutHandle = 0;
}

int64_t MsSinceNotesSounded() {
    if (!Held().empty()) return 0;
    if (!g_everSounded) return std::numeric_limits<int64_t>::max();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now() - g_lastSounded).count();
}

} // namespace korvalin
