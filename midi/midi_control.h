// MidiControl: how notes sound. The MIDI channel, the volume (Note On velocity), the instrument
// sound (program), sound on or off, the lead-in before scale playback, a Test note that sounds while
// the button is held, a face telling whether the output opened, the choice of output device, and
// whether the patch follows the instrument chosen in the main window.
// Start-up loads it hidden to switch sound on; the main window's "Midi Control" item shows it in
// place of the main window until "Done".
#pragma once

#include "midi/outputs.h"

#include <QWidget>
#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace korvalin {

class PictureBox;

class MidiControl : public QWidget {
    Q_OBJECT
public:
    MidiControl();
    ~MidiControl() override;

    // Handlers.
    void Option1_Click(int index); // channel index + 1
    void Option2_Click();          // "On"
    void Option3_Click();          // "Off"
    void HScroll1_Change();        // volume
    void HScroll2_Change();        // patch
    void Check1_Click() {}         // "Lead In" is read by playback when it starts
    void Command2_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, float X, float Y); // Test
    void Command2_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, float X, float Y);
    void Command2_Pressed();  // Test pressed from the keyboard or by an accessibility action
    void Command2_Released();
    void Command1_Click(); // "Done"
    void Form_Activate();
    void Combo1_Click(); // an output chosen
    void Check2_Click(); // "Patch follows instrument"

    // With "Patch follows instrument" ticked and a saxophone patch (64 to 67) set, moves the patch
    // to the saxophone with this transposition: the bar, its label and MidiPatch, and, when `send`
    // and the patch changed, a Program Change. Any other patch is left alone.
    void FollowInstrument(int16_t transposition, bool send = true);

    // The face for MidiReady: smiling when the output opened, frowning when it did not.
    void ShowFace();
    // Lists the outputs afresh, keeping the current one selected.
    void RefreshOutputs();
    // One line below the controls on what became of the output (its server went away); empty
    // hides it.
    void ShowOutputStatus(const QString& line);

    // Controls, by their design names.
    QLabel* Label2 = nullptr;
    std::array<QRadioButton*, 16> Option1{};
    QFrame* Picture1 = nullptr;
    QLabel* Label4 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QLabel* Label1 = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label6 = nullptr;
    QScrollBar* HScroll2 = nullptr;
    QLabel* Label5 = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    PictureBox* Image1 = nullptr; // smiling face
    PictureBox* Image2 = nullptr; // frowning face
    QFrame* Shape1 = nullptr;     // frame around the channels
    QFrame* Shape2 = nullptr;     // frame around the volume
    QFrame* Shape3 = nullptr;     // frame around the patch
    QLabel* Label7 = nullptr;     // "Output"
    QComboBox* Combo1 = nullptr;  // the output device
    QCheckBox* Check2 = nullptr;  // "Patch follows instrument", remembered between runs
    QLabel* Label8 = nullptr;     // what became of the output, shown only when there is news

    // The outputs as listed in Combo1, in the same order.
    const std::vector<OutputChoice>& Outputs() const { return outputs_; }

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    std::vector<OutputChoice> outputs_;
    bool testSounding_ = false; // the Test note is held down
    bool testByMouse_ = false;  // ... by a mouse button, which alone may end it
};

// The main window's instrument choice, handed to the MIDI control window (when it exists) before the
// note is sounded again, so that a following patch is in place for that note.
void InstrumentChosen(int16_t transposition);

} // namespace korvalin
