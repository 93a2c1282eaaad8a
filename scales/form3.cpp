#include "scales/form3.h"

#include "app/korvalin1.h"
#include "app/prompts.h"
#include "app/window_handover.h"
#include "app/window_registry.h"
#include "assets/main_art.h"
#include "main_window/form1.h"
#include "main_window/picture_box.h"
#include "scales/file_lists.h"
#include "scales/pattern_file.h"
#include "scales/scale_catalogue.h"
#include "scales/scale_mode.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>

namespace korvalin {

Form3::Form3() {
    setObjectName("Form3");
    setWindowTitle("Pattern Load");
    setAccessibleName("Pattern Load");
    setWindowIcon(AppIcon());
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(296, 290);

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setTextFormat(Qt::PlainText); // a file name is shown as it is, never as markup
    Label1->setGeometry(8, 8, 281, 17);

    File1 = new FileList(this);
    File1->setObjectName("File1");
    File1->setAccessibleName("Pattern files");
    File1->setGeometry(8, 32, 129, 249);
    File1->setPattern({"*.stp"}); // matched in any letter case

    Dir1 = new FolderList(this);
    Dir1->setObjectName("Dir1");
    Dir1->setAccessibleName("Folders");
    Dir1->setGeometry(144, 32, 137, 152);

    Drive1 = new DriveList(this);
    Drive1->setObjectName("Drive1");
    Drive1->setAccessibleName("Drives");
    Drive1->setGeometry(144, 192, 137, 21);

    auto button = [this](const char* name, const char* caption, int top, void (Form3::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAccessibleName(caption);
        b->setGeometry(144, top, 137, 25);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    Command1 = button("Command1", "Cancel", 224, &Form3::Command1_Click);
    Command2 = button("Command2", "Load", 256, &Form3::Command2_Click);

    auto* staff = new PictureBox(this);
    staff->setObjectName("Image1(0)");
    staff->setAccessibleName("Key signature without sharps or flats");
    staff->setGeometry(312, 48, 81, 66);
    staff->setSource([](qreal dpr) { return KeySignaturePicture(0, dpr); });
    Image1[0] = staff;

    connect(Drive1, &QComboBox::activated, this, [this] { Drive1_Change(); });
    connect(Dir1, &FolderList::pathChanged, this, &Form3::Dir1_Change);
    connect(File1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!File1->fileName().isEmpty()) File1_Click();
    });
    connect(File1, &QListWidget::itemClicked, this, [this] { File1_Click(); });
    connect(File1, &QListWidget::itemDoubleClicked, this, [this] { File1_DblClick(); });

    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
    setTabOrder(File1, Command1);
    setTabOrder(Command1, Command2);
}

Form3::~Form3() = default;

void Form3::Form_Load() {
    Dir1->setPath(QCoreApplication::applicationDirPath());
    Drive1->ShowVolumeOf(Dir1->path());
}

void Form3::Drive1_Change() {
    // A volume that cannot be read leaves the folder list where it was; nothing is reported.
    if (!Dir1->setPath(Drive1->drive())) Drive1->ShowVolumeOf(Dir1->path());
}

void Form3::Dir1_Change() {
    File1->setPath(Dir1->path());
    Drive1->ShowVolumeOf(Dir1->path());
}

void Form3::File1_Click() { ShowInLabel1(File1->fileName()); }

void Form3::ShowInLabel1(const QString& text) {
    Label1->setText(text);
    Label1->setAccessibleName(text);
}

void Form3::File1_DblClick() { LoadPattern(); }

void Form3::Command2_Click() { LoadPattern(); }

void Form3::Command1_Click() { ReturnToMainWindow(); }

void Form3::ReturnToMainWindow() { ReturnToMain(*this); }

void Form3::LoadPattern() {
    // The user pattern is chosen and emptied whether or not the file turns out good.
    KORVALIN1.LoopCount = 1;
    KORVALIN1.ScaleKey = kUserPatternKey;
    KORVALIN1.ScaleType = 0;
    std::string& pattern = KORVALIN1.ScalePatterns[kUserPatternEntry];
    pattern.clear();

    // The full name, shown while it loads. With no file chosen it names the folder itself,
    // which is then refused like any other file that cannot be opened.
    QString folder = File1->path();
    if (!folder.endsWith('/')) folder += '/';
    ShowInLabel1(folder + File1->fileName());
    const QString name = Label1->text();

    // Every fault, whether of the file or of a line, is reported once; the fields of the lines
    // before a bad one stay in the user pattern.
    const PatternLoad load = ReadPatternFile(QFile::encodeName(name).toStdString());
    pattern = load.pattern;
    if (!load.ok()) {
        CurrentPrompts().Message(this, "Korvalin", "File is Corrupt", QMessageBox::NoIcon);
        return;
    }

    // Scale mode on the main window, named "User Set" with the picture of no accidentals.
    Form1& main = Window<Form1>();
    EnterScaleMode(main);
    main.ShowScaleName(Image1[0]->source(), QString::fromUtf8(kUserPatternCaption));

    ReturnToMainWindow();
}

void Form3::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    // Volumes, folders and files may have come and gone while the window was hidden; the
    // chosen volume, folder and file stay chosen.
    Drive1->Refresh();
    Drive1->ShowVolumeOf(Dir1->path());
    Dir1->Refresh();
    File1->Refresh();
}

void Form3::closeEvent(QCloseEvent* event) {
    // Closing through the window frame is "Cancel".
    event->accept();
    if (isVisible()) ReturnToMainWindow();
}

} // namespace korvalin
