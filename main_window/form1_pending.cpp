// Main-window handlers whose windows are still being built. Each subsystem moves its handlers out
// of this file into its own (scales/, midi/, printing/, reference/) as it lands, and takes its menu
// items off the pending list.
#include "main_window/form1.h"

#include "app/korvalin1.h"
#include "midi/midi_port.h"

#include <QStringList>

namespace korvalin {

const QStringList& Form1::PendingMenuItems() {
    static const QStringList items{
        "UFLoad",  "PNote",    "PrintScale",      "PAltiChart", "PFingChart",     "MControl",
        "Top5Menu", "TransMenu", "Scale_Wheel", "Menu_Mouthpiece", "Mnu_Reed", "Menu_Altissimo",
        "Menu_Print", "HelpHelp", "Help_Contents", "MAbout"};
    return items;
}

// Scales and playback.
void Form1::Command4_Click() {}
void Form1::Picture9_Click(int) {}
void Form1::Command8_Click() {}
void Form1::Command7_Click() {}
void Form1::Command11_Click() {}
void Form1::Command9_Click() {}
void Form1::Command6_Click() {}
void Form1::Command10_Click() {}
void Form1::LoadFillScalePatterns() {}
void Form1::WaitTenths(float&) {}

// Pattern files.
void Form1::UFLoad_Click() {}

// Printing.
void Form1::PNote_Click() {}
void Form1::PrintScale_Click() {}
void Form1::PAltiChart_Click() {}
void Form1::PFingChart_Click() {}

// Sound.
void Form1::MControl_Click() {}
bool Form1::LeadInBox() { return false; }
void Form1::LoadSoundOn() {
    if (KORVALIN1.SoundOn == 0) OpenMidiOut();
    KORVALIN1.SoundOn = 1;
}

// Reference windows and help.
void Form1::Top5Menu_Click() {}
void Form1::TransMenu_Click() {}
void Form1::Scale_Wheel_Click() {}
void Form1::Menu_Mouthpiece_Click() {}
void Form1::Mnu_Reed_Click() {}
void Form1::Menu_Altissimo_Click() {}
void Form1::Menu_Print_Click() {}
void Form1::HelpHelp_Click() {}
void Form1::Help_Contents_Click() {}
void Form1::MAbout_Click() {}
void Form1::HelpKey() {}
void Form1::LoadFindHelp() {}

} // namespace korvalin
