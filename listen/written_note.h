// A heard note (concert pitch, as a MIDI note) as the note number the main window shows for the
// chosen saxophone: the written note, which lies above the sounding one by the instrument's
// interval, spelled as a player reads it.
#pragma once

#include <array>
#include <span>

namespace korvalin {

// The semitones a saxophone sounds below its written note, from the main window's Transposition
// (rows in the note table): 2 soprano, 9 alto, 14 tenor, 21 baritone. -1 for any other value.
int TranspositionSemitones(int transpositionRows);

// Which of its two spellings each black key takes: for every pitch class (0 = C ... 11 = B), true
// when it is spelled as a flat. White keys ignore their entry.
struct BlackKeySpelling {
    std::array<bool, 12> flat{};

    // Bb, Eb, Ab, C#, F#: how a note outside any key is spelled.
    static BlackKeySpelling Default();
    // A key signature of `fifths` sharps (positive) or flats (negative): every black key is spelled
    // in the signature's direction; no sharps or flats gives the default.
    static BlackKeySpelling ForKeySignature(int fifths);
    // As a scale spells its notes: each black key the scale holds as its spelling there (note
    // numbers of the note table), the others in the direction most of its accidentals take,
    // or the default when it has none.
    static BlackKeySpelling FromScaleNotes(std::span<const int> notes);
};

// The note number (1 to 153) of the written note for a concert MIDI note on the saxophone
// `transpositionRows` rows down, spelled by `spelling`; 0 when the transposition is none of the
// four or the written note lies outside the note table (MIDI 9 to 116).
int WrittenNoteFor(int concertMidi, int transpositionRows,
                   const BlackKeySpelling& spelling = BlackKeySpelling::Default());

// Whether the saxophone `transpositionRows` rows down plays the concert MIDI note: its written note
// lies from the low Bb (the baritone's low A) up to the altissimo A (MIDI 105), the range the
// fingerings cover. False for a transposition that is none of the four.
bool PlayableOn(int concertMidi, int transpositionRows);

// The note number of a MIDI note as it is written (no transposition), spelled by `spelling`; 0
// outside the note table.
int NoteNumberForPitch(int midi, const BlackKeySpelling& spelling = BlackKeySpelling::Default());

} // namespace korvalin
