#include "app/window_handover.h"

#include "app/window_registry.h"
#include "main_window/form1.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

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

void ShowBesideMain(QWidget& window, Option geometry) {
    if (!window.isVisible()) {
        // restoreGeometry() itself brings a window that would stand off every screen back onto one.
        const bool restored = Options::Has(geometry) && window.restoreGeometry(Options::Bytes(geometry));
        if (!restored && WindowLoaded<Form1>()) {
            // To the right of the main window, where the screen has room.
            const QRect main = Window<Form1>().frameGeometry();
            window.adjustSize();
            QPoint at(main.right() + 8, main.top());
            if (const QScreen* screen = Window<Form1>().screen()) {
                const QRect room = screen->availableGeometry();
                at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - window.width())));
                at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - window.height())));
            }
            window.move(at);
        }
    }
    window.show();
    window.raise();
    window.activateWindow();
}

void RememberPlace(const QWidget& window, Option geometry) {
    Options::Set(geometry, window.saveGeometry());
}

} // namespace korvalin
