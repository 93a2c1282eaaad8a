#include "listen/intonation_chart.h"

#include "listen/tuning_colours.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace korvalin {
namespace {

constexpr double kRangeCents = 50;                 // the chart runs from -50 to +50 cents
constexpr int kGridCents[] = {-50, -25, -10, 10, 25, 50};
constexpr int kMargin = 6;

QString StepDescription(const PracticeStep& s) {
    const QString name = QString::fromStdString(PracticeNoteName(s.note));
    if (!s.averageCents) return name + QStringLiteral(" not played");
    return name + QStringLiteral(" %1 cents%2").arg(QString::fromStdString(CentsText(s.averageCents)))
                      .arg(InTune(s) ? QString() : s.reached ? QStringLiteral(", out of tune") : QStringLiteral(", not reached"));
}

} // namespace

IntonationChart::IntonationChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("intonationChart"));
    setAccessibleName(QStringLiteral("Intonation chart"));
    setAccessibleDescription(QStringLiteral("No notes played yet"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}


QSize IntonationChart::sizeHint() const { return {520, 220}; }
QSize IntonationChart::minimumSizeHint() const { return {240, 150}; }

void IntonationChart::SetSteps(std::vector<PracticeStep> steps) {
    steps_ = std::move(steps);
    QStringList parts;
    for (const PracticeStep& s : steps_) parts << StepDescription(s);
    setAccessibleDescription(steps_.empty() ? QStringLiteral("No notes played yet")
                                            : QStringLiteral("Average tuning of each note: ") + parts.join(QStringLiteral("; ")));
    update();
}

QRect IntonationChart::PlotRect() const {
    const QFontMetrics fm(font());
    const int left = fm.horizontalAdvance(QStringLiteral("+50")) + 2 * kMargin;
    const int bottom = fm.height() + kMargin; // the note names
    return QRect(left, kMargin + fm.height() / 2, std::max(1, width() - left - kMargin),
                 std::max(1, height() - bottom - kMargin - fm.height() / 2));
}

int IntonationChart::CentsY(double cents) const {
    const QRect plot = PlotRect();
    const double c = std::clamp(cents, -kRangeCents, kRangeCents);
    return plot.top() + int(std::lround((kRangeCents - c) / (2 * kRangeCents) * plot.height()));
}

int IntonationChart::ZeroY() const { return CentsY(0); }

QRect IntonationChart::Slot(int i) const {
    const QRect plot = PlotRect();
    const int n = std::max<int>(1, int(steps_.size()));
    const int x0 = plot.left() + int(std::lround(double(plot.width()) * i / n));
    const int x1 = plot.left() + int(std::lround(double(plot.width()) * (i + 1) / n));
    return QRect(x0, plot.top(), std::max(1, x1 - x0), plot.height());
}

QRect IntonationChart::BarRect(int i) const {
    if (i < 0 || i >= int(steps_.size()) || !steps_[std::size_t(i)].averageCents) return {};
    const QRect slot = Slot(i);
    // Bars fill most of their slot, with a gap between neighbours once there is room for one.
    const int gap = slot.width() >= 6 ? std::max(1, slot.width() / 5) : 0;
    const int width = std::max(1, slot.width() - gap);
    const int zero = ZeroY();
    int end = CentsY(*steps_[std::size_t(i)].averageCents);
    // A note played exactly in tune still shows: a bar two pixels high on the zero line.
    if (std::abs(end - zero) < 2) end = zero - 2;
    return QRect(QPoint(slot.left() + gap / 2, std::min(zero, end)),
                 QPoint(slot.left() + gap / 2 + width - 1, std::max(zero, end) - 1));
}

void IntonationChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const QRect plot = PlotRect();
    const QFontMetrics fm(font());
    const QColor text = palette().color(QPalette::Text);

    // The in-tune zone, lightly shaded, then the gridlines with their labels and the zero line.
    QColor zone = InTuneColour();
    zone.setAlpha(40);
    p.fillRect(QRect(QPoint(plot.left(), CentsY(kInTuneZoneCents)), QPoint(plot.right(), CentsY(-kInTuneZoneCents))),
               zone);
    QColor grid = text;
    grid.setAlpha(60);
    for (int cents : kGridCents) {
        const int y = CentsY(cents);
        p.setPen(QPen(grid, 1, Qt::DotLine));
        p.drawLine(plot.left(), y, plot.right(), y);
        // A label that would run into the zero line's is left out on a short chart.
        if (std::abs(y - ZeroY()) < fm.height()) continue;
        p.setPen(text);
        p.drawText(QRect(0, y - fm.height() / 2, plot.left() - kMargin, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("%1%2").arg(cents > 0 ? "+" : "").arg(cents));
    }
    p.setPen(QPen(text, 1));
    p.drawLine(plot.left(), ZeroY(), plot.right(), ZeroY());
    p.drawText(QRect(0, ZeroY() - fm.height() / 2, plot.left() - kMargin, fm.height()),
               Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));

    if (steps_.empty()) {
        // In the band between +25 and +50 cents, clear of the zone and the zero line.
        p.drawText(QRect(QPoint(plot.left(), CentsY(kRangeCents)), QPoint(plot.right(), CentsY(25))),
                   Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("No notes played yet"));
        return;
    }

    // Names under the bars, as many as fit: every k-th when they would run into one another.
    int widest = 0;
    for (const PracticeStep& s : steps_)
        widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(PracticeNoteName(s.note))));
    const int slotWidth = std::max(1, Slot(0).width());
    const int every = std::max(1, (widest + 4 + slotWidth - 1) / slotWidth);

    for (int i = 0; i < int(steps_.size()); ++i) {
        const PracticeStep& s = steps_[std::size_t(i)];
        const QRect slot = Slot(i);
        if (s.averageCents) {
            // Judged as the summary judges it: in tune only when reached, inside the zone.
            p.fillRect(BarRect(i), InTune(s) ? InTuneColour() : OutOfTuneColour());
        } else {
            // Never heard: a grey ring on the zero line.
            p.setPen(QPen(palette().color(QPalette::PlaceholderText), 1));
            const int r = std::clamp(slot.width() / 4, 1, 4);
            p.drawEllipse(QPoint(slot.center().x(), ZeroY()), r, r);
        }
        if (i % every == 0) {
            p.setPen(text);
            const QString name = QString::fromStdString(PracticeNoteName(s.note));
            const int w = fm.horizontalAdvance(name);
            p.drawText(QRect(slot.center().x() - w / 2 - 2, plot.bottom() + 2, w + 4, fm.height()), Qt::AlignCenter,
                       name);
        }
    }
}

} // namespace korvalin
