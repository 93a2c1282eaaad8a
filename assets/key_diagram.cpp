// Placeholder diagrams: an outline with the picture's index until the key drawings land.
#include "assets/key_diagram.h"

namespace korvalin {

void DrawFingeringPicture(QPainter& painter, const QRectF& box, int index, const QColor&) {
    painter.save();
    painter.setPen(Qt::black);
    painter.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.drawText(box, Qt::AlignCenter, QString::number(index));
    painter.restore();
}

QImage FingeringImage(int index, QSize size, qreal dpr) {
    QImage img(size * dpr, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::white);
    QPainter p(&img);
    DrawFingeringPicture(p, QRectF(QPointF(0, 0), QSizeF(size)), index);
    return img;
}

QString FingeringAccessibleName(int index) { return QStringLiteral("Fingering %1").arg(index); }
QString FingeringAccessibleDescription(int) { return QString(); }

} // namespace korvalin
