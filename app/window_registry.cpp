#include "app/window_registry.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QMainWindow>
#include <vector>

namespace korvalin {
namespace {
std::vector<QPointer<QWidget>>& Windows() {
    static std::vector<QPointer<QWidget>> windows;
    return windows;
}

// The toolkit describes a plain widget as a client area even when it stands alone on screen, which
// screen readers announce as a "filler". A window of ours built on a plain widget is described
// as a window instead, named by its caption; main windows and dialogs describe themselves.
QAccessibleInterface* WindowDescription(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !widget->isWindow()) return nullptr;
    // Asked once per class of the object, most derived first: answer for that one only, and only
    // for the application's own windows (menus, tooltips and the like keep their descriptions).
    // The description is made once and kept, possibly while the window is still being built, so
    // the window is known by its class rather than by its registration.
    if (className != QLatin1String(object->metaObject()->className())) return nullptr;
    if (!className.startsWith(QLatin1String("korvalin::"))) return nullptr;
    if (qobject_cast<QMainWindow*>(widget) || qobject_cast<QDialog*>(widget)) return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

void DescribeWindowsAsWindows() {
    static const bool installed = [] {
        QAccessible::installFactory(&WindowDescription);
        return true;
    }();
    Q_UNUSED(installed);
}
} // namespace

// In place before any window of the application exists.
Q_COREAPP_STARTUP_FUNCTION(DescribeWindowsAsWindows)

void RegisterWindow(QWidget* window) {
    DescribeWindowsAsWindows();
    Windows().emplace_back(window);
}

void DestroyAllWindows() {
    auto windows = std::move(Windows());
    Windows().clear();
    // Newest first, so a window never outlives one it was created from.
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) delete it->data();
}

void NameApplication() {
    QApplication::setOrganizationName("Korvalin"); // the settings store is named the same (app/options)
    QApplication::setApplicationName("Korvalin");
}

} // namespace korvalin
