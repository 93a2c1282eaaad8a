// Windows are created on first use and then kept for the whole run, only hidden and shown.
// Window<W>() returns the one instance of W, creating it (and running its Form_Load, when it has
// one) the first time. Screen readers meet every such window as a window (or dialog) named by its
// caption. Tests call DestroyAllWindows() to start the next case from fresh windows.
#pragma once

#include <QPointer>
#include <QWidget>

namespace korvalin {

void RegisterWindow(QWidget* window);
void DestroyAllWindows();

// Names the application. Window titles are then exactly the windows' captions: no display name
// is set, since the toolkit would append it to every title the window system shows.
void NameApplication();

template <class W>
QPointer<W>& WindowSlot() {
    static QPointer<W> slot;
    return slot;
}

// True when the window exists (without creating it).
template <class W>
bool WindowLoaded() { return !WindowSlot<W>().isNull(); }

template <class W>
W& Window() {
    QPointer<W>& slot = WindowSlot<W>();
    if (!slot) {
        W* w = new W();
        slot = w;
        RegisterWindow(w);
        if constexpr (requires { w->Form_Load(); }) w->Form_Load();
    }
    return *slot;
}

} // namespace korvalin
