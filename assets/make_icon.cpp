// Writes the application icon as a scalable vector file for the desktop (the hicolor "scalable"
// size), from the same drawing the windows use. Run at build time: make_icon <out.svg>
#include "assets/main_art.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QSvgGenerator svg;
    svg.setFileName(QString::fromLocal8Bit(argv[1]));
    svg.setSize(QSize(64, 64));
    svg.setViewBox(QRect(0, 0, 64, 64));
    svg.setTitle("Korvalin");
    svg.setDescription("Korvalin saxophone tutor");
    QPainter painter(&svg);
    korvalin::DrawAppIcon(painter, QRectF(0, 0, 64, 64));
    return painter.end() ? 0 : 1;
}
