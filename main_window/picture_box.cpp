#include "main_window/picture_box.h"

#include "assets/main_geometry.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

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

void PictureBox::setFit(Fit fit) {
    fit_ = fit;
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
    QPainter p(this);
    // Painted through render() into a finer device (a printer): draw the picture again at that
    // device's resolution rather than enlarging the screen image.
    const QTransform t = p.deviceTransform();
    const qreal scale = std::max(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
    const QImage img = source_ && scale > devicePixelRatioF() * 1.01 ? source_(scale) : image();
    if (fit_ == Fit::Framed) {
        p.setPen(QPen(palette().color(QPalette::Dark), kPictureBorder));
        p.setBrush(Qt::NoBrush);
        const qreal half = kPictureBorder / 2.0;
        p.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
        if (img.isNull()) return;
        // Only a picture larger than the inside of the frame is cut at its edge.
        p.setClipRect(rect().adjusted(kPictureBorder, kPictureBorder, -kPictureBorder, -kPictureBorder));
        p.drawImage(QRectF(QPointF(kPictureBorder, kPictureBorder), img.deviceIndependentSize()), img);
        return;
    }
    if (img.isNull()) return;
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
