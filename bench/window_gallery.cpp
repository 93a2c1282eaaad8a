// Renders every window of the application, in the states worth reviewing, to PNG files, so that a
// developer can look at them without clicking through: window_gallery <out folder>
// Runs on any platform plugin (offscreen by default; under Xvfb with QT_QPA_PLATFORM=xcb).
#include "app/korvalin1.h"
#include "app/prompts.h"
#include "app/window_registry.h"
#include "listen/listen_window.h"
#include "main_window/form1.h"
#include "main_window/picture_box.h"
#include "metronome/metronome_window.h"
#include "midi/midi_control.h"
#include "midi/midi_port.h"
#include "printing/form12.h"
#include "reference/chart_windows.h"
#include "reference/explainers.h"
#include "reference/help_viewer.h"
#include "scales/form2.h"
#include "scales/form3.h"
#include "tests/support/recording_midi_output.h"
#include "tests/support/find_control.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/recording_help.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <QTest>

using namespace korvalin;

namespace {

QString g_out;

void Save(QWidget& w, const QString& name) {
    QApplication::processEvents();
    w.grab().save(g_out + "/" + name + ".png");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The Listen window lists the audio inputs: never those of the desktop's own server.
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) qputenv("PULSE_SERVER", "unix:/nonexistent/korvalin-gallery");
    QApplication app(argc, argv);
    g_out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery");
    QDir().mkpath(g_out);
    SetMidiOutput(std::make_shared<RecordingMidiOutput>());
    SetPrompts(std::make_shared<RecordingPrompts>());
    SetHelp(std::make_shared<RecordingHelp>());
    Form1::EndApplication() = [] {};

    Form1& f = Window<Form1>();
    Save(f, "main_start");
    f.ShowNote(87); // written Bb4: four fingerings
    for (int i = 0; i < 4; ++i) {
        Find<QPushButton>(f, "Command2", i)->click();
        Save(f, QStringLiteral("main_bb4_v%1").arg(i + 1));
    }
    QTest::mouseClick(Find<PictureBox>(f, "Image20"), Qt::LeftButton, {}, QPoint(183, 20)); // Db0, right half of the black key
    Save(f, "main_key_flat_half");
    QTest::mouseClick(Find<PictureBox>(f, "Image20"), Qt::LeftButton, {}, QPoint(179, 20)); // C#0, left half
    Save(f, "main_key_sharp_half");
    QTest::mouseClick(Find<PictureBox>(f, "Image3"), Qt::LeftButton, {}, QPoint(60, 129)); // the line of B1
    Save(f, "main_staff_line");
    Find<QAction>(f, "Baritone")->trigger();
    Save(f, "main_baritone");

    f.Command4_Click();
    Form2& scales = Window<Form2>();
    scales.Command9_Click(); // Blues
    Save(scales, "select_scale_blues");
    scales.Command1_Click(10);
    Save(f, "main_scale_mode");

    Find<QAction>(f, "MControl")->trigger();
    Save(Window<MidiControl>(), "midi_control");
    Window<MidiControl>().Command1_Click();

    Find<QAction>(f, "MetronomeItem")->trigger();
    Save(Window<MetronomeWindow>(), "metronome");
    const int sound = KORVALIN1.SoundOn;
    KORVALIN1.SoundOn = 0; // sound off: the window says why nothing starts
    Find<QPushButton>(Window<MetronomeWindow>(), "startButton")->click();
    Save(Window<MetronomeWindow>(), "metronome_cannot_start");
    KORVALIN1.SoundOn = int16_t(sound);
    Window<MetronomeWindow>().close();

    Find<QAction>(f, "UFLoad")->trigger();
    Save(Window<Form3>(), "pattern_load");
    Window<Form3>().Command1_Click();

    Find<QAction>(f, "Menu_Mouthpiece")->trigger();
    Save(Window<Form5>(), "mouthpiece");
    Window<Form5>().Command3_Click();
    Find<QAction>(f, "Mnu_Reed")->trigger();
    Save(Window<Form10>(), "reed");
    Window<Form10>().Command3_Click();
    Find<QAction>(f, "Menu_Print")->trigger();
    Window<Form4>().resize(1280, 900);
    Save(Window<Form4>(), "fingering_chart");
    Window<Form4>().ReturnFromCHart_Click();
    Find<QAction>(f, "Menu_Altissimo")->trigger();
    Window<Form13>().resize(1280, 900);
    Save(Window<Form13>(), "altissimo_chart");
    Window<Form13>().Alti_Return_Click();
    Find<QAction>(f, "Scale_Wheel")->trigger();
    Save(Window<Form8>(), "circle_of_fifths");
    Window<Form8>().Command2_Click();
    Save(Window<Form11>(), "circle_explained");
    Window<Form11>().Command1_Click();
    Window<Form8>().Command1_Click();
    Find<QAction>(f, "TransMenu")->trigger();
    Save(Window<Form9>(), "transposition");
    Window<Form9>().Command1_Click();
    Find<QAction>(f, "Top5Menu")->trigger();
    Save(Window<Form7>(), "top5");
    Window<Form7>().Command1_Click();
    Find<QAction>(f, "PrintScale")->trigger();
    Window<Form12>().resize(1280, 900);
    Save(Window<Form12>(), "scale_page");
    // Listening: a note heard a little sharp on the alto, then an input that went away.
    f.Alto_Click();
    Find<QTimer>(f, "Timer2")->stop();
    f.Timer2_Timer();
    QTest::qWait(ListenWindow::kOwnSoundTailMs + 100); // the application's own note has died away
    Find<QAction>(f, "ListenItem")->trigger();
    ListenWindow& listen = Window<ListenWindow>();
    listen.Heard(HeardNote{true, 52, 7.4, false, 0});
    Save(listen, "listen_note");
    for (int i = 0; i < 12; ++i) { // the needle settles over a few readings
        listen.Heard(HeardNote{true, 49, -27, false, 0});
        QTest::qWait(60);
    }
    Save(listen, "listen_flat");
    listen.InputFailed("The input \"USB microphone\" went away.");
    Save(listen, "listen_failed");
    listen.close();
    HelpWindow help;
    help.ShowContents();
    help.resize(900, 700);
    Save(help, "help");
    DestroyAllWindows();
    return 0;
}
