// Form2, the scale selection window: eight type buttons ("Major" ... "Blues", "Chromatic") and the
// thirteen keys, each as a key-signature picture above a button captioned with the scale of that
// key in the type last chosen. Choosing a key (or "Chromatic") makes that scale the current one,
// names it on the main window and returns there.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

class QLabel;
class QPushButton;

namespace korvalin {

class PictureBox;

class Form2 : public QWidget {
    Q_OBJECT
public:
    Form2();
    ~Form2() override;

    // Runs once, when the window is first opened.
    void Form_Load();
    void Form_Activate();   // the window became the active one: the main window steps aside
    void Form_Deactivate(); // another window became active: the main window comes back
    void Form_DblClick();   // a double click on the background: back to the main window

    // The type buttons.
    void Command2_Click(); // Major
    void Command3_Click(); // Harmonic Min
    void Command5_Click(); // Melodic Min
    void Command6_Click(); // Natural Min
    void Command7_Click(); // Pent. Maj
    void Command8_Click(); // Pent. Min
    void Command9_Click(); // Blues
    void Command4_Click(); // Chromatic

    // A key button or a key picture, index 0..12; both choose the key.
    void Command1_Click(int index);
    void Image1_Click(int index);

    // The type base whose captions the key buttons carry; a key chooses the scale it shows.
    int16_t CaptionType() const { return captionType_; }

    // Controls, by their design names.
    QLabel* Label1 = nullptr;
    std::array<PictureBox*, 13> Image1{};
    std::array<QPushButton*, 13> Command1{};
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command4 = nullptr;

protected:
    void changeEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ChooseType(int16_t base);
    void ReturnToMainWindow();
    int16_t captionType_ = 0;
};

} // namespace korvalin
