// Form12, the scale print page: the current scale laid out as a title and up to two rows of note
// strips, shown in place of the main window, printed with "Print" and left with "Return".
#pragma once

#include "printing/scale_page.h"

#include <QMainWindow>
#include <array>

class QAction;
class QLabel;
class QScrollArea;

namespace korvalin {

class StripPicture;

class Form12 : public QMainWindow {
    Q_OBJECT
public:
    Form12();

    void ScalePrintMnu_Click();
    void ScaleReturnMnu_Click();

    // Clears the page and lays out `page` on it (the main window's "Print Current Scale").
    void ShowPage(const ScalePage& page);

    // The page in twips, as designed; on screen 15 twips make a pixel. A row whose last strip
    // reaches past the design width widens the page to show it whole.
    static constexpr int kPageWidth = 15270;
    static constexpr int kPageHeight = 10710;
    static constexpr int kTwipsPerPixel = 15;

    QWidget* Page = nullptr; // the client area that is printed
    QLabel* Label1 = nullptr;
    std::array<StripPicture*, kPageStrips> Image1{}; // the strips: 0..35 notes, 36/37 row starts
    std::array<StripPicture*, kPageSlots> Image3{};  // the slots that receive copies of strips
    QAction* ScalePrintMnu = nullptr;
    QAction* ScaleReturnMnu = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Place(QWidget* w, int left, int top, int width, int height);
    QScrollArea* scroll_ = nullptr;
};

} // namespace korvalin
