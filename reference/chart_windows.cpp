#include "reference/chart_windows.h"

#include "app/window_handover.h"
#include "app/window_registry.h"
#include "assets/main_art.h"
#include "reference/charts.h"
#include "reference/drawing_view.h"
#include "reference/text_pages.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>

namespace korvalin {
namespace {

constexpr double kTwipsPerPixel = 15.0;

QRect Twips(int left, int top, int width, int height) {
    return QRect(qRound(left / kTwipsPerPixel), qRound(top / kTwipsPerPixel), qRound(width / kTwipsPerPixel),
                 qRound(height / kTwipsPerPixel));
}

QSize ClientSize(int width, int height) {
    return QSize(qRound(width / kTwipsPerPixel), qRound(height / kTwipsPerPixel));
}

void Setup(QWidget* w, const char* name, const QString& caption) {
    w->setObjectName(name);
    w->setWindowTitle(caption);
    w->setWindowIcon(AppIcon());
    w->setAttribute(Qt::WA_QuitOnClose, false);
    QFont f = QApplication::font();
    f.setPointSizeF(8.25);
    w->setFont(f);
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& tip, QRect geometry) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

DrawingView* View(QWidget* parent, const char* name, DrawingView::Draw draw, const QString& accessibleName,
                  const QString& description, QSizeF ownSize = {}) {
    auto* v = new DrawingView(std::move(draw), ownSize, parent);
    v->setObjectName(name);
    v->setAccessibleName(accessibleName);
    v->setAccessibleDescription(description);
    return v;
}

// A chart window: the drawing fills the client area under a menu bar of two commands.
template <class W>
DrawingView* ChartSetup(W* w, const char* name, const QString& caption, QSize client, DrawingView::Draw draw,
                        const QString& description) {
    Setup(w, name, caption);
    DrawingView* chart = View(w, "Chart", std::move(draw), caption, description);
    w->setCentralWidget(chart);
    w->resize(client.width(), client.height() + w->menuBar()->sizeHint().height());
    w->setWindowState(Qt::WindowMaximized);
    return chart;
}

QAction* MenuCommand(QMenuBar* bar, const char* name, const QString& caption) {
    QAction* a = bar->addAction(caption);
    a->setObjectName(name);
    a->setMenuRole(QAction::NoRole);
    return a;
}

} // namespace

// ---- Form4, fingering chart ----

Form4::Form4() {
    Chart = ChartSetup(this, "Form4", "Saxophone Fingering Chart", ClientSize(15000, 9675), DrawFingeringChart,
                       "Every written note from B-flat below the staff up to A, with its fingerings; "
                       "a play-along guide and a transposition guide");
    PrintChart = MenuCommand(menuBar(), "PrintChart", "Print");
    ReturnFromCHart = MenuCommand(menuBar(), "ReturnFromCHart", "Return");
    connect(PrintChart, &QAction::triggered, this, &Form4::PrintChart_Click);
    connect(ReturnFromCHart, &QAction::triggered, this, &Form4::ReturnFromCHart_Click);
}

void Form4::ReturnFromCHart_Click() { ReturnToMain(*this); }

void Form4::closeEvent(QCloseEvent* event) {
    event->ignore();
    ReturnFromCHart_Click();
}

// ---- Form13, altissimo chart ----

Form13::Form13() {
    Chart = ChartSetup(this, "Form13", "Altissimo Chart", ClientSize(10500, 8160), DrawAltissimoChart,
                       "Altissimo fingerings from F-sharp up to A, three or four for each note; all notes "
                       "sound an octave above the written note");
    Alti_Print = MenuCommand(menuBar(), "Alti_Print", "Print");
    Alti_Return = MenuCommand(menuBar(), "Alti_Return", "Return");
    connect(Alti_Print, &QAction::triggered, this, &Form13::Alti_Print_Click);
    connect(Alti_Return, &QAction::triggered, this, &Form13::Alti_Return_Click);
}

void Form13::Alti_Return_Click() { ReturnToMain(*this); }

void Form13::closeEvent(QCloseEvent* event) {
    event->ignore();
    Alti_Return_Click();
}

// ---- Form8, circle of fifths ----

Form8::Form8() {
    Setup(this, "Form8", "Circle of Fifths");
    setFixedSize(ClientSize(10395, 8130));
    Picture = View(this, "Picture", DrawCircleOfFifths, "Circle of Fifths",
                   "The twelve major keys around a ring, C at the top and G, D, A, E, B, F sharp and C sharp "
                   "going counter-clockwise, A flat, E flat, B flat and F clockwise; the relative minor keys "
                   "inside and each key signature outside",
                   QSizeF(720, 540));
    Picture->setGeometry(rect());
    Command3 = Button(this, "Command3", "Print", QString(), Twips(8640, 6960, 1215, 375));
    Command2 = Button(this, "Command2", "Tell me more!", "More Info", Twips(600, 7440, 1335, 375));
    Command1 = Button(this, "Command1", "Return", "Exit", Twips(8640, 7440, 1215, 375));
    connect(Command3, &QPushButton::clicked, this, &Form8::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &Form8::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &Form8::Command1_Click);
}

void Form8::Command1_Click() { ReturnToMain(*this); }

void Form8::Command2_Click() {
    Command1->setEnabled(false);
    Form11& more = Window<Form11>();
    // Over the middle of the circle.
    more.move(frameGeometry().center() - QPoint(more.width() / 2, more.height() / 2));
    more.show();
    more.raise();
    more.activateWindow();
}

void Form8::closeEvent(QCloseEvent* event) {
    event->ignore();
    // While the explanation is open the way back is closed, as the disabled "Return" shows.
    if (Command1->isEnabled()) Command1_Click();
    else if (WindowLoaded<Form11>()) Window<Form11>().activateWindow();
}

// ---- Form11, the circle explained ----

Form11::Form11() {
    Setup(this, "Form11", "Circle of fifth's");
    setFixedSize(ClientSize(6885, 4890));
    Page = View(this, "Page", DrawCircleExplanation, "The circle of fifths explained", CircleExplanationPlainText());
    Page->setGeometry(rect());
    Command1 = Button(this, "Command1", "Return", QString(), Twips(5520, 4440, 1215, 375));
    connect(Command1, &QPushButton::clicked, this, &Form11::Command1_Click);
}

void Form11::Command1_Click() {
    Window<Form8>().Command1->setEnabled(true);
    hide();
}

void Form11::closeEvent(QCloseEvent* event) {
    event->ignore();
    Command1_Click();
}

// ---- Form9, transposition ----

Form9::Form9() {
    Setup(this, "Form9", "Transposition");
    setFixedSize(ClientSize(4590, 6090));
    Frame1 = new QGroupBox("Transposition", this);
    Frame1->setObjectName("Frame1");
    Frame1->setGeometry(Twips(120, 120, 4335, 5415));
    Picture1 = View(Frame1, "Picture1", DrawTranspositionExample, "Transposition example",
                    QString::fromUtf8("A treble staff on which C moves down a semitone at a time, C, B, B\u266D, "
                                      "A, A\u266D, G, G\u266D, F, E, E\u266D, then the key of E\u266D with its "
                                      "signature"));
    Picture1->setGeometry(Twips(120, 240, 4095, 2655));
    Picture2 = View(Frame1, "Picture2", DrawTranspositionExplanation, "Transposition explained",
                    TranspositionExplanationPlainText());
    Picture2->setGeometry(Twips(120, 3000, 4095, 2295));
    Command1 = Button(this, "Command1", "Return", QString(), Twips(3360, 5640, 975, 375));
    connect(Command1, &QPushButton::clicked, this, &Form9::Command1_Click);
}

void Form9::Command1_Click() { ReturnToMain(*this); }

void Form9::closeEvent(QCloseEvent* event) {
    event->ignore();
    Command1_Click();
}

// ---- Form7, five tips ----

Form7::Form7() {
    Setup(this, "Form7", "Top 5!");
    setFixedSize(ClientSize(7965, 5235));
    Page = View(this, "Page", DrawTips, "Top 5 tips", TipsPlainText());
    Page->setGeometry(rect());
    Command1 = Button(this, "Command1", "Return", "Exit", Twips(6600, 4800, 1215, 375));
    connect(Command1, &QPushButton::clicked, this, &Form7::Command1_Click);
}

void Form7::Command1_Click() { ReturnToMain(*this); }

void Form7::closeEvent(QCloseEvent* event) {
    event->ignore();
    Command1_Click();
}

} // namespace korvalin
