#include "listen/practice.h"

#include "app/note_table.h"
#include "listen/written_note.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace korvalin {
namespace {

// A heard note further than this from the step's note is another note altogether.
constexpr double kSameNoteCents = 50;

// `value` with `decimals` decimals and a decimal point whatever the locale; never "-0.0".
std::string Fixed(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    double v = std::round(value * scale) / scale;
    if (v == 0) v = 0; // drops the sign of a negative zero
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v, std::chars_format::fixed,
                                      decimals);
    return std::string(buffer.data(), result.ptr);
}

} // namespace

int ConcertPitchOf(int note, int transpositionRows) {
    // Before an instrument is chosen (0 rows) the notes are taken as they are written.
    const int semitones = transpositionRows == 0 ? 0 : TranspositionSemitones(transpositionRows);
    const int written = PitchOfRow(note);
    if (semitones < 0 || written < 0) return -1;
    return written - semitones;
}

std::string PracticeNoteName(int note) {
    const int pitch = PitchOfRow(note);
    if (pitch < 0) return {};
    return RowNameOfPitch(pitch, IsSharpSpelling(note) ? '#' : IsFlatSpelling(note) ? 'b' : ' ');
}

StepJudge::StepJudge(int writtenNote, int transpositionRows, double toleranceCents, std::int64_t holdMs)
    : target_(ConcertPitchOf(writtenNote, transpositionRows)), tolerance_(toleranceCents),
      hold_(std::max<std::int64_t>(holdMs, 0)) {}

void StepJudge::Begin(std::int64_t ms) {
    beginMs_ = ms;
    begun_ = true;
}

bool StepJudge::ReachedBy(std::int64_t nowMs) {
    if (reachedMs_) return true;
    if (!begun_ || !inTuneNow_ || !holdStart_ || nowMs - *holdStart_ < hold_) return false;
    reachedMs_ = *holdStart_ + hold_;
    return true;
}

std::optional<std::int64_t> StepJudge::ReachableAtMs() const {
    if (reachedMs_ || !begun_ || !inTuneNow_ || !holdStart_) return std::nullopt;
    return *holdStart_ + hold_;
}

void StepJudge::Hear(const HeardNote& heard) {
    if (!begun_ || heard.ms < beginMs_ || reachedMs_) return;
    // What was heard until now may already have completed the hold: the reading only tells what
    // comes after it.
    if (ReachedBy(heard.ms)) return;
    const double deviation = double(heard.concertMidi - target_) * 100.0 + (heard.fromMidi ? 0.0 : heard.cents);
    const bool onTarget = heard.hasNote && target_ >= 0 && std::fabs(deviation) <= kSameNoteCents;
    if (onTarget) {
        centsSum_ += deviation;
        ++centsCount_;
    }
    const bool inTune = onTarget && std::fabs(deviation) <= tolerance_;
    if (inTune) {
        if (!inTuneNow_) {
            const bool bridged = holdStart_ && dropStart_ && heard.ms - *dropStart_ < kDropOutGraceMs;
            if (!bridged) holdStart_ = heard.ms;
        }
        dropStart_.reset();
        inTuneNow_ = true;
    } else if (inTuneNow_) {
        dropStart_ = heard.ms;
        inTuneNow_ = false;
    }
}

std::optional<double> StepJudge::AverageCents() const {
    if (centsCount_ == 0) return std::nullopt;
    return centsSum_ / centsCount_;
}

std::optional<std::int64_t> StepJudge::TimeToHitMs() const {
    if (!reachedMs_) return std::nullopt;
    return *reachedMs_ - beginMs_;
}

bool InTune(const PracticeStep& step) {
    return step.reached && step.averageCents && std::fabs(std::round(*step.averageCents)) <= kInTuneZoneCents;
}

std::string CentsText(const std::optional<double>& cents) {
    if (!cents) return {};
    const long whole = std::lround(*cents);
    return (whole > 0 ? "+" : "") + std::to_string(whole);
}

std::string TimeToHitText(const std::optional<std::int64_t>& ms) {
    if (!ms) return {};
    return Fixed(double(*ms) / 1000.0, 2) + " s";
}

std::string PracticeSummary(const std::vector<PracticeStep>& steps) {
    int inTune = 0;
    bool heard = false;
    const PracticeStep* flattest = nullptr;
    long flattestCents = 0;
    for (const PracticeStep& s : steps) {
        if (InTune(s)) ++inTune;
        if (!s.averageCents) continue;
        heard = true;
        const long cents = std::lround(*s.averageCents);
        if (cents < flattestCents) {
            flattest = &s;
            flattestCents = cents;
        }
    }
    std::string line = std::to_string(inTune) + " of " + std::to_string(steps.size()) + " notes in tune; ";
    if (!heard) return line + "no note played";
    if (!flattest) return line + "none flat";
    return line + "flattest " + PracticeNoteName(flattest->note) + ", " + std::to_string(flattestCents) + " cents";
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string PracticeCsv(const std::vector<PracticeStep>& steps) {
    std::string csv = "Note,Average cents,Time to hit (s)\r\n";
    for (const PracticeStep& s : steps) {
        csv += CsvField(PracticeNoteName(s.note)) + ',';
        if (s.averageCents) csv += Fixed(*s.averageCents, 1);
        csv += ',';
        if (s.timeToHitMs) csv += Fixed(double(*s.timeToHitMs) / 1000.0, 3);
        csv += "\r\n";
    }
    return csv;
}

} // namespace korvalin
