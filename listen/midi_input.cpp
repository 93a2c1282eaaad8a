#include "listen/midi_input.h"

#include "midi/audio_diagnostics.h"
#include "midi/jack_watch.h"
#include "midi/midi_message.h"
#include "midi/port_output.h"
#include "midi/rtmidi_clients.h"

#include <QMetaObject>
#include <QSocketNotifier>

#include <jack/jack.h>
#include <rtmidi/RtMidi.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>

namespace korvalin {
namespace {

constexpr const char* kClientName = "Korvalin";
constexpr const char* kPortName = "Listen in";

constexpr const char* kAlsa = "ALSA";
constexpr const char* kJack = "JACK";

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// An input client of the system, or null when the system is not compiled in or cannot be reached.
std::unique_ptr<RtMidiIn> Client(RtMidi::Api api) { return RtMidiClient<RtMidiIn>(api, kClientName); }

// Whether the JACK port is connected to an input port of Korvalin's for listening.
bool Connected(jack_client_t* watch, const std::string& source) {
    jack_port_t* port = jack_port_by_name(watch, source.c_str());
    if (!port) return false;
    bool found = false;
    if (const char** others = jack_port_get_all_connections(watch, port)) {
        for (const char** o = others; *o; ++o) {
            const std::string name(*o);
            found |= name.starts_with(kClientName) && name.ends_with(std::string(":") + kPortName);
        }
        jack_free(others);
    }
    return found;
}

// Whether a message starts or ends notes: Note On, Note Off, and the controllers All Sound Off and
// All Notes Off. Breath, pitch bend, aftertouch and every other message of a wind controller's
// steady stream are not.
bool StartsOrEndsNotes(unsigned char status, unsigned char data1) {
    const MidiMessage m = MidiMessage::Pack(status, data1, 0);
    return m.Kind() == kNoteOffStatus || m.Kind() == kNoteOnStatus || m.EndsEveryNote();
}

// Messages from RtMidi's thread to the input's: written by that thread alone and read by the
// input's alone, in fixed storage, so neither side allocates or waits for the other. When the
// input's thread falls this far behind, newer messages are dropped.
class MessageRing {
public:
    struct Message {
        unsigned char status, data1, data2;
        int64_t ms;
    };
    bool Push(const Message& m) noexcept {
        const size_t head = head_.load(std::memory_order_relaxed);
        if (head - tail_.load(std::memory_order_acquire) == kSize) return false;
        slots_[head % kSize] = m;
        head_.store(head + 1, std::memory_order_release);
        return true;
    }
    bool Pop(Message& m) noexcept {
        const size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail == head_.load(std::memory_order_acquire)) return false;
        m = slots_[tail % kSize];
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

private:
    static constexpr size_t kSize = 512;
    std::array<Message, kSize> slots_{};
    std::atomic<size_t> head_{0};
    std::atomic<size_t> tail_{0};
};

QString OneLine(const std::string& text) { return QString::fromStdString(text).simplified(); }

QString Quoted(const std::string& name) { return QStringLiteral("\"%1\"").arg(QString::fromStdString(name)); }

} // namespace

std::vector<MidiInputPort> MidiInputPorts() {
    std::vector<MidiInputPort> ports;
    for (auto [api, system] : {std::pair{RtMidi::LINUX_ALSA, kAlsa}, std::pair{RtMidi::UNIX_JACK, kJack}}) {
        std::unique_ptr<RtMidiIn> in = Client(api);
        if (!in) continue;
        for (std::string& name : RtMidiPortNames(*in))
            if (!name.empty()) ports.push_back({system, std::move(name)});
    }
    return ports;
}

// What one opened input holds. The messages arrive on RtMidi's thread, which puts those about
// notes in the ring and wakes the input's thread through an event counter; the JACK watch's calls
// arrive on JACK's notification threads and queue work to the input's thread, tagged with the
// generation they belong to, so that the input drops work of a connection since closed.
// Destroying it closes the port, then stops those threads, before the ring and the tag go.
struct MidiNoteInput::Connection {
    MidiNoteInput* owner = nullptr;
    uint64_t generation = 0;
    std::string source;               // the port listened to
    MessageRing ring;
    int wake = -1;                    // the event counter RtMidi's thread adds to
    std::unique_ptr<QSocketNotifier> woken;
    std::unique_ptr<JackWatch> watch; // JACK only
    std::unique_ptr<RtMidiIn> in;
    // ALSA only: a client of its own that lists the ports now and then, as the sequencer says
    // nothing to RtMidi when the source goes (a controller unplugged, a program ended).
    std::unique_ptr<RtMidiIn> lister;

    ~Connection() {
        if (in) {
            CerrToAudioDiagnostics capture("rtmidi: ");
            try {
                // The port first, so nothing more arrives; then the callback can go.
                if (watch && watch->ServerStopped()) {
                    in->cancelCallback();
                    KeepClientOfStoppedServer(std::shared_ptr<RtMidiIn>(std::move(in)));
                } else {
                    in->closePort();
                    in->cancelCallback();
                }
            } catch (const RtMidiError& e) {
                NoteAudioDiagnostic("rtmidi: " + e.getMessage());
            }
            in.reset();
        }
        woken.reset();
        if (wake >= 0) ::close(wake);
    }

    // Queues a call of the input's to its thread, unless the connection has been closed by then.
    template <class Call>
    void Queue(Call call) noexcept {
        MidiNoteInput* input = owner;
        const uint64_t tag = generation;
        try {
            QMetaObject::invokeMethod(
                input, [input, tag, call] { if (tag == input->generation_ && input->connection_) call(input); },
                Qt::QueuedConnection);
        } catch (...) {
        }
    }

    // On RtMidi's thread: nothing here allocates, locks or waits.
    static void OnMessage(double, std::vector<unsigned char>* message, void* data) noexcept {
        if (!message || message->empty()) return;
        const unsigned char status = (*message)[0];
        const unsigned char data1 = message->size() > 1 ? (*message)[1] & 0x7F : 0;
        if (!StartsOrEndsNotes(status, data1)) return;
        const unsigned char data2 = message->size() > 2 ? (*message)[2] & 0x7F : 0;
        auto* c = static_cast<Connection*>(data);
        if (!c->ring.Push({status, data1, data2, NowMs()})) return;
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(c->wake, &one, sizeof one);
    }
};

MidiNoteInput::MidiNoteInput(QObject* parent) : QObject(parent) {
    portWatch_.setInterval(1000);
    connect(&portWatch_, &QTimer::timeout, this, [this] { CheckSourceStillThere(); });
}

MidiNoteInput::~MidiNoteInput() { Close(); }

bool MidiNoteInput::IsOpen() const { return connection_ != nullptr; }

void MidiNoteInput::Close() {
    portWatch_.stop();
    ++generation_;
    // Closed while taking what arrived: the notifier whose signal is being handled goes afterwards.
    if (taking_ && connection_ && connection_->woken) {
        connection_->woken->setEnabled(false);
        connection_->woken.release()->deleteLater();
    }
    connection_.reset();
    held_.clear();
    shown_ = -1;
}

bool MidiNoteInput::Open(const MidiInputPort& port, QString* why) {
    Close();
    auto fail = [this, why](const QString& line) {
        ++generation_; // whatever the attempt queued is dropped
        if (why) *why = line;
        return false;
    };
    const bool jack = port.api == kJack;
    if (!jack && port.api != kAlsa)
        return fail(QStringLiteral("%1 is not a MIDI system Korvalin knows.").arg(Quoted(port.api)));
    const RtMidi::Api api = jack ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
    if (!RtMidiCompiled(api))
        return fail(QStringLiteral("This Korvalin was built without %1 MIDI.").arg(QString::fromLatin1(port.api)));

    auto connection = std::make_unique<Connection>();
    connection->owner = this;
    connection->generation = generation_;
    connection->source = port.name;

    if (jack) {
        Connection* c = connection.get();
        connection->watch = JackWatch::Start(
            {.serverStopped =
                 [c] {
                     c->Queue([](MidiNoteInput* input) {
                         input->Lose(QStringLiteral("The JACK server stopped; choose the input again."));
                     });
                 },
             .portGone = [c] { c->Queue([](MidiNoteInput* input) { input->CheckSourceStillThere(); }); }});
        if (!connection->watch) return fail(QStringLiteral("No JACK server is running; start it, or choose another input."));
    }

    connection->in = Client(api);
    if (!connection->in)
        return fail(jack ? QStringLiteral("No JACK server is running; start it, or choose another input.")
                         : QStringLiteral("The ALSA sequencer is not available."));
    const std::optional<unsigned> number = PortNumber(RtMidiPortNames(*connection->in), port.name);
    if (!number)
        return fail(QStringLiteral("The MIDI input %1 is no longer there; choose the input again.").arg(Quoted(port.name)));

    // Only notes and controllers matter; system exclusive, clock and active sensing are dropped by
    // RtMidi before they reach the callback.
    connection->in->ignoreTypes(true, true, true);
    connection->wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (connection->wake < 0) return fail(QStringLiteral("The MIDI input could not be set up."));
    connection->woken = std::make_unique<QSocketNotifier>(connection->wake, QSocketNotifier::Read);
    connect(connection->woken.get(), &QSocketNotifier::activated, this, &MidiNoteInput::TakeArrived);
    connection->in->setCallback(&Connection::OnMessage, connection.get());
    std::string error;
    {
        CerrToAudioDiagnostics capture("rtmidi: ");
        try {
            connection->in->openPort(*number, kPortName);
        } catch (const RtMidiError& e) {
            error = e.getMessage();
            NoteAudioDiagnostic("rtmidi: " + error);
        }
    }
    // RtMidi does not say whether its JACK connection was made (a port gone between the listing and
    // now): the watch looks at the port's connections. One that goes later is caught by the watch.
    if (jack ? !Connected(connection->watch->Client(), port.name) : !connection->in->isPortOpen())
        return fail(QStringLiteral("The MIDI input %1 could not be opened%2")
                        .arg(Quoted(port.name), error.empty() ? QStringLiteral(".") : ": " + OneLine(error)));

    if (!jack) connection->lister = Client(api);
    connection_ = std::move(connection);
    if (connection_->lister) portWatch_.start();
    return true;
}

void MidiNoteInput::TakeArrived() {
    if (!connection_) return;
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(connection_->wake, &count, sizeof count);
    // What is taken may close the input (a listener that stops listening): then the rest goes too.
    const uint64_t generation = generation_;
    taking_ = true;
    MessageRing::Message m{};
    while (connection_ && generation == generation_ && connection_->ring.Pop(m)) Take(m.status, m.data1, m.data2, m.ms);
    taking_ = false;
}

void MidiNoteInput::Take(unsigned char status, unsigned char data1, unsigned char data2, int64_t ms) {
    const MidiMessage m = MidiMessage::Pack(status, data1, data2);
    const int channel = m.Channel();
    auto release = [&](auto which) {
        std::erase_if(held_, which);
        const int latest = held_.empty() ? -1 : held_.back().second;
        if (latest != shown_) Emit(ms);
    };
    if (m.StartsNote()) {
        std::erase(held_, std::pair{channel, int(data1)});
        held_.emplace_back(channel, int(data1));
        Emit(ms);
    } else if (m.EndsNote()) {
        release([&](const std::pair<int, int>& key) { return key == std::pair{channel, int(data1)}; });
    } else if (m.EndsEveryNote()) {
        // All Sound Off and All Notes Off release every key of their channel.
        release([&](const std::pair<int, int>& key) { return key.first == channel; });
    }
}

void MidiNoteInput::Emit(int64_t ms) {
    HeardNote note;
    note.fromMidi = true;
    note.ms = ms;
    if (!held_.empty()) {
        note.hasNote = true;
        note.concertMidi = held_.back().second;
        note.cents = 0;
    }
    shown_ = note.concertMidi;
    emit heard(note);
}

void MidiNoteInput::Lose(const QString& line) {
    const bool sounding = shown_ >= 0;
    Close();
    // Whatever was held is not heard any more.
    if (sounding) Emit(NowMs());
    emit failed(line);
}

void MidiNoteInput::CheckSourceStillThere() {
    if (!connection_) return;
    if (connection_->lister) {
        const std::vector<std::string> names = RtMidiPortNames(*connection_->lister);
        if (std::find(names.begin(), names.end(), connection_->source) != names.end()) return;
    } else {
        if (!connection_->watch || connection_->watch->ServerStopped()) return;
        if (jack_port_by_name(connection_->watch->Client(), connection_->source.c_str())) return;
    }
    Lose(QStringLiteral("The MIDI input %1 has gone; choose the input again.").arg(Quoted(connection_->source)));
}

} // namespace korvalin
