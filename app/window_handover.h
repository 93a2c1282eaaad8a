// The main window and the windows opened from it take turns on screen: a command of the main
// window shows its window in the main window's place, and that window's "Return" (its "Done" or
// "Cancel", its frame's close control) hides it and brings the main window back.
#pragma once

class QWidget;

namespace korvalin {

// Shows `window`, raised and active, and hides the main window.
void ShowInsteadOfMain(QWidget& window);

// Hides `window` and shows the main window again, unless the application is ending: its windows
// are then going away, and the main window must not come back.
void ReturnToMain(QWidget& window);

} // namespace korvalin
