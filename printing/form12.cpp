#include "printing/form12.h"

#include "app/korvalin1.h"
#include "app/window_handover.h"
#include "app/window_registry.h"
#include "assets/main_art.h"
#include "main_window/form1.h"
#include "printing/note_strip.h"
#include "printing/print_setup.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPrinter>
#include <QScrollArea>
#include <algorithm>
#include <cmath>

namespace korvalin {

Form12::Form12() {
    setObjectName("Form12");
    setWindowTitle("PrintScale");
    setWindowIcon(AppIcon());
    setAttribute(Qt::WA_QuitOnClose, false);

    // The page keeps its designed size; a screen too small for it scrolls.
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName("Form12Client");
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setBackgroundRole(QPalette::Window);
    setCentralWidget(scroll_);
    Page = new QWidget;
    Page->setObjectName("Page");
    Page->setAccessibleName("Scale page");
    Page->setBackgroundRole(QPalette::Window);
    Page->setAutoFillBackground(true);
    Page->setFixedSize(kPageWidth / kTwipsPerPixel, kPageHeight / kTwipsPerPixel);
    scroll_->setWidget(Page);

    Label1 = new QLabel(Page);
    Label1->setObjectName("Label1");
    QFont title(QStringLiteral("Sans Serif"));
    title.setStyleHint(QFont::SansSerif);
    title.setPointSize(12);
    title.setBold(true);
    Label1->setFont(title);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Place(Label1, 0, 0, 12975, 495);

    for (int i = 0; i < kPageStrips; ++i) {
        auto* strip = new StripPicture(Page);
        strip->setObjectName(QStringLiteral("Image1(%1)").arg(i));
        strip->setStrip(i);
        Place(strip, 0, 0, StripWidth(i), kStripHeight);
        strip->hide();
        Image1[std::size_t(i)] = strip;
    }
    for (int i = 0; i < kPageSlots; ++i) {
        auto* slot = new StripPicture(Page);
        slot->setObjectName(QStringLiteral("Image3(%1)").arg(i));
        Place(slot, 0, 0, kEmptySlotWidth, kEmptySlotHeight);
        slot->hide();
        Image3[std::size_t(i)] = slot;
    }

    ScalePrintMnu = menuBar()->addAction("Print");
    ScalePrintMnu->setObjectName("ScalePrintMnu");
    ScalePrintMnu->setMenuRole(QAction::NoRole);
    connect(ScalePrintMnu, &QAction::triggered, this, &Form12::ScalePrintMnu_Click);
    ScaleReturnMnu = menuBar()->addAction("Return");
    ScaleReturnMnu->setObjectName("ScaleReturnMnu");
    ScaleReturnMnu->setMenuRole(QAction::NoRole);
    connect(ScaleReturnMnu, &QAction::triggered, this, &Form12::ScaleReturnMnu_Click);

    resize(Page->width(), Page->height() + menuBar()->sizeHint().height());
}

void Form12::Place(QWidget* w, int left, int top, int width, int height) {
    // Both edges rounded, so that strips that touch on the page touch on screen.
    auto px = [](int twips) { return int(std::lround(twips / double(kTwipsPerPixel))); };
    w->setGeometry(px(left), px(top), px(left + width) - px(left), px(top + height) - px(top));
}

void Form12::ShowPage(const ScalePage& page) {
    for (int i = 0; i < kPageStrips; ++i) Image1[std::size_t(i)]->hide();
    for (int i = 0; i < kPageSlots; ++i) Image3[std::size_t(i)]->hide();

    Label1->setText(QString::fromStdString(page.title));
    Label1->setAccessibleName(Label1->text());

    int right = kPageWidth;
    for (const PlacedStrip& placed : page.noteStrips) right = std::max(right, placed.left + placed.width + kRowLeft);
    Page->setFixedSize(int(std::lround(right / double(kTwipsPerPixel))), kPageHeight / kTwipsPerPixel);

    for (const PlacedStrip& start : page.rowStarts) {
        StripPicture* strip = Image1[std::size_t(start.strip)];
        Place(strip, start.left, start.top, start.width, start.height);
        strip->show();
    }
    for (const PlacedStrip& placed : page.noteStrips) {
        if (placed.slot < 0 || placed.slot >= kPageSlots) continue;
        StripPicture* slot = Image3[std::size_t(placed.slot)];
        slot->copyPictureFrom(*Image1[std::size_t(placed.strip)]);
        Place(slot, placed.left, placed.top, placed.width, placed.height);
        slot->show();
    }
    scroll_->ensureVisible(0, 0);
}

void Form12::ScalePrintMnu_Click() {
    std::unique_ptr<QPrinter> printer = PreparePrinter(*this, true, true);
    if (!printer) return;
    PrintWindowImage(*printer, *Page, kTwipsPerPixel, kTwipsPerPixel);
}

void Form12::ScaleReturnMnu_Click() { ReturnToMain(*this); }

void Form12::closeEvent(QCloseEvent* event) {
    // Closing the page through its frame leads back like "Return".
    event->accept();
    ScaleReturnMnu_Click();
}

} // namespace korvalin
