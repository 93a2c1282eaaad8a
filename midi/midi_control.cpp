#include "midi/midi_control.h"

#include "app/korvalin1.h"
#include "app/note_table.h"
#include "app/window_handover.h"
#include "app/window_registry.h"
#include "assets/main_art.h"
#include "main_window/form1.h"
#include "main_window/picture_box.h"
#include "main_window/window_font.h"
#include "midi/midi_port.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

namespace korvalin {
namespace {

// The window's own client area, and the row for the output choice added below the controls.
constexpr int kClientWidth = 377;
constexpr int kClassicClientHeight = 271;
constexpr int kOutputRowHeight = 34;
constexpr int kFollowRowHeight = 28;
constexpr int kStatusRowHeight = 22;

constexpr int kTestNote = 64;

float TwipsPerPixel(int16_t factor) { return factor > 0 ? float(factor) : 15.0f; }

} // namespace

MidiControl::MidiControl() {
    setObjectName("MidiControl");
    setWindowTitle("Midi Control");
    setWindowIcon(AppIcon());
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(WindowFont());
    setFixedSize(kClientWidth, kClassicClientHeight + kOutputRowHeight + kFollowRowHeight);

    auto label = [](QWidget* parent, const char* name, const QString& caption, int x, int y, int w, int h,
                    bool centred) {
        auto* l = new QLabel(caption, parent);
        l->setObjectName(name);
        l->setGeometry(x, y, w, h);
        if (centred) l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        return l;
    };
    auto frame = [this](const char* name, int left, int top, int right, int bottom) {
        auto* f = new QFrame(this);
        f->setObjectName(name);
        f->setFrameStyle(QFrame::Box | QFrame::Plain);
        f->setLineWidth(1);
        f->setGeometry(left, top, right - left + 1, bottom - top + 1);
        f->setAttribute(Qt::WA_TransparentForMouseEvents);
        return f;
    };

    // Frames first, so that every control lies above them.
    Shape1 = frame("Shape1", 8, 32, 248, 232);
    Shape2 = frame("Shape2", 256, 63, 368, 143);
    Shape3 = frame("Shape3", 256, 150, 368, 230);

    Label2 = label(this, "Label2", "MIDI Control Panel", 40, 3, 177, 25, false);
    QFont title = font();
    title.setPointSizeF(12);
    title.setBold(true);
    Label2->setFont(title);

    for (int k = 0; k < 16; ++k) {
        auto* o = new QRadioButton(QStringLiteral("Channel %1").arg(k + 1), this);
        o->setObjectName(QStringLiteral("Option1(%1)").arg(k));
        const int row = k % 8;
        o->setGeometry(k < 8 ? 24 : 136, 40 + 24 * row, k < 8 ? 89 : 97, 17);
        connect(o, &QRadioButton::toggled, this, [this, k](bool on) { if (on) Option1_Click(k); });
        Option1[k] = o;
    }

    Picture1 = new QFrame(this);
    Picture1->setObjectName("Picture1");
    Picture1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Picture1->setGeometry(256, 7, 113, 49);
    Picture1->setAccessibleName("Sound");
    Label4 = label(Picture1, "Label4", "Sound", 16, 8, 81, 17, true);
    Option2 = new QRadioButton("On", Picture1);
    Option2->setObjectName("Option2");
    Option2->setGeometry(8, 24, 41, 17);
    Option3 = new QRadioButton("Off", Picture1);
    Option3->setObjectName("Option3");
    Option3->setGeometry(56, 24, 41, 17);
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) { if (on) Option2_Click(); });
    connect(Option3, &QRadioButton::toggled, this, [this](bool on) { if (on) Option3_Click(); });

    auto bar = [this](const char* name, const QString& accessible, int y, int value) {
        auto* b = new QScrollBar(Qt::Horizontal, this);
        b->setObjectName(name);
        b->setAccessibleName(accessible);
        b->setGeometry(264, y, 97, 17);
        b->setRange(1, 127);
        b->setSingleStep(1); // an arrow
        b->setPageStep(5);   // the trough
        b->setValue(value);
        return b;
    };
    Label1 = label(this, "Label1", "Volume", 280, 71, 65, 17, true);
    HScroll1 = bar("HScroll1", "Volume", 95, 127);
    Label3 = label(this, "Label3", "", 288, 119, 49, 17, true);
    Label3->setAccessibleDescription("Volume");
    Label6 = label(this, "Label6", "Patch", 280, 158, 65, 17, true);
    HScroll2 = bar("HScroll2", "Patch", 182, 67);
    Label5 = label(this, "Label5", "", 288, 206, 49, 17, true);
    Label5->setAccessibleDescription("Patch");
    connect(HScroll1, &QScrollBar::valueChanged, this, &MidiControl::HScroll1_Change);
    connect(HScroll2, &QScrollBar::valueChanged, this, &MidiControl::HScroll2_Change);

    Check1 = new QCheckBox("Lead In", this);
    Check1->setObjectName("Check1");
    Check1->setGeometry(48, 240, 81, 25);
    // Check boxes act on their state however it changed (a click, the keyboard, an accessibility
    // action or the program), never on the click alone.
    connect(Check1, &QCheckBox::toggled, this, &MidiControl::Check1_Click);

    auto button = [this](const char* name, const QString& caption, int x, int w) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(x, 240, w, 25);
        b->setAutoDefault(false);
        return b;
    };
    Command2 = button("Command2", "Test", 128, 108);
    Command2->installEventFilter(this);
    // The keyboard and the accessibility action press the button without a mouse: the button's
    // own signals sound the note for them.
    connect(Command2, &QPushButton::pressed, this, &MidiControl::Command2_Pressed);
    connect(Command2, &QPushButton::released, this, &MidiControl::Command2_Released);
    Command1 = button("Command1", "Done", 240, 131);
    connect(Command1, &QPushButton::clicked, this, &MidiControl::Command1_Click);

    auto face = [this](const char* name, bool smiling, const QString& description) {
        auto* p = new PictureBox(this);
        p->setObjectName(name);
        p->setGeometry(8, 240, 24, 22);
        p->setSource([smiling](qreal dpr) { return FacePicture(smiling, dpr); });
        p->setAccessibleName(description);
        p->setToolTip(description);
        return p;
    };
    Image1 = face("Image1", true, "MIDI output ready");
    Image2 = face("Image2", false, "MIDI output could not be opened");

    // The output device, on a row of its own below the classic controls.
    const int rowTop = kClassicClientHeight + 4;
    Label7 = label(this, "Label7", "Output", 8, rowTop + 4, 49, 17, false);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName("Combo1");
    Combo1->setAccessibleName("Output");
    Combo1->setGeometry(64, rowTop, 305, 25);
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Label7->setBuddy(Combo1);
    connect(Combo1, &QComboBox::activated, this, &MidiControl::Combo1_Click);

    // Whether choosing an instrument also chooses its saxophone sound, on the last row.
    Check2 = new QCheckBox("Patch follows instrument", this);
    Check2->setObjectName("Check2");
    Check2->setGeometry(8, kClassicClientHeight + kOutputRowHeight, 361, 25);
    Check2->setChecked(Options::Bool(Option::PatchFollowsInstrument, false));
    connect(Check2, &QCheckBox::toggled, this, &MidiControl::Check2_Click);

    // A line on the output, on a row that is there only while it has something to say.
    Label8 = label(this, "Label8", "", 8, kClassicClientHeight + kOutputRowHeight + kFollowRowHeight, 361, 17, false);
    Label8->setAccessibleName("Output status");
    Label8->hide();
    WhenMidiOutputLost() = [this](const std::string& line) {
        ShowFace();
        ShowOutputStatus(QString::fromStdString(line));
    };

    ShowFace();
}

MidiControl::~MidiControl() { WhenMidiOutputLost() = nullptr; }

void MidiControl::ShowOutputStatus(const QString& line) {
    Label8->setText(line);
    // Read with its line, and announced when the line changes.
    Label8->setAccessibleName(line.isEmpty() ? QStringLiteral("Output status")
                                             : QStringLiteral("Output status: %1").arg(line));
    Label8->setVisible(!line.isEmpty());
    setFixedSize(kClientWidth, kClassicClientHeight + kOutputRowHeight + kFollowRowHeight
                                   + (line.isEmpty() ? 0 : kStatusRowHeight));
}

void MidiControl::Option1_Click(int index) {
    if (index < 0 || index > 15) return;
    // Notes are ended on the channel they are sent on: end the last one on the old channel before
    // leaving it, or it would keep sounding there (the note-off timer only speaks the new channel).
    if (index != KORVALIN1.MidiChannel && KORVALIN1.SoundOn == 1 && KORVALIN1.LastMidiNote != 0)
        SendMidiNoteOff(KORVALIN1.LastMidiNote);
    KORVALIN1.MidiChannel = int16_t(index);
}

void MidiControl::Option2_Click() {
    if (KORVALIN1.SoundOn == 0) {
        OpenMidiOut();
        if (KORVALIN1.MidiReady) ShowOutputStatus({});
    }
    KORVALIN1.SoundOn = 1;
}

void MidiControl::Option3_Click() {
    if (KORVALIN1.SoundOn == 1) CloseMidiOut();
    KORVALIN1.SoundOn = 0;
}

void MidiControl::HScroll1_Change() {
    Label3->setText(QString::number(HScroll1->value()));
    KORVALIN1.NoteVelocity = int16_t(HScroll1->value());
}

void MidiControl::HScroll2_Change() {
    Label5->setText(QString::number(HScroll2->value()));
    KORVALIN1.MidiPatch = int16_t(HScroll2->value());
    SendMidiProgramChange(KORVALIN1.MidiPatch);
}

void MidiControl::Command2_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, float, float) {
    testSounding_ = true;
    testByMouse_ = true;
    SendMidiNoteOn(kTestNote, KORVALIN1.NoteVelocity);
}

void MidiControl::Command2_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, float, float) {
    testSounding_ = false;
    SendMidiNoteOff(kTestNote);
}

void MidiControl::Command2_Pressed() {
    // A mouse press has already been heard by the event filter, before the button saw it.
    if (testSounding_) return;
    testSounding_ = true;
    testByMouse_ = false;
    SendMidiNoteOn(kTestNote, KORVALIN1.NoteVelocity);
}

void MidiControl::Command2_Released() {
    // A note the mouse started ends only when the mouse button goes up, wherever the pointer is.
    if (!testSounding_ || testByMouse_) return;
    testSounding_ = false;
    SendMidiNoteOff(kTestNote);
}

void MidiControl::Command1_Click() { ReturnToMain(*this); }

void MidiControl::Form_Activate() {
    Label3->setText(QString::number(KORVALIN1.NoteVelocity));
    Label5->setText(QString::number(KORVALIN1.MidiPatch));
}

void MidiControl::ShowFace() {
    const bool ready = KORVALIN1.MidiReady != 0;
    Image1->setVisible(ready);
    Image2->setVisible(!ready);
}

void MidiControl::RefreshOutputs() {
    outputs_ = ListOutputs();
    // The device in use stays listed even when its port has gone, so that the choice shown is true.
    std::shared_ptr<MidiOutput> current = CurrentMidiOutput();
    const std::string currentName = current->Name();
    auto found = std::find_if(outputs_.begin(), outputs_.end(),
                              [&](const OutputChoice& c) { return c.name == currentName; });
    if (found == outputs_.end()) {
        // Chosen again, it is looked for afresh: its port (or its server) may be back by then.
        outputs_.push_back({currentName, [current, currentName] {
                                for (const OutputChoice& c : ListOutputs())
                                    if (c.name == currentName) return c.make();
                                return current;
                            }});
        found = outputs_.end() - 1;
    }
    const QSignalBlocker block(Combo1);
    Combo1->clear();
    for (const OutputChoice& c : outputs_) Combo1->addItem(QString::fromStdString(c.name));
    Combo1->setCurrentIndex(int(found - outputs_.begin()));
}

void MidiControl::Combo1_Click() {
    const int index = Combo1->currentIndex();
    if (index < 0 || index >= int(outputs_.size())) return;
    // The output in use chosen again is opened afresh when it is an external port (whose server
    // may have restarted since); the built-in synthesizer, the same device, is left as it is.
    std::shared_ptr<MidiOutput> chosen = outputs_[index].make();
    if (!chosen || chosen == CurrentMidiOutput()) return;
    ShowOutputStatus({});
    if (KORVALIN1.SoundOn == 1) {
        // Opened the same way as by "On": a Program Change for the current patch and channel goes
        // out, and MidiReady tells whether the new device answered.
        CloseMidiOut();
        SetMidiOutput(std::move(chosen));
        OpenMidiOut();
        ShowFace();
    } else {
        // Sound is off: the device is only chosen; the next "On" opens it.
        SetMidiOutput(std::move(chosen));
    }
}

void InstrumentChosen(int16_t transposition) {
    if (WindowLoaded<MidiControl>()) Window<MidiControl>().FollowInstrument(transposition);
}

void MidiControl::FollowInstrument(int16_t transposition, bool send) {
    // Only a saxophone's own sound moves with the instrument; a sound the user chose is left alone.
    const Saxophone* sax = SaxophoneFor(transposition);
    const bool saxophone = KORVALIN1.MidiPatch >= kSoprano.program && KORVALIN1.MidiPatch <= kBaritone.program;
    if (!Check2->isChecked() || !sax || !saxophone) return;
    const int16_t patch = sax->program;
    {
        const QSignalBlocker block(HScroll2); // the bar's own handler would send for every move
        HScroll2->setValue(patch);
    }
    Label5->setText(QString::number(patch));
    if (KORVALIN1.MidiPatch == patch) return;
    KORVALIN1.MidiPatch = patch;
    if (send) SendMidiProgramChange(KORVALIN1.MidiPatch);
}

void MidiControl::Check2_Click() {
    Options::Set(Option::PatchFollowsInstrument, Check2->isChecked());
    if (WindowLoaded<Form1>()) FollowInstrument(Window<Form1>().Transposition);
}

bool MidiControl::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) Form_Activate();
    return QWidget::event(e);
}

bool MidiControl::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Command2) {
        const QEvent::Type type = e->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
            type == QEvent::MouseButtonRelease) {
            auto* m = static_cast<QMouseEvent*>(e);
            const float x = float(m->position().x()) * TwipsPerPixel(KORVALIN1.TwipsPerPixelX);
            const float y = float(m->position().y()) * TwipsPerPixel(KORVALIN1.TwipsPerPixelY);
            // A quick second press arrives as a double click: it sounds the note like any press.
            if (type == QEvent::MouseButtonRelease)
                Command2_MouseUp(m->button(), m->modifiers(), x, y);
            else
                Command2_MouseDown(m->button(), m->modifiers(), x, y);
        }
    }
    return QWidget::eventFilter(watched, e);
}

void MidiControl::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (e->spontaneous()) return;
    // Not every desktop activates a window that appears, so the labels are brought up to date here
    // as well as on activation.
    Form_Activate();
    RefreshOutputs();
}

void MidiControl::closeEvent(QCloseEvent* e) {
    // The frame's close control does what "Done" does: the window is hidden, never destroyed.
    e->ignore();
    if (isVisible()) Command1_Click();
}

} // namespace korvalin
