#include "reference/explainers.h"

#include "app/korvalin1.h"
#include "app/window_handover.h"
#include "app/window_registry.h"
#include "assets/main_art.h"
#include "main_window/picture_box.h"
#include "reference/explainer_art.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <initializer_list>
#include <vector>

namespace korvalin {
namespace {

constexpr double kTwipsPerPixel = 15.0;

struct Part {
    const char* text;
    std::vector<int> lines; // leader lines shown, by number
};

// Mouthpiece views: 0 assembled, 1 cut-away, 2 table.
const std::array<std::vector<Part>, 3>& MouthpieceParts() {
    static const std::array<std::vector<Part>, 3> parts{{
        {
            {"1- Toothplate - eases the vibrations through your teeth", {1}},
            {"2- Mouthpiece body, the main chamber housing", {2}},
            {"3- Saxophone reed, take time to find the right one!", {3}},
            {"4- Ligature, differing styles give differing sounds", {4}},
            {"5- Tuning guide, flatter = left, sharper = right", {5, 8}},
            {"6- Neck cork, quality wax prolongs life and eases tuning", {6}},
            {"7- Saxophone neck, the start of the instrument", {7}},
        },
        {
            {"1- Baffle, the area behind the tip, high=edgy, low=muffled", {13}},
            {"2- Facing, the curved area behind the reed", {10}},
            {"3- Chamber, the resonance chamber", {11}},
            {"4- Throat, the channel from chamber to sax body", {12}},
        },
        {
            {"1- Tip rail, keep the reed tip evenly aligned with this", {9}},
            {"2- Side rail, keep the reed in parallel with these", {14}},
            {"3- Window, the hole in the MP which sits behind the reed", {15}},
            {"4- Table, as with the reed, keep it clean", {16}},
        },
    }};
    return parts;
}

// Reed views: 0 top, 1 side.
const std::array<std::vector<Part>, 2>& ReedParts() {
    static const std::array<std::vector<Part>, 2> parts{{
        {
            {"1- Tip, line up with the MP tip rail, watch out for cracks", {1}},
            {"2- Side, a good balance is needed either side of the heart", {2}},
            {"3- Heart, look for a well centered reed", {3}},
            {"4- Vamp, look for a golden colour, not green or brown", {4}},
            {"5 - Shoulder, look for a symetrical curve", {5}},
            {"6- Stock, look for a fine grain with no streaking", {6}},
            {"7- Heel, look for a medium curve", {7}},
        },
        {
            {"1- Table, keep clean, watch for debris", {8}},
            {"2- Rail, the vibrating element, watch out for warps", {9}},
        },
    }};
    return parts;
}

QRect Twips(int left, int top, int width, int height) {
    return QRect(qRound(left / kTwipsPerPixel), qRound(top / kTwipsPerPixel), qRound(width / kTwipsPerPixel),
                 qRound(height / kTwipsPerPixel));
}

QFont ExplainerFont() {
    QFont f = QApplication::font();
    f.setPointSizeF(8);
    return f;
}

// The parts of both windows sit in the same places: buttons 1 to 7 in a row under the picture.
constexpr std::array<int, 7> kButtonLefts{120, 720, 1320, 1920, 2520, 3120, 3720};

template <class W>
void Setup(W* w, const char* name, const QString& caption, int clientW, int clientH) {
    w->setObjectName(name);
    w->setWindowTitle(caption);
    w->setWindowIcon(AppIcon());
    w->setAttribute(Qt::WA_QuitOnClose, false);
    w->setFont(ExplainerFont());
    w->setFixedSize(qRound(clientW / kTwipsPerPixel), qRound(clientH / kTwipsPerPixel));
}

PictureBox* Picture(QWidget* parent, const char* name, QRect geometry, PictureBox::Source source,
                    const QString& description) {
    auto* p = new PictureBox(parent);
    p->setObjectName(name);
    p->setGeometry(geometry);
    p->setSource(std::move(source));
    p->setAccessibleName(description);
    return p;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

QLineEdit* TextBox(QWidget* parent, QRect geometry) {
    auto* t = new QLineEdit(parent);
    t->setObjectName("Text1");
    t->setGeometry(geometry);
    t->setAccessibleName("Part description");
    QFont f = t->font();
    f.setPointSizeF(7.5);
    t->setFont(f);
    return t;
}

// What the two explainers share: seven numbered part buttons in a row under the picture, leader
// lines from the parts to them, and the text box with the part's description.

// Creates the part buttons of `w`, captioned with their numbers after `prefix`, each wired to its
// own handler.
template <class W>
void AddPartButtons(W* w, const QString& prefix) {
    const std::array<QPushButton**, 7> buttons{&w->Command1, &w->Command2, &w->Command4, &w->Command5,
                                               &w->Command6, &w->Command7, &w->Command8};
    static constexpr std::array<const char*, 7> kNames{"Command1", "Command2", "Command4", "Command5",
                                                       "Command6", "Command7", "Command8"};
    const std::array<void (W::*)(), 7> handlers{&W::Command1_Click, &W::Command2_Click, &W::Command4_Click,
                                                &W::Command5_Click, &W::Command6_Click, &W::Command7_Click,
                                                &W::Command8_Click};
    for (int i = 0; i < 7; ++i) {
        *buttons[i] = Button(w, kNames[i], prefix + QString::number(i + 1), Twips(kButtonLefts[i], 1680, 615, 255));
        QObject::connect(*buttons[i], &QPushButton::clicked, w, handlers[i]);
    }
}

// Creates the leader lines Line1, Line2... of `w`, hidden, from their ends in twips; line number
// `redLine` (0 for none) is drawn as a red bar.
template <size_t N>
void AddLeaderLines(QWidget* w, const std::array<LeaderLine**, N>& lines,
                    const std::array<std::pair<QPointF, QPointF>, N>& ends, size_t redLine = 0) {
    for (size_t i = 0; i < N; ++i) {
        const QByteArray name = "Line" + QByteArray::number(qulonglong(i + 1));
        *lines[i] = new LeaderLine(w, name.constData(), QLineF(ends[i].first, ends[i].second),
                                   i + 1 == redLine ? QColor(Qt::red) : QColor(Qt::black));
        (*lines[i])->hide();
    }
}

// Shows part `number` of `view` (-1 when no view is current): its description in the text box and
// exactly its leader lines. A part the view does not have changes nothing.
template <size_t Views, size_t N>
void ShowExplainerPart(const std::array<std::vector<Part>, Views>& parts, int view, int number, QLineEdit* text,
                       const std::array<LeaderLine*, N>& lines) {
    if (view < 0 || view >= int(Views) || number < 1 || number > int(parts[size_t(view)].size())) return;
    const Part& part = parts[size_t(view)][size_t(number - 1)];
    text->setText(part.text);
    for (size_t i = 0; i < N; ++i)
        lines[i]->setVisible(std::find(part.lines.begin(), part.lines.end(), int(i) + 1) != part.lines.end());
}

// Shows the picture of a view and enables the buttons that have a part in it.
void SwitchView(const std::vector<PictureBox*>& pictures, PictureBox* shown, const std::array<QPushButton*, 7>& buttons,
                int partCount) {
    for (PictureBox* p : pictures) p->setVisible(p == shown);
    for (int i = 0; i < 7; ++i) buttons[i]->setEnabled(i < partCount);
    buttons[0]->setFocus();
}

} // namespace

// ---- LeaderLine ----

LeaderLine::LeaderLine(QWidget* parent, const char* name, QLineF twips, QColor colour)
    : QWidget(parent), twips_(twips), colour_(colour) {
    setObjectName(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    const QLineF px = pixels();
    setGeometry(QRectF(px.p1(), px.p2()).normalized().adjusted(-3, -3, 3, 3).toAlignedRect());
}

QLineF LeaderLine::pixels() const {
    return QLineF(twips_.p1() / kTwipsPerPixel, twips_.p2() / kTwipsPerPixel);
}

void LeaderLine::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QLineF local = pixels().translated(-QPointF(pos()));
    const bool bar = colour_ != QColor(Qt::black);
    // A pale edge keeps the line readable where it crosses a dark part of the picture.
    p.setPen(QPen(QColor(255, 255, 255, 170), bar ? 4.5 : 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(local);
    p.setPen(QPen(colour_, bar ? 2.5 : 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(local);
}

// ---- Form5, the mouthpiece ----

Form5::Form5() {
    Setup(this, "Form5", "Mouthpiece", 4455, 2880);
    const QRect photo = Twips(120, 120, 4200, 1500);
    auto image = [](MouthpieceView v, QSize size) {
        return [v, size](qreal dpr) { return MouthpieceImage(v, size, dpr); };
    };
    Image1 = Picture(this, "Image1", photo, image(MouthpieceView::Assembled, {280, 100}),
                     "Mouthpiece with reed and ligature on the neck, from the side");
    Image6 = Picture(this, "Image6", photo, image(MouthpieceView::Section, {280, 100}),
                     "Mouthpiece cut open to show the inside, from the side");
    Image4 = Picture(this, "Image4", photo, image(MouthpieceView::Table, {280, 100}),
                     "Mouthpiece without reed, from below");

    const std::array<std::pair<QPointF, QPointF>, 16> ends{{
        {{840, 720}, {480, 1800}},   {{1320, 840}, {1080, 1800}}, {{1560, 1080}, {1680, 1800}},
        {{1920, 480}, {2280, 1800}}, {{3600, 240}, {2760, 1800}}, {{3960, 720}, {3360, 1800}},
        {{4320, 480}, {4080, 1800}}, {{3480, 240}, {3960, 240}},  {{480, 840}, {480, 1680}},
        {{720, 960}, {960, 1680}},   {{1440, 720}, {1560, 1680}}, {{2280, 720}, {2280, 1680}},
        {{600, 840}, {480, 1680}},   {{1080, 600}, {960, 1680}},  {{1200, 840}, {1560, 1680}},
        {{2520, 840}, {2280, 1680}},
    }};
    // Line8, the tuning guide's bar, is red.
    AddLeaderLines<16>(this,
                       {&Line1, &Line2, &Line3, &Line4, &Line5, &Line6, &Line7, &Line8, &Line9, &Line10, &Line11,
                        &Line12, &Line13, &Line14, &Line15, &Line16},
                       ends, 8);
    AddPartButtons(this, " ");
    Text1 = TextBox(this, Twips(120, 2010, 4215, 285));
    Image2 = Picture(this, "Image2", Twips(120, 2400, 1050, 375), image(MouthpieceView::Assembled, {70, 25}),
                     "Show the assembled mouthpiece");
    Image3 = Picture(this, "Image3", Twips(1200, 2400, 1050, 375), image(MouthpieceView::Table, {70, 25}),
                     "Show the mouthpiece from below");
    Image5 = Picture(this, "Image5", Twips(2280, 2400, 1050, 375), image(MouthpieceView::Section, {70, 25}),
                     "Show the inside of the mouthpiece");
    Command3 = Button(this, "Command3", "Return", Twips(3360, 2400, 975, 375));

    connect(Image2, &PictureBox::clicked, this, &Form5::Image2_Click);
    connect(Image3, &PictureBox::clicked, this, &Form5::Image3_Click);
    connect(Image5, &PictureBox::clicked, this, &Form5::Image5_Click);
    connect(Command3, &QPushButton::clicked, this, &Form5::Command3_Click);
}

void Form5::Form_Load() {
    Image1->show();
    Image4->hide();
    Image6->hide();
}

std::array<QPushButton*, 7> Form5::PartButtons() const {
    return {Command1, Command2, Command4, Command5, Command6, Command7, Command8};
}

std::array<LeaderLine*, 16> Form5::Lines() const {
    return {Line1, Line2, Line3, Line4, Line5, Line6, Line7, Line8,
            Line9, Line10, Line11, Line12, Line13, Line14, Line15, Line16};
}

void Form5::ShowPart(int view, int number) { ShowExplainerPart(MouthpieceParts(), view, number, Text1, Lines()); }

void Form5::PartButton(int number) {
    int view = -1;
    if (KORVALIN1.MouthpieceAssembledView == True) view = 0;
    else if (KORVALIN1.MouthpieceSectionView == True) view = 1;
    else if (KORVALIN1.MouthpieceTableView == True) view = 2;
    ShowPart(view, number);
}

void Form5::Command1_Click() { PartButton(1); }
void Form5::Command2_Click() { PartButton(2); }
void Form5::Command4_Click() { PartButton(3); }
void Form5::Command5_Click() { PartButton(4); }
void Form5::Command6_Click() { PartButton(5); }
void Form5::Command7_Click() { PartButton(6); }
void Form5::Command8_Click() { PartButton(7); }

void Form5::Image2_Click() {
    KORVALIN1.MouthpieceAssembledView = True;
    KORVALIN1.MouthpieceSectionView = False;
    KORVALIN1.MouthpieceTableView = False;
    SwitchView({Image1, Image4, Image6}, Image1, PartButtons(), 7);
    ShowPart(0, 1);
}

void Form5::Image5_Click() {
    KORVALIN1.MouthpieceAssembledView = False;
    KORVALIN1.MouthpieceSectionView = True;
    KORVALIN1.MouthpieceTableView = False;
    SwitchView({Image1, Image4, Image6}, Image6, PartButtons(), 4);
    ShowPart(1, 1);
}

void Form5::Image3_Click() {
    KORVALIN1.MouthpieceAssembledView = False;
    KORVALIN1.MouthpieceSectionView = False;
    KORVALIN1.MouthpieceTableView = True;
    SwitchView({Image1, Image4, Image6}, Image4, PartButtons(), 4);
    ShowPart(2, 1);
}

void Form5::Command3_Click() { ReturnToMain(*this); }

void Form5::closeEvent(QCloseEvent* event) {
    // The frame's close control goes back to the main window, as "Return" does.
    event->ignore();
    Command3_Click();
}

// ---- Form10, the reed ----

Form10::Form10() {
    Setup(this, "Form10", "Reed", 4455, 2835);
    const QRect photo = Twips(120, 120, 4200, 1500);
    auto image = [](ReedView v, QSize size) { return [v, size](qreal dpr) { return ReedImage(v, size, dpr); }; };
    Image1 = Picture(this, "Image1", photo, image(ReedView::Top, {280, 100}), "Reed seen from its flat-cut top");
    Image4 = Picture(this, "Image4", photo, image(ReedView::Side, {280, 100}), "Reed seen edge-on");
    Image4->hide();

    const std::array<std::pair<QPointF, QPointF>, 9> ends{{
        {{720, 840}, {360, 1680}},
        {{840, 1080}, {960, 1680}},
        {{1080, 840}, {1680, 1680}},
        {{1560, 960}, {2160, 1680}},
        {{2160, 960}, {2880, 1680}},
        {{3240, 960}, {3360, 1680}},
        {{3840, 960}, {4080, 1680}},
        {{3000, 1080}, {360, 1680}},
        {{1440, 1080}, {960, 1680}},
    }};
    AddLeaderLines<9>(this, {&Line1, &Line2, &Line3, &Line4, &Line5, &Line6, &Line7, &Line8, &Line9}, ends);
    AddPartButtons(this, QString());
    Text1 = TextBox(this, Twips(120, 2040, 4215, 285));
    Image2 = Picture(this, "Image2", Twips(120, 2400, 1050, 375), image(ReedView::Top, {70, 25}), "View Top");
    Image2->setToolTip("View Top");
    Image3 = Picture(this, "Image3", Twips(1320, 2400, 1050, 375), image(ReedView::Side, {70, 25}), "View Side");
    Image3->setToolTip("View Side");
    Command3 = Button(this, "Command3", "Return", Twips(3000, 2400, 1335, 375));
    Command3->setToolTip("Main Menu");

    connect(Image2, &PictureBox::clicked, this, &Form10::Image2_Click);
    connect(Image3, &PictureBox::clicked, this, &Form10::Image3_Click);
    connect(Command3, &QPushButton::clicked, this, &Form10::Command3_Click);
}

std::array<QPushButton*, 7> Form10::PartButtons() const {
    return {Command1, Command2, Command4, Command5, Command6, Command7, Command8};
}

std::array<LeaderLine*, 9> Form10::Lines() const {
    return {Line1, Line2, Line3, Line4, Line5, Line6, Line7, Line8, Line9};
}

void Form10::ShowPart(int view, int number) { ShowExplainerPart(ReedParts(), view, number, Text1, Lines()); }

void Form10::PartButton(int number) {
    int view = -1;
    if (KORVALIN1.ReedTopView == True) view = 0;
    else if (KORVALIN1.ReedSideView == True) view = 1;
    ShowPart(view, number);
}

void Form10::Command1_Click() { PartButton(1); }
void Form10::Command2_Click() { PartButton(2); }
void Form10::Command4_Click() { PartButton(3); }
void Form10::Command5_Click() { PartButton(4); }
void Form10::Command6_Click() { PartButton(5); }
void Form10::Command7_Click() { PartButton(6); }
void Form10::Command8_Click() { PartButton(7); }

void Form10::Image2_Click() {
    KORVALIN1.ReedTopView = True;
    KORVALIN1.ReedSideView = False;
    SwitchView({Image1, Image4}, Image1, PartButtons(), 7);
    ShowPart(0, 1);
}

void Form10::Image3_Click() {
    KORVALIN1.ReedSideView = True;
    KORVALIN1.ReedTopView = False;
    SwitchView({Image1, Image4}, Image4, PartButtons(), 2);
    ShowPart(1, 1);
}

void Form10::Command3_Click() { ReturnToMain(*this); }

void Form10::closeEvent(QCloseEvent* event) {
    event->ignore();
    Command3_Click();
}

} // namespace korvalin
