// The Listen window: the player chooses an input (an audio input of the desktop or a MIDI input
// port) and sees the note heard, written for the current instrument with the note it sounds, how
// far in tune it is on a tuning meter, and the input's level. A note held steady becomes the main
// window's current note, shown silently. The window stays open beside the main window; what it
// hears is passed on through heard() to whatever practises with it, which puts its own controls
// in the practice area at the bottom.
//
// Listening runs only while the window is open: closing it stops the capture and its thread.
// Every choice in it is remembered between runs.
#pragma once

#include "listen/heard_note.h"
#include "listen/tuning_needle.h"
#include "room/own_sound.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QVBoxLayout;

namespace korvalin {

class AudioPitchInput;
class MidiNoteInput;
class PlaybackPacer;
class LevelMeter;
class WaitForMePanel;
class TuningMeter;

class ListenWindow : public QWidget {
    Q_OBJECT
public:
    ListenWindow();
    ~ListenWindow() override;

    // Shows the window beside the main window, lists the inputs afresh and listens again on the
    // remembered input when it is there.
    void OpenBeside();

    // What an input heard, as it arrives (the audio capture and the MIDI input call this).
    void Heard(const HeardNote& note);
    // The input in use stopped: the line is shown, listening ends and the chooser is offered again.
    void InputFailed(const QString& line);

    // The choice "Not listening" in the chooser, and whether an input is open now.
    bool Listening() const;
    // Lists the inputs afresh (keeping the current choice when it is still there).
    void ListInputs();
    // Chooses the input of the chooser whose text is `caption`; false when there is none such.
    bool ChooseInput(const QString& caption);

    // How long a note must hold before the main window shows it, and how long after the
    // application's own last note the microphone is not believed (its release tail).
    static constexpr int kHoldMs = 120;
    static constexpr int kOwnSoundTailMs = int(OwnSound::kTailMs);

signals:
    // Every note heard (audio or MIDI), after the application's own sound is left out.
    void heard(korvalin::HeardNote note);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void InputChosen(int index);
    void StopListening();
    void ShowHeard(const HeardNote& note);
    void HoldElapsed();
    void RunEnded();
    void ReferenceChanged(int hz);
    void ShowOnMainToggled(bool on);
    void ShowStatus(const QString& line);
    void Remember() const;

    // Controls, named for what they do.
    QComboBox* inputChooser_ = nullptr;
    LevelMeter* levelMeter_ = nullptr;
    QLabel* writtenNote_ = nullptr;
    QLabel* concertNote_ = nullptr;
    TuningMeter* tuningMeter_ = nullptr;
    QLabel* centsLabel_ = nullptr;
    QSpinBox* referenceBox_ = nullptr;
    QCheckBox* showOnMainBox_ = nullptr;
    QLabel* statusLine_ = nullptr;
    QWidget* practiceArea_ = nullptr;
    QVBoxLayout* practiceLayout_ = nullptr;
    WaitForMePanel* practicePanel_ = nullptr;

    std::unique_ptr<AudioPitchInput> audio_;
    std::unique_ptr<MidiNoteInput> midi_;

    // The note settling toward the main window: shown there once it has held kHoldMs.
    QTimer holdTimer_;
    // An input chosen while the audio server is not answering (it restarts) is tried again a few
    // times a second until kServerWaitMs have passed since the choice.
    QTimer serverRetry_;
    QElapsedTimer serverWait_;
    static constexpr int kServerWaitMs = 8000;
    bool retryingInput_ = false;
    int holdingNote_ = -1;
    int shownOnMain_ = -1;
    TuningNeedle needle_;
    OwnSoundGuard ownSound_;
    QElapsedTimer sinceNeedle_;

    bool restoring_ = false; // filling the chooser: choices are not acted on or remembered

    // Told when a scale run ends: a note held through its end reaches the main window then.
    std::unique_ptr<PlaybackPacer> runWatch_;
};

} // namespace korvalin
