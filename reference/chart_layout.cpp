#include "reference/chart_layout.h"

#include "app/note_table.h"

#include <algorithm>

namespace korvalin {
namespace {

// Written ranges of the two charts, as MIDI numbers.
constexpr int kFingeringLow = kLowestFingeredPitch; // Bb below the staff
constexpr int kFingeringHigh = 93; // A above the staff
constexpr int kAltissimoLow = 90;  // F#/Gb
constexpr int kAltissimoHigh = kHighestFingeredPitch;

// Rows of the note table that carry fingerings.
constexpr int kFirstFingeredRow = 70;
constexpr int kLastFingeredRow = 137;
constexpr int kRowsPerOctave = 17;

// StaffY of a note whose head sits on the treble staff's bottom line; one staff step is 6.
constexpr int kBottomLineStaffY = 149;
constexpr int kStaffStepPixels = 6;

void EnsureNoteTable() {
    if (NoteCell(73, Pitch).empty()) BuildNoteTable();
}

// "C#0 (Db)" -> "C#", "Bb-1(A#)" -> "Bb", "E0 (Fb)" -> "E".
std::string LetterName(int row) {
    const std::string& cell = NoteCell(row, Name);
    std::string name;
    if (!cell.empty()) name += cell[0];
    if (cell.size() > 1 && (cell[1] == '#' || cell[1] == 'b')) name += cell[1];
    return name;
}

ChartSpelling SpellingOf(int row, int shownRow) {
    ChartSpelling s;
    s.row = row;
    s.name = LetterName(row);
    s.step = (kBottomLineStaffY - NoteValue(shownRow, StaffY)) / kStaffStepPixels;
    s.accidental = NoteValue(shownRow, StaffSymbol) % 3;
    return s;
}

ChartNote NoteFor(int pitch, int octaveShift) {
    ChartNote note;
    note.pitch = pitch;
    int first = -1, count = 0;
    for (int row = kFirstFingeredRow; row <= kLastFingeredRow; ++row) {
        if (NoteValue(row, Pitch) != pitch) continue;
        note.spellings.push_back(SpellingOf(row, row - kRowsPerOctave * octaveShift));
        if (first < 0) first = NoteValue(row, Fingering);
        count = std::max(count, std::max<int>(NoteValue(row, FingeringCount), 1));
    }
    for (int i = 0; i < count; ++i) note.pictures.push_back(first + i);
    for (const ChartSpelling& s : note.spellings)
        note.label += (note.label.empty() ? "" : "/") + s.name;
    return note;
}

ChartContent Content(int low, int high, int octaveShift) {
    EnsureNoteTable();
    ChartContent c;
    c.staffOctaveShift = octaveShift;
    const int total = high - low + 1;
    const int firstBand = (total + 1) / 2;
    c.bands.resize(2);
    for (int pitch = low; pitch <= high; ++pitch)
        c.bands[pitch - low < firstBand ? 0 : 1].notes.push_back(NoteFor(pitch, octaveShift));
    return c;
}

} // namespace

ChartContent FingeringChartContent() { return Content(kFingeringLow, kFingeringHigh, 0); }

ChartContent AltissimoChartContent() { return Content(kAltissimoLow, kAltissimoHigh, 1); }

std::string PitchClassName(int pitchClass) {
    static const std::array<const char*, 12> kNames{"C",     "C#/Db", "D",     "D#/Eb", "E",     "F",
                                                    "F#/Gb", "G",     "G#/Ab", "A",     "A#/Bb", "B"};
    return kNames[((pitchClass % 12) + 12) % 12];
}

std::vector<PlayAlongRow> PlayAlongTable() {
    // An E-flat saxophone reads 9 semitones above concert pitch (a sixth up, written), a B-flat
    // saxophone 2 semitones above (14 for the tenor, the same letter).
    constexpr int kConcertEb = 3;
    std::vector<PlayAlongRow> rows;
    for (int i = 0; i < 12; ++i) {
        const int concert = kConcertEb + i;
        rows.push_back({PitchClassName(concert), PitchClassName(concert + 9), PitchClassName(concert + 2)});
    }
    return rows;
}

std::vector<SoundingExample> TranspositionExamples() {
    EnsureNoteTable();
    constexpr int kWrittenC = 90; // the C in the treble staff's third space
    struct Instrument {
        const char* name;
        int transposition; // rows down, as the main window counts them
    };
    static constexpr std::array<Instrument, 4> kInstruments{
        {{"Soprano", 2}, {"Alto", 12}, {"Tenor", 19}, {"Baritone", 29}}};
    std::vector<SoundingExample> out;
    for (const Instrument& i : kInstruments) {
        const int sounding = SoundingNoteFor(kWrittenC, i.transposition);
        out.push_back({i.name, NoteValue(kWrittenC, Pitch) - NoteValue(sounding, Pitch),
                       SpellingOf(kWrittenC, kWrittenC), SpellingOf(sounding, sounding)});
    }
    return out;
}

std::array<CircleKey, 12> CircleOfFifthsKeys() {
    return {{
        {"C", "A", 0, 0, 12},
        {"G", "E", 1, 0, 11},
        {"D", "B", 2, 0, 10},
        {"A", "F#", 3, 0, 9},
        {"E", "C#", 4, 0, 8},
        {"B", "G#", 5, 0, 7},
        {"F#", "D#", 6, 0, 6},
        {"C#", "A#", 7, 0, 5},
        {"Ab", "F", 0, 4, 4},
        {"Eb", "C", 0, 3, 3},
        {"Bb", "G", 0, 2, 2},
        {"F", "D", 0, 1, 1},
    }};
}

std::vector<int> SignatureSteps(int sharps, int flats) {
    // Treble staff steps above the bottom line E: sharps F C G D A E B, flats B E A D G C F.
    static constexpr std::array<int, 7> kSharpSteps{8, 5, 9, 6, 3, 7, 4};
    static constexpr std::array<int, 7> kFlatSteps{4, 7, 3, 6, 2, 5, 1};
    std::vector<int> steps;
    for (int i = 0; i < std::clamp(sharps, 0, 7); ++i) steps.push_back(kSharpSteps[i]);
    for (int i = 0; i < std::clamp(flats, 0, 7); ++i) steps.push_back(kFlatSteps[i]);
    return steps;
}

} // namespace korvalin
