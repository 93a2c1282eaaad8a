// Renders every fingering picture into one labelled contact sheet (PNG), for reviewing the key
// diagrams the way a saxophone teacher would: all 99 side by side, in picture order.
#include "assets/key_diagram.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

using namespace korvalin;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <out.png> [scale]\n", argv[0]);
        return 2;
    }
    const qreal scale = argc > 2 ? std::max(0.25, QString::fromLocal8Bit(argv[2]).toDouble()) : 1.0;

    const int columns = 11;
    const int rows = (kFingeringPictureCount + columns - 1) / columns;
    const QSize picture(162, 240);
    const int caption = 30;
    const QSize cell(picture.width() + 8, picture.height() + caption + 8);
    const QSize sheet(columns * cell.width(), rows * cell.height());

    QImage img((QSizeF(sheet) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(scale);
    img.fill(QColor(225, 225, 225));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font;
    font.setPixelSize(11);
    p.setFont(font);

    const FingeringSet& set = Fingerings();
    for (int i = 0; i < kFingeringPictureCount; ++i) {
        const QPoint origin((i % columns) * cell.width() + 4, (i / columns) * cell.height() + 4);
        const QRectF box(origin, picture);
        p.fillRect(box, Qt::white);
        DrawFingeringPicture(p, box, i);
        const FingeringEntry* e = set.Find(i);
        QString kind;
        if (e && e->kind == FingeringKind::Extra) kind = QStringLiteral(" (extra)");
        p.setPen(Qt::black);
        p.drawText(QRectF(origin.x(), origin.y() + picture.height(), picture.width(), caption),
                   Qt::AlignCenter | Qt::TextWordWrap,
                   QString::number(i) + QStringLiteral("  ") + FingeringCaption(i) + kind);
    }
    p.end();

    for (const std::string& e : set.errors) std::fprintf(stderr, "fault: %s\n", e.c_str());
    if (!img.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("wrote %s (%d x %d)\n", argv[1], img.width(), img.height());
    return set.ok() ? 0 : 1;
}
