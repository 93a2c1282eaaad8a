#include "assets/fingering_db.h"

#include "app/note_table.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace korvalin {
namespace {

constexpr std::array<std::string_view, kSaxKeyCount> kKeyNames{{
    "octave",
    "palm-d", "palm-eb", "palm-f",
    "front-f",
    "lh1", "bis", "lh2", "lh3",
    "g-sharp", "low-c-sharp", "low-b", "low-bb",
    "side-c", "side-bb", "high-e", "high-fs",
    "rh1", "rh2", "rh3", "alt-fs",
    "low-eb", "low-c",
}};

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
    return parts;
}

std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> words;
    for (std::string_view part : Split(s, ' ')) {
        for (std::string_view w : Split(part, '\t')) {
            w = Trim(w);
            if (!w.empty()) words.push_back(w);
        }
    }
    return words;
}

// A whole non-negative decimal number, or -1.
int ParseCount(std::string_view s) {
    if (s.empty() || s.size() > 4) return -1;
    int value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || value < 0) return -1;
    return value;
}

bool ParseKind(std::string_view s, FingeringKind& kind) {
    if (s == "standard") kind = FingeringKind::Standard;
    else if (s == "alternate") kind = FingeringKind::Alternate;
    else if (s == "extra") kind = FingeringKind::Extra;
    else if (s == "blank") kind = FingeringKind::Blank;
    else return false;
    return true;
}

std::string At(int line) { return "line " + std::to_string(line) + ": "; }

std::string Quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

} // namespace

std::string_view KeyName(SaxKey key) { return kKeyNames[static_cast<size_t>(key)]; }

bool KeyFromName(std::string_view name, SaxKey& key) {
    for (int i = 0; i < kSaxKeyCount; ++i) {
        if (kKeyNames[static_cast<size_t>(i)] == name) {
            key = static_cast<SaxKey>(i);
            return true;
        }
    }
    return false;
}

std::vector<std::string> KeyNames(KeyMask mask) {
    std::vector<std::string> names;
    for (int i = 0; i < kSaxKeyCount; ++i)
        if (mask & KeyBit(static_cast<SaxKey>(i))) names.emplace_back(kKeyNames[static_cast<size_t>(i)]);
    return names;
}

Finger FingerOf(SaxKey key) {
    switch (key) {
    case SaxKey::Octave: return Finger::LeftThumb;
    case SaxKey::PalmD: case SaxKey::PalmEb: case SaxKey::PalmF: return Finger::LeftPalm;
    // The left index finger lies across front F, B and bis; any of them can be held together.
    case SaxKey::FrontF: case SaxKey::Lh1: case SaxKey::Bis: return Finger::LeftIndex;
    case SaxKey::Lh2: return Finger::LeftMiddle;
    case SaxKey::Lh3: return Finger::LeftRing;
    case SaxKey::GSharp: case SaxKey::LowCSharp: case SaxKey::LowB: case SaxKey::LowBb:
        return Finger::LeftLittle;
    // The side keys are pressed with the side of the right index finger, its tip stays on F.
    case SaxKey::SideC: case SaxKey::SideBb: case SaxKey::HighE: return Finger::RightIndexSide;
    case SaxKey::Rh1: return Finger::RightIndex;
    case SaxKey::Rh2: case SaxKey::HighFSharp: return Finger::RightMiddle;
    case SaxKey::Rh3: case SaxKey::AltFSharp: return Finger::RightRing;
    case SaxKey::LowEb: case SaxKey::LowC: return Finger::RightLittle;
    }
    return Finger::LeftThumb;
}

std::vector<std::string> FingerConflicts(KeyMask mask) {
    std::vector<std::string> conflicts;
    const auto both = [&](SaxKey a, SaxKey b, const char* finger) {
        if ((mask & KeyBit(a)) && (mask & KeyBit(b)))
            conflicts.push_back(std::string(finger) + " cannot hold " + std::string(KeyName(a)) + " and " +
                                std::string(KeyName(b)) + " together");
    };
    // Little fingers: one key of their table at a time.
    const SaxKey leftTable[] = {SaxKey::GSharp, SaxKey::LowCSharp, SaxKey::LowB, SaxKey::LowBb};
    for (size_t i = 0; i < std::size(leftTable); ++i)
        for (size_t j = i + 1; j < std::size(leftTable); ++j)
            both(leftTable[i], leftTable[j], "the left little finger");
    both(SaxKey::LowEb, SaxKey::LowC, "the right little finger");
    both(SaxKey::Rh2, SaxKey::HighFSharp, "the right middle finger");
    both(SaxKey::Rh3, SaxKey::AltFSharp, "the right ring finger");
    // The side of the index finger covers neighbouring side keys only.
    if ((mask & KeyBit(SaxKey::HighE)) && (mask & KeyBit(SaxKey::SideBb)) && !(mask & KeyBit(SaxKey::SideC)))
        conflicts.push_back("the side of the right index finger cannot hold high-e and side-bb without side-c");
    return conflicts;
}

const FingeringEntry* FingeringSet::Find(int picture) const {
    if (picture < 0 || picture >= kFingeringPictureCount) return nullptr;
    const FingeringEntry& e = pictures[static_cast<size_t>(picture)];
    return e.picture == picture ? &e : nullptr;
}

int MidiOfNoteName(std::string_view name) {
    static constexpr int kLetterSemitones[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') return -1;
    int semis = kLetterSemitones[name[0] - 'A'];
    size_t pos = 1;
    if (name[pos] == '#') { ++semis; ++pos; }
    else if (name[pos] == 'b') { --semis; ++pos; }
    std::string_view octaveText = name.substr(pos);
    if (octaveText.size() != 1 || octaveText[0] < '0' || octaveText[0] > '9') return -1;
    return 12 * (octaveText[0] - '0' + 1) + semis;
}

FingeringSet ParseFingerings(std::string_view text) {
    FingeringSet set;
    std::array<int, kFingeringPictureCount> givenOn{}; // line that gave each picture, 0: none yet
    int lineNo = 0;
    for (std::string_view raw : Split(text, '\n')) {
        ++lineNo;
        std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '#') continue;

        std::vector<std::string_view> cols = Split(line, '|');
        if (cols.size() != 6) {
            set.errors.push_back(At(lineNo) + "expected 6 columns separated by \"|\", found " +
                                 std::to_string(cols.size()));
            continue;
        }
        for (auto& c : cols) c = Trim(c);

        FingeringEntry e;
        e.line = lineNo;
        e.picture = ParseCount(cols[0]);
        if (e.picture < 0 || e.picture >= kFingeringPictureCount) {
            set.errors.push_back(At(lineNo) + "picture " + Quoted(cols[0]) + " is not a number from 0 to 98");
            continue;
        }
        bool good = true;
        const auto fault = [&](const std::string& message) {
            set.errors.push_back(At(lineNo) + message);
            good = false;
        };

        if (!ParseKind(cols[2], e.kind))
            fault("kind " + Quoted(cols[2]) + " is not standard, alternate, extra or blank");

        if (cols[1] == "-") {
            if (e.kind != FingeringKind::Blank) fault("only a blank picture may have no note");
        } else {
            std::vector<std::string_view> note = Words(cols[1]);
            int midi = note.size() == 2 ? ParseCount(note[1]) : -1;
            int named = note.size() == 2 ? MidiOfNoteName(note[0]) : -1;
            if (note.size() != 2 || midi < 0 || named < 0) {
                fault("note " + Quoted(cols[1]) + " is not a written note name and its MIDI number");
            } else if (midi != named) {
                fault("note " + std::string(note[0]) + " is MIDI " + std::to_string(named) + ", not " +
                      std::to_string(midi));
            } else {
                e.note = std::string(note[0]);
                e.midi = midi;
            }
            if (e.kind == FingeringKind::Blank) fault("a blank picture has no note");
        }

        e.variant = std::string(cols[3]);
        if (e.variant.empty()) fault("the variant has no name");

        for (std::string_view word : Words(cols[4])) {
            SaxKey key;
            if (!KeyFromName(word, key)) {
                fault("unknown key name " + Quoted(word));
            } else if (e.keys & KeyBit(key)) {
                fault("key " + Quoted(word) + " is given twice");
            } else {
                e.keys |= KeyBit(key);
            }
        }
        if (e.kind == FingeringKind::Blank && e.keys != 0) fault("a blank picture presses no key");
        e.source = std::string(cols[5]);

        int& given = givenOn[static_cast<size_t>(e.picture)];
        if (given != 0) {
            set.errors.push_back(At(lineNo) + "picture " + std::to_string(e.picture) + " is already given on line " +
                                 std::to_string(given));
            continue;
        }
        given = lineNo;
        // A faulty line is reported above and leaves its picture out of the set.
        if (good) set.pictures[static_cast<size_t>(e.picture)] = e;
    }
    for (int p = 0; p < kFingeringPictureCount; ++p)
        if (givenOn[static_cast<size_t>(p)] == 0) set.errors.push_back("picture " + std::to_string(p) + " is missing");
    return set;
}

std::vector<std::string> CheckAgainstNoteTable(const FingeringSet& set) {
    BuildNoteTable();
    std::vector<std::string> errors;
    std::set<std::string> seen;
    const auto report = [&](const std::string& message) {
        if (seen.insert(message).second) errors.push_back(message);
    };
    std::array<bool, kFingeringPictureCount> selected{};
    std::set<int> fingeredPitches;

    for (int row = 1; row <= 153; ++row) {
        const int first = NoteValue(row, Fingering);
        const int count = std::max<int>(NoteValue(row, FingeringCount), 1);
        const int pitch = NoteValue(row, Pitch);
        const std::string rowName = "row " + std::to_string(row) + " (MIDI " + std::to_string(pitch) + ")";
        if (first == kBlankFingeringPicture && NoteValue(row, FingeringCount) == 0) {
            const FingeringEntry* blank = set.Find(first);
            if (!blank || blank->kind != FingeringKind::Blank)
                report("picture " + std::to_string(first) + ", shown for notes without a fingering, is not blank");
            selected[static_cast<size_t>(first)] = true;
            continue;
        }
        fingeredPitches.insert(pitch);
        for (int k = 0; k < count; ++k) {
            const int pic = first + k;
            const std::string where = rowName + " picture " + std::to_string(pic);
            const FingeringEntry* e = set.Find(pic);
            if (!e) {
                report(where + " is not in the database");
                continue;
            }
            selected[static_cast<size_t>(pic)] = true;
            if (e->midi != pitch)
                report(where + " is a fingering of MIDI " + std::to_string(e->midi));
            const FingeringKind want = k == 0 ? FingeringKind::Standard : FingeringKind::Alternate;
            if (e->kind != want)
                report(where + " should be the note's " + (k == 0 ? "standard" : "alternate") + " fingering");
        }
    }
    for (int p = 0; p < kFingeringPictureCount; ++p) {
        const FingeringEntry* e = set.Find(p);
        if (!e || selected[static_cast<size_t>(p)]) continue;
        if (e->kind == FingeringKind::Standard || e->kind == FingeringKind::Alternate)
            report("picture " + std::to_string(p) + " (" + e->note +
                   ") is marked standard or alternate but no note offers it");
        if (e->kind == FingeringKind::Extra && !fingeredPitches.count(e->midi))
            report("picture " + std::to_string(p) + " is an extra of " + e->note + ", a note without fingerings");
    }
    return errors;
}

} // namespace korvalin
