// The "Metronome and Drone" window: a tempo (spin box, slider and "Tap"), whether scale steps
// follow it, the click (on or off, beats per bar with an accent on the first, volume) and the drone
// (on or off, volume, the note: the tonic of the current scale at concert pitch for the chosen
// saxophone, or a note from the list), with Start and Stop of its own. It opens beside the main
// window; everything in it is remembered between runs. While it is open it also paces scale runs:
// with "Scales follow the tempo" ticked each step lasts one beat and the clicks fall on the steps.
#pragma once

#include "metronome/metronome_player.h"
#include "metronome/metronome_schedule.h"
#include "metronome/tap_tempo.h"
#include "scales/playback.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

namespace korvalin {

inline constexpr const char* kMetronomeWindowTitle = "Metronome and Drone";

class MetronomeWindow : public QWidget, private PlaybackPacer {
    Q_OBJECT
public:
    MetronomeWindow();
    ~MetronomeWindow() override;

    // Handlers.
    void TempoTyped();    // tempo spin box
    void TempoSlid(); // tempo slider
    void Tap();   // "Tap"
    void Start(); // "Start"
    void Stop();  // "Stop"
    void SettingChanged();  // any other control

    // Shows the window beside the main window, raised.
    void ShowBeside();
    // Ends every click and the drone at once.
    void StopAll();

    // What the controls say, as the schedule takes it.
    int Tempo() const;
    bool FollowTempo() const;
    MetronomeSettings Metronome() const;
    DroneSettings Drone() const;
    // The drone's note now: the tonic's or the chosen one, -1 when there is none.
    int DroneNote() const;

    const MetronomePlayer& Player() const { return player_; }
protected:
    void closeEvent(QCloseEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // Controls, found by their object names (the same as these).
    QGroupBox* tempoGroup = nullptr;     // Tempo
    QSpinBox* tempoBox = nullptr;       // beats per minute
    QSlider* tempoSlider = nullptr;     // beats per minute
    QPushButton* tapButton = nullptr; // "Tap"
    QCheckBox* followTempoBox = nullptr;     // "Scales follow the tempo"
    QGroupBox* clickGroup = nullptr;     // Metronome
    QCheckBox* clickOnBox = nullptr;     // click on
    QSpinBox* beatsBox = nullptr;       // beats per bar
    QSlider* clickVolumeSlider = nullptr;     // click volume
    QGroupBox* droneGroup = nullptr;     // Drone
    QCheckBox* droneOnBox = nullptr;     // drone on
    QSlider* droneVolumeSlider = nullptr;     // drone volume
    QComboBox* droneNoteList = nullptr;     // drone note
    QLabel* droneSoundsLabel = nullptr;        // the tonic's name
    QPushButton* startButton = nullptr; // "Start"
    QPushButton* stopButton = nullptr; // "Stop"
    QLabel* statusLine = nullptr;       // why the metronome cannot start


    // Scale runs (PlaybackPacer).
    void RunBegins(int& leadInSteps) override;
    void StepBegins(std::int16_t note, int index, bool leadIn, StepPace& pace) override;
    void RunEnds(RunEnd how) override;
    void StopPressed() override;

    MetronomeSchedule MakeSchedule() const;
    // Starts the metronome on the present settings; with `takeOver` a running one takes them at
    // its next beat instead of starting again.
    void Restart(bool takeOver);
    void ShowStatus(const QString& line);
    void Remember();
    void Recall();
    void ShowTonic();
    void InstrumentChanged();

    MetronomePlayer player_;
    TapTempo taps_;
    QTimer rememberTimer_; // a change not yet written
    bool recalling_ = false;
    bool followingInstrument_ = false;
    bool started_ = false; // Start pressed: runs beside scale runs as well
    // The runs in progress (innermost last): where their beats are counted from.
    struct Run {
        std::int64_t originMs = 0;
        int tempo = 0; // the tempo when it began: the clicks keep it until the run is over
        bool paced = false;
    };
    std::vector<Run> runs_;
};

// The concert note the drone list offers at `index` (0 to 11, C up to B) and its name.
int DroneListNote(int index);

} // namespace korvalin
