// The main window's "Listen" item: opens the Listen window beside the main window, which stays.
#include "main_window/form1.h"

#include "app/window_registry.h"
#include "listen/listen_window.h"

namespace korvalin {

void Form1::OpenListenWindow() { Window<ListenWindow>().OpenBeside(); }

} // namespace korvalin
