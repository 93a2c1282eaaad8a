// The Listen window's two meters, drawn in code: the input level and the tuning.
#pragma once

#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace korvalin {

// The input's level, -60 to 0 dBFS, as a bar; green up to -12, amber above, red past -3.
class LevelMeter : public QWidget {
    Q_OBJECT
public:
    explicit LevelMeter(QWidget* parent) : QWidget(parent) { setMinimumSize(120, 14); }
    void SetLevel(double dbfs) {
        dbfs = std::clamp(dbfs, -60.0, 0.0);
        if (std::fabs(dbfs - level_) < 0.25) return;
        level_ = dbfs;
        update();
    }
    double Level() const { return level_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = rect().adjusted(0, 0, -1, -1);
        p.fillRect(r, palette().color(QPalette::Base));
        if (isEnabled()) {
            const int w = int(std::lround(r.width() * (level_ + 60.0) / 60.0));
            const QColor colour = level_ > -3 ? QColor(200, 40, 40) : level_ > -12 ? QColor(220, 160, 0) : QColor(40, 160, 60);
            p.fillRect(QRect(r.left(), r.top(), w, r.height()), colour);
        }
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(r);
    }

private:
    double level_ = -60;
};

// The tuning meter: a scale from -50 to +50 cents with the in-tune zone of +-10 cents marked, and
// the needle where the smoothed tuning stands; no needle while nothing is heard.
class TuningMeter : public QWidget {
    Q_OBJECT
public:
    explicit TuningMeter(QWidget* parent) : QWidget(parent) { setMinimumSize(260, 64); }
    void SetNeedle(bool shown, double cents) {
        shown_ = shown;
        cents_ = std::clamp(cents, -50.0, 50.0);
        update();
    }
    bool NeedleShown() const { return shown_; }
    double NeedleCents() const { return cents_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF area = QRectF(rect()).adjusted(14, 4, -14, -18);
        auto x = [&area](double cents) { return area.left() + area.width() * (cents + 50.0) / 100.0; };
        p.fillRect(area, palette().color(QPalette::Base));
        p.fillRect(QRectF(QPointF(x(-10), area.top()), QPointF(x(10), area.bottom())), QColor(190, 235, 190));
        p.setPen(palette().color(QPalette::Text));
        QFont small = font();
        small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.85));
        p.setFont(small);
        for (int c = -50; c <= 50; c += 10) {
            const double tick = c % 50 == 0 || c == 0 ? 12 : 7;
            p.drawLine(QPointF(x(c), area.bottom()), QPointF(x(c), area.bottom() - tick));
            if (c % 50 == 0) {
                const QString text = c > 0 ? QStringLiteral("+%1").arg(c) : QString::number(c);
                p.drawText(QRectF(x(c) - 20, area.bottom() + 2, 40, 14), Qt::AlignHCenter | Qt::AlignTop, text);
            }
        }
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(area);
        if (!shown_) return;
        const bool inTune = std::fabs(cents_) <= 10.0;
        p.setPen(QPen(inTune ? QColor(20, 140, 40) : QColor(200, 40, 40), 3));
        p.drawLine(QPointF(x(cents_), area.top() + 2), QPointF(x(cents_), area.bottom() - 2));
    }

private:
    bool shown_ = false;
    double cents_ = 0;
};

} // namespace korvalin
