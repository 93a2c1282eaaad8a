// The chart print commands on real output: which window's dialog each uses with which switches,
// the windows they show, and pages where the chart covers the whole paper.
#include "printing/print_setup.h"
#include "reference/chart_windows.h"
#include "reference/drawing_view.h"
#include "tests/printing/print_fixture.h"
#include "tests/support/find_control.h"

#include <QAction>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <algorithm>
#include <functional>

namespace korvalin {
namespace {

// Answers like the scripted dialogs and notes which windows were on screen when the dialog opened.
class WatchingDialogs : public ScriptedPrintDialogs {
public:
    bool ShowPrinter(QWidget* owner, QPrinter& printer) override {
        mainShown.push_back(WindowLoaded<Form1>() && Window<Form1>().isVisible());
        ownerShown.push_back(owner && owner->isVisible());
        return ScriptedPrintDialogs::ShowPrinter(owner, printer);
    }
    std::vector<bool> mainShown, ownerShown;
};

struct ChartPrint : PrintFixture {
    void SetUp() override {
        PrintFixture::SetUp();
        watching = std::make_shared<WatchingDialogs>();
        dialogs = watching;
        SetPrintDialogs(watching);
    }
    std::shared_ptr<WatchingDialogs> watching;
};

enum class Output { StretchedPicture, WindowImage };

struct ChartCase {
    const char* name;
    std::function<void()> command;
    const char* owner;
    bool makeDefault;
    bool highQuality;
    Output output;
    std::function<DrawingView::Draw()> picture; // the picture a stretched page must show
    QPageLayout::Orientation orientation;
    bool largerThanPage = false; // a window image that must be scaled down to fit
};

// The altissimo chart window restored from maximized and made as large as on a wide screen.
void ShowLargeAltissimoChart() {
    Window<Form1>().Menu_Altissimo_Click();
    Form13& chart = Window<Form13>();
    chart.setWindowState(Qt::WindowNoState);
    chart.resize(1920, 1060);
}

void PrintTo(const ChartCase& c, std::ostream* os) { *os << c.name; }

std::vector<ChartCase> Cases() {
    return {
        {"MainMenuFingeringChart", [] { Window<Form1>().PFingChart_Click(); }, "Form4", false, false,
         Output::StretchedPicture, [] { return Window<Form4>().Chart->drawing(); }, QPageLayout::Landscape},
        {"MainMenuAltissimoChart", [] { Window<Form1>().PAltiChart_Click(); }, "Form13", false, false,
         Output::StretchedPicture, [] { return Window<Form13>().Chart->drawing(); }, QPageLayout::Portrait},
        {"FingeringChartWindow", [] { Window<Form1>().Menu_Print_Click(); Window<Form4>().PrintChart_Click(); }, "Form4", true, true,
         Output::StretchedPicture, [] { return Window<Form4>().Chart->drawing(); }, QPageLayout::Portrait},
        {"AltissimoChartWindow", [] { Window<Form1>().Menu_Altissimo_Click(); Window<Form13>().Alti_Print_Click(); }, "Form13", true, true,
         Output::WindowImage, nullptr, QPageLayout::Landscape},
        {"LargeAltissimoChartWindowOnPortrait", [] { ShowLargeAltissimoChart(); Window<Form13>().Alti_Print_Click(); },
         "Form13", true, true, Output::WindowImage, nullptr, QPageLayout::Portrait, true},
        {"LargeAltissimoChartWindowOnLandscape", [] { ShowLargeAltissimoChart(); Window<Form13>().Alti_Print_Click(); },
         "Form13", true, true, Output::WindowImage, nullptr, QPageLayout::Landscape, true},
        {"CircleOfFifthsPortrait", [] { Window<Form1>().Scale_Wheel_Click(); Window<Form8>().Command3_Click(); }, "Form8", false, false,
         Output::StretchedPicture, [] { return Window<Form8>().Picture->drawing(); }, QPageLayout::Portrait},
    };
}

class ChartCommands : public ChartPrint, public ::testing::WithParamInterface<ChartCase> {};

TEST_P(ChartCommands, PrintOnePageWithTheirDialogAndSwitches) {
    const ChartCase& c = GetParam();
    Window<Form1>();
    const int16_t quality = PrintQuality(SystemPrinter());
    const QString out = Pdf("chart.pdf");
    Choose(out, c.orientation);
    c.command();

    ASSERT_EQ(watching->owners, std::vector<QString>{c.owner});
    EXPECT_TRUE(watching->ownerShown.at(0)) << "the chart window is on screen before the dialog";
    const PdfFacts facts = ReadPdfFacts(out);
    ASSERT_TRUE(facts.readable);
    EXPECT_EQ(facts.pages, 1);
    EXPECT_EQ(Landscape(facts), c.orientation == QPageLayout::Landscape);
    EXPECT_EQ(PrintQuality(SystemPrinter()), c.highQuality ? kHighPrintQuality : quality);
    EXPECT_EQ(SystemPrinter().outputFileName() == out, c.makeDefault);
    EXPECT_EQ(PrinterOrientation(SystemPrinter()), c.orientation == QPageLayout::Landscape ? 2 : 1);

    if (!PdfRasteriserAvailable()) GTEST_SKIP() << "pdftoppm is not installed: the page was not looked at";
    const QImage page = RasterisePdf(out, 36);
    const QRect ink = InkBounds(page);
    ASSERT_FALSE(ink.isEmpty()) << "blank page";
    if (c.output == Output::StretchedPicture) {
        // The page shows the picture as it looks drawn straight into the page's rectangle: both
        // directions stretched, nothing letter-boxed.
        QImage expected(page.size(), QImage::Format_RGB32);
        expected.fill(Qt::white);
        QPainter p(&expected);
        p.setRenderHint(QPainter::Antialiasing);
        c.picture()(p, QRectF(expected.rect()));
        p.end();
        const QRect drawn = InkBounds(expected);
        EXPECT_NEAR(ink.left(), drawn.left(), 3);
        EXPECT_NEAR(ink.top(), drawn.top(), 3);
        EXPECT_NEAR(ink.right(), drawn.right(), 3);
        EXPECT_NEAR(ink.bottom(), drawn.bottom(), 3);
        EXPECT_GT(ink.width(), page.width() * 0.8);
        EXPECT_GT(ink.height(), page.height() * 0.8);
    } else {
        // The window as shown, at its physical size (15 twips a pixel) from the page's top-left
        // corner: its ink where the window's own picture has it, at 36 dots per inch. A window
        // larger than the page is made smaller to fit it whole, its proportions kept.
        QWidget& client = ClientArea(Window<Form13>());
        const QSizeF physical = QSizeF(client.size()) * (15 * 36 / 1440.0);
        const double fit = std::min({1.0, page.width() / physical.width(), page.height() / physical.height()});
        EXPECT_EQ(fit < 1.0, c.largerThanPage) << physical.width() << " x " << physical.height();
        const QImage shown = client.grab().toImage().scaled((physical * fit).toSize(), Qt::IgnoreAspectRatio,
                                                            Qt::SmoothTransformation);
        const QRect expected = InkBounds(shown.convertToFormat(QImage::Format_RGB32));
        // Whole: nothing of what the window shows runs off the page.
        EXPECT_TRUE(page.rect().contains(expected));
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_NEAR(ink.left(), expected.left(), 3);
        EXPECT_NEAR(ink.top(), expected.top(), 3);
        EXPECT_NEAR(ink.right(), expected.right(), 3);
        EXPECT_NEAR(ink.bottom(), expected.bottom(), 3);
    }
}

INSTANTIATE_TEST_SUITE_P(Charts, ChartCommands, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChartPrint, MainMenuChartStaysShownAfterCancel) {
    Form1& f = Window<Form1>();
    for (auto [command, chart] : {std::pair<void (Form1::*)(), std::function<QWidget&()>>{
                                      &Form1::PFingChart_Click, [] () -> QWidget& { return Window<Form4>(); }},
                                  {&Form1::PAltiChart_Click, [] () -> QWidget& { return Window<Form13>(); }}}) {
        f.show();
        Cancel();
        (f.*command)();
        EXPECT_FALSE(watching->mainShown.back()) << "the main window is hidden before the dialog";
        EXPECT_TRUE(chart().isVisible());
        EXPECT_FALSE(f.isVisible());
        chart().hide();
    }
    EXPECT_EQ(watching->owners, (std::vector<QString>{"Form4", "Form13"}));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(ChartPrint, CircleOfFifthsPrintsWhileItsExplanationIsOpen) {
    Window<Form1>().Scale_Wheel_Click();
    Form8& circle = Window<Form8>();
    circle.Command2_Click();
    ASSERT_FALSE(circle.Command1->isEnabled());
    Choose(Pdf("circle.pdf"));
    circle.Command3->click();
    EXPECT_EQ(ReadPdfFacts(Pdf("circle.pdf")).pages, 1);
    EXPECT_TRUE(circle.isVisible());
    EXPECT_FALSE(circle.Command1->isEnabled()) << "the window's state is left as it was";
    EXPECT_TRUE(circle.Command3->isEnabled());
}

TEST_F(ChartPrint, PrintMenuItemsAreWired) {
    Form1& f = Window<Form1>();
    for (QAction* item : {Find<QAction>(f, "PNote"), Find<QAction>(f, "PrintScale"), Find<QAction>(f, "PFingChart"), Find<QAction>(f, "PAltiChart")}) EXPECT_TRUE(item->isEnabled());
    Cancel();
    Find<QAction>(f, "PFingChart")->trigger();
    EXPECT_EQ(watching->owners, std::vector<QString>{"Form4"});
    Cancel();
    Window<Form4>().PrintChart->trigger();
    Cancel();
    Window<Form13>().Alti_Print->trigger();
    EXPECT_EQ(watching->owners, (std::vector<QString>{"Form4", "Form4", "Form13"}));
}

} // namespace
} // namespace korvalin
