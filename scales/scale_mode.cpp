#include "scales/scale_mode.h"

#include "app/korvalin1.h"
#include "app/window_handover.h"
#include "app/window_registry.h"
#include "assets/main_art.h"
#include "main_window/form1.h"
#include "scales/form2.h"

namespace korvalin {

void EnterScaleMode(Form1& f) { f.SetScaleMode(true); }

void HideNoteEditing(Form1& f) { f.SetStepButtons(Form1::StepButtons::None); }

void LeaveScaleMode(Form1& f) {
    f.SetScaleMode(false);
    f.SetStepButtons(Form1::StepButtons::Semitones);
    KORVALIN1.StopFlag = 1;
}

void ShowScaleName(Form1& f, int pictureKey, const QString& caption) {
    f.ShowScaleName([pictureKey](qreal dpr) { return KeySignaturePicture(pictureKey, dpr); }, caption);
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
