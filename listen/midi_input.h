// Listening to a MIDI input: a wind controller, a keyboard or another program on the ALSA sequencer
// or a JACK server, through RtMidi. A Note On is a concert note heard exactly in tune; its release
// ends it. RtMidi's own thread (JACK's process thread, for a JACK port) keeps only the messages that
// start or end notes and hands them to the listening object's thread through a ring of fixed size,
// without allocating or locking; there the notes are followed and passed on as HeardNote.
#pragma once

#include "listen/heard_note.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace korvalin {

struct MidiInputPort {
    std::string api;  // "ALSA" or "JACK"
    std::string name; // the port's name as that system reports it
};

// Every MIDI port that can be read now (other programs' and devices' outputs), ALSA first, then
// JACK; listed afresh each call. A system that is not there (no sequencer device, no JACK server)
// contributes nothing; the libraries' complaints go to the audio diagnostics, not the terminal.
std::vector<MidiInputPort> MidiInputPorts();

class MidiNoteInput : public QObject {
    Q_OBJECT

public:
    explicit MidiNoteInput(QObject* parent = nullptr);
    ~MidiNoteInput() override;

    // Connects Korvalin's input port (client "Korvalin", port "Listen in") to the chosen port,
    // closing whatever was open. On failure `why` (when given) gets one line for the window.
    bool Open(const MidiInputPort& port, QString* why);
    // Disconnects and ends every thread and client the input started. Emits nothing.
    void Close();
    bool IsOpen() const;

signals:
    // A key pressed (the note heard), or released: then the latest key still held, or no note.
    void heard(korvalin::HeardNote note);
    // The port or the JACK server went away; the input is closed by then.
    void failed(QString line);

private:
    struct Connection;

    // On the input's thread, for the connection open now.
    void TakeArrived();
    void Take(unsigned char status, unsigned char data1, unsigned char data2, int64_t ms);
    void Lose(const QString& line);
    void CheckSourceStillThere();
    void Emit(int64_t ms);

    std::unique_ptr<Connection> connection_;
    bool taking_ = false;                    // handling what arrived from RtMidi's thread
    uint64_t generation_ = 0;                // which connection queued work belongs to
    std::vector<std::pair<int, int>> held_;  // keys held as (channel, note), oldest first
    int shown_ = -1;                         // the concert note last passed on, -1 for none
    QTimer portWatch_;                       // an ALSA source's presence, looked at every second
};

} // namespace korvalin
