// The chart and information windows of the Info menu: the fingering chart (Form4), the altissimo
// chart (Form13), the circle of fifths (Form8) with its explanation (Form11), the transposition
// example (Form9) and the five practice tips (Form7). Each replaces the main window on screen and
// its "Return" (or the frame's close control) brings the main window back.
#pragma once

#include <QMainWindow>
#include <QWidget>

class QAction;
class QGroupBox;
class QPushButton;

namespace korvalin {

class DrawingView;

// Saxophone fingering chart, the drawing stretched over the window; opens maximized.
class Form4 : public QMainWindow {
    Q_OBJECT
public:
    Form4();
    void ReturnFromCHart_Click();
    void PrintChart_Click(); // prints the chart (printing/)

    DrawingView* Chart = nullptr; // the window's background picture
    QAction* PrintChart = nullptr;
    QAction* ReturnFromCHart = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// Altissimo chart, built like the fingering chart.
class Form13 : public QMainWindow {
    Q_OBJECT
public:
    Form13();
    void Alti_Return_Click();
    void Alti_Print_Click(); // prints the window's image (printing/)

    DrawingView* Chart = nullptr;
    QAction* Alti_Print = nullptr;
    QAction* Alti_Return = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// Circle of fifths: the 720 x 540 picture from the top-left corner, "Print", "Tell me more!" and
// "Return" on top of it.
class Form8 : public QWidget {
    Q_OBJECT
public:
    Form8();
    void Command1_Click(); // Return
    void Command2_Click(); // Tell me more!
    void Command3_Click(); // Print (printing/)

    DrawingView* Picture = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// The explanation of the circle, opened over it.
class Form11 : public QWidget {
    Q_OBJECT
public:
    Form11();
    void Command1_Click(); // Return

    DrawingView* Page = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// Transposition example: the example staff and its explanation in a frame.
class Form9 : public QWidget {
    Q_OBJECT
public:
    Form9();
    void Command1_Click(); // Return

    QGroupBox* Frame1 = nullptr;
    DrawingView* Picture1 = nullptr;
    DrawingView* Picture2 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// Five practice tips.
class Form7 : public QWidget {
    Q_OBJECT
public:
    Form7();
    void Command1_Click(); // Return

    DrawingView* Page = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace korvalin
