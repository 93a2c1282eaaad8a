#include "main_window/window_font.h"

#include <QApplication>
#include <QFontDatabase>
#include <QWidget>

namespace korvalin {

QFont WindowFont() {
    QFont f = QApplication::font();
    f.setPointSizeF(8.25);
    f.setBold(true);
    return f;
}

QFont FixedFont() {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSizeF(9);
    return f;
}

QFont DesktopFontFor(const QWidget* widget) {
    QFont f = QApplication::font(widget);
    f.setResolveMask(QFont::AllPropertiesResolved);
    return f;
}

} // namespace korvalin
