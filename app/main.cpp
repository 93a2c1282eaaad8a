// Korvalin: a tutor for saxophone players. The about box comes up first; two seconds later it hands
// over to the main window, whose load builds the tables and opens the sound output.
#include "app/end_signals.h"
#include "app/korvalin1.h"
#include "app/window_registry.h"
#include "assets/main_art.h"
#include "midi/default_output.h"
#include "midi/midi_port.h"
#include "reference/about_box.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Korvalin");
    QApplication::setApplicationDisplayName("Korvalin");
    QApplication::setQuitOnLastWindowClosed(false); // Exit ends the application, nothing else
    QApplication::setWindowIcon(korvalin::AppIcon());

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
