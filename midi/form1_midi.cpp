// The main window's sound handlers: the "Midi Control" menu item, sound on at start-up and the
// lead-in setting read by scale playback.
#include "main_window/form1.h"

#include "app/korvalin1.h"
#include "app/window_handover.h"
#include "app/window_registry.h"
#include "midi/midi_control.h"

#include <QCheckBox>
#include <QRadioButton>

namespace korvalin {

void Form1::MControl_Click() {
    MidiControl& control = Window<MidiControl>();
    ShowInsteadOfMain(control);
    control.ShowFace();
}

bool Form1::LeadInBox() { return Window<MidiControl>().Check1->isChecked(); }

void Form1::LoadSoundOn() {
    // Selecting "On" runs its handler; if it is somehow selected already, the handler runs directly.
    MidiControl& control = Window<MidiControl>();
    // A remembered "Patch follows instrument" puts the instrument's patch in place first; opening
    // the output sends it, so start-up still sends a single Program Change.
    control.FollowInstrument(Transposition, false);
    if (control.Option2->isChecked())
        control.Option2_Click();
    else
        control.Option2->setChecked(true);
}

} // namespace korvalin
