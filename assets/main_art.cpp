// Placeholder pictures: plain outlines at the right sizes until the artwork lands.
#include "assets/main_art.h"

#include <QPainter>

namespace korvalin {
namespace {
QImage Blank(int w, int h, qreal dpr, QColor fill) {
    QImage img(QSize(int(w * dpr), int(h * dpr)), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(fill);
    QPainter p(&img);
    p.setPen(Qt::black);
    p.drawRect(0, 0, w - 1, h - 1);
    return img;
}
} // namespace

QImage StaffPicture(bool greyed, qreal dpr) {
    QImage img = Blank(147, 264, dpr, greyed ? Qt::lightGray : Qt::white);
    QPainter p(&img);
    for (int y = 9; y <= 261; y += 12) p.drawLine(0, y, 146, y);
    return img;
}
QImage StaffGlyph(int, bool sounding, qreal dpr) { return Blank(25, 25, dpr, sounding ? Qt::red : Qt::green); }
QImage KeyboardPicture(qreal dpr) {
    QImage img = Blank(507, 90, dpr, Qt::white);
    QPainter p(&img);
    for (int k = 0; k < 41; ++k) p.drawLine(13 + 12 * k, 0, 13 + 12 * k, 89);
    return img;
}
QImage KeyMarker(bool sounding, qreal dpr) { return Blank(3, 15, dpr, sounding ? Qt::red : Qt::green); }
QImage BannerPicture(qreal dpr) { return Blank(332, 23, dpr, Qt::white); }
QImage AboutPicture(qreal dpr) { return Blank(320, 200, dpr, Qt::gray); }
QImage KeySignaturePicture(int, qreal dpr) { return Blank(79, 64, dpr, Qt::white); }
QImage FacePicture(bool smiling, qreal dpr) { return Blank(24, 22, dpr, smiling ? Qt::yellow : Qt::green); }
QIcon AppIcon() { return QIcon(QPixmap::fromImage(Blank(32, 32, 1.0, Qt::yellow))); }

} // namespace korvalin
