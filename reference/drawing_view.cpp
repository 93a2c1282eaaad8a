#include "reference/drawing_view.h"

#include <QPainter>

namespace korvalin {

DrawingView::DrawingView(Draw draw, QSizeF ownSize, QWidget* parent)
    : QWidget(parent), draw_(std::move(draw)), ownSize_(ownSize) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DrawingView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF target = ownSize_.isEmpty() ? QRectF(rect()) : QRectF(QPointF(0, 0), ownSize_);
    if (draw_) draw_(p, target);
}

} // namespace korvalin
