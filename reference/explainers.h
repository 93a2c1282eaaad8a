// The mouthpiece (Form5) and reed (Form10) explainers: a picture of the object, numbered part
// buttons, a text box with the part's description and leader lines from each part to its button.
// Thumbnails switch between views; each view has its own picture and parts.
#pragma once

#include <QLineF>
#include <QWidget>
#include <array>

class QLineEdit;
class QPushButton;

namespace korvalin {

class PictureBox;

// A straight leader line over a picture, given in twips of its window.
class LeaderLine : public QWidget {
    Q_OBJECT
public:
    LeaderLine(QWidget* parent, const char* name, QLineF twips, QColor colour = Qt::black);
    QLineF twips() const { return twips_; }
    QLineF pixels() const;
    QColor colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QLineF twips_;
    QColor colour_;
};

class Form5 : public QWidget {
    Q_OBJECT
public:
    Form5();
    void Form_Load();

    void Command1_Click(); // button " 1"
    void Command2_Click(); // button " 2"
    void Command4_Click(); // button " 3"
    void Command5_Click(); // button " 4"
    void Command6_Click(); // button " 5"
    void Command7_Click(); // button " 6"
    void Command8_Click(); // button " 7"
    void Image2_Click();   // assembled view
    void Image3_Click();   // table view
    void Image5_Click();   // cut-away view
    void Command3_Click(); // Return

    PictureBox* Image1 = nullptr; // assembled
    PictureBox* Image6 = nullptr; // cut-away
    PictureBox* Image4 = nullptr; // table
    PictureBox* Image2 = nullptr;
    PictureBox* Image3 = nullptr;
    PictureBox* Image5 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command3 = nullptr;
    QLineEdit* Text1 = nullptr;
    LeaderLine* Line1 = nullptr;
    LeaderLine* Line2 = nullptr;
    LeaderLine* Line3 = nullptr;
    LeaderLine* Line4 = nullptr;
    LeaderLine* Line5 = nullptr;
    LeaderLine* Line6 = nullptr;
    LeaderLine* Line7 = nullptr;
    LeaderLine* Line8 = nullptr;
    LeaderLine* Line9 = nullptr;
    LeaderLine* Line10 = nullptr;
    LeaderLine* Line11 = nullptr;
    LeaderLine* Line12 = nullptr;
    LeaderLine* Line13 = nullptr;
    LeaderLine* Line14 = nullptr;
    LeaderLine* Line15 = nullptr;
    LeaderLine* Line16 = nullptr;

    // The part buttons in the order of their numbers, and Line1 to Line16.
    std::array<QPushButton*, 7> PartButtons() const;
    std::array<LeaderLine*, 16> Lines() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void PartButton(int number);
    void ShowPart(int view, int number);
};

class Form10 : public QWidget {
    Q_OBJECT
public:
    Form10();

    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Image2_Click(); // top view
    void Image3_Click(); // side view
    void Command3_Click(); // Return

    PictureBox* Image1 = nullptr; // top
    PictureBox* Image4 = nullptr; // side
    PictureBox* Image2 = nullptr;
    PictureBox* Image3 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command3 = nullptr;
    QLineEdit* Text1 = nullptr;
    LeaderLine* Line1 = nullptr;
    LeaderLine* Line2 = nullptr;
    LeaderLine* Line3 = nullptr;
    LeaderLine* Line4 = nullptr;
    LeaderLine* Line5 = nullptr;
    LeaderLine* Line6 = nullptr;
    LeaderLine* Line7 = nullptr;
    LeaderLine* Line8 = nullptr;
    LeaderLine* Line9 = nullptr;

    std::array<QPushButton*, 7> PartButtons() const;
    std::array<LeaderLine*, 9> Lines() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void PartButton(int number);
    void ShowPart(int view, int number);
};

} // namespace korvalin
