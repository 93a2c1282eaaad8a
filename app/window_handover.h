// The main window and the windows opened from it take turns on screen: a command of the main
// window shows its window in the main window's place, and that window's "Return" (its "Done" or
// "Cancel", its frame's close control) hides it and brings the main window back. The practice
// windows open beside the main window instead, where they stood last.
#pragma once

#include "app/options.h"

class QWidget;

namespace korvalin {

// Shows `window`, raised and active, and hides the main window.
void ShowInsteadOfMain(QWidget& window);

// Hides `window` and shows the main window again, unless the application is ending: its windows
// are then going away, and the main window must not come back.
void ReturnToMain(QWidget& window);

// Shows `window`, raised and active, beside the main window, which stays. Not already on screen,
// it goes where it stood when RememberPlace() last kept it under `geometry` (moved onto a
// screen if that place is off every screen now), else to the right of the main window, within the
// screen.
void ShowBesideMain(QWidget& window, Option geometry);
// Keeps where `window` stands for ShowBesideMain(), between runs.
void RememberPlace(const QWidget& window, Option geometry);

} // namespace korvalin
