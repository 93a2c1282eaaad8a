#include "app/window_handover.h"

#include "app/window_registry.h"
#include "main_window/form1.h"

namespace korvalin {

void ShowInsteadOfMain(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
    // Shown before the main window goes, so that the screen is never left without a window of
    // the application.
    if (WindowLoaded<Form1>()) Window<Form1>().hide();
}

void ReturnToMain(QWidget& window) {
    window.hide();
    if (!Form1::Ending()) Window<Form1>().show();
}

} // namespace korvalin
