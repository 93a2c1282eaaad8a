#include "scales/form2.h"

#include "app/korvalin1.h"
#include "app/window_handover.h"
#include "app/window_registry.h"
#include "assets/main_art.h"
#include "main_window/form1.h"
#include "main_window/picture_box.h"
#include "main_window/window_font.h"
#include "scales/scale_catalogue.h"
#include "scales/scale_mode.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace korvalin {
namespace {

constexpr int kColumns = 5;
constexpr std::array<int, kColumns> kColumnLeft{8, 112, 216, 320, 424};
// Rows of keys: first key index, picture top, button top.
struct KeyRow {
    int firstKey, pictureTop, buttonTop;
};
constexpr std::array<KeyRow, 3> kKeyRows{{{0, 32, 96}, {5, 136, 200}, {10, 240, 304}}};
constexpr int kPictureOffsetTwips = 130; // key pictures move right on screens that are not 15 twips per pixel

QFont SerifFont(const char* family, qreal points) {
    QFont f(family);
    f.setStyleHint(QFont::Serif);
    f.setPointSizeF(points);
    f.setBold(true);
    return f;
}

QString SignatureDescription(int key) {
    if (key == 0) return QStringLiteral("Key signature without sharps or flats");
    if (key <= 7) return QStringLiteral("Key signature with %1 flat%2").arg(key).arg(key == 1 ? "" : "s");
    const int sharps = kKeyCount - key;
    return QStringLiteral("Key signature with %1 sharp%2").arg(sharps).arg(sharps == 1 ? "" : "s");
}

} // namespace

Form2::Form2() {
    setObjectName("Form2");
    setWindowTitle("Select Scale");
    setAccessibleName("Select Scale");
    setWindowIcon(AppIcon());
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(WindowFont());
    setFixedSize(510, 336);

    Label1 = new QLabel("Select Scale and Type", this);
    Label1->setObjectName("Label1");
    Label1->setFont(SerifFont("Times New Roman", 13.5));
    Label1->setGeometry(160, 8, 193, 20);

    const QFont keyFont = SerifFont("MS Serif", 6.75);
    for (const KeyRow& row : kKeyRows) {
        for (int k = row.firstKey; k < kKeyCount && k < row.firstKey + kColumns; ++k) {
            const int left = kColumnLeft[size_t(k - row.firstKey)];
            auto* picture = new PictureBox(this);
            picture->setObjectName(QStringLiteral("Image1(%1)").arg(k));
            picture->setGeometry(left, row.pictureTop, 81, 66);
            picture->setSource([k](qreal dpr) { return KeySignaturePicture(k, dpr); });
            picture->setAccessibleName(SignatureDescription(k));
            connect(picture, &PictureBox::clicked, this, [this, k] { Image1_Click(k); });
            Image1[size_t(k)] = picture;

            auto* button = new QPushButton(this);
            button->setObjectName(QStringLiteral("Command1(%1)").arg(k));
            button->setGeometry(left, row.buttonTop, 81, 25);
            button->setFont(keyFont);
            button->setToolTip("Select Scale");
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, [this, k] { Command1_Click(k); });
            Command1[size_t(k)] = button;
        }
    }

    auto typeButton = [this](const char* name, const char* caption, const char* tip, int x, int y,
                             void (Form2::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setGeometry(x, y, 89, 25);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    Command2 = typeButton("Command2", "Major", "Major", 320, 232, &Form2::Command2_Click);
    Command3 = typeButton("Command3", "Harmonic Min", "Harmonic Minor", 320, 256, &Form2::Command3_Click);
    Command5 = typeButton("Command5", "Melodic Min", "Melodic Minor", 320, 280, &Form2::Command5_Click);
    Command6 = typeButton("Command6", "Natural Min", "Natural Minor", 320, 304, &Form2::Command6_Click);
    Command7 = typeButton("Command7", "Pent. Maj", "Pentatonic Major", 416, 232, &Form2::Command7_Click);
    Command8 = typeButton("Command8", "Pent. Min", "Pentatonic Minor", 416, 256, &Form2::Command8_Click);
    Command9 = typeButton("Command9", "Blues", "Blues", 416, 280, &Form2::Command9_Click);
    Command4 = typeButton("Command4", "Chromatic", "Chromatic", 416, 304, &Form2::Command4_Click);

    // Keys first, then the types.
    std::vector<QWidget*> order(Command1.begin(), Command1.end());
    for (QWidget* w : std::initializer_list<QWidget*>{Command2, Command3, Command4, Command5, Command6, Command7,
                                                      Command8, Command9})
        order.push_back(w);
    for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

Form2::~Form2() = default;

void Form2::Form_Load() {
    // 1. On a screen that is not 15 twips per pixel the pictures sit a little to the right.
    const int twips = KORVALIN1.TwipsPerPixelX;
    if (twips > 0 && twips != 15) {
        const int shift = qRound(double(kPictureOffsetTwips) / twips);
        for (PictureBox* p : Image1) p->move(p->x() + shift, p->y());
    }
    // 2. The step delay starts again from one second.
    KORVALIN1.NoteDelay = 10;
    // 3. The major captions, key 6 spelt with flats only.
    KORVALIN1.ScaleType = 0;
    captionType_ = kMajorType;
    for (int k = 0; k < kKeyCount; ++k) Command1[size_t(k)]->setText(QString::fromStdString(InitialKeyCaption(k)));
    for (QPushButton* b : Command1) b->setAccessibleName(b->text());
    // 4.
    Command2->setEnabled(true);
    show();
}

void Form2::Form_Activate() {
    if (WindowLoaded<Form1>()) Window<Form1>().hide();
}

void Form2::Form_Deactivate() {
    if (WindowLoaded<Form1>() && !Form1::Ending()) Window<Form1>().show();
}

void Form2::Form_DblClick() { ReturnToMainWindow(); }

void Form2::ReturnToMainWindow() { ReturnToMain(*this); }

void Form2::ChooseType(int16_t base) {
    // The buttons now offer this type; it becomes the current scale when a key is chosen, so the
    // main window's name of the scale and what "Start" plays never part company.
    captionType_ = base;
    for (int k = 0; k < kKeyCount; ++k) {
        QPushButton* b = Command1[size_t(k)];
        b->setText(QString::fromStdString(KeyCaption(base, k)));
        b->setAccessibleName(b->text());
    }
}

void Form2::Command2_Click() { ChooseType(kMajorType); }
void Form2::Command3_Click() { ChooseType(kHarmonicMinorType); }
void Form2::Command5_Click() { ChooseType(kMelodicMinorType); }
void Form2::Command6_Click() { ChooseType(kNaturalMinorType); }
void Form2::Command7_Click() { ChooseType(kMajorPentatonicType); }
void Form2::Command8_Click() { ChooseType(kMinorPentatonicType); }
void Form2::Command9_Click() { ChooseType(kBluesType); }

void Form2::Command4_Click() {
    SelectScale(Window<Form1>(), 0, kChromaticKey, 0, QString::fromUtf8(kChromaticCaption));
    ReturnToMainWindow();
}

void Form2::Command1_Click(int index) {
    if (index < 0 || index >= kKeyCount) return;
    SelectScale(Window<Form1>(), captionType_, int16_t(index), index, Command1[size_t(index)]->text());
    ReturnToMainWindow();
}

void Form2::Image1_Click(int index) { Command1_Click(index); }

void Form2::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) return;
    if (isActiveWindow()) Form_Activate();
    else Form_Deactivate();
}

void Form2::mouseDoubleClickEvent(QMouseEvent* event) {
    // Only the window's own background: controls keep their double clicks.
    if (!childAt(event->position().toPoint())) Form_DblClick();
}

void Form2::closeEvent(QCloseEvent* event) {
    // Closing through the frame leaves like a double click does, without a choice.
    event->accept();
    if (isVisible()) ReturnToMainWindow();
}

} // namespace korvalin
