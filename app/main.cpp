// Korvalin: a tutor for saxophone players. The about box comes up first; two seconds later it hands
// over to the main window, whose load builds the tables and opens the sound output.
#include "app/end_signals.h"
#include "app/korvalin1.h"
#include "app/version.h"
#include "app/window_registry.h"
#include "assets/main_art.h"
#include "midi/default_output.h"
#include "midi/midi_port.h"
#include "reference/about_box.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <vector>

namespace {

// The command line has no options of its own: --help, --help-all and --version, and the
// window-system options every Qt program accepts.
void DescribeCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Saxophone tutor: fingerings, transposition, scales and sound."));
    parser.addHelpOption();
    parser.addVersionOption();
}

// --help and --version are answered on the terminal before the window system is reached, so they
// work without a display; --help-all, which lists the window-system options too, asks Qt's
// minimal window system, which needs none. The parser prints the answer and ends the process.
void AnswerInformationRequests(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    // Qt's own options (-platform, -reverse, -stylesheet ...) are not known here: each "-word" is
    // read as one option, so none is taken for a cluster holding -h or -v, and unknown ones are
    // left to the parse in main.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.parse(arguments);
    const bool version = parser.isSet(QStringLiteral("version"));
    const bool help = parser.isSet(QStringLiteral("help"));
    const bool helpAll = parser.isSet(QStringLiteral("help-all"));
    if (!version && !help && !helpAll) return;

    // The usage line names the command, not the folder the launcher starts the program from.
    QByteArray command = QFileInfo(arguments.value(0, QStringLiteral("korvalin"))).fileName().toLocal8Bit();
    std::vector<char*> args(argv, argv + argc);
    if (args.empty()) args.push_back(nullptr);
    args[0] = command.data();
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    if (version || help) {
        QCoreApplication info(count, args.data());
        if (version) parser.showVersion();
        parser.showHelp();
    }
    qputenv("QT_QPA_PLATFORM", "minimal");
    QApplication info(count, args.data());
    QCommandLineParser full;
    DescribeCommandLine(full);
    full.process(info);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationVersion(KORVALIN_VERSION);
    AnswerInformationRequests(argc, argv);

    QApplication app(argc, argv);
    korvalin::NameApplication(); // window titles stay exactly the windows' captions
    QApplication::setQuitOnLastWindowClosed(false); // Exit ends the application, nothing else
    QApplication::setWindowIcon(korvalin::AppIcon());
    {
        // What is left once Qt has taken its own options: anything unknown is refused with a
        // message and exit code 1.
        QCommandLineParser parser;
        DescribeCommandLine(parser);
        parser.process(app);
    }

    // Prepared in the background while the about box is on screen.
    korvalin::SetMidiOutput(korvalin::MakeDefaultMidiOutput());

    // Logout, shutdown and a terminal's Ctrl+C end the application as Exit does.
    korvalin::EndSignals endSignals(korvalin::EndOnSignal);

    korvalin::Window<korvalin::AboutBox1>().show();
    const int code = QApplication::exec();
    // Exit has closed the output; should the loop have ended any other way, it is closed here,
    // so that no note is left sounding on an external port.
    if (korvalin::KORVALIN1.SoundOn == 1 && korvalin::KORVALIN1.MidiOutHandle != 0) korvalin::CloseMidiOut();
    korvalin::SetMidiOutput(nullptr); // releases the device
    return code;
}
