// MIDI input ports (ALSA sequencer and JACK) heard as notes: a Note On is a concert note heard
// exactly in tune, its release ends it.
#pragma once

#include "listen/heard_note.h"

#include <QObject>
#include <QString>
#include <string>
#include <vector>

namespace korvalin {

struct MidiInputPort {
    std::string api;  // "ALSA" or "JACK"
    std::string name;
};

// The input ports there are now (listed afresh each call).
std::vector<MidiInputPort> MidiInputPorts();

class MidiNoteInput : public QObject {
    Q_OBJECT
public:
    explicit MidiNoteInput(QObject* parent = nullptr);
    bool Open(const MidiInputPort& port, QString* why); // why: one line when it fails
    void Close();
    bool IsOpen() const;

signals:
    void heard(korvalin::HeardNote note); // on this object's thread
    void failed(QString line);            // the port or the JACK server went away
};

} // namespace korvalin
