#include "listen/audio_pitch_input.h"

#include "room/echo_canceller.h"
#include "room/own_sound.h"
#include "room/playback_reference.h"

#include <QAudioSource>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace korvalin {
namespace {

int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QString InputName(const QAudioDevice& device) {
    const QString name = device.description();
    return name.isEmpty() ? QStringLiteral("the audio input") : QStringLiteral("\"%1\"").arg(name);
}

// A sample of any of the formats the server may deliver, as -1..+1.
float SampleValue(const char* p, QAudioFormat::SampleFormat format) {
    switch (format) {
    case QAudioFormat::UInt8:
        return (float(uint8_t(*p)) - 128.0f) / 128.0f;
    case QAudioFormat::Int16: {
        int16_t v;
        std::memcpy(&v, p, sizeof v);
        return float(v) / 32768.0f;
    }
    case QAudioFormat::Int32: {
        int32_t v;
        std::memcpy(&v, p, sizeof v);
        return float(double(v) / 2147483648.0);
    }
    case QAudioFormat::Float: {
        float v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    default:
        return 0.0f;
    }
}

// The platform's audio layer makes its connection for streams on the thread that opens the first
// one, and mends it after the server restarts (as a desktop's does when devices change) through
// that thread's event loop. A capture thread ends with its capture, so the process's first stream
// is opened and closed at once here, on the application's thread, which runs as long as it does.
void OpenTheFirstStreamHere(const QAudioDevice& device) {
    static bool opened = false;
    QCoreApplication* app = QCoreApplication::instance();
    if (opened || !app || QThread::currentThread() != app->thread()) return;
    opened = true;
    auto* first = new QAudioSource(device, device.preferredFormat());
    first->start();
    first->stop();
    first->deleteLater(); // its end turns the event loop, which it may not do inside a caller
}

} // namespace

// Everything that runs on the capture thread: the audio source, the tracker and a watch for an
// input that goes quiet at the server's end. Created on the owner's thread, then moved; Start and
// Stop run on the capture thread.
class AudioCaptureWorker : public QObject {
    Q_OBJECT
public:
    // Empty on success, else the line to show.
    QString Start(const QAudioDevice& device, double referenceA, int silentLimitMs) {
        QAudioFormat format;
        format.setSampleRate(44100);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Float);
        if (!device.isFormatSupported(format)) format = device.preferredFormat();
        if (!format.isValid() || format.sampleRate() < 8000 || format.sampleRate() > 192000 ||
            format.channelCount() < 1 || format.sampleFormat() == QAudioFormat::Unknown)
            return QStringLiteral("The input %1 offers no sound format Korvalin can read.").arg(InputName(device));
        format_ = format;
        name_ = InputName(device);
        silentLimitMs_ = silentLimitMs;

        PitchTrackerSettings settings;
        settings.sampleRate = format.sampleRate();
        settings.referenceA = referenceA;
        try {
            tracker_ = std::make_unique<PitchTracker>(settings);
        } catch (const std::exception&) {
            return QStringLiteral("The pitch detector could not start for %1.").arg(name_);
        }
        tracker_->SetOnPitch([this](const PitchReading& r) { OnPitch(r); });
        // The room: what the built-in synthesizer plays is taken out of what is heard.
        canceller_ = std::make_unique<EchoCanceller>(OwnPlayback(), format.sampleRate());
        capturePosition_ = -1;
        // Tuning is passed on about every 30 ms while a note holds; the level ten times a second.
        tuningEvery_ = int64_t(format.sampleRate() * 0.03);
        levelEvery_ = int64_t(format.sampleRate() * 0.1);

        source_ = new QAudioSource(device, format, this);
        // About 40 ms of sound per read: short enough for the tuning to follow, long enough to
        // keep wake-ups few.
        source_->setBufferSize(format.bytesForDuration(40000));
        connect(source_, &QAudioSource::stateChanged, this, &AudioCaptureWorker::StateChanged);
        io_ = source_->start();
        if (!io_ || source_->error() != QAudio::NoError) {
            // A fatal error before any stream: no connection to the server (yet).
            serverNotReady_ = source_->error() == QAudio::FatalError;
            const QString line = OpenFailure(source_->error());
            StopSource();
            return line;
        }
        connect(io_, &QIODevice::readyRead, this, &AudioCaptureWorker::Read);
        watch_ = new QTimer(this);
        watch_->setInterval(250);
        connect(watch_, &QTimer::timeout, this, &AudioCaptureWorker::Watch);
        watch_->start();
        lastData_.start();
        return {};
    }

    bool ServerNotReady() const { return serverNotReady_; }

    void Stop() {
        StopSource();
        if (watch_) {
            watch_->stop();
            delete watch_;
            watch_ = nullptr;
        }
        tracker_.reset();
        canceller_.reset();
    }

    void SetReferenceA(double hz) {
        if (tracker_) tracker_->SetReferenceA(hz);
    }

signals:
    void heard(korvalin::HeardNote note);
    void level(double dbfs);
    void failed(QString line);

private:
    QString OpenFailure(QAudio::Error error) const {
        if (error == QAudio::OpenError)
            return QStringLiteral("The input %1 could not be opened: it is gone, busy or not allowed.").arg(name_);
        return QStringLiteral("The input %1 could not be started.").arg(name_);
    }

    void StopSource() {
        if (!source_) return;
        disconnect(source_, nullptr, this, nullptr);
        source_->stop();
        delete source_;
        source_ = nullptr;
        io_ = nullptr;
    }

    void StateChanged(QAudio::State state) {
        if (!source_ || state != QAudio::StoppedState || source_->error() == QAudio::NoError) return;
        const QAudio::Error error = source_->error();
        Failed(error == QAudio::OpenError ? OpenFailure(error)
                                          : QStringLiteral("The input %1 stopped: it went away.").arg(name_));
    }

    void Watch() {
        if (source_ && lastData_.elapsed() > silentLimitMs_)
            Failed(QStringLiteral("The input %1 stopped sending sound.").arg(name_));
    }

    void Failed(const QString& line) {
        if (failedOnce_) return;
        failedOnce_ = true;
        Stop();
        emit failed(line);
    }

    void Read() {
        if (!io_ || !tracker_) return;
        const QByteArray bytes = io_->readAll();
        if (bytes.isEmpty()) return;
        lastData_.restart();
        const int channels = format_.channelCount();
        const int bytesPerSample = format_.bytesPerSample();
        const int frameBytes = channels * bytesPerSample;
        // A partial frame left from the read before comes first.
        pending_.append(bytes);
        const qsizetype frames = pending_.size() / frameBytes;
        mono_.resize(std::size_t(frames));
        const char* p = pending_.constData();
        for (qsizetype f = 0; f < frames; ++f) {
            float sum = 0;
            for (int c = 0; c < channels; ++c, p += bytesPerSample) sum += SampleValue(p, format_.sampleFormat());
            const float v = sum / float(channels);
            mono_[std::size_t(f)] = v;
            if (std::isfinite(v)) levelSum_ += double(v) * double(v);
        }
        pending_.remove(0, frames * frameBytes);
        levelSamples_ += frames;
        if (canceller_->Active()) canceller_->Process(mono_, CapturePosition(frames));
        tracker_->Process(mono_);
        if (levelSamples_ >= levelEvery_) {
            const double rms = std::sqrt(levelSum_ / double(levelSamples_));
            emit level(rms > 1e-6 ? std::max(-120.0, 20.0 * std::log10(rms)) : -120.0);
            levelSum_ = 0;
            levelSamples_ = 0;
        }
    }

    // Where on the playback timeline the block just read began. The capture runs without gaps, so
    // each block follows the one before; only when that drifts far from the clock (an overrun, a
    // stream the server held back) is it laid afresh by the time it arrived.
    int64_t CapturePosition(qsizetype frames) {
        const int64_t arrived = OwnPlayback().PositionAt(MonotonicNs()) - int64_t(frames);
        const int64_t allowance = int64_t(0.05 * format_.sampleRate());
        if (capturePosition_ < 0 || std::llabs(arrived - capturePosition_) > allowance) capturePosition_ = arrived;
        const int64_t at = capturePosition_;
        capturePosition_ += int64_t(frames);
        return at;
    }

    static int64_t MonotonicNs() {
        using namespace std::chrono;
        return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
    }

    void OnPitch(const PitchReading& r) {
        const bool due = r.hasNote && r.endSample - lastHeardSample_ >= tuningEvery_;
        if (!r.changed && !due) return;
        lastHeardSample_ = r.endSample;
        HeardNote note;
        // What is left of the built-in synthesizer's sound in what is heard is not the player.
        if (r.hasNote && !MayBeThePlayer(canceller_.get(), OwnSounding(), synthGuard_, r.midiNote, r.levelDb, SteadyMs())) {
            if (lastSent_ == -1) return;
            lastSent_ = -1;
            note.ms = SteadyMs();
            emit heard(note);
            return;
        }
        lastSent_ = r.hasNote ? r.midiNote : -1;
        note.hasNote = r.hasNote;
        note.concertMidi = r.hasNote ? r.midiNote : -1;
        note.cents = r.hasNote ? r.cents : 0;
        note.ms = SteadyMs();
        note.levelDb = r.levelDb;
        emit heard(note);
    }

    QAudioSource* source_ = nullptr;
    QIODevice* io_ = nullptr;
    QTimer* watch_ = nullptr;
    QElapsedTimer lastData_;
    QAudioFormat format_;
    QString name_;
    int silentLimitMs_ = 2000;
    bool failedOnce_ = false;
    bool serverNotReady_ = false;
    std::unique_ptr<PitchTracker> tracker_;
    std::unique_ptr<EchoCanceller> canceller_;
    OwnSoundGuard synthGuard_;
    int64_t capturePosition_ = -1;
    int lastSent_ = -1; // the note last passed on; -1 for none
    QByteArray pending_;
    std::vector<float> mono_;
    double levelSum_ = 0;
    int64_t levelSamples_ = 0;
    int64_t levelEvery_ = 4410;
    int64_t tuningEvery_ = 1323;
    int64_t lastHeardSample_ = 0;
};

AudioPitchInput::AudioPitchInput(QObject* parent) : QObject(parent) {}

AudioPitchInput::~AudioPitchInput() { Close(); }

QList<QAudioDevice> AudioPitchInput::Inputs() { return QMediaDevices::audioInputs(); }

bool AudioPitchInput::Open(const QAudioDevice& device, QString* why) {
    Close();
    serverNotReady_ = false;
    auto refuse = [why](const QString& line) {
        if (why) *why = line;
        return false;
    };
    if (device.isNull()) return refuse(QStringLiteral("There is no audio input to listen to."));
    OpenTheFirstStreamHere(device);

    thread_ = new QThread();
    thread_->setObjectName(QStringLiteral("Listening"));
    worker_ = new AudioCaptureWorker();
    worker_->moveToThread(thread_);
    // What the worker said may still wait in this thread's queue after a Close: it belongs to a
    // capture that is over and is dropped by its number.
    const int capture = ++capture_;
    connect(worker_, &AudioCaptureWorker::heard, this, [this, capture](const HeardNote& note) {
        if (capture == capture_ && thread_) emit heard(note);
    }, Qt::QueuedConnection);
    connect(worker_, &AudioCaptureWorker::level, this, [this, capture](double dbfs) {
        if (capture == capture_ && thread_) emit level(dbfs);
    }, Qt::QueuedConnection);
    connect(worker_, &AudioCaptureWorker::failed, this, [this, capture](const QString& line) {
        if (capture == capture_) Fail(line);
    }, Qt::QueuedConnection);
    thread_->start();

    QString line;
    const double referenceA = referenceA_;
    const int limit = silentLimitMs_;
    AudioCaptureWorker* worker = worker_;
    QMetaObject::invokeMethod(
        worker_, [&line, &device, worker, referenceA, limit] { line = worker->Start(device, referenceA, limit); },
        Qt::BlockingQueuedConnection);
    serverNotReady_ = worker_->ServerNotReady();
    if (!line.isEmpty()) {
        Close();
        return refuse(line);
    }
    device_ = device;
    // The server may move the stream of an input that goes to another input without a word to
    // the source, so the list of inputs is watched: when the server says it changed, and twice a
    // second besides, as not every server says so.
    devices_ = new QMediaDevices(this);
    connect(devices_, &QMediaDevices::audioInputsChanged, this, &AudioPitchInput::InputsChanged);
    inputsWatch_ = new QTimer(this);
    inputsWatch_->setInterval(500);
    connect(inputsWatch_, &QTimer::timeout, this, &AudioPitchInput::InputsChanged);
    inputsWatch_->start();
    return true;
}

void AudioPitchInput::Close() {
    delete inputsWatch_;
    inputsWatch_ = nullptr;
    delete devices_;
    devices_ = nullptr;
    if (!thread_) return;
    AudioCaptureWorker* worker = worker_;
    QMetaObject::invokeMethod(worker_, [worker] { worker->Stop(); }, Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    delete worker_;
    worker_ = nullptr;
    delete thread_;
    thread_ = nullptr;
    device_ = QAudioDevice();
}

void AudioPitchInput::SetReferenceA(double hz) {
    referenceA_ = ClampReferenceA(hz);
    if (worker_) {
        AudioCaptureWorker* worker = worker_;
        const double a = referenceA_;
        QMetaObject::invokeMethod(worker_, [worker, a] { worker->SetReferenceA(a); }, Qt::QueuedConnection);
    }
}

void AudioPitchInput::Fail(const QString& line) {
    if (!thread_) return;
    Close();
    emit failed(line);
}

void AudioPitchInput::InputsChanged() {
    if (!thread_) return;
    const QByteArray id = device_.id();
    const QList<QAudioDevice> inputs = Inputs();
    const bool present = std::any_of(inputs.begin(), inputs.end(), [&id](const QAudioDevice& d) { return d.id() == id; });
    if (!present) Fail(QStringLiteral("The input %1 went away.").arg(InputName(device_)));
}

} // namespace korvalin

#include "audio_pitch_input.moc"
