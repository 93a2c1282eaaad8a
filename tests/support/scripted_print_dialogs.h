// Print dialogs answered from a queue of choices without showing anything (Cancel when the queue is
// empty); remembers whose dialog was asked.
#pragma once

#include "printing/print_setup.h"

#include <QPageLayout>
#include <QPageRanges>
#include <QString>
#include <deque>
#include <vector>

namespace korvalin {

class ScriptedPrintDialogs : public PrintDialogs {
public:
    struct Choice {
        bool accept = true;
        QString pdfFile; // output file; the choice of a printer when empty
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
        int copies = 1;
        QPageRanges pages{};
    };
    bool ShowPrinter(QWidget* owner, QPrinter& printer) override;

    std::deque<Choice> choices;
    std::vector<QString> owners; // objectName of the window each dialog was shown over
};

} // namespace korvalin
