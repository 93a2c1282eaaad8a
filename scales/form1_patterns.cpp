// The main window's File > "Load": the pattern window takes the main window's place.
#include "app/window_handover.h"
#include "app/window_registry.h"
#include "main_window/form1.h"
#include "scales/form3.h"

namespace korvalin {

void Form1::UFLoad_Click() {
    ShowInsteadOfMain(Window<Form3>()); // created, and started at the application's folder, on first use
}

} // namespace korvalin
