#include "printing/print_setup.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QStringList>
#include <QWidget>
#include <algorithm>

namespace korvalin {
namespace {

// The one printer object, owned here. It is released with the application (see SystemPrinter),
// since a printer outliving the application's print support cannot be destroyed safely.
std::unique_ptr<QPrinter>& PrinterSlot() {
    static std::unique_ptr<QPrinter> printer;
    return printer;
}

std::shared_ptr<PrintDialogs>& DialogsSlot() {
    static std::shared_ptr<PrintDialogs> dialogs;
    return dialogs;
}

constexpr int kNormalResolution = 300; // the quality a command prints at unless it asks for high
constexpr int kPdfHighResolution = 600;
constexpr int kFallbackHighResolution = 600;
// A window is drawn onto the printer through an image at the printer's resolution. A window whose
// image would exceed this many device pixels is drawn in bands, so that memory stays bounded.
constexpr double kMaxBandPixels = 32.0 * 1024 * 1024;

// The print service's job options (name/value pairs) under the engine's own property key. The
// dialog passes a page range or an odd/even page set typed into it to the service, which would
// then cut the job; a command's one page must always come out, so those two are dropped.
constexpr auto kServerJobOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

void DropServerPageSelection(QPrinter& printer) {
    QPrintEngine* engine = printer.printEngine();
    if (!engine) return;
    const QVariant options = engine->property(kServerJobOptions);
    if (options.typeId() != QMetaType::QStringList) return;
    const QStringList pairs = options.toStringList();
    if (pairs.size() % 2 != 0) return;
    QStringList kept;
    for (qsizetype i = 0; i < pairs.size(); i += 2) {
        if (pairs[i] == "page-ranges" || pairs[i] == "page-set") continue;
        kept << pairs[i] << pairs[i + 1];
    }
    if (kept.size() != pairs.size()) engine->setProperty(kServerJobOptions, kept);
}

} // namespace

QPrinter& SystemPrinter() {
    std::unique_ptr<QPrinter>& printer = PrinterSlot();
    if (!printer) {
        printer = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
        printer->setResolution(kNormalResolution);
        printer->setCreator("Korvalin");
        printer->setDocName("Korvalin");
        // Released with the application rather than at static destruction, after it.
        static const bool released = [] {
            qAddPostRoutine([] { ResetSystemPrinter(); });
            return true;
        }();
        Q_UNUSED(released);
    }
    return *printer;
}

void ResetSystemPrinter() { PrinterSlot().reset(); }

int16_t PrinterOrientation(const QPrinter& printer) {
    return printer.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
}

int HighResolutionDpi(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat) return kPdfHighResolution;
    const QList<int> supported = printer.supportedResolutions();
    const int best = supported.isEmpty() ? 0 : *std::max_element(supported.begin(), supported.end());
    return std::max(best, kFallbackHighResolution);
}

int16_t PrintQuality(const QPrinter& printer) {
    if (printer.resolution() == HighResolutionDpi(printer)) return kHighPrintQuality;
    return int16_t(std::clamp(printer.resolution(), 1, 32767));
}

void SetPrintQuality(QPrinter& printer, int16_t quality) {
    if (quality == kHighPrintQuality)
        printer.setResolution(HighResolutionDpi(printer));
    else if (quality > 0)
        printer.setResolution(quality);
}

void CopyPrinterSettings(const QPrinter& from, QPrinter& to) {
    if (from.outputFormat() == QPrinter::NativeFormat) {
        to.setPrinterName(from.printerName());
        to.setOutputFileName(from.outputFileName());
    } else {
        to.setOutputFormat(QPrinter::PdfFormat);
        if (!from.outputFileName().isEmpty())
            to.setOutputFileName(from.outputFileName());
        else if (to.printEngine()) // an empty name through setOutputFileName would leave PDF output
            to.printEngine()->setProperty(QPrintEngine::PPK_OutputFileName, QString());
    }
    to.setPageLayout(from.pageLayout());
    to.setResolution(from.resolution());
    to.setColorMode(from.colorMode());
    to.setDuplex(from.duplex());
    to.setCopyCount(from.copyCount());
    to.setCollateCopies(from.collateCopies());
    to.setPageOrder(from.pageOrder());
    to.setFullPage(from.fullPage());
    to.setDocName(from.docName());
    to.setCreator(from.creator());
}

bool QtPrintDialogs::ShowPrinter(QWidget* owner, QPrinter& printer) {
    QPrintDialog dialog(&printer, owner);
    // Every command prints one page: the only range to offer is that page.
    dialog.setMinMax(1, 1);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    return dialog.exec() == QDialog::Accepted;
}

void SetPrintDialogs(std::shared_ptr<PrintDialogs> dialogs) { DialogsSlot() = std::move(dialogs); }

PrintDialogs& CurrentPrintDialogs() {
    static QtPrintDialogs platform;
    const auto& dialogs = DialogsSlot();
    return dialogs ? *dialogs : static_cast<PrintDialogs&>(platform);
}

std::unique_ptr<QPrinter> PreparePrinter(QWidget& dialogOwner, bool makeDefault, bool highQuality) {
    QPrinter& shared = SystemPrinter();
    auto job = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
    CopyPrinterSettings(shared, *job);

    // Cancel, or a dialog that could not be shown, ends the command here.
    if (!CurrentPrintDialogs().ShowPrinter(&dialogOwner, *job)) return nullptr;
    if (!job->isValid()) return nullptr;

    // The command prints its page once, whatever range or number of copies the dialog reports (a
    // print service would otherwise make the copies itself).
    job->setCopyCount(1);
    job->setPrintRange(QPrinter::AllPages);
    job->setPageRanges(QPageRanges());
    DropServerPageSelection(*job);

    const QPageLayout::Orientation chosen = job->pageLayout().orientation();
    const int16_t quality = PrintQuality(shared);
    if (makeDefault) CopyPrinterSettings(*job, shared);
    shared.setPageOrientation(chosen);
    if (highQuality) {
        SetPrintQuality(shared, kHighPrintQuality);
        SetPrintQuality(*job, kHighPrintQuality);
    } else {
        SetPrintQuality(*job, quality);
    }
    return job;
}

QRectF PrintableArea(const QPrinter& printer) {
    const QPageLayout layout = printer.pageLayout();
    const int dpi = printer.resolution();
    const QRectF paper = layout.fullRectPixels(dpi);
    const QMarginsF margins = layout.minimumMargins();
    const QRectF edge = QPageLayout(layout.pageSize(), layout.orientation(), margins, layout.units(), margins)
                            .paintRectPixels(dpi);
    return edge.isEmpty() ? paper : edge;
}

QWidget& ClientArea(QWidget& window) {
    if (auto* main = qobject_cast<QMainWindow*>(&window); main && main->centralWidget())
        return *main->centralWidget();
    return window;
}

bool PrintWindowImage(QPrinter& printer, QWidget& client, double twipsPerPixelX, double twipsPerPixelY,
                      Oversize oversize) {
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    // Device units per pixel, so that each pixel keeps its physical size on paper.
    double sx = printer.logicalDpiX() * twipsPerPixelX / 1440.0;
    double sy = printer.logicalDpiY() * twipsPerPixelY / 1440.0;
    // A window larger than the printable part of the page (a maximized chart on a large screen)
    // may be made smaller to fit it, keeping its proportions, and placed at that part's top-left
    // corner, so that nothing of it is cut off.
    const QRectF printable = PrintableArea(printer);
    const double fit = std::min({1.0, printable.width() / std::max(1.0, client.width() * sx),
                                 printable.height() / std::max(1.0, client.height() * sy)});
    if (oversize == Oversize::ShrinkToFit && fit < 1.0) {
        painter.translate(printable.topLeft());
        sx *= fit;
        sy *= fit;
    }
    painter.scale(sx, sy);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Each band reaches one row into the next, which is drawn over it: a band edge that falls
    // between device rows is then never left half drawn.
    const double deviceRowPixels = std::max(1.0, client.width() * sx) * std::max(sy, 1.0);
    const int bandRows = std::max(1, int(kMaxBandPixels / deviceRowPixels));
    for (int top = 0; top < client.height(); top += bandRows) {
        const QRect band(0, top, client.width(), std::min(bandRows + 1, client.height() - top));
        client.render(&painter, band.topLeft(), QRegion(band), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    return painter.end();
}

bool PrintPictureOnPage(QPrinter& printer, const PictureDrawing& draw) {
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRectF page = printer.paperRect(QPrinter::DevicePixel);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    draw(painter, QRectF(0, 0, page.width(), page.height()));
    return painter.end();
}

} // namespace korvalin
