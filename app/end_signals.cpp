#include "app/end_signals.h"

#include "app/korvalin1.h"
#include "app/window_registry.h"
#include "main_window/form1.h"
#include "midi/midi_port.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace korvalin {
namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

// The write end of the pipe, for the handler; -1 while nothing watches.
volatile sig_atomic_t g_writeEnd = -1;
std::array<struct sigaction, kSignals.size()> g_previous{};

extern "C" void OnEndSignal(int signal) {
    // Only async-signal-safe calls here: one byte into a non-blocking pipe.
    const int saved = errno;
    const int fd = g_writeEnd;
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

void EndOnSignal() {
    if (WindowLoaded<Form1>()) {
        if (!Form1::Ending()) Window<Form1>().Command1_Click();
        return;
    }
    if (KORVALIN1.SoundOn == 1) CloseMidiOut();
    QCoreApplication::exit(0);
}

EndSignals::EndSignals(std::function<void()> end, QObject* parent) : QObject(parent), end_(std::move(end)) {
    if (g_writeEnd >= 0 || ::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &EndSignals::Arrived);
    g_writeEnd = fds_[1];
    for (size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction action {};
        action.sa_handler = OnEndSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        sigaction(kSignals[i], &action, &g_previous[i]);
    }
}

EndSignals::~EndSignals() {
    if (!notifier_) return;
    for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
    g_writeEnd = -1;
    delete notifier_;
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void EndSignals::Arrived() {
    unsigned char bytes[16];
    ssize_t n;
    int arrived = 0;
    while ((n = ::read(fds_[0], bytes, sizeof bytes)) > 0) arrived += int(n);
    for (int i = 0; i < arrived; ++i)
        if (end_) end_();
}

} // namespace korvalin
