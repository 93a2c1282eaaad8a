// The main window's Sounds > "Metronome and Drone" item.
#include "main_window/form1.h"

#include "app/window_registry.h"
#include "metronome/metronome_window.h"

namespace korvalin {

void Form1::OpenMetronomeWindow() { Window<MetronomeWindow>().ShowBeside(); }

} // namespace korvalin
