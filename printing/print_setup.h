// The print set-up every print command runs first, the one printer object the application keeps,
// and the two ways a command puts a page on it: a window's image or a picture stretched over the
// whole page.
//
// The printer object carries the settings from one command to the next: the orientation last
// chosen, the print quality, and (after a command that makes its choices the default) the printer
// and settings picked in the dialog. A command prints on a job printer that starts from those
// settings and takes the dialog's choices, so that a printer picked for one command is used for it
// without becoming everyone's default.
#pragma once

#include <QPageLayout>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QPainter;
class QPrinter;
class QRectF;
class QWidget;

namespace korvalin {

// Print quality codes: negative values are qualities, positive ones a resolution in dots per inch.
inline constexpr int16_t kHighPrintQuality = -4;

// The application's printer object. Created on first use.
QPrinter& SystemPrinter();
// Puts a fresh printer object in place (tests start each case from the start-up settings).
void ResetSystemPrinter();

// Orientation codes: 1 portrait, 2 landscape.
int16_t PrinterOrientation(const QPrinter& printer);
// kHighPrintQuality when the printer runs at its high resolution, else its resolution in dpi.
int16_t PrintQuality(const QPrinter& printer);
// kHighPrintQuality selects the printer's high resolution; a positive code that resolution.
void SetPrintQuality(QPrinter& printer, int16_t quality);
// The resolution used for high quality: the device's best, at least 600 dpi; 600 dpi for files.
int HighResolutionDpi(const QPrinter& printer);

// Copies the choice of printer or output file and the page and output settings.
void CopyPrinterSettings(const QPrinter& from, QPrinter& to);

// The modal print dialog, behind an interface so that tests print to a file instead of asking.
class PrintDialogs {
public:
    virtual ~PrintDialogs() = default;
    // Shows the print dialog over `owner` for `printer`, whose settings take the user's choices.
    // False when the user cancelled or the dialog could not be shown.
    virtual bool ShowPrinter(QWidget* owner, QPrinter& printer) = 0;
};

// The platform's print dialog (printers, "Print to File (PDF)").
class QtPrintDialogs : public PrintDialogs {
public:
    bool ShowPrinter(QWidget* owner, QPrinter& printer) override;
};

void SetPrintDialogs(std::shared_ptr<PrintDialogs> dialogs); // nullptr: the platform's dialog
PrintDialogs& CurrentPrintDialogs();

// The print set-up: shows the dialog of `dialogOwner` (the window whose print dialog it is); on
// Cancel or any error gives nullptr and the command stops silently. Otherwise it applies the
// orientation chosen to the printer object, sets the print quality to high (`highQuality`) or leaves
// it as it was, makes the dialog's choices the printer object's settings when `makeDefault` is on,
// and gives the printer this command prints on. Copies and page ranges chosen never make a command
// repeat or cut its output: each command prints its page exactly once.
std::unique_ptr<QPrinter> PreparePrinter(QWidget& dialogOwner, bool makeDefault, bool highQuality);

// The window area whose image is printed: a main window's central widget, else the widget itself.
QWidget& ClientArea(QWidget& window);

// The part of the page the printer can print on, in its device units from the paper's top-left
// corner: the paper without the printer's own margins (the whole paper for a PDF file).
QRectF PrintableArea(const QPrinter& printer);

// What becomes of a window larger than the printable area: cut off at the paper's edges, or made
// smaller to fit that area whole, its proportions kept.
enum class Oversize { CutOff, ShrinkToFit };

// Prints `client` with every visible control on one page, from the page's top-left corner, at its
// physical size (pixels x twips per pixel / 1440 inches) and drawn at the printer's resolution;
// then ends the document. False when the printer could not be started.
bool PrintWindowImage(QPrinter& printer, QWidget& client, double twipsPerPixelX, double twipsPerPixelY,
                      Oversize oversize = Oversize::CutOff);

// Draws a picture over the whole physical page, stretched in both directions independently, and
// ends the document. `draw` receives the page rectangle in the printer's units.
using PictureDrawing = std::function<void(QPainter& painter, const QRectF& target)>;
bool PrintPictureOnPage(QPrinter& printer, const PictureDrawing& draw);

} // namespace korvalin
