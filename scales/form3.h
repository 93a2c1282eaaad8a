// Form3, the pattern window ("Pattern Load"): the user picks a pattern file from the drive, folder
// and file lists and loads it. A good file becomes the user pattern, the current scale, named
// "User Set" on the main window, which comes back in scale mode; a bad one gets the one message
// "File is Corrupt" and the window stays open.
#pragma once

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;

namespace korvalin {

class DriveList;
class FileList;
class FolderList;
class PictureBox;

class Form3 : public QWidget {
    Q_OBJECT
public:
    Form3();
    ~Form3() override;

    // Runs once, when the window is created: the folder list starts at the application's folder.
    void Form_Load();

    void Drive1_Change();  // a volume chosen: its top folder becomes the current one
    void Dir1_Change();    // the current folder changed: list its pattern files
    void File1_Click();    // a file chosen: its name in Label1
    void File1_DblClick(); // load it
    void Command1_Click(); // "Cancel"
    void Command2_Click(); // "Load"

    // Reads the file chosen in File1 into the user pattern and, when it is good, returns to the
    // main window in scale mode.
    void LoadPattern();

    // Controls, by their design names.
    QLabel* Label1 = nullptr;
    FileList* File1 = nullptr;
    FolderList* Dir1 = nullptr;
    DriveList* Drive1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    // Outside the visible area: it only holds the key picture the main window shows for a user pattern.
    std::array<PictureBox*, 1> Image1{};

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ReturnToMainWindow();
    void ShowInLabel1(const QString& text);
};

} // namespace korvalin
