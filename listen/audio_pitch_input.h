// Listening through the desktop's audio server: one audio input (a microphone, a line input, a
// monitor) captured on a worker thread of its own, its samples fed to a PitchTracker there, and
// what it hears (notes, the input level) handed to the thread that owns this object.
//
// Open() starts the thread and the capture and returns once the input runs or has failed; Close()
// and the destructor stop the capture and end the thread, so nothing of it runs once it is closed.
// A failure while capturing (the input vanishing, the server going away, an input that stops
// delivering sound) closes it and is reported once through failed() as one line a person reads.
#pragma once

#include "listen/heard_note.h"
#include "listen/pitch_tracker.h"

#include <QAudioDevice>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>

class QMediaDevices;
class QThread;
class QTimer;

namespace korvalin {

class AudioCaptureWorker;

class AudioPitchInput : public QObject {
    Q_OBJECT
public:
    explicit AudioPitchInput(QObject* parent = nullptr);
    ~AudioPitchInput() override;
    AudioPitchInput(const AudioPitchInput&) = delete;
    AudioPitchInput& operator=(const AudioPitchInput&) = delete;

    // The desktop's audio inputs as the server lists them now.
    static QList<QAudioDevice> Inputs();

    // Starts capturing `device` (closing any input open before). False with one line in `why`
    // when it cannot: no such input, a format it cannot deliver, the server refusing the stream.
    bool Open(const QAudioDevice& device, QString* why);
    void Close();
    bool IsOpen() const { return thread_ != nullptr; }
    // The last Open failed for want of a connection to the server, as while it restarts: trying
    // again a moment later may succeed.
    bool ServerNotReady() const { return serverNotReady_; }
    QAudioDevice Device() const { return device_; }

    // The reference A the notes are named against (415 to 466 Hz); applies from the next hop.
    void SetReferenceA(double hz);
    double ReferenceA() const { return referenceA_; }

    // How long the input may deliver nothing before it counts as gone (2 s by default).
    void SetSilentStreamLimitMs(int ms) { silentLimitMs_ = ms; }

signals:
    // A note starts, changes or ends, and while one is held its tuning every few hops.
    void heard(korvalin::HeardNote note);
    // The input's level (RMS in dBFS, -120 for nothing), a few times a second.
    void level(double dbfs);
    // The capture stopped by itself; the input is closed when this arrives.
    void failed(QString line);

private:
    void Fail(const QString& line);
    void InputsChanged();

    QThread* thread_ = nullptr;
    AudioCaptureWorker* worker_ = nullptr; // lives on thread_
    QMediaDevices* devices_ = nullptr;
    QTimer* inputsWatch_ = nullptr;
    QAudioDevice device_;
    double referenceA_ = kDefaultReferenceA;
    int silentLimitMs_ = 2000;
    int capture_ = 0; // counts the captures opened
    bool serverNotReady_ = false;
};

} // namespace korvalin
