#include "app/options.h"

#include <QSettings>

namespace korvalin {
namespace {

// The store's organisation and application names are given here alone.
QSettings Store() { return QSettings(QStringLiteral("Korvalin"), QStringLiteral("Korvalin")); }

} // namespace

QString Options::Key(Option option) {
    switch (option) {
    case Option::ListenInput: return QStringLiteral("listen/input");
    case Option::ListenInputCaption: return QStringLiteral("listen/inputCaption");
    case Option::ListenReferenceA: return QStringLiteral("listen/referenceA");
    case Option::ListenShowOnMain: return QStringLiteral("listen/showOnMain");
    case Option::ListenGeometry: return QStringLiteral("listen/geometry");
    case Option::WaitForMe: return QStringLiteral("listen/waitForMe");
    case Option::ToleranceCents: return QStringLiteral("listen/toleranceCents");
    case Option::MetronomeTempo: return QStringLiteral("metronome/tempo");
    case Option::MetronomeScalesFollowTempo: return QStringLiteral("metronome/scalesFollowTempo");
    case Option::MetronomeClick: return QStringLiteral("metronome/click");
    case Option::MetronomeBeatsPerBar: return QStringLiteral("metronome/beatsPerBar");
    case Option::MetronomeClickVolume: return QStringLiteral("metronome/clickVolume");
    case Option::MetronomeDrone: return QStringLiteral("metronome/drone");
    case Option::MetronomeDroneVolume: return QStringLiteral("metronome/droneVolume");
    case Option::MetronomeDroneNote: return QStringLiteral("metronome/droneNote");
    case Option::MetronomeGeometry: return QStringLiteral("metronome/geometry");
    case Option::PatchFollowsInstrument: return QStringLiteral("midi/patchFollowsInstrument");
    }
    return {};
}

bool Options::Has(Option option) { return Store().contains(Key(option)); }

bool Options::Bool(Option option, bool fallback) { return Store().value(Key(option), fallback).toBool(); }

int Options::Int(Option option, int fallback) {
    bool ok = false;
    const int v = Store().value(Key(option), fallback).toInt(&ok);
    return ok ? v : fallback;
}

double Options::Double(Option option, double fallback) {
    bool ok = false;
    const double v = Store().value(Key(option), fallback).toDouble(&ok);
    return ok ? v : fallback;
}

QString Options::String(Option option) { return Store().value(Key(option)).toString(); }

QByteArray Options::Bytes(Option option) { return Store().value(Key(option)).toByteArray(); }

void Options::Set(Option option, const QVariant& value) { Store().setValue(Key(option), value); }

} // namespace korvalin
