// AboutBox1: the product's title picture, shown for two seconds at start-up (then the main window
// takes its place) and again from Help > About.
#pragma once

#include <QTimer>
#include <QWidget>

namespace korvalin {

class PictureBox;

class AboutBox1 : public QWidget {
    Q_OBJECT
public:
    AboutBox1();
    void Form_Load();
    void Timer1_Timer();
    void Image1_Click() {}

    PictureBox* Image1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool painted_ = false;
};

} // namespace korvalin
