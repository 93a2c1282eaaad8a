// The fonts the windows share: the window font of the main window and of the windows that follow
// its look (the scale selection and MIDI control windows), and the fixed-pitch font of the main
// window's playback, semitone and instrument controls.
#pragma once

#include <QFont>

namespace korvalin {

// The application's font at 8.25 points, bold.
QFont WindowFont();

// The system's fixed-pitch font at 9 points.
QFont FixedFont();

// The desktop's own font for `widget`'s class (a menu bar, a menu), with every property set, so
// that a window's own font does not reach it.
QFont DesktopFontFor(const QWidget* widget);

} // namespace korvalin
