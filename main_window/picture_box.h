// A picture control: shows a drawn image stretched to its size, or 1:1 inside a 1-pixel border,
// rendered on first paint at the screen's pixel ratio (so it stays crisp), and reports mouse presses and releases with positions
// in pixels from its top-left corner (also outside it, after a press on it).
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

namespace korvalin {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    using Source = std::function<QImage(qreal dpr)>;

    explicit PictureBox(QWidget* parent = nullptr);

    // Stretch: the picture covers the whole control. Framed: a 1-pixel border round the control
    // and the picture at its own size inside it, from the top-left, never scaled, so that its
    // rows and columns land on whole pixels where the control's geometry puts them.
    enum class Fit { Stretch, Framed };
    void setFit(Fit fit);
    Fit fit() const { return fit_; }

    // Draw from `source` (called lazily, again when the pixel ratio changes).
    void setSource(Source source);
    // Show a fixed image (scaled to the control).
    void setImage(const QImage& image);
    // The image as last rendered for this control (renders it if needed).
    QImage image() const;
    // Same picture as another control (as when one picture is given another's).
    void copyPictureFrom(const PictureBox& other);
    // What the picture is drawn from.
    const Source& source() const { return source_; }

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF pos);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF pos);
    void clicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    Source source_;
    Fit fit_ = Fit::Stretch;
    mutable QImage cache_;
    mutable qreal cacheDpr_ = 0;
};

} // namespace korvalin
