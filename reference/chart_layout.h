// What the reference charts show, as data: which written notes stand in which band, how each is
// spelled and placed on the staff, and which fingering pictures it carries. Everything is read
// from the note table, so the charts and the main window show the same fingerings.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace korvalin {

// One spelling of a written note as it is drawn on a treble staff.
struct ChartSpelling {
    int row = 0;        // note-table row
    std::string name;   // letter and accidental, e.g. "C#", "Bb", "E"
    int step = 0;       // staff steps above the treble staff's bottom line (E); middle C is -2
    int accidental = 2; // 0 sharp, 1 flat, 2 none
};

// One column of a chart: a written pitch, its spellings (sharp first) and its fingering pictures.
struct ChartNote {
    int pitch = 0;                         // MIDI number of the written note
    std::vector<ChartSpelling> spellings;  // one for a white key, two for a black key
    std::vector<int> pictures;             // fingering pictures, standard first
    std::string label;                     // "C", "C#/Db"
};

struct ChartBand {
    std::vector<ChartNote> notes;
};

struct ChartContent {
    std::vector<ChartBand> bands;
    int staffOctaveShift = 0; // notes are written this many octaves below the pitch they name
};

// Bb below the treble staff up to the A above it (two octaves and more), in two bands.
ChartContent FingeringChartContent();
// F#/Gb above the staff up to A an octave and a half higher, written an octave lower, in two bands.
ChartContent AltissimoChartContent();

// One row of the play-along guide: a concert pitch and what an E-flat and a B-flat saxophone read
// for it.
struct PlayAlongRow {
    std::string concert, eFlatInstrument, bFlatInstrument;
};
// Twelve rows, concert D#/Eb up to D.
std::vector<PlayAlongRow> PlayAlongTable();

// Name of a pitch class (0 = C) with both spellings for a black key: "C", "C#/Db".
std::string PitchClassName(int pitchClass);

// The transposition guide: a written C and, for each saxophone, the note it sounds.
struct SoundingExample {
    std::string instrument;
    int semitonesBelow = 0;
    ChartSpelling written;
    ChartSpelling sounding;
};
std::vector<SoundingExample> TranspositionExamples();

// The circle of fifths: twelve major keys, C first, going counter-clockwise as the clock is read
// (G at eleven o'clock, F at one o'clock).
struct CircleKey {
    std::string major;     // "C", "F#", "Ab"
    std::string minor;     // relative minor: "A", "D#", "F"
    int sharps = 0;        // number of sharps in the signature (0 when flats)
    int flats = 0;         // number of flats
    int clockHour = 12;    // where it stands: 12, 11, 10, ... 1
};
std::array<CircleKey, 12> CircleOfFifthsKeys();

// Staff steps (above the treble staff's bottom line) of the accidentals of a key signature, in the
// order they are written: `sharps` sharps or `flats` flats (at most seven).
std::vector<int> SignatureSteps(int sharps, int flats);

} // namespace korvalin
