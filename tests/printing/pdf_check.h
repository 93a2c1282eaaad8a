// Looking at printed output: the page count and size of a PDF written by the printer, and its
// first page as a picture (through pdftoppm) to find where the ink is.
#pragma once

#include <QImage>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <vector>

namespace korvalin {

struct PdfFacts {
    bool readable = false;
    int pages = 0;
    QSizeF pageSize; // points, of the first page
};

PdfFacts ReadPdfFacts(const QString& path);

// Widths in pixels of the pictures embedded in the PDF, in file order.
std::vector<int> EmbeddedImageWidths(const QString& path);

// True when pdftoppm can be run.
bool PdfRasteriserAvailable();

// The first page at `dpi`; a null image when it cannot be made.
QImage RasterisePdf(const QString& path, int dpi);

// The smallest rectangle holding every pixel that is not (nearly) white; empty for a blank page.
QRect InkBounds(const QImage& page);

} // namespace korvalin
