// Korvalin: a tutor for saxophone players. The about box comes up first; two seconds later it hands
// over to the main window, whose load builds the tables and opens the sound output.
#include "app/window_registry.h"
#include "assets/main_art.h"
#include "midi/default_output.h"
#include "midi/midi_port.h"
#include "reference/about_box.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    korvalin::NameApplication(); // window titles stay exactly the windows' captions
    QApplication::setQuitOnLastWindowClosed(false); // Exit ends the application, nothing else
    QApplication::setWindowIcon(korvalin::AppIcon());

    // Prepared in the background while the about box is on screen.
    korvalin::SetMidiOutput(korvalin::MakeDefaultMidiOutput());

    korvalin::Window<korvalin::AboutBox1>().show();
    const int code = QApplication::exec();
    korvalin::SetMidiOutput(nullptr); // releases the device
    return code;
}
