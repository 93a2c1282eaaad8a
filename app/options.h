// Everything Korvalin remembers between runs, in one store: each setting under a key named here,
// read typed, with the value it takes when nothing usable is stored. A window writes a setting
// when the user has finished changing it, never at every step of a slider.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace korvalin {

enum class Option {
    // The Listen window
    ListenInput,        // the input listened to last ("audio:<id>" or "midi:<port>"); empty: none
    ListenInputCaption, // its caption then, for saying it is not there now
    ListenReferenceA,   // Hz
    ListenShowOnMain,   // notes heard go to the main window
    ListenGeometry,     // where the window stood
    // Wait for me
    WaitForMe,
    ToleranceCents,
    // The Metronome and Drone window
    MetronomeTempo,
    MetronomeScalesFollowTempo,
    MetronomeClick,
    MetronomeBeatsPerBar,
    MetronomeClickVolume,
    MetronomeDrone,
    MetronomeDroneVolume,
    MetronomeDroneNote, // 0: the tonic; 1 to 12: C to B
    MetronomeGeometry,
    // The MIDI control window
    PatchFollowsInstrument,
};

class Options {
public:
    // The key the setting is stored under.
    static QString Key(Option option);

    static bool Has(Option option);
    static bool Bool(Option option, bool fallback);
    // `fallback` when nothing is stored or what is stored is not a whole number (or a number).
    static int Int(Option option, int fallback);
    static double Double(Option option, double fallback);
    static QString String(Option option);
    static QByteArray Bytes(Option option);

    static void Set(Option option, const QVariant& value);
};

} // namespace korvalin
