#include "listen/written_note.h"

#include "app/note_table.h"

namespace korvalin {
namespace {

// Pitch classes from C = 0.
constexpr int kCSharp = 1, kEFlat = 3, kFSharp = 6, kAFlat = 8, kBFlat = 10;

// For each semitone above A, the positions in a note-table octave group (A = 0 ... Ab = 16) of
// its sharp (or only) spelling and of its flat spelling.
struct Positions {
    int sharp;
    int flat;
};
constexpr std::array<Positions, 12> kPositionsAboveA{{
    {0, 0},   // A
    {1, 2},   // A# / Bb
    {3, 3},   // B
    {4, 4},   // C
    {5, 6},   // C# / Db
    {7, 7},   // D
    {8, 9},   // D# / Eb
    {10, 10}, // E
    {11, 11}, // F
    {12, 13}, // F# / Gb
    {14, 14}, // G
    {15, 16}, // G# / Ab
}};


constexpr int kLowestTablePitch = 9;   // A-4, row 1
constexpr int kHighestTablePitch = 116; // Ab4, row 153

BlackKeySpelling AllBlackKeys(bool flat) {
    BlackKeySpelling s;
    s.flat.fill(flat);
    return s;
}

} // namespace

int TranspositionSemitones(int transpositionRows) {
    const Saxophone* sax = SaxophoneFor(transpositionRows);
    return sax ? sax->semitones : -1;
}

BlackKeySpelling BlackKeySpelling::Default() {
    BlackKeySpelling s;
    s.flat[kBFlat] = s.flat[kEFlat] = s.flat[kAFlat] = true;
    s.flat[kCSharp] = s.flat[kFSharp] = false;
    return s;
}

BlackKeySpelling BlackKeySpelling::ForKeySignature(int fifths) {
    if (fifths > 0) return AllBlackKeys(false);
    if (fifths < 0) return AllBlackKeys(true);
    return Default();
}

BlackKeySpelling BlackKeySpelling::FromScaleNotes(std::span<const int> notes) {
    std::array<int, 12> seen{}; // +1 flat, -1 sharp, 0 not in the scale
    int flats = 0, sharps = 0;
    for (int n : notes) {
        if (!IsBlackKeySpelling(n)) continue;
        const int pitchClass = PitchOfRow(n) % 12;
        seen[std::size_t(pitchClass)] = IsFlatSpelling(n) ? 1 : -1;
        (IsFlatSpelling(n) ? flats : sharps) += 1;
    }
    BlackKeySpelling s = flats > sharps ? AllBlackKeys(true) : sharps > flats ? AllBlackKeys(false) : Default();
    for (std::size_t pc = 0; pc < 12; ++pc)
        if (seen[pc] != 0) s.flat[pc] = seen[pc] > 0;
    return s;
}

int NoteNumberForPitch(int midi, const BlackKeySpelling& spelling) {
    if (midi < kLowestTablePitch || midi > kHighestTablePitch) return 0;
    const int group = (midi - kLowestTablePitch) / 12;
    const int aboveA = (midi - kLowestTablePitch) % 12;
    const Positions& p = kPositionsAboveA[std::size_t(aboveA)];
    const int position = spelling.flat[std::size_t(midi % 12)] ? p.flat : p.sharp;
    return 1 + 17 * group + position;
}

int WrittenNoteFor(int concertMidi, int transpositionRows, const BlackKeySpelling& spelling) {
    const int semitones = TranspositionSemitones(transpositionRows);
    if (semitones < 0 || concertMidi < 0 || concertMidi > kHighestTablePitch) return 0;
    return NoteNumberForPitch(concertMidi + semitones, spelling);
}

bool PlayableOn(int concertMidi, int transpositionRows) {
    // The fingerings' range, and the baritone's low A below it.
    const int semitones = TranspositionSemitones(transpositionRows);
    if (semitones < 0) return false;
    const int written = concertMidi + semitones;
    const int lowest = semitones == kBaritone.semitones ? kLowestFingeredPitch - 1 : kLowestFingeredPitch;
    return written >= lowest && written <= kHighestFingeredPitch;
}

} // namespace korvalin
