#include "listen/wait_for_me_panel.h"

#include "app/options.h"
#include "app/prompts.h"
#include "app/window_registry.h"
#include "listen/intonation_chart.h"
#include "listen/value_label.h"
#include "main_window/form1.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace korvalin {
namespace {

// Where the panel's choices are remembered between runs.

constexpr int kLowestTolerance = 5;
constexpr int kHighestTolerance = 50;

const QString kSaveTitle = QStringLiteral("Save as CSV");
const QString kSummaryName = QStringLiteral("Summary");


} // namespace

WaitForMePanel::WaitForMePanel(QWidget* parent, std::function<int()> transposition)
    : QWidget(parent), pacer_(transposition ? std::move(transposition) : std::function<int()>([] { return int(Form1::ChosenTransposition()); })) {
    setObjectName(QStringLiteral("waitForMePanel"));

    waitForMe_ = new QCheckBox(QStringLiteral("Wait for me"), this);
    waitForMe_->setObjectName(QStringLiteral("waitForMe"));
    waitForMe_->setAccessibleName(QStringLiteral("Wait for me"));
    waitForMe_->setToolTip(QStringLiteral("Scale practice waits for you to play each note in tune"));

    auto* toleranceLabel = new QLabel(QStringLiteral("Tolerance:"), this);
    tolerance_ = new QSpinBox(this);
    tolerance_->setObjectName(QStringLiteral("tolerance"));
    tolerance_->setAccessibleName(QStringLiteral("Tolerance in cents"));
    tolerance_->setRange(kLowestTolerance, kHighestTolerance);
    tolerance_->setPrefix(QStringLiteral("\u00b1"));
    tolerance_->setSuffix(QStringLiteral(" cents"));
    toleranceLabel->setBuddy(tolerance_);

    chart_ = new IntonationChart(this);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("practiceList"));
    list_->setAccessibleName(QStringLiteral("Notes played"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setHeaderLabels({QStringLiteral("Note"), QStringLiteral("Average cents"), QStringLiteral("Time to hit")});
    list_->header()->setSectionResizeMode(QHeaderView::Stretch);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("practiceSummary"));
    ShowLabelValue(*summary_, kSummaryName, {});
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    save_ = new QPushButton(QStringLiteral("Save as CSV..."), this);
    save_->setObjectName(QStringLiteral("saveCsv"));
    save_->setAccessibleName(QStringLiteral("Save as CSV"));
    save_->setEnabled(false);

    auto* controls = new QHBoxLayout;
    controls->addWidget(waitForMe_);
    controls->addSpacing(12);
    controls->addWidget(toleranceLabel);
    controls->addWidget(tolerance_);
    controls->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(summary_, 1);
    bottom->addWidget(save_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(controls);
    layout->addWidget(chart_, 3);
    layout->addWidget(list_, 2);
    layout->addLayout(bottom);

    LoadSettings();
    connect(waitForMe_, &QCheckBox::toggled, this, [this](bool on) {
        pacer_.SetTicked(on);
        Options::Set(Option::WaitForMe, on);
    });
    connect(tolerance_, &QSpinBox::valueChanged, this, [this](int cents) {
        pacer_.SetToleranceCents(cents);
        Options::Set(Option::ToleranceCents, cents);
    });
    connect(save_, &QPushButton::clicked, this, &WaitForMePanel::SaveAsCsv);

    // The wait looks at the step when something happens; the timer is what happens when nothing
    // else does while the note is held. Woken early by the step clock, it sleeps on.
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
    connect(&wake_, &QTimer::timeout, this, &WaitForMePanel::WakeLater);
    pacer_.wakeAt = [this](std::int64_t atMs) {
        wakeAtMs_ = atMs;
        WakeLater();
    };
    pacer_.onRunFinished = [this](const std::vector<PracticeStep>& steps, RunEnd) { ShowResults(steps); };
    AddPlaybackPacer(&pacer_);
}

WaitForMePanel::~WaitForMePanel() { RemovePlaybackPacer(&pacer_); }

void WaitForMePanel::LoadSettings() {
    const bool ticked = Options::Bool(Option::WaitForMe, false);
    const int cents = Options::Int(Option::ToleranceCents, int(kDefaultToleranceCents));
    waitForMe_->setChecked(ticked);
    tolerance_->setValue(std::clamp(cents, kLowestTolerance, kHighestTolerance));
    pacer_.SetTicked(ticked);
    pacer_.SetToleranceCents(tolerance_->value());
}

void WaitForMePanel::WakeLater() {
    const std::int64_t left = wakeAtMs_ - StepClockMs();
    if (left > 0) wake_.start(int(std::min<std::int64_t>(left, std::numeric_limits<int>::max())));
}

void WaitForMePanel::OnHeard(korvalin::HeardNote heard) { pacer_.Hear(heard); }

void WaitForMePanel::ShowResults(const std::vector<PracticeStep>& steps) {
    results_ = steps;
    chart_->SetSteps(steps);
    list_->clear();
    for (const PracticeStep& s : steps) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, QString::fromStdString(PracticeNoteName(s.note)));
        item->setText(1, s.averageCents ? QString::fromStdString(CentsText(s.averageCents))
                                        : QStringLiteral("not played"));
        item->setText(2, s.reached ? QString::fromStdString(TimeToHitText(s.timeToHitMs)) : QStringLiteral("not reached"));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    ShowLabelValue(*summary_, kSummaryName, QString::fromStdString(PracticeSummary(steps)));
    save_->setEnabled(!steps.empty());
    emit resultsShown();
}

void WaitForMePanel::SaveAsCsv() {
    if (results_.empty()) return;
    // Offered in the documents folder unless a file was saved before: then beside that one.
    static QString lastFolder;
    const QString folder = !lastFolder.isEmpty() ? lastFolder
                                                  : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = QDir(folder).filePath(QStringLiteral("wait-for-me.csv"));
    QString path = CurrentPrompts().SaveFileName(this, kSaveTitle, suggested, QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty()) return; // cancelled
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
    if (SaveCsv(path)) lastFolder = QFileInfo(path).absolutePath();
}

bool WaitForMePanel::SaveCsv(const QString& path) {
    // Written beside the old file and put in its place only when complete, so a failure midway
    // leaves any earlier list as it was.
    QSaveFile file(path);
    const QByteArray csv = QByteArray::fromStdString(PracticeCsv(results_));
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) ok = file.write(csv) == csv.size();
    if (ok) ok = file.commit();
    if (!ok) {
        const QString reason = file.errorString();
        file.cancelWriting();
        CurrentPrompts().Message(this, kSaveTitle,
                                 QStringLiteral("The list could not be saved to %1: %2").arg(QDir::toNativeSeparators(path), reason),
                                 QMessageBox::Warning);
    }
    return ok;
}

} // namespace korvalin
