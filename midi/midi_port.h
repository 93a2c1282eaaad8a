// The one MIDI output the application plays on. A message is made by one of the typed sends below
// (note on, note off, program change, control change on MidiChannel), which fill
// KORVALIN1.MidiStatusByte / MidiData1 / MidiData2 and call SendMidiMessage(); the registers keep
// the last message for whatever reads them. The port itself knows nothing of windows. Which device
// stands behind it (the built-in synthesizer, an external port, or a recorder in tests) is a
// MidiOutput chosen with SetMidiOutput().
#pragma once

#include "midi/midi_message.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace korvalin {

// A device that takes packed short messages (MidiMessage).
// Implementations must make Send() and Close() harmless on a device that is not open.
//
// Closing leaves no note sounding: before CloseMidiOut() closes a device it sends it a note off for
// every note the port started on it and has not ended (LastMidiNote first) and an All Notes Off on
// each channel concerned. A device therefore receives its silence
// as ordinary messages before Close(), which matters for external ports, where the instrument
// behind the port keeps sounding whatever this application does afterwards.
class MidiOutput {
public:
    virtual ~MidiOutput() = default;
    virtual bool Open() = 0;              // true when the device is ready to play
    virtual void Send(uint32_t message) = 0;
    virtual void Close() = 0;             // called after the port has silenced the device
    virtual std::string Name() const = 0; // what the user reads when choosing an output
    // Whether the application hears this device's sound itself and can take it out of what the
    // microphone hears (the built-in synthesizer); otherwise listening is told the notes sent.
    virtual bool SoundCancelled() const { return false; }
};

// Chooses the device behind the port. The previous one is not closed here: callers close first.
void SetMidiOutput(std::shared_ptr<MidiOutput> output);
std::shared_ptr<MidiOutput> CurrentMidiOutput();

// Opens the current device: on success MidiReady becomes True and a Program Change for
// MidiPatch on MidiChannel is sent; on failure MidiReady is 0 and nothing is sent.
void OpenMidiOut();

// Sends KORVALIN1's prepared message on the current device.
void SendMidiMessage();

// Typed sends on MidiChannel: each fills the three registers and calls SendMidiMessage().
void SendMidiNoteOn(int32_t note, int32_t velocity);
// A Note On with velocity 0, sent only for a note the port started on MidiChannel and has not
// ended; otherwise nothing is sent and the registers keep the last message.
void SendMidiNoteOff(int32_t note);
void SendMidiProgramChange(int32_t program);
void SendMidiControlChange(int32_t controller, int32_t value);

// Silences the current device (see MidiOutput) and closes it. MidiReady keeps its value.
void CloseMidiOut();

// How long ago the port last had a note sounding, in milliseconds of the steady clock: 0 while a
// note it started has not ended, and a very large number when none ever sounded. Listening uses
// it to leave out what the microphone hears of the application's own notes and their tails.
int64_t MsSinceNotesSounded();
// Run by CloseMidiOut() first, while the device is still open: a player that sends on the device
// by itself (the metronome and drone) ends what it has sounding there. Empty by default.
std::function<void()>& BeforeMidiOutCloses();

// A device that stops working by itself (its server went away) reports it here, on the GUI thread,
// with one line for the user. When it is the current device, MidiReady becomes 0 and the hook
// below is told the line; a report from any other device is ignored.
void MidiOutputLost(const MidiOutput* device, const std::string& line);
// Told each loss of the current device (the MIDI control window shows the line). Empty by default.
std::function<void(const std::string& line)>& WhenMidiOutputLost();

// A device that fails to open and drops everything: the port's state before a device is chosen.
class SilentMidiOutput : public MidiOutput {
public:
    bool Open() override { return false; }
    void Send(uint32_t) override {}
    void Close() override {}
    std::string Name() const override { return "No output"; }
};

} // namespace korvalin
