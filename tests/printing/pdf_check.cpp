#include "tests/printing/pdf_check.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

namespace korvalin {

PdfFacts ReadPdfFacts(const QString& path) {
    PdfFacts facts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return facts;
    const QByteArray data = file.readAll();
    if (!data.startsWith("%PDF-") || !data.trimmed().endsWith("%%EOF")) return facts; // none, or half written
    facts.readable = true;
    // Page objects, not the page tree ("/Type /Pages").
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    static const QRegularExpression box(QStringLiteral("/MediaBox\\s*\\[\\s*([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)"));
    const QString text = QString::fromLatin1(data);
    facts.pages = int(text.count(page));
    const auto m = box.match(text);
    if (m.hasMatch())
        facts.pageSize = QSizeF(m.captured(3).toDouble() - m.captured(1).toDouble(),
                                m.captured(4).toDouble() - m.captured(2).toDouble());
    return facts;
}

std::vector<int> EmbeddedImageWidths(const QString& path) {
    std::vector<int> widths;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return widths;
    // Image objects that are not the soft masks of other images.
    static const QRegularExpression image(QStringLiteral("<<[^<>]*?/Subtype\\s*/Image[^<>]*?/Width\\s+(\\d+)[^<>]*?>>"));
    auto it = image.globalMatch(QString::fromLatin1(file.readAll()));
    while (it.hasNext()) {
        const auto m = it.next();
        if (!m.captured(0).contains(QStringLiteral("/DeviceGray"))) widths.push_back(m.captured(1).toInt());
    }
    return widths;
}

bool PdfRasteriserAvailable() { return !QStandardPaths::findExecutable("pdftoppm").isEmpty(); }

QImage RasterisePdf(const QString& path, int dpi) {
    if (!PdfRasteriserAvailable()) return {};
    QTemporaryDir dir;
    if (!dir.isValid()) return {};
    const QString stem = dir.filePath("page");
    QProcess tool;
    tool.start("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", "1", "-l", "1", "-singlefile", path, stem});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0) return {};
    return QImage(stem + ".png").convertToFormat(QImage::Format_RGB32);
}

QRect InkBounds(const QImage& page) {
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    for (int y = 0; y < page.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            const QRgb c = line[x];
            if (qRed(c) > 250 && qGreen(c) > 250 && qBlue(c) > 250) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace korvalin
