#include "main_window/form1.h"

#include "app/korvalin1.h"
#include "app/note_table.h"
#include "app/trace.h"
#include "app/window_registry.h"
#include "assets/key_diagram.h"
#include "assets/main_art.h"
#include "main_window/hit_test.h"
#include "main_window/picture_box.h"
#include "main_window/window_font.h"
#include "midi/midi_control.h"
#include "midi/midi_port.h"
#include "reference/about_box.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>

namespace korvalin {
namespace {

bool g_ending = false;

// Flatten from a flat-spelled row skips the sharp of the same pitch just below it, and Sharpen
// from a sharp-spelled row the flat just above; rows beyond the keyboard's (39 to 140) step by one.
bool SkipsSharpBelow(int note) { return note >= 39 && note <= 140 && IsFlatSpelling(note); }
bool SkipsFlatAbove(int note) { return note >= 39 && note <= 140 && IsSharpSpelling(note); }

constexpr int kLowestSemitoneNote = 41;  // Db-2
constexpr int kHighestSemitoneNote = 138; // A#4

int VirtualKeyCode(const QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) return 112;
    return e->key() ? int(e->key() & 0xFFFF) | 1 : 1; // any non-zero code: only F1 is told apart
}

} // namespace

std::function<void()>& Form1::EndApplication() {
    static std::function<void()> end = [] {
        for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
        QCoreApplication::exit(0);
    };
    return end;
}

bool Form1::Ending() { return g_ending; }

int16_t Form1::ChosenTransposition() {
    if (WindowLoaded<Form1>() && Window<Form1>().Transposition != 0) return Window<Form1>().Transposition;
    return kAlto.transposition;
}

Form1::Form1() {
    g_ending = false;
    setObjectName("Form1");
    setWindowTitle("Korvalin");
    setWindowIcon(AppIcon());
    setFont(WindowFont());
    setAttribute(Qt::WA_QuitOnClose, false); // ending is Exit's business
    CreateControls();
    CreateMenus();
    qApp->installEventFilter(this);
}

Form1::~Form1() = default;

namespace {

// The main window's controls stand where the design puts them, in pixels of the client area.
PictureBox* NewPicture(QWidget* client, const char* name, int x, int y, int w, int h) {
    auto* p = new PictureBox(client);
    p->setObjectName(name);
    p->setGeometry(x, y, w, h);
    return p;
}

QPushButton* NewButton(QWidget* client, const char* name, const QString& caption, const QString& tip, int x, int y,
                       int w, int h) {
    auto* b = new QPushButton(caption, client);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setGeometry(x, y, w, h);
    b->setAutoDefault(false);
    return b;
}

QLabel* NewLabel(QWidget* client, const char* name, const QString& caption, int x, int y, int w, int h) {
    auto* l = new QLabel(caption, client);
    l->setObjectName(name);
    l->setGeometry(x, y, w, h);
    return l;
}

QRadioButton* NewOption(QWidget* client, const char* name, const QString& caption, const QString& tip, int y) {
    auto* o = new QRadioButton(caption, client);
    o->setObjectName(name);
    o->setToolTip(tip);
    o->setGeometry(272, y, 85, 17);
    return o;
}

} // namespace

void Form1::CreateControls() {
    auto* client = new QWidget(this);
    client->setObjectName("Form1Client");
    setCentralWidget(client);
    CreatePictures(client);
    CreateNoteColumn(client);
    ConnectControls();
}

// The fingering, the staff and the keyboard with their markers, and the banner.
void Form1::CreatePictures(QWidget* client) {
    // Fingering pictures, one visible at a time.
    for (int i = 0; i < kFingeringPictures; ++i) {
        PictureBox* p = NewPicture(client, "", 3, 2, 164, 242);
        p->setObjectName(QStringLiteral("Image1(%1)").arg(i));
        p->setSource([i](qreal dpr) { return FingeringImage(i, QSize(162, 240), dpr); });
        const QString name = FingeringAccessibleName(i);
        const QString description = FingeringAccessibleDescription(i);
        p->setAccessibleName(name);
        p->setAccessibleDescription(description);
        p->setToolTip(description.isEmpty() ? name : name + "\n" + description);
        p->hide();
        Image1[i] = p;
    }

    // The staff pictures sit 1:1 inside their border, where the hit bands and the markers expect
    // their lines; stretched, the lines would drift off those rows.
    Image3 = NewPicture(client, "Image3", 366, 2, kStaffControlWidth, kStaffControlHeight);
    Image3->setFit(PictureBox::Fit::Framed);
    Image3->setSource([](qreal dpr) { return StaffPicture(false, dpr); });
    Image3->setAccessibleName("Staff Display");
    Image2 = NewPicture(client, "Image2", 366, 2, kStaffControlWidth, kStaffControlHeight);
    Image2->setFit(PictureBox::Fit::Framed);
    Image2->setSource([](qreal dpr) { return StaffPicture(true, dpr); });
    Image2->setAccessibleName("Staff Display");
    Image2->hide();

    // Glyph templates live outside the visible area; index 6 of each array is the marker.
    for (int g = 0; g < 7; ++g) {
        for (bool sounding : {false, true}) {
            PictureBox* p = NewPicture(client, "", -100, -100, kGlyphSize, kGlyphSize);
            p->setObjectName(QStringLiteral("%1(%2)").arg(sounding ? "Image36" : "Image35").arg(g));
            if (g < 6) p->setSource([g, sounding](qreal dpr) { return StaffGlyph(g, sounding, dpr); });
            p->setAccessibleName(sounding ? "Sounding note on the staff" : "Written note on the staff");
            p->setAttribute(Qt::WA_TransparentForMouseEvents); // clicks reach the staff beneath
            p->hide();
            (sounding ? Image36 : Image35)[g] = p;
        }
    }

    Image20 = NewPicture(client, "Image20", 4, 272, kKeyboardWidth, kKeyboardHeight);
    Image20->setSource([](qreal dpr) { return KeyboardPicture(dpr); });
    Image20->setAccessibleName("Keyboard Display");
    Image21 = NewPicture(client, "Image21", 0, 0, 3, 15);
    Image21->setSource([](qreal dpr) { return KeyMarker(false, dpr); });
    Image21->setAccessibleName("Written note on the keyboard");
    Image21->setAttribute(Qt::WA_TransparentForMouseEvents);
    Image21->hide();
    Image22 = NewPicture(client, "Image22", 0, 0, 3, 15);
    Image22->setSource([](qreal dpr) { return KeyMarker(true, dpr); });
    Image22->setAccessibleName("Sounding note on the keyboard");
    Image22->setAttribute(Qt::WA_TransparentForMouseEvents);
    Image22->hide();
    Image4 = NewPicture(client, "Image4", 10, 246, 332, 23);
    Image4->setSource([](qreal dpr) { return BannerPicture(dpr); });
    Image4->setAccessibleName("Korvalin");
}

// The column between the pictures: scales and variations, Exit, the semitone buttons, the
// instrument and the names of the note shown.
void Form1::CreateNoteColumn(QWidget* client) {
    Command4 = NewButton(client, "Command4", "Scales", "Select Scales", 170, 6, 80, 67);
    Picture9[0] = NewPicture(client, "Picture9(0)", 172, 2, 81, 68);
    Picture9[0]->setFit(PictureBox::Fit::Framed);
    Picture9[0]->setSource([](qreal dpr) { return KeySignaturePicture(12, dpr); });
    Picture9[0]->setToolTip("Select Scales");
    Picture9[0]->setAccessibleName("Select Scales");
    Label5 = NewLabel(client, "Label5", "Label5", 172, 69, 81, 17);
    for (int i = 0; i < 4; ++i) {
        Command2[i] = NewButton(client, "", QStringLiteral("V%1").arg(i + 1), QStringLiteral("Variation %1").arg(i + 1),
                             172, 80 + 32 * i, 30, 25);
        Command2[i]->setObjectName(QStringLiteral("Command2(%1)").arg(i));
        Command2[i]->setEnabled(false);
    }
    Command8 = NewButton(client, "Command8", "Start", "Start Playback", 172, 92, 54, 22);
    Command7 = NewButton(client, "Command7", "Stop", "Stop Playback", 172, 115, 54, 22);
    Command9 = NewButton(client, "Command9", "Speed", "Playback Speed", 172, 138, 54, 22);
    Command6 = NewButton(client, "Command6", "Loop", "Repeats", 172, 161, 54, 22);
    Command10 = NewButton(client, "Command10", "End", "End Scales", 172, 184, 54, 22);
    Command7->hide();
    Command6->hide();
    Command10->hide();
    Command1 = NewButton(client, "Command1", "Exit", "Exit", 172, 210, 187, 33);
    Command5 = NewButton(client, "Command5", "Sharpen", "+1 Semitone", 272, 8, 89, 25);
    Command3 = NewButton(client, "Command3", "Flatten", "-1 Semitone", 272, 40, 89, 25);
    Command11 = NewButton(client, "Command11", "Next Note", "Next Note in Scale", 272, 8, 89, 57);
    Command11->hide();

    Option1 = NewOption(client, "Option1", "Soprano", "Select Soprano", 71);
    Option2 = NewOption(client, "Option2", "Alto", "Select Alto", 92);
    Option3 = NewOption(client, "Option3", "Tenor", "Select Tenor", 113);
    Option4 = NewOption(client, "Option4", "Baritone", "Select Baritone", 134);

    Label3 = NewLabel(client, "Label3", "Staff", 239, 160, 43, 17);
    Label3->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label4 = NewLabel(client, "Label4", "Sound", 236, 184, 46, 17);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label1 = NewLabel(client, "Label1", "Note", 285, 160, 75, 19);
    Label1->setToolTip("Note Played");
    Label2 = NewLabel(client, "Label2", "Sounds", 285, 184, 75, 19);
    Label2->setToolTip("Sounds Like");
    Label1->setAccessibleDescription("Note Played");
    Label2->setAccessibleDescription("Sounds Like");

    const QFont fixed = FixedFont();
    for (QWidget* w : std::initializer_list<QWidget*>{Command8, Command7, Command9, Command6, Command10, Command11,
                                                      Command5, Command3, Option1, Option2, Option3, Option4,
                                                      Label3, Label4})
        w->setFont(fixed);
}

void Form1::ConnectControls() {
    // Markers above the pictures they mark.
    for (int g = 0; g < 7; ++g) {
        Image35[g]->raise();
        Image36[g]->raise();
    }
    Image21->raise();
    Image22->raise();

    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);

    // Events to handlers.
    auto twipsX = [] { return float(KORVALIN1.TwipsPerPixelX); };
    auto twipsY = [] { return float(KORVALIN1.TwipsPerPixelY); };
    connect(Image20, &PictureBox::mouseUp, this, [=, this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPointF p) {
        Image20_MouseUp(b, m, float(p.x()) * twipsX(), float(p.y()) * twipsY());
    });
    connect(Image3, &PictureBox::mouseUp, this, [=, this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPointF p) {
        Image3_MouseUp(b, m, float(p.x()) * twipsX(), float(p.y()) * twipsY());
    });
    connect(Image2, &PictureBox::mouseDown, this, [=, this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPointF p) {
        Image2_MouseDown(b, m, float(p.x()) * twipsX(), float(p.y()) * twipsY());
    });
    connect(Picture9[0], &PictureBox::clicked, this, [this] { Picture9_Click(0); });
    for (int i = 0; i < 4; ++i) connect(Command2[i], &QPushButton::clicked, this, [this, i] { Command2_Click(i); });
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command8, &QPushButton::clicked, this, &Form1::Command8_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(Command11, &QPushButton::clicked, this, &Form1::Command11_Click);
    connect(Command9, &QPushButton::clicked, this, &Form1::Command9_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command10, &QPushButton::clicked, this, &Form1::Command10_Click);
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) { if (on) Option1_Click(); });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) { if (on) Option2_Click(); });
    connect(Option3, &QRadioButton::toggled, this, [this](bool on) { if (on) Option3_Click(); });
    connect(Option4, &QRadioButton::toggled, this, [this](bool on) { if (on) Option4_Click(); });
}

void Form1::CreateMenus() {
    QMenuBar* bar = menuBar();
    // The menus keep the desktop's own menu font, not the window's small bold one.
    bar->setFont(DesktopFontFor(bar));
    auto menu = [bar](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setFont(DesktopFontFor(m));
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        return m;
    };
    auto item = [this](QMenu* m, const char* name, const QString& caption, void (Form1::*handler)()) {
        QAction* a = m->addAction(caption);
        a->setObjectName(name);
        a->setMenuRole(QAction::NoRole);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    auto separator = [](QMenu* m, const char* name) {
        QAction* a = m->addSeparator();
        a->setObjectName(name);
        return a;
    };

    Fmenu = menu("Fmenu", "File");
    UFLoad = item(Fmenu, "UFLoad", "Load", &Form1::UFLoad_Click);
    Seperator = separator(Fmenu, "Seperator");
    Quit = item(Fmenu, "Quit", "Exit", &Form1::Quit_Click);

    PrintMenu = menu("PrintMenu", "Print");
    PNote = item(PrintMenu, "PNote", "Print Current Note", &Form1::PNote_Click);
    PrintScale = item(PrintMenu, "PrintScale", "Print Current Scale", &Form1::PrintScale_Click);
    PAltiChart = item(PrintMenu, "PAltiChart", "Print Altissimo Chart", &Form1::PAltiChart_Click);
    PFingChart = item(PrintMenu, "PFingChart", "Print Fingering Chart", &Form1::PFingChart_Click);

    instrument = menu("instrument", "Instrument");
    Soprano = item(instrument, "Soprano", "Soprano", &Form1::Soprano_Click);
    Alto = item(instrument, "Alto", "Alto", &Form1::Alto_Click);
    Tenor = item(instrument, "Tenor", "Tenor", &Form1::Tenor_Click);
    Baritone = item(instrument, "Baritone", "Baritone", &Form1::Baritone_Click);
    SDisplay = item(instrument, "SDisplay", "Sound Display", &Form1::SDisplay_Click);
    for (QAction* a : {Soprano, Alto, Tenor, Baritone, SDisplay}) a->setCheckable(true);
    Alto->setChecked(true);

    Sounds = menu("Sounds", "Sounds");
    MControl = item(Sounds, "MControl", "Midi Control", &Form1::MControl_Click);
    ListenItem = item(Sounds, "ListenItem", "Listen", &Form1::OpenListenWindow);
    MetronomeItem = item(Sounds, "MetronomeItem", "Metronome and Drone", &Form1::OpenMetronomeWindow);

    Print_Menu = menu("Print_Menu", "Info");
    Top5Menu = item(Print_Menu, "Top5Menu", "Top 5!", &Form1::Top5Menu_Click);
    TransMenu = item(Print_Menu, "TransMenu", "Transposition", &Form1::TransMenu_Click);
    Scale_Wheel = item(Print_Menu, "Scale_Wheel", "Circle of Fifths", &Form1::Scale_Wheel_Click);
    Menu_Mouthpiece = item(Print_Menu, "Menu_Mouthpiece", "Mouthpiece", &Form1::Menu_Mouthpiece_Click);
    Mnu_Reed = item(Print_Menu, "Mnu_Reed", "Reed", &Form1::Mnu_Reed_Click);
    Menu_Altissimo = item(Print_Menu, "Menu_Altissimo", "Altissimo Chart", &Form1::Menu_Altissimo_Click);
    Menu_Print = item(Print_Menu, "Menu_Print", "Fingering Chart", &Form1::Menu_Print_Click);

    Help_Menu = menu("Help_Menu", "Help");
    HelpHelp = item(Help_Menu, "HelpHelp", "Help Using Help", &Form1::HelpHelp_Click);
    Help_Contents = item(Help_Menu, "Help_Contents", "Help Contents", &Form1::Help_Contents_Click);
    Seperator2 = separator(Help_Menu, "Seperator2");
    MAbout = item(Help_Menu, "MAbout", "About", &Form1::MAbout_Click);
}

void Form1::Form_Load() {
    const int64_t loadStart = MonotonicNanoseconds();
    // 1. Screen units.
    QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpiX = screen ? screen->logicalDotsPerInchX() : 96.0;
    const qreal dpiY = screen ? screen->logicalDotsPerInchY() : 96.0;
    KORVALIN1.TwipsPerPixelX = int16_t(std::clamp(qRound(1440.0 / dpiX), 1, 61));
    KORVALIN1.TwipsPerPixelY = int16_t(std::clamp(qRound(1440.0 / dpiY), 1, 77));
    const bool standardX = KORVALIN1.TwipsPerPixelX == 15;

    // 2. Fixed size: the outer size less the frame, title bar and menu bar of the classic window.
    const int outerW = standardX ? 525 : 530;
    const int outerH = KORVALIN1.TwipsPerPixelY == 15 ? 420 : 423;
    centralWidget()->setFixedSize(outerW - 8, outerH - 46);
    setFixedSize(outerW - 8, outerH - 46 + menuBar()->sizeHint().height());

    // 3. Controls whose place depends on the screen.
    const int x1 = standardX ? 272 : 258;
    const int w1 = standardX ? 85 : 90;
    for (QRadioButton* o : {Option1, Option2, Option3, Option4}) o->setGeometry(x1, o->y(), w1, 17);
    Command11->move(x1, 8);
    Command3->move(x1, 40);
    Command5->move(x1, 8);
    Label3->move(standardX ? 239 : 227, 160);
    Label4->move(standardX ? 236 : 225, 184);

    // 4. Scale controls wait for scale mode.
    StabilizeForm();

    // 5. Playback defaults.
    KORVALIN1.NoteDelay = 10;
    KORVALIN1.SpeedText = "1";
    KORVALIN1.LoopText = "1";

    // 6, 7. The tables.
    LoadFillScalePatterns();
    BuildNoteTable();

    // 8. Written C0, shown as its own sounding note while no instrument is chosen and sound is off.
    ShowNote(73);

    // 9. Sound display on.
    KORVALIN1.SoundDisplay = 1;
    SDisplay->setChecked(true);

    // 10. The alto.
    Option2->setChecked(true);

    // 11. MIDI defaults.
    KORVALIN1.NoteVelocity = 127;
    KORVALIN1.MidiPatch = 66;

    // 12. Sound on.
    LoadSoundOn();

    // 13. Show the main window in place of the about box.
    show();
    if (WindowLoaded<AboutBox1>()) Window<AboutBox1>().hide();

    Trace("main-loaded", MonotonicNanoseconds() - loadStart);

    // 14. Look for the help file.
    LoadFindHelp();
}

void Form1::SetScaleMode(bool on) {
    scaleMode_ = on;
    StabilizeForm();
}

void Form1::SetStepButtons(StepButtons buttons) {
    stepButtons_ = buttons;
    StabilizeForm();
}

void Form1::StabilizeForm() {
    // Everything the mode hides goes first, then what it shows, so that focus leaving a hidden
    // button never lands on one that is about to go.
    const bool semitones = stepButtons_ == StepButtons::Semitones;
    const bool nextNote = stepButtons_ == StepButtons::NextNote;
    const std::initializer_list<QWidget*> noteControls{Command2[0], Command2[1], Command2[2], Command2[3], Command4};
    const std::initializer_list<QWidget*> scaleControls{Command6, Command7, Command9, Command8, Command10,
                                                        Picture9[0], Label5};
    for (QWidget* w : scaleMode_ ? noteControls : scaleControls) w->hide();
    if (!nextNote) Command11->hide();
    if (!semitones) {
        Command3->hide();
        Command5->hide();
    }
    for (QWidget* w : scaleMode_ ? scaleControls : noteControls) w->show();
    if (semitones) {
        Command3->show();
        Command5->show();
    }
    if (nextNote) Command11->show();
}

void Form1::ShowScaleName(PictureBox::Source picture, const QString& caption) {
    Picture9[0]->setSource(std::move(picture));
    Label5->setText(caption);
    Label5->setAccessibleName(caption);
}

int16_t Form1::SoundingNote(int16_t written) const {
    return int16_t(SoundingNoteFor(written, Transposition));
}

void Form1::SendNoteOff() { SendMidiNoteOff(KORVALIN1.LastMidiNote); }

void Form1::SendNoteOn(int16_t soundingNote) {
    KORVALIN1.LastMidiNote = NoteValue(soundingNote, Pitch);
    SendMidiNoteOn(KORVALIN1.LastMidiNote, KORVALIN1.NoteVelocity);
}

void Form1::ShowNote(int16_t n) {
    if (DisplayNote(n)) SoundCurrentNote();
}

bool Form1::DisplayNote(int16_t n) {
    // Only note numbers of the table are shown; anything else would index outside it.
    if (n < 0 || n >= kNoteRows || g_ending) return false;

    // 1-3. The fingering picture.
    for (PictureBox* p : Image1) p->hide();
    currentNote_ = n;
    const int picture = NoteValue(n, Fingering);
    if (picture >= 0 && picture < kFingeringPictures) Image1[picture]->show();

    // 4. The written name.
    Label1->setText(QString::fromStdString(NoteCell(n, Name)));

    // 5. The staff.
    bool onStaff;
    const int symbol = NoteValue(n, StaffSymbol);
    if (symbol == 7 || symbol == 8) {
        Image35[6]->hide();
        Image36[6]->hide();
        Image3->hide();
        Image2->show();
        onStaff = symbol == 8;
    } else {
        Image3->show();
        Image2->hide();
        onStaff = true;
        if (symbol >= 0 && symbol < 6) Image35[6]->copyPictureFrom(*Image35[symbol]);
        Image35[6]->move(Image3->x() + kWrittenMarkerLeft, Image3->y() + NoteValue(n, StaffY) - kGlyphTopAboveStaffY);
        Image35[6]->show();
    }

    // 6. The written note's key.
    Image21->move(Image20->x() + NoteValue(n, KeyboardX), Image20->y() + KeyMarkerHeight(n));
    Image21->show();

    if (onStaff && KORVALIN1.SoundDisplay == 1) {
        // 7. Sounding note marked too.
        ShowSoundingNote(int16_t(n - Transposition));
    } else {
        // 8. Plain display: the sounding note's name only; its markers keep their last place.
        Label2->setText(QString::fromStdString(NoteCell(SoundingNote(n), Name)));
    }

    // 9. Variation buttons.
    const int count = NoteValue(n, FingeringCount);
    for (int i = 0; i < 4; ++i) Command2[i]->setEnabled(i < count);
    return true;
}

void Form1::ShowSoundingNote(int16_t s) {
    s = int16_t(s - SoundingRowCorrection(CurrentNote));
    Label2->setText(QString::fromStdString(NoteCell(s, Name)));

    const int symbol = NoteValue(s, StaffSymbol);
    if (symbol != 7 && NoteValue(CurrentNote, StaffSymbol) != 8) {
        if (symbol >= 0 && symbol < 6) Image36[6]->copyPictureFrom(*Image36[symbol]);
        Image36[6]->move(Image3->x() + kSoundingMarkerLeft, Image3->y() + NoteValue(s, StaffY) - kGlyphTopAboveStaffY);
        Image36[6]->show();
    } else {
        Image36[6]->hide();
    }

    const int keyX = NoteValue(s, KeyboardX);
    if (keyX == 0) {
        Image22->hide();
    } else {
        Image22->move(Image20->x() + keyX, Image20->y() + KeyMarkerHeight(s));
        Image22->show();
    }
}

void Form1::SoundCurrentNote() {
    // The previous note ends and the current note's sounding note starts; Timer2 ends it a
    // second later.
    Timer2->stop();
    if (KORVALIN1.SoundOn == 1) SendNoteOff();
    if (KORVALIN1.SoundOn == 1) SendNoteOn(SoundingNote(CurrentNote));
    Timer2->start();
}

void Form1::Timer2_Timer() {
    // One note-off per note: a timer left running would wake the idle application every second.
    Timer2->stop();
    if (KORVALIN1.SoundOn == 1) SendNoteOff();
}

void Form1::SDisplay_Click() {
    // The menu toggles its own check mark before this runs, so the mode's state before the click
    // is read from SoundDisplay, which always follows the check mark.
    const bool wasOn = KORVALIN1.SoundDisplay == 1;
    if (wasOn) {
        for (PictureBox* p : Image36) p->hide();
        Image22->hide();
        SDisplay->setChecked(false);
        KORVALIN1.SoundDisplay = 0;
    } else {
        SDisplay->setChecked(true);
        KORVALIN1.SoundDisplay = 1;
    }
    ShowNote(CurrentNote);
}

void Form1::SelectInstrument(int16_t transposition, QAction* checked) {
    transposition_ = transposition;
    for (QAction* a : {Soprano, Tenor, Alto, Baritone}) a->setChecked(a == checked);
    InstrumentChosen(transposition);
    ShowNote(CurrentNote);
    emit instrumentChanged(transposition);
}

void Form1::Option1_Click() { SelectInstrument(kSoprano.transposition, Soprano); }
void Form1::Option2_Click() { SelectInstrument(kAlto.transposition, Alto); }
void Form1::Option3_Click() { SelectInstrument(kTenor.transposition, Tenor); }
void Form1::Option4_Click() { SelectInstrument(kBaritone.transposition, Baritone); }

void Form1::Soprano_Click() { Option1->setChecked(true); Option1_Click(); }
void Form1::Alto_Click() { Option2->setChecked(true); Option2_Click(); }
void Form1::Tenor_Click() { Option3->setChecked(true); Option3_Click(); }
void Form1::Baritone_Click() { Option4->setChecked(true); Option4_Click(); }

void Form1::Command3_Click() {
    currentNote_ = int16_t(CurrentNote - (SkipsSharpBelow(CurrentNote) ? 2 : 1));
    ShowNote(CurrentNote < kLowestSemitoneNote ? int16_t(kLowestSemitoneNote) : CurrentNote);
}

void Form1::Command5_Click() {
    currentNote_ = int16_t(CurrentNote + (SkipsFlatAbove(CurrentNote) ? 2 : 1));
    ShowNote(CurrentNote > kHighestSemitoneNote ? int16_t(kHighestSemitoneNote) : CurrentNote);
}

void Form1::Image20_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, float X, float Y) {
    const float x = X / float(KORVALIN1.TwipsPerPixelX);
    const float y = Y / float(KORVALIN1.TwipsPerPixelY);
    ShowNote(int16_t(KeyboardNoteAt(x, y)));
}

void Form1::Image3_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, float X, float Y) { StaffNoteAt(X, Y); }

void Form1::Image2_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, float X, float Y) { StaffNoteAt(X, Y); }

void Form1::StaffNoteAt(float, float Y) {
    const float y = Y / float(KORVALIN1.TwipsPerPixelY);
    if (auto note = korvalin::StaffNoteAt(y)) ShowNote(int16_t(*note));
}

void Form1::Form_KeyDown(int& keyCode, Qt::KeyboardModifiers) {
    if (keyCode != 112) keyCode = 0;
}

void Form1::Form_KeyPress(int& keyAscii) {
    keyAscii = 0;
    KORVALIN1.NextNoteFlag = 2;
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return QMainWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return QMainWindow::eventFilter(watched, event);

    auto* key = static_cast<QKeyEvent*>(event);
    if (type == QEvent::ShortcutOverride) {
        key->accept(); // no shortcut of any kind fires from this window
        return true;
    }
    if (type == QEvent::KeyRelease) return key->key() != Qt::Key_F1;

    int code = VirtualKeyCode(key);
    Form_KeyDown(code, key->modifiers());
    if (code == 112) {
        HelpKey();
        return true;
    }
    if (!key->text().isEmpty()) {
        int ascii = key->text().at(0).unicode();
        Form_KeyPress(ascii);
    }
    return true;
}

void Form1::Exit() {
    if (KORVALIN1.SoundOn == 1) CloseMidiOut();
    g_ending = true;
    KORVALIN1.StopFlag = 1;
    Timer2->stop();
    EndApplication()();
}

void Form1::Command1_Click() { Exit(); }
void Form1::Quit_Click() { Exit(); }

void Form1::closeEvent(QCloseEvent* event) {
    // The frame's close control ends the application just as Exit does.
    event->accept();
    if (!g_ending) Exit();
}

void Form1::Command2_Click(int index) {
    if (index < 0 || index > 3) return;
    const int f = NoteValue(CurrentNote, Fingering);
    for (PictureBox* p : Image1) p->hide();
    if (f + index >= 0 && f + index < kFingeringPictures) Image1[f + index]->show();
}

} // namespace korvalin
