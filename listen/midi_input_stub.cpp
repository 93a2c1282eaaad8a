// Stand-in for the MIDI input until the real one (RtMidi over ALSA and JACK) is merged: it lists
// no ports and opens none.
#include "listen/midi_input.h"

namespace korvalin {

std::vector<MidiInputPort> MidiInputPorts() { return {}; }

MidiNoteInput::MidiNoteInput(QObject* parent) : QObject(parent) {}

bool MidiNoteInput::Open(const MidiInputPort& port, QString* why) {
    if (why) *why = QStringLiteral("The MIDI input \"%1\" could not be opened.").arg(QString::fromStdString(port.name));
    return false;
}

void MidiNoteInput::Close() {}

bool MidiNoteInput::IsOpen() const { return false; }

} // namespace korvalin
