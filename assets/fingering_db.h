// The fingering database: which keys each of the 99 fingering pictures presses.
//
// The database is a plain text file (assets/fingerings.txt) that a saxophone teacher can read and
// edit: one line per picture with its index, its written note, whether it is the note's standard
// fingering, an alternate or an extra, the variant's name, its pressed keys and where it was read.
// This module parses that text and checks it, both on its own terms (known key names, every
// picture exactly once) and against the note table (each note's pictures are the ones the table
// assigns it). Plain C++: the toolkit side loads the file and draws the diagrams.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvalin {

inline constexpr int kFingeringPictureCount = 99;
inline constexpr int kBlankFingeringPicture = 46;

// Every key of the instrument, in the order used for masks and for listing pressed keys.
enum class SaxKey : int {
    Octave,
    PalmD, PalmEb, PalmF,
    FrontF,
    Lh1, Bis, Lh2, Lh3,
    GSharp, LowCSharp, LowB, LowBb,
    SideC, SideBb, HighE, HighFSharp,
    Rh1, Rh2, Rh3, AltFSharp,
    LowEb, LowC,
};
inline constexpr int kSaxKeyCount = 23;

using KeyMask = std::uint32_t;

constexpr KeyMask KeyBit(SaxKey k) { return KeyMask{1} << static_cast<int>(k); }

// The key's one stable name ("octave", "palm-d", ... "low-c"), as used in the data file.
std::string_view KeyName(SaxKey key);

// The key with that name; false when the name is unknown.
bool KeyFromName(std::string_view name, SaxKey& key);

// The names of the keys in `mask`, in key order.
std::vector<std::string> KeyNames(KeyMask mask);

// The fingers that press the keys. Keys that share a finger can only be held together where the
// finger reaches them all at once (see FingerConflicts).
enum class Finger : int {
    LeftThumb, LeftPalm, LeftIndex, LeftMiddle, LeftRing, LeftLittle,
    RightIndexSide, RightIndex, RightMiddle, RightRing, RightLittle,
};
Finger FingerOf(SaxKey key);

// A description of every way `mask` asks one finger to hold keys it cannot hold together
// (empty when the fingering is playable): two keys of a little-finger table, the right middle
// finger on E and the high F# key, the right ring finger on D and the alternate F# key, or the
// top and bottom side keys without the middle one.
std::vector<std::string> FingerConflicts(KeyMask mask);

enum class FingeringKind { Standard, Alternate, Extra, Blank };

struct FingeringEntry {
    int picture = -1;
    std::string note;          // written note, scientific pitch ("Bb4"); empty for the blank picture
    int midi = 0;              // written MIDI number; 0 for the blank picture
    FingeringKind kind = FingeringKind::Blank;
    std::string variant;       // "standard", "bis", "side C", "altissimo 2", ...
    KeyMask keys = 0;
    std::string source;
    int line = 0;              // line of the data file it came from

    bool Presses(SaxKey k) const { return (keys & KeyBit(k)) != 0; }
};

struct FingeringSet {
    // Indexed by picture; an entry with picture -1 was missing from the text.
    std::array<FingeringEntry, kFingeringPictureCount> pictures{};
    // Everything wrong with the text, one message per fault, each naming its line or picture.
    std::vector<std::string> errors;

    bool ok() const { return errors.empty(); }
    const FingeringEntry* Find(int picture) const;
};

// MIDI number of a written note name in scientific pitch ("Bb3" 58, "C4" 60, "F#6" 90);
// -1 for anything that is not a note name.
int MidiOfNoteName(std::string_view name);

// Parses the data file's text. Never throws: every fault (a malformed line, an unknown key name, a
// key given twice, a note name that contradicts its MIDI number, a picture outside 0 to 98 or given
// twice, a missing picture, a blank picture that presses keys) is recorded in `errors`.
FingeringSet ParseFingerings(std::string_view text);

// Checks the parsed set against the note table (built on demand): for every row with a fingering,
// the pictures Fingering to Fingering + max(FingeringCount, 1) - 1 belong to that row's pitch, the
// first is the note's standard fingering and the others alternates; a pitch has no further
// standard or alternate pictures; pictures no row selects are extras or the blank picture.
// Returns one message per contradiction (empty when the two agree).
std::vector<std::string> CheckAgainstNoteTable(const FingeringSet& set);

} // namespace korvalin
