#include "metronome/metronome_window.h"

#include "app/korvalin1.h"
#include "app/note_table.h"
#include "app/window_handover.h"
#include "app/window_registry.h"
#include "assets/main_art.h"
#include "main_window/form1.h"
#include "main_window/window_font.h"
#include "midi/midi_port.h"
#include "scales/scale_catalogue.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHideEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace korvalin {
namespace {

const QString kDroneSoundsName = QStringLiteral("Drone sounds");
const QString kStatusName = QStringLiteral("Metronome status");

constexpr int kDefaultTempo = 90;
constexpr int kDefaultBeats = 4;
constexpr int kDefaultClickVolume = 100;
constexpr int kDefaultDroneVolume = 40; // soft, under the played note

constexpr std::array<const char*, 12> kPitchNames = {"C",       "C# / Db", "D",       "Eb / D#", "E",       "F",
                                                     "F# / Gb", "G",       "Ab / G#", "A",       "Bb / A#", "B"};

// The main window's name of MIDI note `midi`, a black key spelled with `accidental` ('#' or 'b'),
// octaves numbered as there: "Eb-1" for 51.
QString NoteName(int midi, char accidental) {
    if (midi < 0) return QString();
    std::string name = RowNameOfPitch(midi, accidental);
    if (name.empty()) name = RowNameOfPitch(midi, ' ');
    if (name.empty()) name = RowNameOfPitch(midi, '#');
    return QString::fromStdString(name);
}

// A label showing a value is read by a screen reader as its name followed by the value; a new
// accessible name is announced as a change of name.
void ShowValue(QLabel* label, const QString& name, const QString& text, const QString& value) {
    label->setText(text);
    label->setAccessibleName(value.isEmpty() ? name : name + QStringLiteral(": ") + value);
}

// The written tonic of the current scale, else the note shown in the main window; 0 for none.
int WrittenTonic() {
    const int first = FieldValue(CurrentScalePattern(), 1);
    if (IsPlayableNote(first)) return first;
    if (WindowLoaded<Form1>() && IsPlayableNote(Window<Form1>().CurrentNote)) return Window<Form1>().CurrentNote;
    return 0;
}

int InstrumentRows() { return Form1::ChosenTransposition(); }

// How the list spells its black keys ("C# / Db" first as C#), or how the tonic's sounding note is
// spelled.
char ListAccidental(int index) {
    const int pitchClass = std::clamp(index, 0, 11);
    return pitchClass == 1 || pitchClass == 6 ? '#' : (pitchClass == 3 || pitchClass == 8 || pitchClass == 10) ? 'b' : ' ';
}
char TonicAccidental() {
    const std::string& name = NoteCell(SoundingNoteFor(WrittenTonic(), InstrumentRows()), Name);
    return name.size() > 1 && (name[1] == '#' || name[1] == 'b') ? name[1] : ' ';
}

QString FailureText(MetronomePlayer::Failure why) {
    switch (why) {
    case MetronomePlayer::Failure::None: return {};
    case MetronomePlayer::Failure::SoundOff: return QStringLiteral("The metronome cannot start: sound is off (Sounds > Midi Control).");
    case MetronomePlayer::Failure::NoOutput: return QStringLiteral("The metronome cannot start: no sound output is ready.");
    case MetronomePlayer::Failure::Synthesizer:
        return QStringLiteral("The metronome cannot start: the built-in synthesizer cannot play now.");
    }
    return {};
}

} // namespace

int DroneListNote(int index) { return LowDroneNote(60 + std::clamp(index, 0, 11)); }

MetronomeWindow::MetronomeWindow() {
    setObjectName("MetronomeWindow");
    setWindowTitle(kMetronomeWindowTitle);
    setWindowIcon(AppIcon());
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(WindowFont());

    auto named = [](QWidget* w, const char* name, const QString& accessible) {
        w->setObjectName(name);
        w->setAccessibleName(accessible);
    };
    auto slider = [&](const char* name, const QString& accessible, int low, int high) {
        auto* s = new QSlider(Qt::Horizontal);
        named(s, name, accessible);
        s->setRange(low, high);
        s->setPageStep(10);
        return s;
    };

    // Tempo.
    tempoGroup = new QGroupBox("Tempo");
    named(tempoGroup, "tempoGroup", "Tempo");
    tempoBox = new QSpinBox;
    named(tempoBox, "tempoBox", "Beats per minute");
    tempoBox->setRange(kMinTempo, kMaxTempo);
    tempoBox->setSuffix(" bpm");
    tempoBox->setMinimumWidth(tempoBox->fontMetrics().horizontalAdvance(QStringLiteral("240 bpm")) + 40);
    tempoSlider = slider("tempoSlider", "Tempo", kMinTempo, kMaxTempo);
    tapButton = new QPushButton("Tap");
    named(tapButton, "tapButton", "Tap");
    tapButton->setToolTip("Tap a few beats to set the tempo");
    followTempoBox = new QCheckBox("Scales follow the tempo");
    named(followTempoBox, "followTempoBox", "Scales follow the tempo");
    auto* tempoGrid = new QGridLayout(tempoGroup);
    tempoGrid->addWidget(tempoBox, 0, 0);
    tempoGrid->addWidget(tempoSlider, 0, 1);
    tempoGrid->addWidget(tapButton, 0, 2);
    tempoGrid->addWidget(followTempoBox, 1, 0, 1, 3);
    tempoGrid->setColumnStretch(1, 1);

    // Metronome.
    clickGroup = new QGroupBox("Metronome");
    named(clickGroup, "clickGroup", "Metronome");
    clickOnBox = new QCheckBox("Click");
    named(clickOnBox, "clickOnBox", "Click on");
    beatsBox = new QSpinBox;
    named(beatsBox, "beatsBox", "Beats per bar");
    beatsBox->setRange(kMinBeatsPerBar, kMaxBeatsPerBar);
    auto* beatsLabel = new QLabel("Beats per bar");
    beatsLabel->setObjectName("beatsLabel");
    beatsLabel->setBuddy(beatsBox);
    clickVolumeSlider = slider("clickVolumeSlider", "Click volume", 1, 127);
    auto* clickVolumeLabel = new QLabel("Volume");
    clickVolumeLabel->setObjectName("clickVolumeLabel");
    clickVolumeLabel->setBuddy(clickVolumeSlider);
    auto* clickGrid = new QGridLayout(clickGroup);
    clickGrid->addWidget(clickOnBox, 0, 0, 1, 2);
    clickGrid->addWidget(beatsLabel, 1, 0);
    clickGrid->addWidget(beatsBox, 1, 1, Qt::AlignLeft);
    clickGrid->addWidget(clickVolumeLabel, 2, 0);
    clickGrid->addWidget(clickVolumeSlider, 2, 1);
    clickGrid->setColumnStretch(1, 1);

    // Drone.
    droneGroup = new QGroupBox("Drone");
    named(droneGroup, "droneGroup", "Drone");
    droneOnBox = new QCheckBox("Drone");
    named(droneOnBox, "droneOnBox", "Drone on");
    droneNoteList = new QComboBox;
    named(droneNoteList, "droneNoteList", "Drone note");
    droneNoteList->addItem("tonic of the scale");
    for (const char* name : kPitchNames) droneNoteList->addItem(QString::fromLatin1(name));
    auto* noteLabel = new QLabel("Note");
    noteLabel->setObjectName("droneNoteLabel");
    noteLabel->setBuddy(droneNoteList);
    droneSoundsLabel = new QLabel;
    named(droneSoundsLabel, "droneSoundsLabel", kDroneSoundsName);
    droneVolumeSlider = slider("droneVolumeSlider", "Drone volume", 1, 127);
    auto* droneVolumeLabel = new QLabel("Volume");
    droneVolumeLabel->setObjectName("droneVolumeLabel");
    droneVolumeLabel->setBuddy(droneVolumeSlider);
    auto* droneGrid = new QGridLayout(droneGroup);
    droneGrid->addWidget(droneOnBox, 0, 0, 1, 3);
    droneGrid->addWidget(noteLabel, 1, 0);
    droneGrid->addWidget(droneNoteList, 1, 1);
    droneGrid->addWidget(droneSoundsLabel, 1, 2);
    droneGrid->addWidget(droneVolumeLabel, 2, 0);
    droneGrid->addWidget(droneVolumeSlider, 2, 1, 1, 2);
    droneGrid->setColumnStretch(1, 1);

    startButton = new QPushButton("Start");
    named(startButton, "startButton", "Start");
    stopButton = new QPushButton("Stop");
    named(stopButton, "stopButton", "Stop");
    statusLine = new QLabel;
    named(statusLine, "statusLine", kStatusName);
    statusLine->setWordWrap(true);
    statusLine->hide();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(startButton);
    buttons->addWidget(stopButton);

    auto* column = new QVBoxLayout(this);
    column->addWidget(tempoGroup);
    column->addWidget(clickGroup);
    column->addWidget(droneGroup);
    column->addWidget(statusLine);
    column->addLayout(buttons);

    Recall();

    // Settings are written once a change is finished: a slider when it is let go, anything else
    // when nothing has changed for a moment, and whatever is left when the window closes.
    rememberTimer_.setSingleShot(true);
    rememberTimer_.setInterval(1000);
    connect(&rememberTimer_, &QTimer::timeout, this, [this] { Remember(); });
    for (QSlider* s : {tempoSlider, clickVolumeSlider, droneVolumeSlider})
        connect(s, &QSlider::sliderReleased, this, [this] {
            if (rememberTimer_.isActive()) Remember();
        });

    connect(tempoBox, &QSpinBox::valueChanged, this, [this] { TempoTyped(); });
    connect(tempoSlider, &QSlider::valueChanged, this, [this] { TempoSlid(); });
    connect(tapButton, &QPushButton::clicked, this, [this] { Tap(); });
    connect(startButton, &QPushButton::clicked, this, [this] { Start(); });
    connect(stopButton, &QPushButton::clicked, this, [this] { Stop(); });
    for (QCheckBox* c : {followTempoBox, clickOnBox, droneOnBox}) connect(c, &QCheckBox::toggled, this, [this] { SettingChanged(); });
    for (QSlider* s : {clickVolumeSlider, droneVolumeSlider}) connect(s, &QSlider::valueChanged, this, [this] { SettingChanged(); });
    connect(beatsBox, &QSpinBox::valueChanged, this, [this] { SettingChanged(); });
    connect(droneNoteList, &QComboBox::currentIndexChanged, this, [this] { SettingChanged(); });

    // Whatever closes the output (sound off, another output, Exit) ends the clicks and the drone
    // on it first.
    BeforeMidiOutCloses() = [this] { StopAll(); };
}

MetronomeWindow::~MetronomeWindow() {
    if (rememberTimer_.isActive()) Remember();
    RemovePlaybackPacer(this);
    BeforeMidiOutCloses() = nullptr;
    player_.Stop();
}

int MetronomeWindow::Tempo() const { return tempoBox->value(); }
bool MetronomeWindow::FollowTempo() const { return followTempoBox->isChecked(); }

MetronomeSettings MetronomeWindow::Metronome() const {
    return {.tempo = Tempo(), .beatsPerBar = beatsBox->value(), .clickOn = clickOnBox->isChecked(),
            .clickVolume = clickVolumeSlider->value(), .leadIn = false};
}

int MetronomeWindow::DroneNote() const {
    const int index = droneNoteList->currentIndex();
    if (index >= 1) return DroneListNote(index - 1);
    return DroneNoteForTonic(WrittenTonic(), InstrumentRows());
}

DroneSettings MetronomeWindow::Drone() const {
    return {.on = droneOnBox->isChecked(), .note = DroneNote(), .volume = droneVolumeSlider->value(),
            .program = kReedOrganProgram, .channel = DroneChannelFor(KORVALIN1.MidiChannel)};
}

MetronomeSchedule MetronomeWindow::MakeSchedule() const {
    return MetronomeSchedule(Metronome(), Drone(),
                             {.notes = {}, .channel = KORVALIN1.MidiChannel, .velocity = KORVALIN1.NoteVelocity});
}

void MetronomeWindow::TempoTyped() {
    {
        const QSignalBlocker block(tempoSlider);
        tempoSlider->setValue(tempoBox->value());
    }
    SettingChanged();
}

void MetronomeWindow::TempoSlid() { tempoBox->setValue(tempoSlider->value()); }

void MetronomeWindow::Tap() {
    if (const std::optional<int> bpm = taps_.Tap(StepClockMs())) tempoBox->setValue(*bpm);
}

void MetronomeWindow::Start() {
    started_ = true;
    // Within a run the run's beats rule; the metronome then goes on after the run.
    if (runs_.empty()) Restart(false);
}

void MetronomeWindow::Stop() { StopAll(); }

void MetronomeWindow::StopAll() {
    started_ = false;
    player_.Stop();
    ShowStatus({});
}

void MetronomeWindow::Restart(bool takeOver) {
    const MetronomeSchedule schedule = MakeSchedule();
    if (!clickOnBox->isChecked() && !(schedule.Drone().on && schedule.Drone().note >= 0)) {
        player_.Stop();
        ShowStatus({});
        return;
    }
    const bool started = takeOver && player_.Running() ? player_.Change(schedule) : player_.Start(schedule, StepClockMs());
    ShowStatus(started ? QString() : FailureText(player_.LastFailure()));
}

void MetronomeWindow::ShowStatus(const QString& line) {
    ShowValue(statusLine, kStatusName, line, line);
    statusLine->setVisible(!line.isEmpty());
}

void MetronomeWindow::SettingChanged() {
    if (recalling_) return;
    ShowTonic();
    rememberTimer_.start();
    // A running metronome takes the change at its next beat; a scale run's beats keep theirs
    // until it ends.
    if (started_ && runs_.empty()) Restart(true);
}

void MetronomeWindow::ShowTonic() {
    const int note = DroneNote();
    const int index = droneNoteList->currentIndex();
    const QString name = NoteName(note, index >= 1 ? ListAccidental(index - 1) : TonicAccidental());
    ShowValue(droneSoundsLabel, kDroneSoundsName, note >= 0 ? QStringLiteral("sounds %1").arg(name) : QStringLiteral("no note"),
              note >= 0 ? name : QStringLiteral("no note"));
}

void MetronomeWindow::Remember() {
    rememberTimer_.stop();
    Options::Set(Option::MetronomeTempo, Tempo());
    Options::Set(Option::MetronomeScalesFollowTempo, FollowTempo());
    Options::Set(Option::MetronomeClick, clickOnBox->isChecked());
    Options::Set(Option::MetronomeBeatsPerBar, beatsBox->value());
    Options::Set(Option::MetronomeClickVolume, clickVolumeSlider->value());
    Options::Set(Option::MetronomeDrone, droneOnBox->isChecked());
    Options::Set(Option::MetronomeDroneVolume, droneVolumeSlider->value());
    Options::Set(Option::MetronomeDroneNote, droneNoteList->currentIndex());
}

void MetronomeWindow::Recall() {
    recalling_ = true;
    // Whatever was stored, the controls' own ranges apply.
    tempoBox->setValue(Options::Int(Option::MetronomeTempo, kDefaultTempo));
    tempoSlider->setValue(tempoBox->value());
    followTempoBox->setChecked(Options::Bool(Option::MetronomeScalesFollowTempo, false));
    clickOnBox->setChecked(Options::Bool(Option::MetronomeClick, true));
    beatsBox->setValue(Options::Int(Option::MetronomeBeatsPerBar, kDefaultBeats));
    clickVolumeSlider->setValue(Options::Int(Option::MetronomeClickVolume, kDefaultClickVolume));
    droneOnBox->setChecked(Options::Bool(Option::MetronomeDrone, false));
    droneVolumeSlider->setValue(Options::Int(Option::MetronomeDroneVolume, kDefaultDroneVolume));
    const int index = Options::Int(Option::MetronomeDroneNote, 0);
    droneNoteList->setCurrentIndex(index >= 0 && index < droneNoteList->count() ? index : 0);
    recalling_ = false;
    ShowTonic();
}

void MetronomeWindow::ShowBeside() {
    if (WindowLoaded<Form1>() && !followingInstrument_) {
        // A drone on the tonic moves with the saxophone chosen in the main window.
        followingInstrument_ = true;
        connect(&Window<Form1>(), &Form1::instrumentChanged, this, &MetronomeWindow::InstrumentChanged);
    }
    ShowBesideMain(*this, Option::MetronomeGeometry);
}

void MetronomeWindow::InstrumentChanged() {
    ShowTonic();
    // A metronome running by itself takes the new tonic at once; a scale run's beats are left
    // alone, and the next run starts on the new one.
    if (started_ && runs_.empty() && droneOnBox->isChecked() && droneNoteList->currentIndex() == 0 &&
        player_.Running() && player_.Schedule().Drone().note != DroneNote())
        Restart(true);
}

void MetronomeWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    ShowTonic();
    AddPlaybackPacer(this);
}

void MetronomeWindow::closeEvent(QCloseEvent* e) {
    // Closing ends every click and the drone; with the window closed scale runs keep NoteDelay.
    e->accept();
    StopAll();
    RemovePlaybackPacer(this);
}

void MetronomeWindow::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    // Where it stood is kept for the next run, with whatever change was not yet written.
    if (e->spontaneous()) return;
    RememberPlace(*this, Option::MetronomeGeometry);
    if (rememberTimer_.isActive()) Remember();
}

void MetronomeWindow::RunBegins(int& leadInSteps) {
    Run run;
    run.paced = FollowTempo();
    run.originMs = StepClockMs();
    run.tempo = Tempo();
    runs_.push_back(run);
    ShowTonic();
    if (!run.paced) return;
    // The lead-in counts in one bar, a step on each beat.
    if (leadInSteps > 0) leadInSteps = beatsBox->value();
    // The clicks start with the run, so its beats and the steps coincide.
    Restart(false);
}

void MetronomeWindow::StepBegins(std::int16_t note, int index, bool, StepPace& pace) {
    if (runs_.empty() || !runs_.back().paced) return;
    // A step another pacer waits on has no deadline: the tempo then only drives the click.
    if (pace.untilReached) return;
    const Run& run = runs_.back();
    const MetronomeSchedule grid({.tempo = run.tempo});
    const std::int64_t now = StepClockMs();
    const std::int64_t beatMs = grid.BeatTime(1).RoundedMs();
    // How far ahead beat k lies. On the built-in synthesizer the clicks sound by its sample clock,
    // and the steps go by that clock too: a gap in the audio stream delays both together.
    // Elsewhere the step clock counts the beats from the run's start.
    const bool sampleClock = player_.MsUntilBeat(0).has_value();
    auto until = [&](std::int64_t k) {
        return sampleClock ? *player_.MsUntilBeat(k) : run.originMs + grid.BeatTime(k).RoundedMs() - now;
    };
    // The step ends on its beat, counted from the run's start (never by adding beat lengths, so
    // nothing drifts). Behind the beats (a step was waited for, or a run inside this one took the
    // time), it ends on the first beat at least half a beat away: back in time with the clicks.
    std::int64_t beat = index + 1;
    while (until(beat) < beatMs / 2) ++beat;
    // A sample clock that stands still (a stream that has not started or has stopped) holds a
    // step back by at most one beat more than its length.
    pace.untilMs = now + std::min(until(beat), (beat - index + 1) * beatMs);
    if (!sampleClock) return;
    // The step sounds there from its beat (at once when that is past) until the beat it ends on.
    const int midi = IsPlayableNote(note) ? NoteValue(SoundingNoteFor(note, InstrumentRows()), Pitch) : -1;
    if (midi <= 0) return;
    player_.PlayStep(midi, index, beat);
    pace.sound = false;
}

void MetronomeWindow::RunEnds(RunEnd) {
    if (!runs_.empty()) runs_.pop_back();
    // The clicks a run started end with it; a metronome started here goes on.
    if (!runs_.empty()) return;
    if (started_)
        Restart(true);
    else
        player_.Stop();
}

void MetronomeWindow::StopPressed() { StopAll(); }

} // namespace korvalin
