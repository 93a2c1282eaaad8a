#include "reference/about_box.h"

#include "app/trace.h"
#include "app/window_registry.h"
#include "assets/main_art.h"
#include "main_window/form1.h"
#include "main_window/picture_box.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

namespace korvalin {

AboutBox1::AboutBox1() {
    setObjectName("AboutBox1");
    setWindowTitle("Korvalin");
    setWindowIcon(AppIcon());
    setAttribute(Qt::WA_QuitOnClose, false);
    Image1 = new PictureBox(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(0, 0, 320, 200);
    Image1->setSource([](qreal dpr) { return AboutPicture(dpr); });
    Image1->setAccessibleName("Korvalin");
    connect(Image1, &PictureBox::clicked, this, &AboutBox1::Image1_Click);
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &AboutBox1::Timer1_Timer);
}

void AboutBox1::Form_Load() {
    // 320 x 200 pixels, in the middle of the screen.
    setFixedSize(320, 200);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    Timer1->start();
}

void AboutBox1::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!painted_) {
        painted_ = true;
        Trace("about-shown");
    }
}

void AboutBox1::Timer1_Timer() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    Form1& main = Window<Form1>();
    main.show();
    hide();
    Timer1->stop();
    QGuiApplication::restoreOverrideCursor();
}

} // namespace korvalin
