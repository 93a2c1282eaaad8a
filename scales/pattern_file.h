// Pattern files: a practice pattern written by the user in any text editor, one note per line.
// Only the first three characters of a line count (the rest is a comment); they are the note's
// field as it goes into the user pattern, ScalePatterns(14). A field must read as a note number
// from 70 to 115, be exactly three characters long and carry a leading "0" below 100. A file holds
// at most 200 lines; an empty file is a valid, empty pattern.
//
// A carriage return, a carriage return followed by a line feed, and a line feed alone each end a
// line. The reader works through a file in bounded chunks, keeps at most three characters of any
// line, and stops at the first bad line (or as line 201 begins) without reading further. It reads
// at most 1 MiB in all, far more than 200 lines with comments reasonably need: a file that has not
// ended its lines within that is refused like any other bad file, so loading takes bounded time
// whatever the file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvalin {

inline constexpr int kMostPatternLines = 200;
inline constexpr int kLowestPatternNote = 70;   // A#0 (Bb)
inline constexpr int kHighestPatternNote = 115; // F#2 (Gb)
inline constexpr std::size_t kPatternFieldWidth = 3;
inline constexpr std::size_t kPatternReadChunk = 16 * 1024;
inline constexpr std::uint64_t kMostPatternBytes = 1024 * 1024;

// Why a file was refused. Every one of them is reported to the user in the same words.
enum class PatternFault {
    None,
    CannotOpen,         // missing, unreadable, or not a plain file (a folder, a device, a pipe)
    ReadFailed,         // the system failed while reading
    TooManyLines,       // a line after the 200th
    OutOfRange,         // the field does not read as a number from 70 to 115 (blank lines included)
    NotThreeCharacters, // the line is shorter than three characters
    NoLeadingZero,      // a number below 100 not written with a leading "0"
    TooLarge,           // the text goes on past kMostPatternBytes and its reading had not stopped
};

struct PatternLoad {
    std::string pattern;          // the fields of the lines accepted, as written, in line order
    PatternFault fault = PatternFault::None;
    int lines = 0;                // lines begun, the bad one included
    std::uint64_t bytesRead = 0;  // how much of the file was read
    bool ok() const { return fault == PatternFault::None; }
};

// The verdict on one line's field: its first three characters, or all of them when it is shorter.
PatternFault CheckPatternField(std::string_view field);

// Reads a pattern from its bytes given piece by piece, in any split: a line end broken between
// two pieces (a carriage return at the end of one, its line feed at the start of the next) is
// still one line end.
class PatternParser {
public:
    // Takes the next piece. False once the pattern has been refused: nothing more is needed.
    bool Feed(std::string_view bytes);
    // The text has ended: the last line may lack its line end. Returns the result.
    const PatternLoad& Finish();
    // Ends the reading with a fault of the source: the lines read whole keep their fields, the
    // line it cut off is the bad one.
    const PatternLoad& Abandon(PatternFault fault);

    bool Stopped() const { return result_.fault != PatternFault::None; }
    const PatternLoad& Result() const { return result_; }

private:
    void BeginLine();
    void EndLine();
    void CheckField();

    PatternLoad result_;
    char field_[kPatternFieldWidth]{};
    std::size_t fieldLength_ = 0;
    bool inLine_ = false;   // a line has begun and its end has not been seen
    bool checked_ = false;  // this line's field has been checked (it reached three characters)
    bool afterCr_ = false;  // the last byte was a carriage return; a line feed now is part of its line end
};

// A whole pattern text at once, of which only the first `most` bytes are read: a longer text is
// TooLarge unless its reading stopped within them.
PatternLoad ParsePattern(std::string_view text, std::uint64_t most = kMostPatternBytes);

// Reads the file at `path` (a name in the system's own encoding). Only plain files are read:
// anything else, like a file that is missing or may not be read, gives CannotOpen. Never blocks
// waiting on a pipe or device, never holds more than one chunk of the file in memory and never
// reads more than kMostPatternBytes of it.
PatternLoad ReadPatternFile(const std::string& path);

} // namespace korvalin
