#include "tests/support/scripted_print_dialogs.h"

#include <QPrinter>
#include <QWidget>

namespace korvalin {

bool ScriptedPrintDialogs::ShowPrinter(QWidget* owner, QPrinter& printer) {
    owners.push_back(owner ? owner->objectName() : QString());
    if (choices.empty()) return false;
    const Choice choice = choices.front();
    choices.pop_front();
    if (!choice.accept) return false;
    if (!choice.pdfFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(choice.pdfFile);
    }
    printer.setPageOrientation(choice.orientation);
    printer.setCopyCount(choice.copies);
    if (!choice.pages.isEmpty()) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setPageRanges(choice.pages);
    }
    return true;
}

} // namespace korvalin
