// The pattern window: File > "Load", browsing, loading a file and playing it, the one message for a
// bad or unreadable file, and the ways back to the main window.
#include "main_window/picture_box.h"
#include "scales/file_lists.h"
#include "scales/form3.h"
#include "tests/scales/scale_fixture.h"
#include "tests/support/find_control.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QPushButton>

#include <sys/stat.h>
#include <unistd.h>

namespace korvalin {
namespace {

bool Shown(const QWidget* w) { return !w->isHidden(); }

struct PatternWindow : ScaleFixture {
    QTemporaryDir dir;
    void Write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // File > "Load", then the scratch folder and `name` chosen in the lists.
    Form3& Open(const QString& name = {}) {
        Form1& f = Main();
        prompts->messages.clear(); // whatever start-up had to say
        Find<QAction>(f, "UFLoad")->trigger();
        Form3& w = Window<Form3>();
        EXPECT_TRUE(w.Dir1->setPath(dir.path()));
        EXPECT_TRUE(name.isEmpty() || w.File1->selectFile(name));
        return w;
    }
    void ExpectCorruptOnce() {
        ASSERT_EQ(prompts->messages.size(), 1u);
        EXPECT_EQ(prompts->messages[0].title, "Korvalin");
        EXPECT_EQ(prompts->messages[0].text, "File is Corrupt");
        EXPECT_EQ(prompts->messages[0].icon, QMessageBox::NoIcon);
    }
};

TEST_F(PatternWindow, OpensAtTheApplicationsFolderAndTheFramesCloseReturnsKeepingItsPlace) {
    Form1& f = Main();
    f.show();
    ASSERT_TRUE(Find<QAction>(f, "UFLoad")->isEnabled());
    Find<QAction>(f, "UFLoad")->trigger();
    Form3& w = Window<Form3>();
    EXPECT_TRUE(w.isVisible() && !f.isVisible());
    EXPECT_EQ(w.windowTitle(), "Pattern Load");
    EXPECT_EQ(w.minimumSize(), QSize(296, 290));
    EXPECT_EQ(w.maximumSize(), QSize(296, 290));
    EXPECT_EQ(w.Dir1->path(), QCoreApplication::applicationDirPath());
    EXPECT_EQ(w.File1->path(), w.Dir1->path());
    EXPECT_EQ(w.Drive1->drive(), QStorageInfo(w.Dir1->path()).rootPath());
    EXPECT_FALSE(w.rect().intersects(w.Image1[0]->geometry())) << "the staff picture is never seen";

    Write("one.stp", "073\n");
    w.Dir1->setPath(dir.path());
    w.File1->selectFile("one.stp");
    w.move(40, 50);
    const QPoint where = w.pos();
    w.close();
    EXPECT_TRUE(f.isVisible() && !w.isVisible());
    EXPECT_EQ(KORVALIN1.ScaleKey, 0);
    Write("two.stp", "076\n"); // written while the window was hidden
    Find<QAction>(f, "UFLoad")->trigger();
    EXPECT_EQ(w.pos(), where);
    EXPECT_EQ(w.Dir1->path(), dir.path());
    EXPECT_EQ(w.File1->fileName(), "one.stp");
    EXPECT_EQ(w.File1->count(), 2);
}

TEST_F(PatternWindow, ListsTheExtensionInAnyCaseAndNavigatesFoldersAndVolumes) {
    for (const char* name : {"a.stp", "B.STP", "c.Stp", "d.txt", "e.stp.bak"}) Write(name, "073\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir("f.stp") && QDir(dir.path()).mkdir("sub"));
    Write("sub/inner.stp", "073\n");
    Form3& w = Open();
    QStringList listed;
    for (int i = 0; i < w.File1->count(); ++i) listed << w.File1->item(i)->text();
    EXPECT_EQ(listed, (QStringList{"a.stp", "B.STP", "c.Stp"}));

    // The folders above the current one, then those inside it; opening one lists its files.
    EXPECT_EQ(FolderList::EntryPath(w.Dir1->topLevelItem(0)), "/");
    QTreeWidgetItem* current = w.Dir1->currentItem();
    ASSERT_EQ(current->childCount(), 2);
    emit w.Dir1->itemActivated(current->child(1), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.File1->path(), dir.filePath("sub"));
    EXPECT_EQ(w.File1->count(), 1);

    // A volume that cannot be read leaves the folder list where it was, silently.
    w.Drive1->addItem("/no/such/volume", "/no/such/volume");
    w.Drive1->setCurrentIndex(w.Drive1->count() - 1);
    w.Drive1_Change();
    EXPECT_EQ(w.Dir1->path(), dir.filePath("sub"));
    EXPECT_EQ(w.Drive1->drive(), QStorageInfo(w.Dir1->path()).rootPath());
    EXPECT_TRUE(prompts->messages.empty());
}

TEST_F(PatternWindow, AFileWrittenHereLoadsWithADoubleClickAndPlays) {
    Write("five.stp", "073 C0 the first note\n076\n079\n080\n083\n");
    Form3& w = Open("five.stp");
    Form1& f = Window<Form1>();
    EXPECT_EQ(w.Label1->text(), "five.stp");
    const QPoint at = w.File1->visualItemRect(w.File1->currentItem()).center();
    QTest::mouseClick(w.File1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(w.File1->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(prompts->messages.empty());
    EXPECT_EQ(KORVALIN1.ScalePatterns[kUserPatternEntry], "073076079080083");
    EXPECT_EQ(KORVALIN1.ScaleKey, 14);
    EXPECT_EQ(KORVALIN1.ScaleType, 0);
    EXPECT_EQ(KORVALIN1.LoopCount, 1);
    EXPECT_TRUE(f.isVisible() && !w.isVisible());
    EXPECT_EQ(w.Label1->text(), dir.filePath("five.stp"));
    EXPECT_EQ(Find<QLabel>(f, "Label5")->text(), "User Set");
    EXPECT_EQ(Find<PictureBox>(f, "Picture9", 0)->image(), w.Image1[0]->image());
    for (QWidget* b : std::initializer_list<QWidget*>{Find<QPushButton>(f, "Command8"), Find<QPushButton>(f, "Command7"), Find<QPushButton>(f, "Command9"), Find<QPushButton>(f, "Command6"), Find<QPushButton>(f, "Command10"),
                                                     Find<PictureBox>(f, "Picture9", 0)})
        EXPECT_TRUE(Shown(b));
    for (QWidget* b : {Find<QPushButton>(f, "Command4"), Find<QPushButton>(f, "Command2", 0), Find<QPushButton>(f, "Command2", 3)}) EXPECT_FALSE(Shown(b));
    EXPECT_TRUE(Shown(Find<QPushButton>(f, "Command3")) && Shown(Find<QPushButton>(f, "Command5"))) << "a load leaves Flatten and Sharpen";

    KORVALIN1.NoteDelay = 1;
    f.Command8_Click();
    EXPECT_EQ(notes->Steps(), (std::vector<int>{73, 76, 79, 80, 83}));
}

TEST_F(PatternWindow, ABadOrUnreadableFileIsReportedOnceAndKeepsTheLinesBeforeIt) {
    Write("bad.stp", "090\r\n093\r\n 73\r\n096\r\n");
    Write("gone.stp", "073\n");
    Write("locked.stp", "073\n");
    Write("huge.stp", "073"); // then 8 GB of NULs with no line end (sparse: no disk space)
    ASSERT_TRUE(QFile::resize(dir.filePath("huge.stp"), qint64(8) << 30));
    const QByteArray locked = QFile::encodeName(dir.filePath("locked.stp"));
    ASSERT_EQ(::chmod(locked.constData(), 0), 0);
    QStringList names{"gone.stp", "", "huge.stp", "bad.stp"}; // "": nothing chosen
    if (::access(locked.constData(), R_OK) != 0) names.prepend("locked.stp"); // else this user reads anything
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        KORVALIN1.ScalePatterns[kUserPatternEntry] = "100";
        Form3& w = Open(name);
        if (name == "gone.stp") QFile::remove(dir.filePath(name));
        if (name.isEmpty()) w.File1->clearSelection();
        w.Command2_Click();
        ExpectCorruptOnce();
        EXPECT_EQ(KORVALIN1.ScalePatterns[kUserPatternEntry], name == "bad.stp" ? "090093" : "");
        EXPECT_TRUE(w.isVisible() && !Window<Form1>().isVisible());
        EXPECT_EQ(Find<QLabel>(Window<Form1>(), "Label5")->text(), "Label5");
        w.Command1_Click(); // "Cancel"
        EXPECT_TRUE(Window<Form1>().isVisible() && !w.isVisible());
    }
    // What was read before the bad line is the current scale.
    KORVALIN1.NoteDelay = 1;
    Window<Form1>().Command8_Click();
    EXPECT_EQ(notes->Steps(), (std::vector<int>{90, 93}));
}

} // namespace
} // namespace korvalin
