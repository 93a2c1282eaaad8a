// Listening through a real audio server: the private PulseAudio server of the test run
// (PULSE_SERVER). A null sink of this test's own has its monitor made the default source; a
// rendered saxophone note played into the sink is what the microphone hears. The Listen window
// must name it and the main window show it; the source going away while it is captured must be
// said in one line, and choosing it again once it is back must work, while the rest of the
// application goes on.
#include "listen/audio_pitch_input.h"
#include "listen/listen_meters.h"
#include "listen/listen_window.h"
#include "metronome/metronome_player.h"
#include "midi/synth_output.h"
#include "scales/playback.h"
#include "tests/listen/listen_corpus.h"
#include "tests/support/find_control.h"
#include "tests/support/gui_test.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace korvalin;

namespace {

// The sink the note is played into, and a source fed by its monitor: the desktop's list of
// inputs leaves monitors out, as a person choosing a microphone wants it.
constexpr const char* kSink = "korvalin_listen";
const QByteArray kMicrophone = "korvalin_listen_microphone";

std::optional<QString> Pactl(const QStringList& arguments) {
    QProcess p;
    p.start("pactl", arguments);
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

std::optional<QAudioDevice> Microphone(const QByteArray& id = kMicrophone) {
    for (const QAudioDevice& d : AudioPitchInput::Inputs())
        if (d.id() == id) return d;
    return std::nullopt;
}

// Threads of this process named as the capture thread names itself.
int CaptureThreads() {
    int n = 0;
    for (const QString& task : QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "Listening") ++n;
    }
    return n;
}

class ListenThroughServer : public GuiTest<> {
protected:
    void SetUp() override {
        const char* server = std::getenv("PULSE_SERVER");
        ASSERT_TRUE(server && *server && Pactl({"info"}))
            << "no PulseAudio server reachable through PULSE_SERVER; `./korvalin test` starts a private one";
        QSettings("Korvalin", "Korvalin").clear();
        GuiTest::SetUp();
        previousSource = Pactl({"get-default-source"}).value_or(QString());
        LoadSink();

        // An alto's written Bb1 (MIDI 70, concert Db, MIDI 61), rendered by the built-in synthesizer.
        for (listen_test::ListenCase& c : listen_test::RenderSaxophoneNotes(44100, 12))
            if (c.label.rfind("alto", 0) == 0 && c.expectedNote == 61) note = std::move(c.samples);
        ASSERT_FALSE(note.empty()) << "the saxophone note could not be rendered (no soundfont?)";
        ASSERT_TRUE(folder.isValid());
        QFile raw(folder.filePath("note.raw"));
        ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
        for (int repeat = 0; repeat < 4; ++repeat) // a few seconds of the note, again and again
            raw.write(reinterpret_cast<const char*>(note.data()), qint64(note.size() * sizeof(float)));
    }
    void TearDown() override {
        player.kill();
        player.waitForFinished(5000);
        GuiTest::TearDown();
        UnloadSink();
        if (!roomModule.isEmpty()) Pactl({"unload-module", roomModule});
        if (!previousSource.isEmpty()) Pactl({"set-default-source", previousSource});
        QSettings("Korvalin", "Korvalin").clear();
    }

    void LoadSink() {
        const std::optional<QString> index =
            Pactl({"load-module", "module-null-sink", QStringLiteral("sink_name=%1").arg(kSink),
                   "sink_properties=device.description=Korvalin_listen"});
        ASSERT_TRUE(index.has_value()) << "the null sink could not be loaded";
        module = *index;
        // Goes with the sink when the sink's module is unloaded.
        const std::optional<QString> remap = Pactl({"load-module", "module-remap-source", QStringLiteral("master=%1.monitor").arg(kSink),
                           QStringLiteral("source_name=%1").arg(QString::fromUtf8(kMicrophone)),
                           "source_properties=device.description=Korvalin_listen_microphone"});
        ASSERT_TRUE(remap.has_value()) << "the source over the sink's monitor could not be loaded";
        remapModule = *remap;
        ASSERT_TRUE(Pactl({"set-default-source", QString::fromUtf8(kMicrophone)}));
    }
    // The sink goes, and with it its monitor and the source over it (which unloads itself).
    void UnloadSink() {
        if (!module.isEmpty()) Pactl({"unload-module", module});
        module.clear();
        if (!remapModule.isEmpty()) Pactl({"unload-module", remapModule}); // already gone, normally
        remapModule.clear();
    }

    // Plays the rendered note into the sink (the player ends on its own).
    void Play() {
        player.kill();
        player.waitForFinished(5000);
        player.start("pacat", {"--playback", "--raw", QStringLiteral("--device=%1").arg(kSink), "--format=float32le",
                               "--rate=44100", "--channels=1", folder.filePath("note.raw")});
        ASSERT_TRUE(player.waitForStarted(5000));
    }

    // Chooses the source in the Listen window as a person would, by its caption.
    void ChooseMicrophone(ListenWindow& w) {
        std::optional<QAudioDevice> microphone;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (microphone = Microphone()).has_value(); }, 20000)) << "the source is not listed";
        w.ListInputs();
        ASSERT_TRUE(w.ChooseInput(microphone->description()));
        ASSERT_TRUE(w.Listening()) << Find<QLabel>(w, "statusLine")->text().toStdString();
    }

    // The room: the microphone is a source over the monitor of the sink the built-in synthesizer
    // plays into, so it hears the application as a laptop's microphone hears its speakers, and
    // the player (a rendered alto, written F4 and G4) sounds into the same sink.
    void MakeTheRoom() {
        const std::optional<QString> index =
            Pactl({"load-module", "module-remap-source", "master=korvalin_test.monitor", "source_name=korvalin_room",
                   "source_properties=device.description=Korvalin_room_microphone"});
        ASSERT_TRUE(index.has_value()) << "the room's microphone could not be loaded";
        roomModule = *index;
        ASSERT_TRUE(Pactl({"set-default-source", "korvalin_room"}));
        QFile raw(folder.filePath("scale.raw"));
        ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
        for (listen_test::ListenCase& c : listen_test::RenderSaxophoneNotes(44100, 1))
            if (c.label.rfind("alto", 0) == 0 && (c.expectedNote == 56 || c.expectedNote == 58)) {
                c.samples.resize(std::size_t(1.5 * 44100) + std::size_t(c.onset), 0.0f);
                raw.write(reinterpret_cast<const char*>(c.samples.data() + c.onset), qint64((c.samples.size() - std::size_t(c.onset)) * sizeof(float)));
            }
    }
    // The notes the microphone named from signal `from` on: each held at least as long as the main
    // window waits before it shows one (a sampled attack's scoop is not a note played).
    static std::vector<int> NotesHeard(const QSignalSpy& spy, qsizetype from) {
        std::vector<int> notes;
        int run = -1;
        int64_t since = 0;
        for (qsizetype i = from; i < spy.size(); ++i) {
            const HeardNote n = spy.at(i).at(0).value<HeardNote>();
            const int note = n.hasNote && !n.fromMidi ? n.concertMidi : -1;
            if (note != run) {
                run = note;
                since = n.ms;
            }
            if (note >= 0 && n.ms - since >= ListenWindow::kHoldMs && std::find(notes.begin(), notes.end(), note) == notes.end())
                notes.push_back(note);
        }
        return notes;
    }

    QString previousSource, module, remapModule, roomModule;
    std::vector<float> note;
    QTemporaryDir folder;
    QProcess player;
};

TEST_F(ListenThroughServer, NamesThePlayedNoteSaysWhenTheSourceGoesAndListensAgainWhenItIsBack) {
    Form1& f = Window<Form1>();
    f.show();
    Find<QAction>(f, "ListenItem")->trigger();
    ListenWindow& w = Window<ListenWindow>();
    QSignalSpy spy(&w, &ListenWindow::heard);
    midi->Clear();

    ChooseMicrophone(w);
    EXPECT_EQ(CaptureThreads(), 1);
    Play();
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.CurrentNote == 88; }, 30000))
        << "the main window shows note " << f.CurrentNote << "; the Listen window heard "
        << Find<QLabel>(w, "writtenNote")->text().toStdString();
    EXPECT_EQ(Find<QLabel>(f, "Label1")->text().simplified(), "Bb1 (A#)");
    EXPECT_TRUE(std::any_of(spy.begin(), spy.end(), [](const QList<QVariant>& args) {
        const HeardNote n = args.at(0).value<HeardNote>();
        return n.hasNote && n.concertMidi == 61 && !n.fromMidi;
    }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Find<LevelMeter>(w, "levelMeter")->Level() > -50; }, 10000))
        << "the level meter never moved";
    for (const auto& e : midi->events)
        EXPECT_FALSE(e.kind == RecordingMidiOutput::Kind::Send && e.Message().StartsNote())
            << "listening sounded note " << int(e.Data1());

    // The source goes while it is captured: one line says so, and listening has ended.
    player.kill();
    player.waitForFinished(5000);
    UnloadSink();
    QLabel* status = Find<QLabel>(w, "statusLine");
    EXPECT_TRUE(QTest::qWaitFor([&] { return status->isVisible(); }, 20000)) << "the Listen window said nothing";
    EXPECT_FALSE(status->text().isEmpty());
    EXPECT_FALSE(status->text().contains('\n'));
    EXPECT_FALSE(w.Listening());
    EXPECT_TRUE(QTest::qWaitFor([] { return CaptureThreads() == 0; }, 5000)) << "the capture thread is still there";
    EXPECT_EQ(Find<QComboBox>(w, "inputChooser")->currentText(), "Not listening");

    // The rest of the application goes on.
    f.Command5_Click();
    EXPECT_EQ(f.CurrentNote, 89) << "Sharpen from Bb1 gives B1";
    EXPECT_FALSE(midi->Sent().empty());
    f.Timer2_Timer();

    // The source is back: chosen again, it is heard again.
    LoadSink();
    f.DisplayNote(73);
    ChooseMicrophone(w);
    EXPECT_FALSE(status->isVisible());
    QTest::qWait(ListenWindow::kOwnSoundTailMs);
    Play();
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.CurrentNote == 88; }, 30000))
        << "not heard after the source came back: the main window shows note " << f.CurrentNote
        << ", the Listen window heard " << Find<QLabel>(w, "writtenNote")->text().toStdString() << " and says \""
        << status->text().toStdString() << "\"" << (w.Listening() ? "" : " (not listening)");

    // Closed, the window listens no more and leaves no thread behind.
    w.close();
    EXPECT_FALSE(w.Listening());
    // Joined already; the system lets go of a joined thread a moment later.
    EXPECT_TRUE(QTest::qWaitFor([] { return CaptureThreads() == 0; }, 5000)) << "the capture thread is still there";
}

// A microphone in the room hears the built-in synthesizer: the drone on the alto's C (sounding
// Eb, the alto's written C4 is in unison with it) and the clicks at their loudest for a minute, then
// the application's own notes: none of it is the player. The player then plays over the drone and
// clicks, and is heard.
TEST_F(ListenThroughServer, InARoomTheApplicationsOwnSoundIsNotThePlayer) {
    MakeTheRoom();
    SynthSettings settings;
    settings.idleClose = std::chrono::milliseconds(300);
    auto synth = std::make_shared<SynthOutput>(settings);
    SetMidiOutput(synth);
    OpenMidiOut();
    KORVALIN1.SoundOn = 1;
    ASSERT_NE(KORVALIN1.MidiReady, 0) << "the built-in synthesizer did not open";
    Form1& f = Window<Form1>();
    f.show();
    Find<QAction>(f, "ListenItem")->trigger();
    ListenWindow& w = Window<ListenWindow>();
    QSignalSpy spy(&w, &ListenWindow::heard);
    std::optional<QAudioDevice> room;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (room = Microphone("korvalin_room")).has_value(); }, 20000)) << "the room's microphone is not listed";
    w.ListInputs();
    ASSERT_TRUE(w.ChooseInput(room->description()));
    const int shown = f.CurrentNote;

    MetronomePlayer metronome;
    ASSERT_TRUE(metronome.Start(MetronomeSchedule({.tempo = 120, .beatsPerBar = 4, .clickVolume = 127},
                                                  {.on = true, .note = 51, .volume = 127}),
                                StepClockMs()));
    QTest::qWait(60000);
    EXPECT_EQ(NotesHeard(spy, 0), std::vector<int>{}) << "the drone and clicks were taken for the player";
    EXPECT_EQ(f.CurrentNote, shown);
    EXPECT_TRUE(Find<LevelMeter>(w, "levelMeter")->Level() > -50) << "the microphone did not hear the room";

    // The player over the drone and the clicks: the notes played, nothing else.
    const qsizetype before = spy.size();
    player.start("pacat", {"--playback", "--raw", "--device=korvalin_test", "--format=float32le", "--rate=44100",
                           "--channels=1", folder.filePath("scale.raw")});
    ASSERT_TRUE(player.waitForStarted(5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return NotesHeard(spy, before).size() >= 2; }, 15000));
    EXPECT_EQ(NotesHeard(spy, before), (std::vector<int>{56, 58}));
    player.waitForFinished(10000);
    metronome.Stop();

    // The application's own notes, as a scale plays them.
    QTest::qWait(1000);
    const qsizetype scale = spy.size();
    for (int n : {73, 75, 77, 78, 80}) {
        f.ShowNote(int16_t(n));
        QTest::qWait(700);
    }
    f.Timer2_Timer();
    QTest::qWait(1000);
    EXPECT_EQ(NotesHeard(spy, scale), std::vector<int>{}) << "the application's own notes were taken for the player";
    w.close();
    CloseMidiOut();
}

// The server restarts (as a desktop's does for a change of devices) while the window listens: the
// line says the input has gone, and once the server is back with the same source, choosing it again
// listens again. The server is this test's own, so the run's shared one is left alone; the test
// runs in a process of its own (as ctest runs each), whose audio layer meets no other server.
class ListenAcrossARestart : public ListenThroughServer {
protected:
    void SetUp() override {
        shared = qgetenv("PULSE_SERVER");
        own = Server("start");
        ASSERT_FALSE(own.isEmpty()) << "a server of the test's own did not start";
        qputenv("PULSE_SERVER", own);
        ListenThroughServer::SetUp();
    }
    void TearDown() override {
        ListenThroughServer::TearDown();
        Server("stop");
        qputenv("PULSE_SERVER", shared);
    }
    QByteArray Server(const char* command) {
        QProcess p;
        p.start(KORVALIN_PULSE_SCRIPT, {command, serverFolder.path()});
        p.waitForFinished(20000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed().toUtf8();
    }
    QTemporaryDir serverFolder;
    QByteArray shared, own;
};

TEST_F(ListenAcrossARestart, ChosenAgainTheInputListensAgain) {
    Form1& f = Window<Form1>();
    f.show();
    Find<QAction>(f, "ListenItem")->trigger();
    ListenWindow& w = Window<ListenWindow>();
    ChooseMicrophone(w);

    Server("stop");
    module.clear(); // gone with the server
    remapModule.clear();
    QLabel* status = Find<QLabel>(w, "statusLine");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.Listening() && status->isVisible(); }, 20000)) << "the Listen window said nothing";
    ASSERT_EQ(Server("start"), own);
    LoadSink();

    std::optional<QAudioDevice> microphone;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (microphone = Microphone()).has_value(); }, 20000)) << "the source is not listed";
    w.ListInputs();
    ASSERT_TRUE(w.ChooseInput(microphone->description()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.Listening(); }, 10000)) << status->text().toStdString();
    EXPECT_FALSE(status->isVisible()) << status->text().toStdString();
    QTest::qWait(ListenWindow::kOwnSoundTailMs);
    Play();
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.CurrentNote == 88; }, 30000))
        << "not heard after the server came back: the main window shows note " << f.CurrentNote << " and the window says \""
        << status->text().toStdString() << "\"";
}

} // namespace
