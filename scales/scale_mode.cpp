#include "scales/scale_mode.h"

#include "app/korvalin1.h"
#include "app/window_handover.h"
#include "app/window_registry.h"
#include "assets/main_art.h"
#include "main_window/form1.h"
#include "main_window/picture_box.h"
#include "scales/form2.h"

#include <QLabel>
#include <QPushButton>

namespace korvalin {

void EnterScaleMode(Form1& f) {
    for (QPushButton* v : f.Command2) v->hide();
    f.Command4->hide();
    for (QPushButton* b : {f.Command6, f.Command7, f.Command9, f.Command8, f.Command10}) b->show();
    f.Picture9[0]->show();
    f.Label5->show();
}

void HideNoteEditing(Form1& f) {
    f.Command3->hide();
    f.Command5->hide();
    f.Command11->hide();
}

void LeaveScaleMode(Form1& f) {
    for (QPushButton* b : {f.Command7, f.Command6, f.Command8, f.Command9, f.Command10}) b->hide();
    f.Command3->show();
    f.Command5->show();
    f.Command11->hide();
    f.Picture9[0]->hide();
    f.Label5->hide();
    for (QPushButton* v : f.Command2) v->show();
    f.Command4->show();
    KORVALIN1.StopFlag = 1;
}

void ShowScaleName(Form1& f, int pictureKey, const QString& caption) {
    f.Picture9[0]->setSource([pictureKey](qreal dpr) { return KeySignaturePicture(pictureKey, dpr); });
    f.Label5->setText(caption);
    f.Label5->setAccessibleName(caption);
}

void SelectScale(Form1& f, int16_t type, int16_t key, int pictureKey, const QString& caption) {
    KORVALIN1.ScaleType = type;
    KORVALIN1.ScaleKey = key;
    ShowScaleName(f, pictureKey, caption);
}

void OpenScaleSelection(Form1&) {
    // The selection window takes the main window's place (its first load lays it out and shows
    // it); its activation does the same, but not every desktop activates a window just shown.
    ShowInsteadOfMain(Window<Form2>());
}

} // namespace korvalin
