#include "app/note_table.h"

#include "app/korvalin1.h"
#include "app/text_number.h"

#include <array>

namespace korvalin {
namespace {

struct Spelling {
    const char* name;     // spelling as shown
    int semitones;        // above the group's A
    const char* partner;  // enharmonic partner, "" when none
    int staffLetter;      // A = 0 ... G = 6; the Ab row counts as the next group's A (7)
    int accidental;       // 0 sharp, 1 flat, 2 none
};

// One octave group, from A up to the A-flat above it.
constexpr std::array<Spelling, 17> kSpellings{{
    {"A", 0, "", 0, 2},    {"A#", 1, "Bb", 0, 0}, {"Bb", 1, "A#", 1, 1}, {"B", 2, "Cb", 1, 2},
    {"C", 3, "", 2, 2},    {"C#", 4, "Db", 2, 0}, {"Db", 4, "C#", 3, 1}, {"D", 5, "", 3, 2},
    {"D#", 6, "Eb", 3, 0}, {"Eb", 6, "D#", 4, 1}, {"E", 7, "Fb", 4, 2},  {"F", 8, "", 5, 2},
    {"F#", 9, "Gb", 5, 0}, {"Gb", 9, "F#", 6, 1}, {"G", 10, "", 6, 2},   {"G#", 11, "Ab", 6, 0},
    {"Ab", 11, "G#", 7, 1},
}};

// Fingering pictures and printed-page advance by pitch, for the fingered range (pitch 58 to 105).
struct PitchRow {
    int fingering;
    int count;
    int printAdvance; // 0: none
};
constexpr std::array<PitchRow, kHighestFingeredPitch - kLowestFingeredPitch + 1> kFingeredPitches{{
    {0, 0, 645},  {1, 0, 645},  {2, 0, 645},  {3, 0, 645},  {4, 0, 645},  {5, 0, 645},   // 58-63
    {6, 0, 645},  {7, 0, 645},  {8, 2, 1290}, {10, 0, 645}, {11, 0, 645}, {12, 0, 645},  // 64-69
    {13, 4, 2580}, {17, 0, 645}, {18, 2, 1290}, {20, 2, 1290}, {22, 0, 645}, {23, 0, 645}, // 70-75
    {24, 0, 645}, {25, 0, 645}, {26, 2, 1290}, {28, 0, 645}, {29, 0, 645}, {30, 0, 645}, // 76-81
    {31, 4, 2580}, {35, 0, 645}, {36, 2, 1290}, {38, 0, 645}, {39, 0, 645}, {40, 0, 645}, // 82-87
    {41, 2, 1290}, {43, 2, 1290}, {50, 4, 645}, {54, 4, 645}, {59, 4, 645}, {63, 3, 645}, // 88-93
    {66, 3, 0},   {69, 3, 0},   {72, 3, 0},   {75, 4, 0},   {79, 4, 0},   {83, 3, 0},    // 94-99
    {86, 4, 0},   {90, 3, 0},   {93, 2, 0},   {95, 2, 0},   {97, 0, 0},   {98, 0, 0},    // 100-105
}};

constexpr int kNoFingeringPicture = 46;

const std::string kEmpty;

int Group(int r) { return (r - 1) / 17; }

int StaffDegree(int r) { return 7 * Group(r) + kSpellings[(r - 1) % 17].staffLetter; }

int PitchOf(int r) { return 9 + 12 * Group(r) + kSpellings[(r - 1) % 17].semitones; }

std::string NameOf(int r) {
    const Spelling& s = kSpellings[(r - 1) % 17];
    std::string head = std::string(s.name) + std::to_string(Group(r) - 4);
    head.resize(4, ' ');
    std::string tail = *s.partner ? "(" + std::string(s.partner) + ")" : std::string(4, ' ');
    return head + tail;
}

int StaffYOf(int r) {
    if (r >= 39 && r <= 138) return 245 - 6 * (StaffDegree(r) - 16);
    if (r == 139 || r == 140) return 5;
    if (r >= 141) return StaffYOf(r - 13);
    return 0;
}

int KeyboardXOf(int r) {
    static constexpr int kStep[12] = {0, 6, 12, 18, 24, 36, 42, 48, 54, 60, 66, 72};
    if (r >= 39 && r <= 140) {
        int p = PitchOf(r) - 36;
        return 6 + 84 * (p / 12) + kStep[p % 12];
    }
    if (r >= 141) return KeyboardXOf(r - 13);
    return 0;
}

int StaffSymbolOf(int r) {
    if (r >= 39 && r <= 135) {
        int s = (StaffDegree(r) - 16) % 2;
        return kSpellings[(r - 1) % 17].accidental + 3 * s;
    }
    if (r >= 136 && r <= 140) return 8;
    return 7;
}

} // namespace

void BuildNoteTable() {
    auto& t = KORVALIN1.NoteTable;
    for (auto& row : t)
        for (auto& cell : row) cell.clear();

    for (int r = 1; r < kNoteRows; ++r) {
        auto& row = t[r];
        const int pitch = PitchOf(r);
        row[Name] = NameOf(r);
        row[StaffY] = std::to_string(StaffYOf(r));
        row[KeyboardX] = std::to_string(KeyboardXOf(r));
        row[StaffSymbol] = std::to_string(StaffSymbolOf(r));
        row[Pitch] = std::to_string(pitch);

        int fingering = kNoFingeringPicture;
        int count = 0;
        if (r >= 70 && r <= 137) {
            const PitchRow& p = kFingeredPitches[pitch - kLowestFingeredPitch];
            fingering = p.fingering;
            count = p.count;
            if (r == 82) count = 0; // Gb0 offers no alternatives, unlike F#0 at the same pitch
        }
        row[Fingering] = std::to_string(fingering);
        row[FingeringCount] = std::to_string(count);

        if (r >= 70 && r <= 120) {
            row[PrintPicture] = std::to_string(pitch - kLowestFingeredPitch);
            row[PrintAdvance] = std::to_string(kFingeredPitches[pitch - kLowestFingeredPitch].printAdvance);
        }
    }
}

const std::string& NoteCell(int note, NoteColumn column) {
    if (note < 0 || note >= kNoteRows || column < 0 || column >= kNoteColumns) return kEmpty;
    return KORVALIN1.NoteTable[note][column];
}

int16_t NoteValue(int note, NoteColumn column) { return TextToInt16(NoteCell(note, column)); }

int PitchOfRow(int note) { return note < 1 || note > 153 ? -1 : PitchOf(note); }

int SpellingPosition(int note) {
    if (note < 1 || note > 153) return -1;
    return (note - 1) % 17;
}

bool IsBlackKeySpelling(int note) {
    int j = SpellingPosition(note);
    return j >= 0 && kSpellings[j].accidental != 2;
}

std::string RowNameOfPitch(int midi, char accidental) {
    const int wanted = accidental == '#' ? 0 : accidental == 'b' ? 1 : 2;
    for (int r = 1; r <= 153; ++r) {
        if (PitchOf(r) != midi || kSpellings[(r - 1) % 17].accidental != wanted) continue;
        std::string name = NameOf(r).substr(0, 4);
        name.erase(name.find_last_not_of(' ') + 1);
        return name;
    }
    return {};
}

bool IsSharpSpelling(int note) {
    int j = SpellingPosition(note);
    return j >= 0 && kSpellings[j].accidental == 0;
}

bool IsFlatSpelling(int note) {
    int j = SpellingPosition(note);
    return j >= 0 && kSpellings[j].accidental == 1;
}

int SoundingRowCorrection(int written) {
    switch (SpellingPosition(written)) {
    case 0: case 2: case 3: case 6: case 7: case 9: case 10: case 13: case 14: case 16:
        return 1;
    default:
        return 0;
    }
}

int SoundingNoteFor(int written, int transposition) {
    return written - transposition - SoundingRowCorrection(written);
}

int KeyMarkerHeight(int note) {
    return (note >= 40 && note <= 139 && IsBlackKeySpelling(note)) ? 30 : 65;
}

const Saxophone* SaxophoneFor(int transposition) {
    for (const Saxophone* sax : {&kSoprano, &kAlto, &kTenor, &kBaritone})
        if (sax->transposition == transposition) return sax;
    return nullptr;
}

} // namespace korvalin
