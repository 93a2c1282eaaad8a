#include "scales/pattern_file.h"

#include "app/text_number.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvalin {
namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Closes a descriptor when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

PatternFault CheckPatternField(std::string_view field) {
    // The value by the application's text-to-number rule; a value beyond 16 bits saturates and so
    // lands outside the range like any other wrong number.
    const int value = ReadTextNumber(field).int16;
    if (value < kLowestPatternNote || value > kHighestPatternNote) return PatternFault::OutOfRange;
    if (field.size() != kPatternFieldWidth) return PatternFault::NotThreeCharacters;
    if (value < 100 && field.front() != '0') return PatternFault::NoLeadingZero;
    return PatternFault::None;
}

void PatternParser::BeginLine() {
    ++result_.lines;
    inLine_ = true;
    checked_ = false;
    fieldLength_ = 0;
    // A line after the 200th refuses the file whatever it holds, so it is not even looked at.
    if (result_.lines > kMostPatternLines) result_.fault = PatternFault::TooManyLines;
}

void PatternParser::CheckField() {
    checked_ = true;
    const std::string_view field(field_, fieldLength_);
    result_.fault = CheckPatternField(field);
    if (result_.fault == PatternFault::None) result_.pattern.append(field);
}

void PatternParser::EndLine() {
    // A line of three characters or more was checked as soon as its third arrived.
    if (!checked_) CheckField();
    inLine_ = false;
}

bool PatternParser::Feed(std::string_view bytes) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end && !Stopped()) {
        const char c = *p;
        if (IsLineEnd(c)) {
            ++p;
            if (c == '\n' && afterCr_) { // the second half of a CR LF pair
                afterCr_ = false;
                continue;
            }
            afterCr_ = c == '\r';
            if (!inLine_) { // nothing between two line ends: a blank line
                BeginLine();
                if (Stopped()) break;
            }
            EndLine();
            continue;
        }
        afterCr_ = false;
        if (!inLine_) {
            BeginLine();
            if (Stopped()) break;
        }
        if (!checked_) {
            field_[fieldLength_++] = c;
            ++p;
            if (fieldLength_ == kPatternFieldWidth) CheckField();
            continue;
        }
        // The comment after the field: skip to the line end without looking at it.
        while (p < end && !IsLineEnd(*p)) ++p;
    }
    return !Stopped();
}

const PatternLoad& PatternParser::Finish() {
    if (!Stopped() && inLine_) EndLine(); // the last line had no line end
    return result_;
}

const PatternLoad& PatternParser::Abandon(PatternFault fault) {
    if (Stopped()) return result_;
    // The line being read was never read whole: it is the bad one, and its field does not count.
    if (inLine_ && checked_) result_.pattern.resize(result_.pattern.size() - fieldLength_);
    result_.fault = fault;
    return result_;
}

PatternLoad ParsePattern(std::string_view text, std::uint64_t most) {
    PatternParser parser;
    const std::string_view read = text.substr(0, std::size_t(std::min<std::uint64_t>(most, text.size())));
    if (parser.Feed(read) && read.size() < text.size()) parser.Abandon(PatternFault::TooLarge);
    PatternLoad result = parser.Finish();
    result.bytesRead = read.size();
    return result;
}

PatternLoad ReadPatternFile(const std::string& path) {
    PatternLoad refused;
    refused.fault = PatternFault::CannotOpen;

    // Opened without blocking, so that a pipe with no writer cannot hold the application up; it
    // is then refused with everything else that is not a plain file.
    const FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) return refused;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return refused;

    PatternParser parser;
    std::uint64_t bytesRead = 0;
    std::array<char, kPatternReadChunk> chunk;
    while (bytesRead < kMostPatternBytes) {
        const auto want = std::size_t(std::min<std::uint64_t>(chunk.size(), kMostPatternBytes - bytesRead));
        const ssize_t n = ::read(file.get(), chunk.data(), want);
        if (n < 0) {
            if (errno == EINTR) continue;
            parser.Abandon(PatternFault::ReadFailed);
            break;
        }
        if (n == 0) break;
        bytesRead += std::uint64_t(n);
        if (!parser.Feed(std::string_view(chunk.data(), std::size_t(n)))) break;
    }
    // All that may be read was read and the reading goes on: the file ends there only when its
    // size says so (a file of the system's own, which gives more than its size of 0, does not).
    if (bytesRead == kMostPatternBytes && !parser.Stopped() && std::uint64_t(info.st_size) != kMostPatternBytes)
        parser.Abandon(PatternFault::TooLarge);
    PatternLoad result = parser.Finish();
    result.bytesRead = bytesRead;
    return result;
}

} // namespace korvalin
