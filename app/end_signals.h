// The end of a session by a signal: SIGTERM at logout or shutdown, SIGINT from a terminal, SIGHUP
// when the terminal goes. Each ends the application the way Exit does, so that the MIDI output is
// silenced and closed first. The handler itself only writes the signal's number to a pipe; the
// event loop reads it and ends the application on the user-interface thread.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace korvalin {

// What a signal does: the main window's Exit when the main window exists, otherwise (the about
// box is still up) closing the MIDI output if sound is on and leaving the event loop.
void EndOnSignal();

// Watches for the signals from construction to destruction (one watcher at a time); `end` runs on
// the event loop once per signal. The first of each signal is handled; a second of the same kind
// ends the process at once, so that an application that no longer answers can still be ended.
class EndSignals : public QObject {
public:
    explicit EndSignals(std::function<void()> end, QObject* parent = nullptr);
    ~EndSignals() override;
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    bool Watching() const { return notifier_ != nullptr; }

private:
    void Arrived();

    std::function<void()> end_;
    int fds_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace korvalin
