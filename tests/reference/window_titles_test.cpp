// The titles the X server holds for every window, message box and input box: exactly their
// captions, as a window manager or a task bar shows them. Runs on the X11 platform against a
// private X server (xvfb-run), and reads the titles back with xprop.
#include "tests/support/every_window.h"
#include "tests/support/gui_test.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace korvalin;

namespace {

QString g_xprop; // found on PATH before the tests empty it

// The title of a window as the X server holds it: its _NET_WM_NAME (UTF-8) and its WM_NAME.
struct ServerTitle {
    QString netWmName, wmName;
};

QString PropertyValue(const QString& line) {
    // xprop prints  NAME(TYPE) = "value"
    const qsizetype open = line.indexOf('"'), close = line.lastIndexOf('"');
    return open >= 0 && close > open ? line.mid(open + 1, close - open - 1) : QString();
}

ServerTitle TitleOnServer(QWidget& window) {
    QProcess xprop;
    xprop.start(g_xprop, {"-id", QString::number(window.winId()), "_NET_WM_NAME", "WM_NAME"});
    if (!xprop.waitForFinished(30000) || xprop.exitCode() != 0) {
        ADD_FAILURE() << "xprop failed: " << xprop.readAllStandardError().toStdString();
        return {};
    }
    ServerTitle t;
    for (const QString& line : QString::fromUtf8(xprop.readAllStandardOutput()).split('\n')) {
        if (line.startsWith("_NET_WM_NAME")) t.netWmName = PropertyValue(line);
        else if (line.startsWith("WM_NAME")) t.wmName = PropertyValue(line);
    }
    return t;
}

void ExpectTitle(QWidget& window, const QString& caption) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 30000)) << caption.toStdString();
    QApplication::sync(); // the title has reached the server
    const ServerTitle t = TitleOnServer(window);
    EXPECT_EQ(t.netWmName.toStdString(), caption.toStdString());
    EXPECT_EQ(t.wmName.toStdString(), caption.toStdString());
}

// No box waits for a person while the windows are opened (the main window's start-up warns that
// there is no help file): the fixture's recorded boxes answer them.
using WindowTitles = GuiTest<>;

class EveryWindowTitle : public WindowTitles, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(EveryWindowTitle, IsExactlyItsCaptionOnTheServer) {
    QWidget& w = GetParam().open();
    w.show();
    ExpectTitle(w, GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(Windows, EveryWindowTitle, ::testing::ValuesIn(EveryWindow()),
                         [](const auto& info) { return std::string(info.param.name); });

// The boxes of the product, each asked for the way its command asks, read while it is open.
struct BoxCase {
    const char* name;
    bool mainWindowFirst; // the main window is loaded (quietly) before the box is asked for
    std::function<void()> ask;
    const char* caption;
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << c.name; }

class BoxTitle : public WindowTitles, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(BoxTitle, IsExactlyItsCaptionOnTheServer) {
    if (GetParam().mainWindowFirst) Window<Form1>();
    SetPrompts(nullptr); // the real boxes
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        for (int i = 0; !box && i < 300; ++i) {
            QTest::qWait(100);
            box = QApplication::activeModalWidget();
        }
        if (!box) return;
        seen = true;
        ExpectTitle(*box, GetParam().caption);
        box->close();
    });
    GetParam().ask();
    EXPECT_TRUE(seen) << "no box came up";
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, BoxTitle,
    ::testing::Values(
        BoxCase{"HelpMissing", false, [] { Window<Form1>(); }, "Korvalin help not available"},
        BoxCase{"Speed", true, [] { Window<Form1>().Command9_Click(); }, "Speed"},
        BoxCase{"Loop", true, [] { Window<Form1>().Command6_Click(); }, "Loop"},
        BoxCase{"FileIsCorrupt", false,
                [] { CurrentPrompts().Message(nullptr, "Korvalin", "File is Corrupt", QMessageBox::NoIcon); },
                "Korvalin"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

int main(int argc, char** argv) {
    // The X11 platform, on the X server the test was started with.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "window titles: no X server; run under xvfb-run\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    g_xprop = QStandardPaths::findExecutable("xprop");
    if (g_xprop.isEmpty()) {
        std::fprintf(stderr, "window titles: xprop not found (package x11-utils)\n");
        return 1;
    }
    ::setenv("PATH", "", 1); // no help file anywhere: start-up warns
    QApplication app(argc, argv);
    NameApplication(); // as the application names itself
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
