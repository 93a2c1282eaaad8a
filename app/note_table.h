// The note table: one row for every spelled note from A-4 (row 1) to Ab4 (row 153), in nine
// octave groups of 17 spellings running from A up to the A-flat above. Row 0 is empty.
#pragma once

#include <cstdint>
#include <string>

namespace korvalin {

enum NoteColumn : int {
    Name = 0,
    StaffY = 1,
    Fingering = 2,
    KeyboardX = 3,
    FingeringCount = 4,
    StaffSymbol = 5,
    PrintPicture = 6,
    PrintAdvance = 7,
    // column 8 is never filled
    Pitch = 9,
};

// Fills KORVALIN1.NoteTable from the spelling rules and the fingering table. Idempotent.
void BuildNoteTable();

// The cell's text; empty for row 0, unfilled cells and any note number outside 0 to 153.
const std::string& NoteCell(int note, NoteColumn column);

// The cell read through the text-to-number rule (0 for empty cells and out-of-table reads).
int16_t NoteValue(int note, NoteColumn column);

// The written pitches the fingering data covers, as MIDI notes: the low Bb up to the altissimo A.
inline constexpr int kLowestFingeredPitch = 58;
inline constexpr int kHighestFingeredPitch = 105;

// The written pitch of a row as a MIDI note, as its Pitch cell holds it (row 1, A-4, is MIDI 9),
// whether or not the table is built; -1 outside 1..153.
int PitchOfRow(int note);

// Position of a row in its octave group (0 = A, 1 = A#, 2 = Bb, ... 16 = Ab); -1 outside 1..153.
int SpellingPosition(int note);

// True for the sharp- and flat-spelled positions (A#, Bb, C#, Db, D#, Eb, F#, Gb, G#, Ab).
bool IsBlackKeySpelling(int note);
// True for the sharp-spelled positions (A#, C#, D#, F#, G#): the row above is the flat of the same pitch.
bool IsSharpSpelling(int note);
// True for the flat-spelled positions (Bb, Db, Eb, Gb, Ab): the row below is the sharp of the same pitch.
bool IsFlatSpelling(int note);

// The main window's name (without its enharmonic part) of the row that spells written MIDI note
// `midi` with `accidental` ('#', 'b', or anything else for none): "C0" for 60, "Bb1" for 70 with
// 'b'. Empty when no row spells it so. Needs no built table.
std::string RowNameOfPitch(int midi, char accidental);

// 1 for the spellings whose sounding note lies one row further down (A, Bb, B, Db, D, Eb, E, Gb,
// G, Ab), 0 for the others and for rows outside 1..153.
int SoundingRowCorrection(int written);

// Written note number to sounding note number for an instrument `transposition` rows down:
// w - transposition, one row lower again for the spellings A, Bb, B, Db, D, Eb, E, Gb, G, Ab.
int SoundingNoteFor(int written, int transposition);

// The four saxophones: how many rows down a written note sounds (the main window's Transposition),
// the same distance in semitones, and the General MIDI program of the instrument's own sound.
struct Saxophone {
    int16_t transposition;
    int semitones;
    int16_t program;
};
inline constexpr Saxophone kSoprano{2, 2, 64};   // a major second
inline constexpr Saxophone kAlto{12, 9, 65};     // a major sixth
inline constexpr Saxophone kTenor{19, 14, 66};   // an octave and a major second
inline constexpr Saxophone kBaritone{29, 21, 67}; // an octave and a major sixth
// The saxophone `transposition` rows down; null for any other value.
const Saxophone* SaxophoneFor(int transposition);

// Vertical offset of a key marker into the keyboard picture: 30 on a black key, 65 otherwise.
int KeyMarkerHeight(int note);

} // namespace korvalin
