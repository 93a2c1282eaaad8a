// A fresh application for each printing case: the main window loaded on a recording MIDI output
// and recorded message boxes, the start-up printer object, and print dialogs answered by a script
// that prints to PDF files in a temporary folder.
#pragma once

#include "printing/print_setup.h"
#include "tests/printing/pdf_check.h"
#include "tests/support/gui_test.h"
#include "tests/support/scripted_print_dialogs.h"

#include <QFileInfo>
#include <QPixmap>
#include <QWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace korvalin {

struct PrintFixture : GuiTest<> {
    void SetUp() override {
        GuiTest::SetUp();
        ResetSystemPrinter();
        dialogs = std::make_shared<ScriptedPrintDialogs>();
        SetPrintDialogs(dialogs);
        ASSERT_TRUE(dir.isValid());
        // KORVALIN_KEEP_PRINTS=1 keeps the printed files to look at (the folder is named on stderr).
        if (qEnvironmentVariableIsSet("KORVALIN_KEEP_PRINTS")) {
            dir.setAutoRemove(false);
            fprintf(stderr, "prints kept in %s\n", qPrintable(dir.path()));
        }
    }
    void TearDown() override {
        GuiTest::TearDown();
        SetPrintDialogs(nullptr);
        ResetSystemPrinter();
    }

    QString Pdf(const QString& name) const { return dir.filePath(name); }
    // With KORVALIN_KEEP_PRINTS set, also keeps a picture of a window as the screen shows it.
    void Keep(QWidget& window, const QString& name) const {
        if (qEnvironmentVariableIsSet("KORVALIN_KEEP_PRINTS")) window.grab().save(dir.filePath(name));
    }
    bool Exists(const QString& path) const { return QFileInfo::exists(path); }

    // The next dialog prints to `file` with these choices.
    void Choose(const QString& file, QPageLayout::Orientation orientation = QPageLayout::Portrait, int copies = 1,
                QPageRanges pages = {}) {
        dialogs->choices.push_back({true, file, orientation, copies, pages});
    }
    void Cancel() { dialogs->choices.push_back({false, {}, QPageLayout::Portrait, 1, {}}); }

    QTemporaryDir dir;
    std::shared_ptr<ScriptedPrintDialogs> dialogs;
};

// A page wider than it is high.
inline bool Landscape(const PdfFacts& f) { return f.pageSize.width() > f.pageSize.height(); }

} // namespace korvalin
