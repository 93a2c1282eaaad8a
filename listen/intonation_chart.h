// The tuning of a practice run at a glance: one bar per note, up for sharp and down for flat by its
// average in cents, green for a note in tune (reached, its average inside the in-tune zone) and red
// otherwise, on a scale of -50 to +50 cents with a zero line and labelled gridlines, the note names
// under the bars.
#pragma once

#include "listen/practice.h"

#include <QWidget>

#include <vector>

namespace korvalin {

class IntonationChart : public QWidget {
    Q_OBJECT
public:
    explicit IntonationChart(QWidget* parent = nullptr);

    void SetSteps(std::vector<PracticeStep> steps);
    const std::vector<PracticeStep>& Steps() const { return steps_; }

    // Where things are drawn at the widget's present size: the bar of step `i` (empty for a note
    // never heard) and the zero line's height.
    QRect BarRect(int i) const;
    int ZeroY() const;


    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect PlotRect() const;
    int CentsY(double cents) const;
    // The horizontal slot of step `i`: its bar sits in the middle, its name under it.
    QRect Slot(int i) const;

    std::vector<PracticeStep> steps_;
};

} // namespace korvalin
