#include "main_window/picture_box.h"

#include <QMouseEvent>
#include <QPainter>

namespace korvalin {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PictureBox::setSource(Source source) {
    source_ = std::move(source);
    cache_ = QImage();
    cacheDpr_ = 0;
    update();
}

void PictureBox::setImage(const QImage& image) {
    QImage copy = image;
    setSource([copy](qreal) { return copy; });
}

QImage PictureBox::image() const {
    const qreal dpr = devicePixelRatioF();
    if (source_ && (cache_.isNull() || cacheDpr_ != dpr)) {
        cache_ = source_(dpr);
        cacheDpr_ = dpr;
    }
    return cache_;
}

void PictureBox::copyPictureFrom(const PictureBox& other) {
    source_ = other.source_;
    cache_ = QImage();
    cacheDpr_ = 0;
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    const QImage img = image();
    if (img.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(rect()), img);
}

void PictureBox::mousePressEvent(QMouseEvent* e) {
    emit mouseDown(e->button(), e->modifiers(), e->position());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* e) {
    emit mouseUp(e->button(), e->modifiers(), e->position());
    if (rect().contains(e->position().toPoint())) emit clicked();
}

} // namespace korvalin
