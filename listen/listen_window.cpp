#include "listen/listen_window.h"

#include "app/note_table.h"
#include "app/window_handover.h"
#include "app/window_registry.h"
#include "listen/audio_pitch_input.h"
#include "listen/listen_meters.h"
#include "listen/midi_input.h"
#include "listen/pitch_tracker.h"
#include "listen/tuning_colours.h"
#include "listen/value_label.h"
#include "listen/wait_for_me_panel.h"
#include "listen/written_note.h"
#include "main_window/form1.h"
#include "midi/midi_port.h"
#include "scales/playback.h"
#include "scales/scale_catalogue.h"

#include <QCheckBox>
#include <QHideEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

namespace korvalin {
namespace {

const QString kNotListening = QStringLiteral("Not listening");

// What a screen reader calls the labels that show what is heard, before their values.
const QString kNoteHeardName = QStringLiteral("Note heard");
const QString kSoundingName = QStringLiteral("Sounding note");
const QString kCentsName = QStringLiteral("Cents off");
const QString kStatusName = QStringLiteral("Listening status");

// What the chooser keeps for each input: its kind and what finds it again in a later list.
QString AudioKey(const QAudioDevice& d) { return QStringLiteral("audio:") + QString::fromUtf8(d.id()); }
QString MidiKey(const MidiInputPort& p) {
    return QStringLiteral("midi:%1:%2").arg(QString::fromStdString(p.api), QString::fromStdString(p.name));
}
QString MidiCaption(const MidiInputPort& p) {
    return QStringLiteral("MIDI (%1): %2").arg(QString::fromStdString(p.api), QString::fromStdString(p.name));
}

// The main window's name of a row (four characters of note, then its enharmonic partner in
// brackets), without its padding: "C#0 (Db)", "Eb-1 (D#)", "C0".
QString RowNoteOnly(int n) { return QString::fromStdString(NoteCell(n, Name)).left(4).trimmed(); }
QString RowName(int n) {
    const QString partner = QString::fromStdString(NoteCell(n, Name)).mid(4).trimmed();
    return partner.isEmpty() ? RowNoteOnly(n) : RowNoteOnly(n) + QLatin1Char(' ') + partner;
}

// How black keys are spelled now: as the current scale spells them in scale mode, else the
// default spelling.
BlackKeySpelling CurrentSpelling() {
    if (!WindowLoaded<Form1>() || !Window<Form1>().InScaleMode()) return BlackKeySpelling::Default();
    const std::string_view pattern = CurrentScalePattern();
    std::vector<int> notes;
    for (int p = 1; p <= int(pattern.size()); p += 3) notes.push_back(FieldValue(pattern, p));
    return BlackKeySpelling::FromScaleNotes(notes);
}

// Tells the window when a scale run has ended. It is told while the run is still counted, so the
// window looks once the run is over (and any run around it too).
class RunWatch : public PlaybackPacer {
public:
    explicit RunWatch(std::function<void()> ended) : ended_(std::move(ended)) {}
    void RunEnds(RunEnd) override { QTimer::singleShot(0, &context_, ended_); }

private:
    std::function<void()> ended_;
    QObject context_; // what is still due goes with the window
};

} // namespace

// The chooser lists the inputs afresh each time it drops down.
class InputChooser : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> beforePopup;
    void showPopup() override {
        if (beforePopup) beforePopup();
        QComboBox::showPopup();
    }
};

ListenWindow::ListenWindow() {
    BuildNoteTable();
    setObjectName("ListenWindow");
    setWindowTitle("Listen");
    setAccessibleName("Listen");
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowFlag(Qt::Window);

    // The meters' readings for screen readers.
    static const bool metersReadable = (QAccessible::installFactory(&MeterAccessibleFactory), true);
    (void)metersReadable;

    auto* layout = new QVBoxLayout(this);

    auto* form = new QFormLayout();
    auto* chooser = new InputChooser(this);
    chooser->beforePopup = [this] { ListInputs(); };
    inputChooser_ = chooser;
    inputChooser_->setObjectName("inputChooser");
    inputChooser_->setAccessibleName("Input");
    inputChooser_->setToolTip("The microphone, line input or MIDI input to listen to");
    inputChooser_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    inputChooser_->setMinimumContentsLength(28);
    form->addRow("Input", inputChooser_);
    levelMeter_ = new LevelMeter(this);
    levelMeter_->setObjectName("levelMeter");
    levelMeter_->setAccessibleName("Input level");
    levelMeter_->setEnabled(false);
    form->addRow("Level", levelMeter_);
    layout->addLayout(form);

    writtenNote_ = new QLabel(this);
    writtenNote_->setObjectName("writtenNote");
    writtenNote_->setAlignment(Qt::AlignCenter);
    QFont big = writtenNote_->font();
    big.setPointSizeF(big.pointSizeF() * 3.0);
    big.setBold(true);
    writtenNote_->setFont(big);
    layout->addWidget(writtenNote_);
    concertNote_ = new QLabel(this);
    concertNote_->setObjectName("concertNote");
    concertNote_->setAlignment(Qt::AlignCenter);
    QFont medium = concertNote_->font();
    medium.setPointSizeF(medium.pointSizeF() * 1.3);
    concertNote_->setFont(medium);
    layout->addWidget(concertNote_);

    tuningMeter_ = new TuningMeter(this);
    tuningMeter_->setObjectName("tuningMeter");
    tuningMeter_->setAccessibleName("Tuning");
    tuningMeter_->setAccessibleDescription("-50 to +50 cents; in tune within 10 cents");
    layout->addWidget(tuningMeter_);
    centsLabel_ = new QLabel(this);
    centsLabel_->setObjectName("centsLabel");
    centsLabel_->setAlignment(Qt::AlignCenter);
    centsLabel_->setFont(medium);
    layout->addWidget(centsLabel_);

    auto* options = new QHBoxLayout();
    auto* referenceCaption = new QLabel("Reference A", this);
    referenceBox_ = new QSpinBox(this);
    referenceBox_->setObjectName("referenceBox");
    referenceBox_->setAccessibleName("Reference A");
    referenceBox_->setRange(int(kLowestReferenceA), int(kHighestReferenceA));
    referenceBox_->setSuffix(" Hz");
    referenceCaption->setBuddy(referenceBox_);
    showOnMainBox_ = new QCheckBox("Show on main window", this);
    showOnMainBox_->setObjectName("showOnMainBox");
    showOnMainBox_->setAccessibleName("Show on main window");
    showOnMainBox_->setToolTip("A note held steady becomes the main window's note, without sounding it");
    options->addWidget(referenceCaption);
    options->addWidget(referenceBox_);
    options->addStretch(1);
    options->addWidget(showOnMainBox_);
    layout->addLayout(options);

    statusLine_ = new QLabel(this);
    statusLine_->setObjectName("statusLine");
    ShowLabelValue(*statusLine_, kStatusName, {});
    statusLine_->setWordWrap(false);
    statusLine_->hide();
    layout->addWidget(statusLine_);

    practiceArea_ = new QWidget(this);
    practiceArea_->setObjectName("practiceArea");
    practiceLayout_ = new QVBoxLayout(practiceArea_);
    practiceLayout_->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(practiceArea_, 1);
    ShowHeard(HeardNote{});
    // "Wait for me": scale runs that wait until each note is heard, and what was played.
    practicePanel_ = new WaitForMePanel(practiceArea_);
    practiceLayout_->addWidget(practicePanel_);
    connect(this, &ListenWindow::heard, practicePanel_, &WaitForMePanel::OnHeard);

    // What was chosen in an earlier run.
    referenceBox_->setValue(int(std::lround(ClampReferenceA(Options::Double(Option::ListenReferenceA, kDefaultReferenceA)))));
    showOnMainBox_->setChecked(Options::Bool(Option::ListenShowOnMain, true));

    audio_ = std::make_unique<AudioPitchInput>();
    audio_->SetReferenceA(referenceBox_->value());
    connect(audio_.get(), &AudioPitchInput::heard, this, &ListenWindow::Heard);
    connect(audio_.get(), &AudioPitchInput::level, this, [this](double dbfs) { levelMeter_->SetLevel(dbfs); });
    connect(audio_.get(), &AudioPitchInput::failed, this, &ListenWindow::InputFailed);
    midi_ = std::make_unique<MidiNoteInput>();
    connect(midi_.get(), &MidiNoteInput::heard, this, &ListenWindow::Heard);
    connect(midi_.get(), &MidiNoteInput::failed, this, &ListenWindow::InputFailed);

    holdTimer_.setSingleShot(true);
    holdTimer_.setInterval(kHoldMs);
    connect(&holdTimer_, &QTimer::timeout, this, &ListenWindow::HoldElapsed);
    runWatch_ = std::make_unique<RunWatch>([this] { RunEnded(); });
    AddPlaybackPacer(runWatch_.get());

    // The inputs are listed when the window opens: until then nothing asks the audio server.
    inputChooser_->addItem(kNotListening, QString());
    connect(inputChooser_, &QComboBox::currentIndexChanged, this, &ListenWindow::InputChosen);
    serverRetry_.setSingleShot(true);
    serverRetry_.setInterval(300);
    connect(&serverRetry_, &QTimer::timeout, this, [this] {
        retryingInput_ = true;
        InputChosen(inputChooser_->currentIndex());
    });
    connect(referenceBox_, &QSpinBox::valueChanged, this, &ListenWindow::ReferenceChanged);
    connect(showOnMainBox_, &QCheckBox::toggled, this, &ListenWindow::ShowOnMainToggled);
}

ListenWindow::~ListenWindow() {
    RemovePlaybackPacer(runWatch_.get());
    // The capture thread ends before any of the controls it reports to go.
    audio_.reset();
    midi_.reset();
}

void ListenWindow::OpenBeside() {
    ShowBesideMain(*this, Option::ListenGeometry);
    if (Listening()) return;

    // Listens again on the input chosen before, when it is there now.
    const QString remembered = Options::String(Option::ListenInput);
    ListInputs();
    if (remembered.isEmpty()) {
        if (inputChooser_->count() == 1)
            ShowStatus(QStringLiteral("No audio or MIDI input was found; connect one, then open the list again."));
        return;
    }
    const int index = inputChooser_->findData(remembered);
    if (index < 0) {
        ShowStatus(QStringLiteral("The input \"%1\" is not there now; choose another.")
                       .arg(Options::String(Option::ListenInputCaption)));
        return;
    }
    restoring_ = true;
    inputChooser_->setCurrentIndex(index);
    restoring_ = false;
    InputChosen(index);
}

bool ListenWindow::Listening() const { return audio_->IsOpen() || midi_->IsOpen(); }

void ListenWindow::ListInputs() {
    const QString current = inputChooser_->currentData().toString();
    const QSignalBlocker block(inputChooser_);
    inputChooser_->clear();
    inputChooser_->addItem(kNotListening, QString());
    for (const QAudioDevice& d : AudioPitchInput::Inputs()) inputChooser_->addItem(d.description(), AudioKey(d));
    for (const MidiInputPort& p : MidiInputPorts()) inputChooser_->addItem(MidiCaption(p), MidiKey(p));
    // The input in use stays chosen even when the list no longer holds it: its failure says so.
    int index = inputChooser_->findData(current);
    if (index < 0 && !current.isEmpty() && Listening()) {
        inputChooser_->addItem(current.startsWith("audio:") ? audio_->Device().description() : current, current);
        index = inputChooser_->count() - 1;
    }
    inputChooser_->setCurrentIndex(std::max(0, index));
}

bool ListenWindow::ChooseInput(const QString& caption) {
    const int index = inputChooser_->findText(caption);
    if (index < 0) return false;
    if (index == inputChooser_->currentIndex())
        InputChosen(index);
    else
        inputChooser_->setCurrentIndex(index);
    return true;
}

void ListenWindow::InputChosen(int index) {
    if (restoring_) return;
    const bool retrying = std::exchange(retryingInput_, false);
    StopListening();
    if (!retrying) {
        serverWait_.invalidate();
        ShowStatus({});
    }
    const QString key = inputChooser_->itemData(index).toString();
    Options::Set(Option::ListenInput, key);
    Options::Set(Option::ListenInputCaption, key.isEmpty() ? QString() : inputChooser_->itemText(index));
    if (key.isEmpty()) return;

    QString why;
    bool opened = false;
    if (key.startsWith("audio:")) {
        const QByteArray id = key.mid(6).toUtf8();
        const QList<QAudioDevice> inputs = AudioPitchInput::Inputs();
        const auto found = std::find_if(inputs.begin(), inputs.end(), [&id](const QAudioDevice& d) { return d.id() == id; });
        if (found == inputs.end())
            why = QStringLiteral("The input \"%1\" is not there now.").arg(inputChooser_->itemText(index));
        else
            opened = audio_->Open(*found, &why);
        levelMeter_->setEnabled(opened);
    } else {
        for (const MidiInputPort& p : MidiInputPorts())
            if (MidiKey(p) == key) opened = midi_->Open(p, &why);
        if (!opened && why.isEmpty())
            why = QStringLiteral("The MIDI input \"%1\" is not there now.").arg(inputChooser_->itemText(index));
    }
    if (!opened && audio_->ServerNotReady() && (!serverWait_.isValid() || serverWait_.elapsed() < kServerWaitMs)) {
        if (!serverWait_.isValid()) serverWait_.start();
        ShowStatus(QStringLiteral("Waiting for the audio server to answer…"));
        serverRetry_.start();
        return;
    }
    if (!opened) {
        InputFailed(why);
        return;
    }
    ShowStatus({});
    practicePanel_->SetInputRunning(true);
}

void ListenWindow::StopListening() {
    serverRetry_.stop();
    audio_->Close();
    midi_->Close();
    practicePanel_->SetInputRunning(false);
    levelMeter_->SetLevel(-60);
    levelMeter_->setEnabled(false);
    ShowHeard(HeardNote{});
    holdTimer_.stop();
    holdingNote_ = -1;
    shownOnMain_ = -1;
}

void ListenWindow::InputFailed(const QString& line) {
    StopListening();
    // The chooser is offered again, listed afresh, on "Not listening"; the choice remembered for
    // the next run stays, so the input is tried again when it is back.
    {
        const QSignalBlocker block(inputChooser_);
        inputChooser_->setCurrentIndex(0);
    }
    ListInputs();
    ShowStatus(line.isEmpty() ? QStringLiteral("Listening stopped.") : line.section(QLatin1Char('\n'), 0, 0));
    if (isVisible()) inputChooser_->setFocus();
}

void ListenWindow::Heard(const HeardNote& incoming) {
    HeardNote note = incoming;
    // The microphone also hears the application's own notes. The echo canceller takes out most of
    // the built-in synthesizer's; what is left of them, and whatever an external output plays,
    // is told apart by pitch and level.
    // A note the chosen saxophone cannot play (a hum, a whistle, a voice far above) is not the
    // player either. A MIDI keyboard plays what it likes: its notes are named as they come.
    if (!note.fromMidi && note.hasNote &&
        (!PlayableOn(note.concertMidi, Form1::ChosenTransposition()) ||
         !ownSound_.IsPlayer(OwnSounding(), note.concertMidi, note.levelDb, SteadyMilliseconds())))
        note = HeardNote{false, -1, 0, false, note.ms};
    ShowHeard(note);
    emit heard(note);

    if (!note.hasNote) {
        holdTimer_.stop();
        holdingNote_ = -1;
        shownOnMain_ = -1;
    } else if (note.concertMidi != holdingNote_) {
        holdingNote_ = note.concertMidi;
        holdTimer_.start();
    }
}

void ListenWindow::HoldElapsed() {
    if (holdingNote_ < 0 || holdingNote_ == shownOnMain_) return;
    // A scale run shows its own notes: what is heard then stays in this window until the run ends.
    if (PlaybackRunDepth() > 0) return;
    shownOnMain_ = holdingNote_;
    if (!showOnMainBox_->isChecked() || !WindowLoaded<Form1>()) return;
    Form1& main = Window<Form1>();
    const int written = WrittenNoteFor(holdingNote_, main.Transposition, CurrentSpelling());
    // Only notes on the keyboard picture reach the main window; the others show here alone.
    if (written == 0 || NoteValue(written, KeyboardX) == 0) return;
    if (written != main.CurrentNote) main.DisplayNote(int16_t(written));
}

void ListenWindow::RunEnded() {
    // A note held long enough during the run, and held still, goes to the main window now.
    if (!holdTimer_.isActive()) HoldElapsed();
}

void ListenWindow::ShowHeard(const HeardNote& note) {
    if (!note.hasNote) {
        // Nothing heard: the dash is not read out, the names stand alone.
        ShowLabelValue(*writtenNote_, kNoteHeardName, QStringLiteral("-"), QStringLiteral(""));
        ShowLabelValue(*concertNote_, kSoundingName, {});
        ShowLabelValue(*centsLabel_, kCentsName, {});
        needle_.Reset();
        tuningMeter_->SetNeedle(false, 0);
        return;
    }
    const int transposition = Form1::ChosenTransposition();
    const BlackKeySpelling spelling = CurrentSpelling();
    const int written = WrittenNoteFor(note.concertMidi, transposition, spelling);
    const int sounding = written ? SoundingNoteFor(written, transposition) : NoteNumberForPitch(note.concertMidi, spelling);
    ShowLabelValue(*writtenNote_, kNoteHeardName, written ? RowName(written) : QStringLiteral("-"),
                   written ? RowName(written) : QStringLiteral(""));
    ShowLabelValue(*concertNote_, kSoundingName, sounding ? QStringLiteral("sounds %1").arg(RowNoteOnly(sounding)) : QString(),
                   sounding ? RowNoteOnly(sounding) : QString());

    const double elapsed = needle_.HasPosition() ? double(sinceNeedle_.restart()) : 0.0;
    if (!needle_.HasPosition()) sinceNeedle_.start();
    const double shown = needle_.Update(note.cents, elapsed);
    tuningMeter_->SetNeedle(true, shown);
    // The number is the needle's: it stands still while the note does, where the hop-to-hop
    // reading would flicker by a cent or two.
    const long cents = std::lround(shown);
    const bool inTune = std::fabs(shown) <= kInTuneZoneCents;
    ShowLabelValue(*centsLabel_, kCentsName,
                   QStringLiteral("%1%2 cents%3")
                       .arg(cents > 0 ? "+" : "")
                       .arg(cents)
                       .arg(inTune ? QStringLiteral(", in tune") : QString()));
    const QColor colour = inTune ? InTuneColour() : OutOfTuneColour();
    if (centsLabel_->palette().color(QPalette::WindowText) != colour) {
        QPalette palette = centsLabel_->palette();
        palette.setColor(QPalette::WindowText, colour);
        centsLabel_->setPalette(palette);
    }
}

void ListenWindow::ReferenceChanged(int hz) {
    audio_->SetReferenceA(hz);
    Options::Set(Option::ListenReferenceA, hz);
}

void ListenWindow::ShowOnMainToggled(bool on) { Options::Set(Option::ListenShowOnMain, on); }

void ListenWindow::ShowStatus(const QString& line) {
    ShowLabelValue(*statusLine_, kStatusName, line);
    statusLine_->setVisible(!line.isEmpty());
}

void ListenWindow::Remember() const { RememberPlace(*this, Option::ListenGeometry); }

void ListenWindow::hideEvent(QHideEvent* event) {
    // Nothing listens while the window is closed (or the application ends, which hides it), and
    // where it stood is kept for the next run.
    if (!event->spontaneous()) {
        Remember();
        StopListening();
        {
            const QSignalBlocker block(inputChooser_);
            inputChooser_->setCurrentIndex(0);
        }
    }
    QWidget::hideEvent(event);
}

} // namespace korvalin
