// What the private PulseAudio server plays, recorded from its null sink's monitor with parec as
// mono floats at 44.1 kHz for as long as the recording lives.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace korvalin {

class MonitorRecording {
public:
    MonitorRecording() {
        QObject::connect(&parec_, &QProcess::readyReadStandardOutput, [this] { bytes_ += parec_.readAllStandardOutput(); });
        parec_.start("parec", {"--device=korvalin_test.monitor", "--format=float32le", "--rate=44100",
                               "--channels=1", "--latency-msec=10", "--raw"});
    }
    ~MonitorRecording() {
        parec_.kill();
        parec_.waitForFinished(5000);
    }
    MonitorRecording(const MonitorRecording&) = delete;
    MonitorRecording& operator=(const MonitorRecording&) = delete;

    // Waits up to 10 s for the recording to run; false when it does not.
    bool Started() {
        if (!parec_.waitForStarted(5000)) return false;
        for (int i = 0; i < 200 && bytes_.size() <= 4096; ++i) QTest::qWait(50);
        return bytes_.size() > 4096;
    }
    std::size_t Samples() const { return std::size_t(bytes_.size()) / sizeof(float); }
    // The samples recorded from `from` up to `to` (both counted from the start of the recording).
    std::vector<float> Between(std::size_t from, std::size_t to) const {
        to = std::min(to, Samples());
        std::vector<float> x(to - std::min(from, to));
        if (!x.empty()) std::memcpy(x.data(), bytes_.constData() + from * sizeof(float), x.size() * sizeof(float));
        return x;
    }
    std::vector<float> Since(std::size_t from) const { return Between(from, Samples()); }

private:
    QProcess parec_;
    QByteArray bytes_;
};

} // namespace korvalin
