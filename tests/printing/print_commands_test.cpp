// The print set-up and the commands that print a window's image, checked on real output: each
// dialog is answered with a PDF file, which is then read back and looked at.
#include "main_window/picture_box.h"
#include "printing/form12.h"
#include "tests/printing/print_fixture.h"
#include "tests/support/find_control.h"
#include "tests/support/staff_lines.h"

#include <QPrinter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QThread>

namespace korvalin {
namespace {

using PrintSetup = PrintFixture;

// Size in points of a window area printed at its physical size.
QSizeF PhysicalPoints(QSize pixels, double twipsPerPixel) {
    return QSizeF(pixels) * twipsPerPixel / 20.0;
}

class CurrentNoteOrientation : public PrintFixture,
                               public ::testing::WithParamInterface<QPageLayout::Orientation> {};

TEST_P(CurrentNoteOrientation, PrintsTheMainWindowOnceAtItsSizeFromTheTopLeft) {
    Form1& f = Window<Form1>();
    const QString out = Pdf("note.pdf");
    Choose(out, GetParam());
    f.PNote_Click();

    ASSERT_EQ(dialogs->owners, std::vector<QString>{"Form1"});
    const PdfFacts facts = ReadPdfFacts(out);
    ASSERT_TRUE(facts.readable);
    EXPECT_EQ(facts.pages, 1);
    EXPECT_EQ(Landscape(facts), GetParam() == QPageLayout::Landscape);
    EXPECT_TRUE(f.isVisible());

    if (!PdfRasteriserAvailable()) GTEST_SKIP() << "pdftoppm is not installed: the page was not looked at";
    const QImage page = RasterisePdf(out, 72); // one pixel per point
    const QRect ink = InkBounds(page);
    ASSERT_FALSE(ink.isEmpty()) << "blank page";
    const QSizeF expected = PhysicalPoints(f.centralWidget()->size(), KORVALIN1.TwipsPerPixelX);
    EXPECT_LE(ink.left(), 1);
    EXPECT_LE(ink.top(), 1);
    EXPECT_NEAR(ink.width(), expected.width(), 3.0);
    EXPECT_NEAR(ink.height(), expected.height(), 3.0);
}

INSTANTIATE_TEST_SUITE_P(Orientations, CurrentNoteOrientation,
                         ::testing::Values(QPageLayout::Portrait, QPageLayout::Landscape),
                         [](const auto& info) { return info.param == QPageLayout::Portrait ? "Portrait" : "Landscape"; });

// The printed note, looked at as closely as the screen: every line crossing the two staff markers
// lies on a staff line of the picture, one window pixel high, never drawn twice.
TEST_F(PrintSetup, PrintedNoteDrawsEveryStaffLineOnce) {
    Form1& f = Window<Form1>();
    if (!PdfRasteriserAvailable()) GTEST_SKIP() << "pdftoppm is not installed: the page was not looked at";
    struct Case { const char* option; int note; } cases[] = {{"Option2", 73}, {"Option4", 42}, {"Option1", 131}, {"Option3", 137}};
    for (const Case& c : cases) {
        Find<QRadioButton>(f, c.option)->click();
        f.ShowNote(int16_t(c.note));
        const QString out = Pdf(QString("note-%1.pdf").arg(c.note));
        Choose(out);
        f.PNote_Click();
        const int scale = 2; // a window pixel is 0.75 point: 2 pixels at 192 dpi
        const QImage page = RasterisePdf(out, 96 * scale);
        ASSERT_FALSE(page.isNull()) << c.note;
        const QRect ink = InkBounds(page);
        ASSERT_LE(ink.left(), scale) << "printed from the top-left";
        PictureBox* staff = Find<PictureBox>(f, "Image3");
        if (!staff->isVisibleTo(&f)) staff = Find<PictureBox>(f, "Image2");
        const QStringList faults = StaffLineFaults(page, ink.topLeft(), scale, staff->pos());
        EXPECT_TRUE(faults.isEmpty()) << c.option << " note " << c.note << ": " << faults.join("; ").toStdString();
    }
}

TEST_F(PrintSetup, PicturesAreDrawnAgainRatherThanEnlarged) {
    QWidget window;
    window.resize(100, 60);
    auto* picture = new PictureBox(&window);
    picture->setGeometry(10, 10, 50, 30);
    std::vector<qreal> asked;
    picture->setSource([&asked](qreal dpr) {
        asked.push_back(dpr);
        QImage img(QSize(qRound(50 * dpr), qRound(30 * dpr)), QImage::Format_RGB32);
        img.fill(Qt::black);
        img.setDevicePixelRatio(dpr);
        return img;
    });
    window.show();
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Pdf("picture.pdf"));
    printer.setResolution(600);
    ASSERT_TRUE(PrintWindowImage(printer, window, 15, 15));
    ASSERT_FALSE(asked.empty());
    EXPECT_NEAR(asked.back(), 600 * 15 / 1440.0, 0.01);
}

TEST_F(PrintSetup, LargeWindowsArePrintedInBandsWithoutGaps) {
    QWidget window;
    window.resize(600, 600);
    window.setAutoFillBackground(true);
    QPalette dark = window.palette();
    dark.setColor(QPalette::Window, Qt::black);
    window.setPalette(dark);
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString out = Pdf("bands.pdf");
    printer.setOutputFileName(out);
    printer.setResolution(1200); // 7,500 x 7,500 device pixels: more than one band
    ASSERT_TRUE(PrintWindowImage(printer, window, 15, 15));
    const std::vector<int> bands = EmbeddedImageWidths(out);
    ASSERT_GE(bands.size(), 2u);
    for (int w : bands) EXPECT_EQ(w, 7500);

    if (!PdfRasteriserAvailable()) GTEST_SKIP() << "pdftoppm is not installed";
    const QImage page = RasterisePdf(out, 72);
    const QRect ink = InkBounds(page);
    EXPECT_NEAR(ink.width(), 450, 2); // 600 pixels of 15 twips: 6.25 inches
    EXPECT_NEAR(ink.height(), 450, 2);
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        ASSERT_LT(qGray(page.pixel(ink.center().x(), y)), 64) << "gap at row " << y;
}

TEST_F(PrintSetup, CancelPrintsNothingAndChangesNothing) {
    Form1& f = Window<Form1>();
    f.ShowNote(76);
    const int16_t quality = PrintQuality(SystemPrinter());
    const std::size_t messages = prompts->messages.size(); // start-up may have warned already
    Cancel();
    f.PNote_Click();
    EXPECT_EQ(dialogs->owners.size(), 1u);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_EQ(f.CurrentNote, 76);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(prompts->messages.size(), messages);
    EXPECT_EQ(PrintQuality(SystemPrinter()), quality);
    EXPECT_EQ(PrinterOrientation(SystemPrinter()), 1);
}

// Copies and a page range chosen in the dialog, on a PDF file and, where the test run has one, on
// a real print queue reached through the platform's print support: a private CUPS-PDF queue, the
// default printer there, which writes each job into a folder as a PDF file.
TEST_F(PrintSetup, CopiesAndPageRangesNeitherRepeatNorCutTheOutput) {
    Form1& f = Window<Form1>();
    const QString out = Pdf("copies.pdf");
    QPageRanges later;
    later.addRange(2, 3);
    Choose(out, QPageLayout::Portrait, 3, later);
    f.PNote_Click();
    const PdfFacts facts = ReadPdfFacts(out);
    ASSERT_TRUE(facts.readable);
    EXPECT_EQ(facts.pages, 1);
    if (!PdfRasteriserAvailable()) GTEST_SKIP() << "pdftoppm is not installed";
    EXPECT_FALSE(InkBounds(RasterisePdf(out, 36)).isEmpty());

    ASSERT_FALSE(qEnvironmentVariable("KORVALIN_CUPS_PDF_QUEUE").isEmpty())
        << "no private CUPS-PDF queue; `./korvalin test` starts one";
    Choose(QString(), QPageLayout::Landscape, 3, later);
    f.PNote_Click();
    QString queued;
    for (int wait = 0; !ReadPdfFacts(queued).readable && wait < 600; ++wait, QThread::msleep(200))
        queued = QDir(qEnvironmentVariable("KORVALIN_CUPS_PDF_OUT")).entryInfoList({"*.pdf"}).value(0).filePath();
    EXPECT_EQ(ReadPdfFacts(queued).pages, 1);
    const QRect ink = InkBounds(RasterisePdf(queued, 36));
    QFile::remove(queued); // the queue's folder serves every run of this case
    EXPECT_GT(ink.height(), ink.width()) << "a landscape job is printed turned on its paper";
}

TEST_F(PrintSetup, CurrentNoteKeepsQualityAndDefaultsButTakesTheOrientation) {
    Form1& f = Window<Form1>();
    const int16_t quality = PrintQuality(SystemPrinter());
    ASSERT_NE(quality, kHighPrintQuality);
    Choose(Pdf("a.pdf"), QPageLayout::Landscape);
    f.PNote_Click();
    ASSERT_TRUE(Exists(Pdf("a.pdf")));
    EXPECT_EQ(PrintQuality(SystemPrinter()), quality);
    EXPECT_EQ(PrinterOrientation(SystemPrinter()), 2);
    EXPECT_TRUE(SystemPrinter().outputFileName().isEmpty()) << "the dialog's choice became the default";
}

TEST_F(PrintSetup, AFailingPrinterEndsTheCommandSilently) {
    Form1& f = Window<Form1>();
    const QString out = dir.filePath("missing/folder/note.pdf");
    const std::size_t messages = prompts->messages.size();
    Choose(out);
    f.PNote_Click();
    EXPECT_FALSE(Exists(out));
    EXPECT_EQ(prompts->messages.size(), messages);
    EXPECT_TRUE(f.isVisible());
}

TEST_F(PrintSetup, ScalePagePrintsInHighQualityAndBecomesTheDefault) {
    Form1& f = Window<Form1>();
    f.PrintScale_Click();
    Form12& page = Window<Form12>();
    const QString out = Pdf("scale.pdf");
    Choose(out, QPageLayout::Landscape);
    page.ScalePrintMnu_Click();

    ASSERT_EQ(dialogs->owners, std::vector<QString>{"Form12"});
    const PdfFacts facts = ReadPdfFacts(out);
    ASSERT_TRUE(facts.readable);
    EXPECT_EQ(facts.pages, 1);
    EXPECT_TRUE(Landscape(facts));
    EXPECT_EQ(PrintQuality(SystemPrinter()), kHighPrintQuality);
    EXPECT_EQ(SystemPrinter().outputFileName(), out);
    EXPECT_EQ(PrinterOrientation(SystemPrinter()), 2);
    EXPECT_TRUE(page.isVisible());

    // The next command starts from those settings: its dialog leaves them, and the page goes to
    // the same file in the same orientation.
    QFile::remove(out);
    Choose(QString(), QPageLayout::Landscape);
    f.PNote_Click();
    EXPECT_EQ(ReadPdfFacts(out).pages, 1);

    if (!PdfRasteriserAvailable()) GTEST_SKIP() << "pdftoppm is not installed";
    QFile::remove(out);
    Choose(out, QPageLayout::Landscape);
    page.ScalePrintMnu_Click();
    const QImage image = RasterisePdf(out, 72);
    const QRect ink = InkBounds(image);
    ASSERT_FALSE(ink.isEmpty());
    const QSizeF expected = PhysicalPoints(page.Page->size(), Form12::kTwipsPerPixel);
    EXPECT_LE(ink.left(), 1);
    EXPECT_LE(ink.top(), 1);
    EXPECT_NEAR(ink.width(), expected.width(), 3.0);
    EXPECT_NEAR(ink.height(), expected.height(), 3.0);
    // The strips of the first row carry dark ink (heads, names, diagrams) inside their band.
    int dark = 0;
    for (int y = 22; y < 260; ++y)
        for (int x = 25; x < 700; ++x) dark += qGray(image.pixel(x, y)) < 128;
    EXPECT_GT(dark, 500);
}

TEST(PrinterSettings, CopyCarriesTheChoiceOfOutputAndPage) {
    QPrinter from(QPrinter::HighResolution);
    from.setOutputFormat(QPrinter::PdfFormat);
    from.setOutputFileName("/tmp/korvalin-copy.pdf");
    from.setPageOrientation(QPageLayout::Landscape);
    from.setCopyCount(2);
    from.setResolution(300);
    QPrinter to(QPrinter::ScreenResolution);
    CopyPrinterSettings(from, to);
    EXPECT_EQ(to.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(to.outputFileName(), "/tmp/korvalin-copy.pdf");
    EXPECT_EQ(PrinterOrientation(to), 2);
    EXPECT_EQ(to.copyCount(), 2);
    EXPECT_EQ(to.resolution(), 300);

    // A file-less choice clears the file a printer had.
    QPrinter plain(QPrinter::ScreenResolution);
    plain.setOutputFormat(QPrinter::PdfFormat);
    CopyPrinterSettings(plain, to);
    EXPECT_TRUE(to.outputFileName().isEmpty());
    EXPECT_EQ(PrinterOrientation(to), 1);
}

} // namespace
} // namespace korvalin
