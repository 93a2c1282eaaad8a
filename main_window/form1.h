// Form1, the main window: the fingering picture, the grand staff and the keyboard with the markers of
// the written and the sounding note, their names, the instrument choice and the scale controls.
// Every way of choosing a note ends in ShowNote. The controls are the window's own: other windows
// change its mode (scale mode, the step buttons, the scale's name) through the functions below,
// and StabilizeForm derives what the scale controls show from that mode.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "main_window/picture_box.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;

namespace korvalin {

class PlaybackPacer;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    Form1();
    ~Form1() override;

    // The load sequence, run once when the window is first created.
    void Form_Load();

    // The note display. ShowNote shows written note n and sounds it; DisplayNote only shows it
    // (false when n is not shown: outside the table, or the application is ending), and
    // SoundCurrentNote ends the previous note and sounds the current one.
    void ShowNote(int16_t n);
    bool DisplayNote(int16_t n);
    void SoundCurrentNote();
    void ShowSoundingNote(int16_t s); // marks sounding note s (before its spelling correction)
    int16_t SoundingNote(int16_t written) const;
    void Timer2_Timer();
    void SDisplay_Click();

    // Instruments and semitone steps.
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void Soprano_Click();
    void Alto_Click();
    void Tenor_Click();
    void Baritone_Click();
    void Command3_Click(); // Flatten
    void Command5_Click(); // Sharpen

    // Choosing notes on the pictures; X and Y in twips relative to the picture.
    void Image20_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, float X, float Y);
    void Image3_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, float X, float Y);
    void Image2_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, float X, float Y);
    void StaffNoteAt(float X, float Y);

    // Typed keys: the window sees every key before its controls.
    void Form_KeyDown(int& keyCode, Qt::KeyboardModifiers shift);
    void Form_KeyPress(int& keyAscii);

    // Exit and the variation buttons.
    void Command1_Click();
    void Quit_Click();
    void Command2_Click(int index);

    // Handlers defined by the other subsystems (scales/, midi/, printing/, reference/).
    void Command4_Click();   // Scales
    void Picture9_Click(int index);
    void Command8_Click();   // Start
    void Command7_Click();   // Stop
    void Command11_Click();  // Next Note
    void Command9_Click();   // Speed
    void Command6_Click();   // Loop
    void Command10_Click();  // End
    void UFLoad_Click();
    void PNote_Click();
    void PrintScale_Click();
    void PAltiChart_Click();
    void PFingChart_Click();
    void MControl_Click();
    void OpenListenWindow(); // Sounds > Listen (listen/)
    void OpenMetronomeWindow(); // Sounds > "Metronome and Drone" (metronome/)
    void Top5Menu_Click();
    void TransMenu_Click();
    void Scale_Wheel_Click();
    void Menu_Mouthpiece_Click();
    void Mnu_Reed_Click();
    void Menu_Altissimo_Click();
    void Menu_Print_Click();
    void HelpHelp_Click();
    void Help_Contents_Click();
    void MAbout_Click();
    void HelpKey();               // F1
    void LoadFillScalePatterns(); // load step 6
    void LoadSoundOn();           // load step 12
    void LoadFindHelp();          // load step 14
    void WaitTenths(float& tenths); // the wait between two scale notes
    // The wait of a step that waits for the player; true when a pacer said it was reached.
    bool WaitUntilReached(const std::vector<PlaybackPacer*>& waitedFor);
    static bool LeadInBox();      // the "Lead In" box of the MIDI control window is ticked

    // The window's state: the note shown, and the chosen saxophone's transposition (rows of the
    // note table down to its sounding note; 0 before one is chosen). Read-only outside this
    // window; instrumentChanged() tells when the saxophone changes.
    const int16_t& CurrentNote = currentNote_;
    const int16_t& Transposition = transposition_;

    // Scale mode: the chosen scale's picture and name and "Start", "Stop", "Speed", "Loop" and
    // "End" in place of "Scales" and "V1" to "V4".
    void SetScaleMode(bool on);
    bool InScaleMode() const { return scaleMode_; }
    // What stands in the semitone place: "Sharpen" and "Flatten", nothing (a scale chosen but not
    // yet started) or "Next Note" (a scale playing).
    enum class StepButtons { Semitones, None, NextNote };
    void SetStepButtons(StepButtons buttons);
    // Names the current scale: its picture in Picture9(0) and its name in Label5.
    void ShowScaleName(PictureBox::Source picture, const QString& caption);

    // How the application ends (replaced in tests so that Exit can be observed).
    static std::function<void()>& EndApplication();
    // True once Exit has begun: nothing is shown or sounded after that.
    static bool Ending();
    // The saxophone chosen in the main window, as its Transposition: the alto's before the window
    // exists or has chosen one (start-up chooses the alto). What the practice windows go by.
    static int16_t ChosenTransposition();

signals:
    // The saxophone chosen changed: its transposition, as Transposition now holds it.
    void instrumentChanged(int transposition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    int16_t currentNote_ = 0;
    int16_t transposition_ = 0;

    void CreateControls();
    void CreatePictures(QWidget* client);
    void CreateNoteColumn(QWidget* client);
    void ConnectControls();
    void CreateMenus();
    void StabilizeForm();
    void SelectInstrument(int16_t transposition, QAction* checked);
    void SendNoteOff();
    void SendNoteOn(int16_t soundingNote);
    void Exit();
    float ToPixelsX(qreal px) const;

    bool scaleMode_ = false;
    StepButtons stepButtons_ = StepButtons::Semitones;

    // Controls, by their design names (also their object names).
    std::array<PictureBox*, 99> Image1{};
    PictureBox* Image3 = nullptr;  // staff
    PictureBox* Image2 = nullptr;  // greyed staff
    std::array<PictureBox*, 7> Image35{}; // written-note glyphs 0..5, marker 6
    std::array<PictureBox*, 7> Image36{}; // sounding-note glyphs 0..5, marker 6
    PictureBox* Image20 = nullptr; // keyboard
    PictureBox* Image21 = nullptr; // written key marker
    PictureBox* Image22 = nullptr; // sounding key marker
    PictureBox* Image4 = nullptr;  // banner
    QPushButton* Command4 = nullptr;
    std::array<PictureBox*, 1> Picture9{};
    QLabel* Label5 = nullptr;
    std::array<QPushButton*, 4> Command2{};
    QPushButton* Command8 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command10 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command11 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QRadioButton* Option4 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QTimer* Timer2 = nullptr;

    // Menus.
    QMenu* Fmenu = nullptr;
    QMenu* PrintMenu = nullptr;
    QMenu* instrument = nullptr;
    QMenu* Sounds = nullptr;
    QMenu* Print_Menu = nullptr;
    QMenu* Help_Menu = nullptr;
    QAction* UFLoad = nullptr;
    QAction* Seperator = nullptr;
    QAction* Quit = nullptr;
    QAction* PNote = nullptr;
    QAction* PrintScale = nullptr;
    QAction* PAltiChart = nullptr;
    QAction* PFingChart = nullptr;
    QAction* Soprano = nullptr;
    QAction* Alto = nullptr;
    QAction* Tenor = nullptr;
    QAction* Baritone = nullptr;
    QAction* SDisplay = nullptr;
    QAction* MControl = nullptr;
    QAction* ListenItem = nullptr;
    QAction* MetronomeItem = nullptr;
    QAction* Top5Menu = nullptr;
    QAction* TransMenu = nullptr;
    QAction* Scale_Wheel = nullptr;
    QAction* Menu_Mouthpiece = nullptr;
    QAction* Mnu_Reed = nullptr;
    QAction* Menu_Altissimo = nullptr;
    QAction* Menu_Print = nullptr;
    QAction* HelpHelp = nullptr;
    QAction* Help_Contents = nullptr;
    QAction* Seperator2 = nullptr;
    QAction* MAbout = nullptr;
};

} // namespace korvalin
