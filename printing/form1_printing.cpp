// The main window's Print menu: the current note (the window's own image), the current scale (a
// composed page shown in its own window) and the two charts (shown, then stretched over a page).
#include "main_window/form1.h"

#include "app/korvalin1.h"
#include "app/window_handover.h"
#include "app/window_registry.h"
#include "printing/form12.h"
#include "printing/print_setup.h"
#include "printing/scale_page.h"
#include "reference/chart_windows.h"
#include "reference/drawing_view.h"
#include "scales/scale_catalogue.h"

#include <QLabel>
#include <QPrinter>

namespace korvalin {

void Form1::PNote_Click() {
    std::unique_ptr<QPrinter> printer = PreparePrinter(*this, false, false);
    if (!printer) return;
    // The screen's own factors, as the window is laid out in its pixels.
    const double twipsX = KORVALIN1.TwipsPerPixelX > 0 ? KORVALIN1.TwipsPerPixelX : 15;
    const double twipsY = KORVALIN1.TwipsPerPixelY > 0 ? KORVALIN1.TwipsPerPixelY : 15;
    PrintWindowImage(*printer, ClientArea(*this), twipsX, twipsY);
}

void Form1::PrintScale_Click() {
    Form12& page = Window<Form12>();
    page.setWindowState((page.windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    ShowInsteadOfMain(page);
    page.ShowPage(ComposeScalePage(CurrentScalePattern(), Label5->text().toStdString()));
}

namespace {

// Shows the chart window in place of the main window, then prints its chart over a whole page.
// The chart stays shown, also when the dialog is cancelled; its "Return" leads back.
template <class Chart>
void ShowAndPrintChart(Chart& chart) {
    ShowInsteadOfMain(chart);
    std::unique_ptr<QPrinter> printer = PreparePrinter(chart, false, false);
    if (!printer) return;
    PrintPictureOnPage(*printer, chart.Chart->drawing());
}

} // namespace

void Form1::PFingChart_Click() { ShowAndPrintChart(Window<Form4>()); }

void Form1::PAltiChart_Click() { ShowAndPrintChart(Window<Form13>()); }

} // namespace korvalin
