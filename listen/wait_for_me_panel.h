// The "Wait for me" part of the Listen window: the check box and the tolerance, and after a run the
// intonation chart, the list of notes played (note, average cents, time to hit), the summary line
// and "Save as CSV...". It owns the pacer that makes scale runs wait for the student.
#pragma once

#include "listen/heard_note.h"
#include "listen/wait_for_me.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace korvalin {

class IntonationChart;

class WaitForMePanel : public QWidget {
    Q_OBJECT
public:
    // `transposition` answers the main window's Transposition; by default it is read from the main
    // window itself.
    explicit WaitForMePanel(QWidget* parent = nullptr, std::function<int()> transposition = {});
    ~WaitForMePanel() override;

    WaitForMePacer& Pacer() { return pacer_; }
    // Whether a listening input runs; "Wait for me" waits only while one does.
    void SetInputRunning(bool running) { pacer_.SetInputRunning(running); }

    void ShowResults(const std::vector<PracticeStep>& steps);
    const std::vector<PracticeStep>& Results() const { return results_; }

    // Writes the list as CSV to `path`; a failure is told in a message box. True when written.
    bool SaveCsv(const QString& path);


public slots:
    void OnHeard(korvalin::HeardNote heard);
    void SaveAsCsv();

signals:
    void resultsShown();

private:
    void LoadSettings();
    void WakeLater();

    WaitForMePacer pacer_;
    std::vector<PracticeStep> results_;
    QCheckBox* waitForMe_;
    QSpinBox* tolerance_;
    IntonationChart* chart_;
    QTreeWidget* list_;
    QLabel* summary_;
    QPushButton* save_;
    // Ends the step's wait when a note held steady completes its hold.
    QTimer wake_;
    std::int64_t wakeAtMs_ = 0; // on the step clock
};

} // namespace korvalin
