// The Print commands of the chart windows: the fingering chart and the circle of fifths are drawn
// over the whole page; the altissimo chart window prints its own image, made smaller to fit the
// page when it is larger.
#include "reference/chart_windows.h"

#include "printing/print_setup.h"
#include "reference/drawing_view.h"

#include <QPrinter>

namespace korvalin {

namespace {
// The chart windows are laid out at 15 twips a pixel.
constexpr double kChartTwipsPerPixel = 15.0;
} // namespace

void Form4::PrintChart_Click() {
    std::unique_ptr<QPrinter> printer = PreparePrinter(*this, true, true);
    if (!printer) return;
    PrintPictureOnPage(*printer, Chart->drawing());
}

void Form13::Alti_Print_Click() {
    std::unique_ptr<QPrinter> printer = PreparePrinter(*this, true, true);
    if (!printer) return;
    // Maximized on a large screen the window is larger than the page: it is printed whole.
    PrintWindowImage(*printer, ClientArea(*this), kChartTwipsPerPixel, kChartTwipsPerPixel, Oversize::ShrinkToFit);
}

void Form8::Command3_Click() {
    std::unique_ptr<QPrinter> printer = PreparePrinter(*this, false, false);
    if (!printer) return;
    PrintPictureOnPage(*printer, Picture->drawing());
}

} // namespace korvalin
