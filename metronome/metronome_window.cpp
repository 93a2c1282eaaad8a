#include "metronome/metronome_window.h"

#include "app/korvalin1.h"
#include "app/note_table.h"
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
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace korvalin {
namespace {

QSettings RememberedSettings() { return QSettings("Korvalin", "Korvalin"); }

constexpr const char* kTempoKey = "metronome/tempo";
constexpr const char* kFollowKey = "metronome/scalesFollowTempo";
constexpr const char* kClickKey = "metronome/click";
constexpr const char* kBeatsKey = "metronome/beatsPerBar";
constexpr const char* kClickVolumeKey = "metronome/clickVolume";
constexpr const char* kDroneKey = "metronome/drone";
constexpr const char* kDroneVolumeKey = "metronome/droneVolume";
constexpr const char* kDroneNoteKey = "metronome/droneNote"; // 0: the tonic; 1 to 12: C to B

constexpr int kDefaultTempo = 90;
constexpr int kDefaultBeats = 4;
constexpr int kDefaultClickVolume = 100;
constexpr int kDefaultDroneVolume = 40; // soft, under the played note

constexpr std::array<const char*, 12> kPitchNames = {"C",       "C# / Db", "D",       "Eb / D#", "E",       "F",
                                                     "F# / Gb", "G",       "Ab / G#", "A",       "Bb / A#", "B"};

QString NoteName(int midi) {
    if (midi < 0) return QString();
    return QStringLiteral("%1%2").arg(QString::fromLatin1(kPitchNames[std::size_t(midi % 12)]).section(' ', 0, 0)).arg(midi / 12 - 1);
}

// The written tonic of the current scale, else the note shown in the main window; 0 for none.
int WrittenTonic() {
    const int first = FieldValue(CurrentScalePattern(), 1);
    if (IsPlayableNote(first)) return first;
    if (WindowLoaded<Form1>() && IsPlayableNote(Window<Form1>().CurrentNote)) return Window<Form1>().CurrentNote;
    return 0;
}

int InstrumentRows() { return WindowLoaded<Form1>() ? Window<Form1>().Transposition : 0; }

} // namespace

int DroneListNote(int index) { return LowDroneNote(60 + std::clamp(index, 0, 11)); }

MetronomeWindow::MetronomeWindow() {
    setObjectName("MetronomeWindow");
    setWindowTitle(kMetronomeWindowTitle);
    setWindowIcon(AppIcon());
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(WindowFont());
    tapClock = [] { return StepClockMs(); };

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
    Frame1 = new QGroupBox("Tempo");
    named(Frame1, "Frame1", "Tempo");
    Text1 = new QSpinBox;
    named(Text1, "Text1", "Beats per minute");
    Text1->setRange(kMinTempo, kMaxTempo);
    Text1->setSuffix(" bpm");
    Text1->setMinimumWidth(Text1->fontMetrics().horizontalAdvance(QStringLiteral("240 bpm")) + 40);
    HScroll1 = slider("HScroll1", "Tempo", kMinTempo, kMaxTempo);
    Command3 = new QPushButton("Tap");
    named(Command3, "Command3", "Tap");
    Command3->setToolTip("Tap a few beats to set the tempo");
    Check1 = new QCheckBox("Scales follow the tempo");
    named(Check1, "Check1", "Scales follow the tempo");
    auto* tempoGrid = new QGridLayout(Frame1);
    tempoGrid->addWidget(Text1, 0, 0);
    tempoGrid->addWidget(HScroll1, 0, 1);
    tempoGrid->addWidget(Command3, 0, 2);
    tempoGrid->addWidget(Check1, 1, 0, 1, 3);
    tempoGrid->setColumnStretch(1, 1);

    // Metronome.
    Frame2 = new QGroupBox("Metronome");
    named(Frame2, "Frame2", "Metronome");
    Check2 = new QCheckBox("Click");
    named(Check2, "Check2", "Click on");
    Text2 = new QSpinBox;
    named(Text2, "Text2", "Beats per bar");
    Text2->setRange(kMinBeatsPerBar, kMaxBeatsPerBar);
    auto* beatsLabel = new QLabel("Beats per bar");
    beatsLabel->setObjectName("Label2");
    beatsLabel->setBuddy(Text2);
    HScroll2 = slider("HScroll2", "Click volume", 1, 127);
    auto* clickVolumeLabel = new QLabel("Volume");
    clickVolumeLabel->setObjectName("Label3");
    clickVolumeLabel->setBuddy(HScroll2);
    auto* clickGrid = new QGridLayout(Frame2);
    clickGrid->addWidget(Check2, 0, 0, 1, 2);
    clickGrid->addWidget(beatsLabel, 1, 0);
    clickGrid->addWidget(Text2, 1, 1, Qt::AlignLeft);
    clickGrid->addWidget(clickVolumeLabel, 2, 0);
    clickGrid->addWidget(HScroll2, 2, 1);
    clickGrid->setColumnStretch(1, 1);

    // Drone.
    Frame3 = new QGroupBox("Drone");
    named(Frame3, "Frame3", "Drone");
    Check3 = new QCheckBox("Drone");
    named(Check3, "Check3", "Drone on");
    Combo1 = new QComboBox;
    named(Combo1, "Combo1", "Drone note");
    Combo1->addItem("tonic of the scale");
    for (const char* name : kPitchNames) Combo1->addItem(QString::fromLatin1(name));
    auto* noteLabel = new QLabel("Note");
    noteLabel->setObjectName("Label4");
    noteLabel->setBuddy(Combo1);
    Label1 = new QLabel;
    named(Label1, "Label1", "Drone sounds");
    HScroll3 = slider("HScroll3", "Drone volume", 1, 127);
    auto* droneVolumeLabel = new QLabel("Volume");
    droneVolumeLabel->setObjectName("Label5");
    droneVolumeLabel->setBuddy(HScroll3);
    auto* droneGrid = new QGridLayout(Frame3);
    droneGrid->addWidget(Check3, 0, 0, 1, 3);
    droneGrid->addWidget(noteLabel, 1, 0);
    droneGrid->addWidget(Combo1, 1, 1);
    droneGrid->addWidget(Label1, 1, 2);
    droneGrid->addWidget(droneVolumeLabel, 2, 0);
    droneGrid->addWidget(HScroll3, 2, 1, 1, 2);
    droneGrid->setColumnStretch(1, 1);

    Command1 = new QPushButton("Start");
    named(Command1, "Command1", "Start");
    Command2 = new QPushButton("Stop");
    named(Command2, "Command2", "Stop");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);

    auto* column = new QVBoxLayout(this);
    column->addWidget(Frame1);
    column->addWidget(Frame2);
    column->addWidget(Frame3);
    column->addLayout(buttons);

    Recall();

    connect(Text1, &QSpinBox::valueChanged, this, [this] { Text1_Change(); });
    connect(HScroll1, &QSlider::valueChanged, this, [this] { HScroll1_Change(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    for (QCheckBox* c : {Check1, Check2, Check3}) connect(c, &QCheckBox::toggled, this, [this] { SettingChanged(); });
    for (QSlider* s : {HScroll2, HScroll3}) connect(s, &QSlider::valueChanged, this, [this] { SettingChanged(); });
    connect(Text2, &QSpinBox::valueChanged, this, [this] { SettingChanged(); });
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { SettingChanged(); });

    // Whatever closes the output (sound off, another output, Exit) ends the clicks and the drone
    // on it first.
    BeforeMidiOutCloses() = [this] { StopAll(); };
}

MetronomeWindow::~MetronomeWindow() {
    RemovePlaybackPacer(this);
    BeforeMidiOutCloses() = nullptr;
    player_.Stop();
}

int MetronomeWindow::Tempo() const { return Text1->value(); }
bool MetronomeWindow::FollowTempo() const { return Check1->isChecked(); }

MetronomeSettings MetronomeWindow::Metronome() const {
    return {.tempo = Tempo(), .beatsPerBar = Text2->value(), .clickOn = Check2->isChecked(),
            .clickVolume = HScroll2->value(), .leadIn = false};
}

int MetronomeWindow::DroneNote() const {
    const int index = Combo1->currentIndex();
    if (index >= 1) return DroneListNote(index - 1);
    return DroneNoteForTonic(WrittenTonic(), InstrumentRows());
}

DroneSettings MetronomeWindow::Drone() const {
    return {.on = Check3->isChecked(), .note = DroneNote(), .volume = HScroll3->value(),
            .program = kReedOrganProgram, .channel = DroneChannelFor(KORVALIN1.MidiChannel)};
}

MetronomeSchedule MetronomeWindow::MakeSchedule() const {
    return MetronomeSchedule(Metronome(), Drone(), {.notes = {}, .channel = KORVALIN1.MidiChannel});
}

void MetronomeWindow::Text1_Change() {
    {
        const QSignalBlocker block(HScroll1);
        HScroll1->setValue(Text1->value());
    }
    SettingChanged();
}

void MetronomeWindow::HScroll1_Change() { Text1->setValue(HScroll1->value()); }

void MetronomeWindow::Command3_Click() {
    if (const std::optional<int> bpm = taps_.Tap(tapClock())) Text1->setValue(*bpm);
}

void MetronomeWindow::Command1_Click() {
    started_ = true;
    // Within a run the run's beats rule; the metronome then goes on after the run.
    if (runs_.empty()) Restart();
}

void MetronomeWindow::Command2_Click() { StopAll(); }

void MetronomeWindow::StopAll() {
    started_ = false;
    player_.Stop();
}

void MetronomeWindow::Restart() {
    const MetronomeSchedule schedule = MakeSchedule();
    if (!Check2->isChecked() && !(schedule.Drone().on && schedule.Drone().note >= 0)) {
        player_.Stop();
        return;
    }
    player_.Start(schedule, StepClockMs());
}

void MetronomeWindow::SettingChanged() {
    if (recalling_) return;
    ShowTonic();
    Remember();
    // A running metronome takes the change at once; a scale run's beats keep theirs until it ends.
    if (started_ && runs_.empty()) Restart();
}

void MetronomeWindow::ShowTonic() {
    const int note = DroneNote();
    Label1->setText(note >= 0 ? QStringLiteral("sounds %1").arg(NoteName(note)) : QStringLiteral("no note"));
}

void MetronomeWindow::Remember() const {
    QSettings s = RememberedSettings();
    s.setValue(kTempoKey, Tempo());
    s.setValue(kFollowKey, FollowTempo());
    s.setValue(kClickKey, Check2->isChecked());
    s.setValue(kBeatsKey, Text2->value());
    s.setValue(kClickVolumeKey, HScroll2->value());
    s.setValue(kDroneKey, Check3->isChecked());
    s.setValue(kDroneVolumeKey, HScroll3->value());
    s.setValue(kDroneNoteKey, Combo1->currentIndex());
}

void MetronomeWindow::Recall() {
    recalling_ = true;
    const QSettings s = RememberedSettings();
    // Whatever was stored, the controls' own ranges apply.
    auto number = [&s](const char* key, int fallback) {
        bool ok = false;
        const int v = s.value(key, fallback).toInt(&ok);
        return ok ? v : fallback;
    };
    Text1->setValue(number(kTempoKey, kDefaultTempo));
    HScroll1->setValue(Text1->value());
    Check1->setChecked(s.value(kFollowKey, false).toBool());
    Check2->setChecked(s.value(kClickKey, true).toBool());
    Text2->setValue(number(kBeatsKey, kDefaultBeats));
    HScroll2->setValue(number(kClickVolumeKey, kDefaultClickVolume));
    Check3->setChecked(s.value(kDroneKey, false).toBool());
    HScroll3->setValue(number(kDroneVolumeKey, kDefaultDroneVolume));
    const int index = number(kDroneNoteKey, 0);
    Combo1->setCurrentIndex(index >= 0 && index < Combo1->count() ? index : 0);
    recalling_ = false;
    ShowTonic();
}

void MetronomeWindow::ShowBeside() {
    if (WindowLoaded<Form1>() && !followingInstrument_) {
        // A drone on the tonic moves with the saxophone chosen in the main window.
        followingInstrument_ = true;
        for (const char* name : {"Option1", "Option2", "Option3", "Option4"})
            if (auto* option = Window<Form1>().findChild<QRadioButton*>(name))
                connect(option, &QRadioButton::toggled, this, [this](bool on) {
                    if (on) InstrumentChanged();
                });
    }
    if (!isVisible() && WindowLoaded<Form1>()) {
        // To the right of the main window, where it does not cover it.
        const QWidget& main = Window<Form1>();
        adjustSize();
        move(main.frameGeometry().right() + 8, main.frameGeometry().top());
    }
    show();
    raise();
    activateWindow();
}

void MetronomeWindow::InstrumentChanged() {
    ShowTonic();
    // A metronome running by itself takes the new tonic at once; a scale run's beats are left
    // alone, and the next run starts on the new one.
    if (started_ && runs_.empty() && Check3->isChecked() && Combo1->currentIndex() == 0 &&
        player_.Running() && player_.Schedule().Drone().note != DroneNote())
        Restart();
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

void MetronomeWindow::RunBegins(int& leadInSteps) {
    Run run;
    run.paced = FollowTempo();
    run.originMs = StepClockMs();
    run.tempo = Tempo();
    runs_.push_back(run);
    ShowTonic();
    if (!run.paced) return;
    // The lead-in counts in one bar, a step on each beat.
    if (leadInSteps > 0) leadInSteps = Text2->value();
    // The clicks start with the run, so its beats and the steps coincide.
    Restart();
}

void MetronomeWindow::StepBegins(std::int16_t, int index, bool, StepPace& pace) {
    if (runs_.empty() || !runs_.back().paced) return;
    // A step another pacer waits on has no deadline: the tempo then only drives the click.
    if (pace.untilReached) return;
    const Run& run = runs_.back();
    const MetronomeSchedule grid({.tempo = run.tempo});
    const std::int64_t now = StepClockMs();
    const std::int64_t halfBeat = grid.BeatTime(1).RoundedMs() / 2;
    // The step ends on its beat, counted from the run's start (never by adding beat lengths, so
    // nothing drifts). Behind the beats (a step was waited for, or a run inside this one took the
    // time), it ends on the first beat at least half a beat away: back in time with the clicks.
    std::int64_t beat = index + 1;
    while (run.originMs + grid.BeatTime(beat).RoundedMs() < now + halfBeat) ++beat;
    const std::int64_t end = run.originMs + grid.BeatTime(beat).RoundedMs();
    pace.untilMs = end;
}

void MetronomeWindow::RunEnds(RunEnd) {
    if (!runs_.empty()) runs_.pop_back();
    // The clicks a run started end with it; a metronome started here goes on.
    if (!runs_.empty()) return;
    if (started_)
        Restart();
    else
        player_.Stop();
}

void MetronomeWindow::StopPressed() { StopAll(); }

} // namespace korvalin
