// The MIDI input through a real JACK server: the private one `./korvalin test` starts (the test
// fails without it, and never reaches for the user's own server). A test keyboard on that server
// plays into Korvalin's input port. The ALSA sequencer is hidden from the whole test (an empty ALSA
// configuration), so nothing here touches the machine's own MIDI devices either.
#include "listen/midi_input.h"
#include "midi/port_output.h"
#include "tests/support/jack_sender.h"

#include <QCoreApplication>
#include <QFile>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <optional>

using namespace korvalin;

// Allocations made on threads other than the test's own (RtMidi's, JACK's), where messages arrive.
static std::atomic<long> g_allocatedElsewhere{0};
static thread_local bool t_testThread = false;

void* operator new(std::size_t n) {
    if (!t_testThread) g_allocatedElsewhere.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Hides the ALSA sequencer: with an empty configuration ALSA knows no "default" sequencer.
class NoAlsaSequencer : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        const QString path = dir_.filePath("asound.conf");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        qputenv("ALSA_CONFIG_PATH", path.toUtf8());
    }

private:
    QTemporaryDir dir_;
};
const auto* const kNoAlsa = ::testing::AddGlobalTestEnvironment(new NoAlsaSequencer);

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Runs the event loop until `done` or a generous deadline (slow machines under sanitizers).
bool Until(const std::function<bool()>& done, int ms = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// What a MidiNoteInput said, in order, and whether it said it on its own thread.
struct Heard {
    std::vector<HeardNote> notes;
    std::vector<QString> failures;
    bool offThread = false;

    explicit Heard(MidiNoteInput& input) {
        QObject::connect(&input, &MidiNoteInput::heard, &input, [this, &input](HeardNote n) {
            offThread |= QThread::currentThread() != input.thread();
            notes.push_back(n);
        });
        QObject::connect(&input, &MidiNoteInput::failed, &input, [this](const QString& line) { failures.push_back(line); });
    }
    // The notes as numbers, -1 for "no note".
    std::vector<int> Numbers() const {
        std::vector<int> v;
        for (const HeardNote& n : notes) v.push_back(n.hasNote ? n.concertMidi : -1);
        return v;
    }
};

bool OneLine(const QString& s) { return !s.trimmed().isEmpty() && !s.contains('\n'); }

int Threads() { return int(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()); }

std::optional<MidiInputPort> Listed(const std::string& name) {
    for (const MidiInputPort& p : MidiInputPorts())
        if (p.api == "JACK" && p.name == name) return p;
    return std::nullopt;
}

class MidiInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        t_testThread = true;
        ASSERT_TRUE(OnPrivateJackServer()) << kNoPrivateJack;
        ASSERT_TRUE(keyboard.ok()) << keyboard.error();
    }

    // Opens an input on the test keyboard's port.
    void Open(MidiNoteInput& input) {
        std::optional<MidiInputPort> port = Listed(keyboard.PortName());
        ASSERT_TRUE(port) << keyboard.PortName() << " is not among the MIDI inputs";
        QString why;
        ASSERT_TRUE(input.Open(*port, &why)) << why.toStdString();
        ASSERT_TRUE(input.IsOpen());
    }

    JackSender keyboard;
};

// A MIDI message as the keyboard sends it.
struct Msg {
    uint8_t status, data1, data2;
};
Msg On(int ch, int note, int velocity = 100) { return {uint8_t(0x90 | ch), uint8_t(note), uint8_t(velocity)}; }
Msg Off(int ch, int note) { return {uint8_t(0x80 | ch), uint8_t(note), 64}; }

// Each case's messages, then the notes heard (-1: no note). Every case ends with a sentinel key
// pressed and released, so that anything heard that should not have been shows up before it.
TEST_F(MidiInputTest, KeysPressedAndReleasedAreHeardInOrder) {
    struct Case {
        const char* name;
        std::vector<Msg> messages;
        std::vector<int> heard;
    };
    const Case cases[] = {
        {"NoteOnThenNoteOff", {On(0, 60), Off(0, 60)}, {60, -1}},
        {"VelocityZeroEndsTheNote", {On(0, 62, 90), On(0, 62, 0)}, {62, -1}},
        {"LegatoOverlap", {On(0, 60), On(0, 64), Off(0, 60), Off(0, 64)}, {60, 64, -1}},
        {"ChordReleasedFromTheTop",
         {On(0, 60), On(0, 64), On(0, 67), Off(0, 67), Off(0, 64), Off(0, 60)},
         {60, 64, 67, 64, 60, -1}},
        {"InnerKeyReleasedChangesNothing", {On(0, 60), On(0, 64), On(0, 67), Off(0, 64), Off(0, 67), Off(0, 60)},
         {60, 64, 67, 60, -1}},
        {"AnyChannel", {On(9, 48), On(15, 50), Off(9, 48), Off(15, 50)}, {48, 50, -1}},
        {"SameKeyOnTwoChannels", {On(0, 60), On(3, 60), Off(0, 60), Off(3, 60)}, {60, 60, -1}},
        {"AKeyPressedAgainIsHeardAgain", {On(0, 70), On(0, 70), Off(0, 70)}, {70, 70, -1}},
        {"AllNotesOffOnItsChannel", {On(2, 60), On(5, 72), On(2, 64), {0xB2, 123, 0}, Off(5, 72)}, {60, 72, 64, 72, -1}},
        // A wind controller's breath, pitch bend and pressure among them: dropped where they arrive.
        {"OtherMessagesAndStrayReleasesAreIgnored",
         {{0xE0, 0, 64}, Off(0, 55), {0xC0, 65, 0}, On(0, 55, 0), {0xB0, 1, 90}, On(0, 71), {0xB0, 2, 70}, {0xD0, 50, 0},
          {0xA0, 71, 40}, {0xE0, 3, 66}, Off(0, 71)},
         {71, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MidiNoteInput input;
        Heard heard(input);
        ASSERT_NO_FATAL_FAILURE(Open(input));
        const int64_t before = NowMs();
        const long allocated = g_allocatedElsewhere;
        for (const Msg& m : c.messages) ASSERT_TRUE(keyboard.Send({m.status, m.data1, m.data2}));
        ASSERT_TRUE(keyboard.NoteOn(0, 100, 80) && keyboard.NoteOff(0, 100));
        std::vector<int> expected = c.heard;
        expected.insert(expected.end(), {100, -1});
        Until([&] { return heard.notes.size() >= expected.size(); });
        EXPECT_EQ(heard.Numbers(), expected);
        // Only RtMidi's own buffer grows, on an input's first messages.
        EXPECT_LT(g_allocatedElsewhere - allocated, 10) << "allocations off the test's thread";
        EXPECT_FALSE(heard.offThread);
        EXPECT_TRUE(heard.failures.empty());
        int64_t last = before;
        for (const HeardNote& n : heard.notes) {
            EXPECT_TRUE(n.fromMidi);
            EXPECT_EQ(n.cents, 0);
            EXPECT_GE(n.ms, last); // the monotonic clock, in the order played
            last = n.ms;
        }
        EXPECT_LE(last, NowMs());
    }
}

// Open connects the keyboard to Korvalin's port "Listen in", where another program may connect
// itself too; Close takes the port away, ends every thread the input started, and nothing played
// afterwards is heard.
TEST_F(MidiInputTest, CloseStopsEverything) {
    auto ours = [this] {
        std::vector<std::string> ports;
        for (const std::string& p : keyboard.Connections())
            if (p.starts_with("Korvalin") && p.ends_with(":Listen in")) ports.push_back(p);
        return ports;
    };
    JackSender other("Korvalin test keyboard 5");
    ASSERT_TRUE(other.ok()) << other.error();
    const int threads = Threads();
    MidiNoteInput input;
    Heard heard(input);
    ASSERT_NO_FATAL_FAILURE(Open(input));
    const std::vector<std::string> port = ours();
    ASSERT_EQ(port.size(), 1u);
    const std::vector<std::string> inputs = other.InputPorts();
    EXPECT_NE(std::find(inputs.begin(), inputs.end(), port[0]), inputs.end());
    ASSERT_TRUE(other.ConnectTo(port[0]));
    ASSERT_TRUE(keyboard.NoteOn(0, 65, 100) && keyboard.WaitUntilSent() && other.NoteOn(1, 69, 100));
    ASSERT_TRUE(Until([&] { return heard.notes.size() == 2; }));
    input.Close();
    EXPECT_FALSE(input.IsOpen());
    EXPECT_TRUE(ours().empty());
    // None of the threads started for the input remains (others may have ended meanwhile).
    EXPECT_TRUE(Until([&] { return Threads() <= threads; })) << Threads() << " threads, " << threads << " before";
    ASSERT_TRUE(keyboard.NoteOff(0, 65) && keyboard.NoteOn(0, 67, 100) && keyboard.WaitUntilSent());
    Until([] { return false; }, 300); // whatever would arrive has had time to
    EXPECT_EQ(heard.Numbers(), (std::vector<int>{65, 69}));
    EXPECT_TRUE(heard.failures.empty());
}

// The JACK server is the only MIDI system here (the ALSA sequencer is hidden): it lists the
// keyboard's output and nothing of ALSA; inputs (Korvalin's own port among them) are not listed.
// An input that cannot be opened says why in one line and stays closed.
TEST_F(MidiInputTest, ListsReadablePortsAndRefusesWhatIsNotThere) {
    MidiNoteInput input;
    ASSERT_NO_FATAL_FAILURE(Open(input));
    const std::vector<MidiInputPort> ports = MidiInputPorts();
    for (const MidiInputPort& p : ports) {
        EXPECT_EQ(p.api, "JACK") << p.name;
        EXPECT_FALSE(p.name.ends_with(":Listen in")) << p.name;
    }
    EXPECT_TRUE(Listed(keyboard.PortName()));

    std::string gone;
    {
        JackSender other("Korvalin test keyboard 2");
        ASSERT_TRUE(other.ok());
        gone = other.PortName();
        ASSERT_TRUE(Listed(gone));
    }
    const MidiInputPort refused[] = {{"JACK", gone}, {"JACK", ""}, {"ALSA", "Midi Through:Midi Through Port-0 14:0"},
                                     {"CoreMIDI", keyboard.PortName()}};
    for (const MidiInputPort& p : refused) {
        SCOPED_TRACE(p.api + " " + p.name);
        QString why;
        EXPECT_FALSE(input.Open(p, &why));
        EXPECT_FALSE(input.IsOpen());
        EXPECT_TRUE(OneLine(why)) << why.toStdString();
        EXPECT_FALSE(input.Open(p, nullptr));
    }
}

// The port listened to going away (its program quits) closes the input with one line; a key
// held then is released first, so nothing stays shown as heard.
TEST_F(MidiInputTest, APortThatGoesAwayFails) {
    MidiNoteInput input;
    Heard heard(input);
    {
        JackSender other("Korvalin test keyboard 3");
        ASSERT_TRUE(other.ok());
        std::optional<MidiInputPort> port = Listed(other.PortName());
        ASSERT_TRUE(port);
        ASSERT_TRUE(input.Open(*port, nullptr));
        ASSERT_TRUE(other.NoteOn(4, 58, 100));
        ASSERT_TRUE(Until([&] { return heard.notes.size() == 1; }));
    }
    ASSERT_TRUE(Until([&] { return !heard.failures.empty(); }));
    EXPECT_FALSE(input.IsOpen());
    ASSERT_EQ(heard.failures.size(), 1u);
    EXPECT_TRUE(OneLine(heard.failures[0])) << heard.failures[0].toStdString();
    EXPECT_TRUE(heard.failures[0].contains("has gone")) << heard.failures[0].toStdString();
    EXPECT_EQ(heard.Numbers(), (std::vector<int>{58, -1}));
    // Opening again works once a port is there.
    ASSERT_NO_FATAL_FAILURE(Open(input));
}

// A JACK server of this test's own, stopped while the input listens (and while Korvalin's MIDI
// output plays into that input on the same server): `failed` with one line, the input closed,
// nothing left hanging, and closing the output afterwards does not crash; listing then finds no
// JACK ports and returns at once. (No client of the shared server is open meanwhile: a process is
// a client of one server at a time.)
TEST(MidiInputServer, StoppingItWhileOpenFails) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath("jack");
    QProcess start;
    start.start(KORVALIN_PRIVATE_JACK, {"start", folder});
    ASSERT_TRUE(start.waitForFinished(30000));
    ASSERT_EQ(start.exitCode(), 0) << start.readAllStandardError().toStdString();
    const QByteArray shared = qgetenv("JACK_DEFAULT_SERVER");
    QByteArray own;
    for (const QByteArray& line : start.readAllStandardOutput().split('\n'))
        if (line.startsWith("JACK_DEFAULT_SERVER=")) own = line.mid(int(strlen("JACK_DEFAULT_SERVER=")));
    ASSERT_FALSE(own.isEmpty());
    auto stop = [&] { QProcess::execute(KORVALIN_PRIVATE_JACK, {"stop", folder}); };
    qputenv("JACK_DEFAULT_SERVER", own);
    {
        MidiNoteInput input;
        Heard heard(input);
        JackSender player("Korvalin test keyboard 4");
        if (!player.ok()) {
            qputenv("JACK_DEFAULT_SERVER", shared);
            stop();
            FAIL() << player.error();
        }
        std::optional<MidiInputPort> port = Listed(player.PortName());
        QString why;
        EXPECT_TRUE(port && input.Open(*port, &why)) << why.toStdString();
        EXPECT_TRUE(player.NoteOn(0, 66, 100));
        EXPECT_TRUE(Until([&] { return heard.notes.size() == 1; }));
        std::optional<PortOutput> output;
        for (const PortInfo& p : ListMidiPorts())
            if (p.system == PortSystem::Jack && p.port.ends_with(":Listen in")) output.emplace(p);
        ASSERT_TRUE(output && output->Open());
        output->Send(PackMidiMessage(0x93, 62, 90));
        EXPECT_TRUE(Until([&] { return heard.notes.size() == 2; }));
        stop();
        // Listing before the input has been told (a failed attempt to reach the server) must not
        // make its closing crash afterwards.
        QThread::msleep(300);
        EXPECT_TRUE(MidiInputPorts().empty());
        EXPECT_TRUE(Until([&] { return !heard.failures.empty(); }));
        EXPECT_FALSE(input.IsOpen());
        EXPECT_EQ(heard.failures, std::vector<QString>{"The JACK server stopped; choose the input again."});
        EXPECT_EQ(heard.Numbers(), (std::vector<int>{66, 62, -1}));
        output->Close();
        EXPECT_FALSE(output->IsOpen());
        QElapsedTimer listing;
        listing.start();
        EXPECT_TRUE(MidiInputPorts().empty());
        EXPECT_LT(listing.elapsed(), 10000); // no server: no waiting for one
        EXPECT_FALSE(input.Open({"JACK", player.PortName()}, &why));
        EXPECT_TRUE(OneLine(why)) << why.toStdString();
    }
    qputenv("JACK_DEFAULT_SERVER", shared);
}

} // namespace
