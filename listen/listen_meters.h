// The Listen window's two meters, drawn in code: the input level and the tuning; and what screen
// readers find in them.
#pragma once

#include "listen/practice.h"
#include "listen/tuning_colours.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <optional>

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
    // The level as read out: none while the meter is off.
    std::optional<double> Reading() const { return isEnabled() ? std::optional<double>(level_) : std::nullopt; }

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
// the needle where the smoothed tuning stands; no needle while nothing is heard. The needle moves
// about thirty times a second, so the scale is drawn once into a pixmap (again on a resize or a
// change of palette or font) and a move repaints only the strips of the old and the new needle.
class TuningMeter : public QWidget {
    Q_OBJECT
public:
    explicit TuningMeter(QWidget* parent) : QWidget(parent) { setMinimumSize(260, 64); }
    void SetNeedle(bool shown, double cents) {
        cents = std::clamp(cents, -50.0, 50.0);
        // A needle that has not moved by a tenth of a cent (well under a pixel) is not drawn again.
        if (shown == shown_ && (!shown || std::fabs(cents - cents_) < 0.1)) return;
        const QRect before = NeedleStrip();
        shown_ = shown;
        cents_ = shown ? cents : 0.0;
        update(before.united(NeedleStrip()));
    }
    bool NeedleShown() const { return shown_; }
    double NeedleCents() const { return cents_; }
    std::optional<double> Reading() const { return shown_ ? std::optional<double>(cents_) : std::nullopt; }

protected:
    void paintEvent(QPaintEvent*) override {
        const qreal ratio = devicePixelRatioF();
        if (scale_.isNull() || scale_.size() != size() * ratio) {
            scale_ = QPixmap(size() * ratio);
            scale_.setDevicePixelRatio(ratio);
            scale_.fill(Qt::transparent);
            QPainter s(&scale_);
            DrawScale(s);
        }
        QPainter p(this);
        p.drawPixmap(0, 0, scale_);
        if (!shown_) return;
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF area = Area();
        const bool inTune = std::fabs(cents_) <= kInTuneZoneCents;
        p.setPen(QPen(inTune ? InTuneColour() : OutOfTuneColour(), 3));
        p.drawLine(QPointF(X(cents_), area.top() + 2), QPointF(X(cents_), area.bottom() - 2));
    }
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange ||
            event->type() == QEvent::EnabledChange || event->type() == QEvent::StyleChange)
            scale_ = QPixmap();
        QWidget::changeEvent(event);
    }

private:
    QRectF Area() const { return QRectF(rect()).adjusted(14, 4, -14, -18); }
    double X(double cents) const {
        const QRectF area = Area();
        return area.left() + area.width() * (cents + 50.0) / 100.0;
    }
    // Where the needle is drawn, with room for its pen and antialiasing; empty without a needle.
    QRect NeedleStrip() const {
        if (!shown_) return {};
        const QRectF area = Area();
        return QRectF(X(cents_) - 4, area.top(), 8, area.height()).toAlignedRect();
    }
    void DrawScale(QPainter& p) const {
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF area = Area();
        p.fillRect(area, palette().color(QPalette::Base));
        p.fillRect(QRectF(QPointF(X(-kInTuneZoneCents), area.top()), QPointF(X(kInTuneZoneCents), area.bottom())),
                   InTuneZoneColour());
        p.setPen(palette().color(QPalette::Text));
        QFont small = font();
        small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.85));
        p.setFont(small);
        for (int c = -50; c <= 50; c += 10) {
            const double tick = c % 50 == 0 || c == 0 ? 12 : 7;
            p.drawLine(QPointF(X(c), area.bottom()), QPointF(X(c), area.bottom() - tick));
            if (c % 50 == 0) {
                const QString text = c > 0 ? QStringLiteral("+%1").arg(c) : QString::number(c);
                p.drawText(QRectF(X(c) - 20, area.bottom() + 2, 40, 14), Qt::AlignHCenter | Qt::AlignTop, text);
            }
        }
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(area);
    }

    bool shown_ = false;
    double cents_ = 0;
    QPixmap scale_; // the scale without the needle, at the widget's size and pixel ratio
};

// What a screen reader finds in a meter: its name, and its reading as a value to read out
// ("-12 dB", "+7 cents"), none while the meter shows nothing. The reading is read when asked for;
// a change is not announced, as the meters move many times a second (the cents beside the tuning
// meter are announced).
template <class Meter>
class MeterAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    MeterAccessible(Meter* meter, const char* unit, double lowest, double highest)
        : QAccessibleWidget(meter, QAccessible::ProgressBar), unit_(unit), lowest_(lowest), highest_(highest) {}
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Value) return QAccessibleWidget::text(t);
        const std::optional<double> reading = static_cast<Meter*>(widget())->Reading();
        if (!reading) return {};
        const long whole = std::lround(*reading);
        return QStringLiteral("%1%2 %3").arg(whole > 0 ? "+" : "").arg(whole).arg(QLatin1String(unit_));
    }
    QVariant currentValue() const override {
        const std::optional<double> reading = static_cast<Meter*>(widget())->Reading();
        return reading ? QVariant(*reading) : QVariant();
    }
    void setCurrentValue(const QVariant&) override {} // a meter is only read
    QVariant maximumValue() const override { return highest_; }
    QVariant minimumValue() const override { return lowest_; }
    QVariant minimumStepSize() const override { return 1.0; }

private:
    const char* unit_;
    double lowest_, highest_;
};

// Makes the meters' accessible interfaces; installed once, before the first meter is asked for.
inline QAccessibleInterface* MeterAccessibleFactory(const QString&, QObject* object) {
    if (auto* level = qobject_cast<LevelMeter*>(object)) return new MeterAccessible<LevelMeter>(level, "dB", -60, 0);
    if (auto* tuning = qobject_cast<TuningMeter*>(object)) return new MeterAccessible<TuningMeter>(tuning, "cents", -50, 50);
    return nullptr;
}

} // namespace korvalin
