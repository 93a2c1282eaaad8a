// A widget that paints one of the drawn reference pictures: either stretched over the whole widget
// (the scalable charts) or at its own design size from the top-left corner (the circle of fifths).
#pragma once

#include <QSizeF>
#include <QWidget>
#include <functional>

class QPainter;
class QRectF;

namespace korvalin {

class DrawingView : public QWidget {
    Q_OBJECT
public:
    using Draw = std::function<void(QPainter&, const QRectF&)>;

    // With an empty `ownSize` the drawing fills the widget; otherwise it is drawn into
    // (0, 0, ownSize) whatever the widget's size, and the rest is clipped or left white.
    DrawingView(Draw draw, QSizeF ownSize = {}, QWidget* parent = nullptr);

    const Draw& drawing() const { return draw_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Draw draw_;
    QSizeF ownSize_;
};

} // namespace korvalin
