#include "listen/pitch_tracker.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace korvalin {
namespace {

constexpr double kQuietestDb = -120.0;
// A candidate period after which the window repeats worse than this is no tone (0 is a perfect
// repeat, 1 what unrelated sounds give).
constexpr double kMostMismatch = 0.35;
// A window that repeats this well after half the candidate period, and nearly as well as after a
// whole one, holds a tone an octave higher. A real note's odd harmonics make its half-period
// repeat poor: 0.7 to 0.9 for most, 0.2 for the darkest low saxophone notes, whose whole-period
// repeat is then near perfect.
constexpr double kSubharmonicMismatch = 0.25;
// A held note whose odd harmonics weigh less than this share of their most since it was taken is
// losing its octave to the one above.
constexpr double kFadedOctave = 1.0 / 3.0;
// Periods shorter than this many samples are refined.
constexpr double kRefinedPeriod = 100.0;

// Whether a window that repeats `once` after a period and `twice` after two holds the note an
// octave below: it repeats poorly after one period (the odd harmonics of the note below carry more
// than a few percent of the sound) and less than a third as badly after two.
bool OctaveBelowRepeatsBetter(double once, double twice) { return once > 0.08 && 3 * twice + 0.03 <= once; }

// The detector's objects, each owned by a unique_ptr that returns it to the library.
struct PitchDeleter {
    void operator()(aubio_pitch_t* p) const { del_aubio_pitch(p); }
};
struct VectorDeleter {
    void operator()(fvec_t* v) const { del_fvec(v); }
};
using PitchPtr = std::unique_ptr<aubio_pitch_t, PitchDeleter>;
using VectorPtr = std::unique_ptr<fvec_t, VectorDeleter>;

const char* MethodName(PitchMethod method) {
    switch (method) {
    case PitchMethod::YinTimeDomain: return "yin";
    case PitchMethod::Yin: break;
    }
    return "yinfast";
}

bool IsOctaveJump(int note, int from) { return note != from && (note - from) % 12 == 0; }

double LevelDb(const float* x, int n) {
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += double(x[i]) * x[i];
    if (n == 0 || sum <= 0) return kQuietestDb;
    return std::max(kQuietestDb, 10.0 * std::log10(sum / n));
}

// The analysis window as a plain copy, oldest sample first, on which the tracker checks the
// detector's candidates.
class Window {
public:
    explicit Window(int size) : samples_(std::size_t(size), 0.0f) {}
    void Push(const float* hop, int n) {
        std::move(samples_.begin() + n, samples_.end(), samples_.begin());
        std::copy(hop, hop + n, samples_.end() - n);
    }
    void Clear() { std::fill(samples_.begin(), samples_.end(), 0.0f); }

    // How badly the window repeats after `lag` samples: the squared difference of the newest
    // `span` samples with those `lag` earlier, over their energy (0 a perfect repeat, about 1 for
    // unrelated signals). Fractional lags read the earlier samples between two by cubic
    // interpolation, which stays exact enough for periods of a dozen samples.
    double Mismatch(double lag, int span) const {
        const int n = int(samples_.size());
        span = std::min(span, n - int(std::ceil(lag)) - 3);
        if (span <= 0) return 1.0;
        // The point `lag` samples before sample i lies at k + u, with k = i - whole - 1; it is
        // read from the samples k - 1 to k + 2 with Catmull-Rom weights.
        const int whole = int(std::floor(lag));
        const double u = 1.0 - (lag - whole);
        const double w0 = ((-u + 2) * u - 1) * u / 2, w1 = ((3 * u - 5) * u * u + 2) / 2,
                     w2 = ((-3 * u + 4) * u + 1) * u / 2, w3 = (u - 1) * u * u / 2;
        double diff = 0, energy = 0;
        for (int i = n - span; i < n; ++i) {
            const std::size_t k = std::size_t(i - whole - 1);
            const double y = w0 * samples_[k - 1] + w1 * samples_[k] + w2 * samples_[k + 1] + w3 * samples_[k + 2];
            const double x = samples_[std::size_t(i)];
            diff += (x - y) * (x - y);
            energy += x * x + y * y;
        }
        return energy > 0 ? diff / energy : 1.0;
    }

private:
    std::vector<float> samples_;
};

} // namespace

struct PitchTracker::Detector {
    PitchPtr pitch;
    VectorPtr hop;
    VectorPtr out;
    Window window;

    Detector(const char* method, int windowSize, int hopSize, int rate) : window(windowSize) {
        pitch.reset(new_aubio_pitch(method, uint_t(windowSize), uint_t(hopSize), uint_t(rate)));
        hop.reset(new_fvec(uint_t(hopSize)));
        out.reset(new_fvec(1));
        if (!pitch || !hop || !out) throw std::invalid_argument("the pitch detector could not be created");
        aubio_pitch_set_unit(pitch.get(), "Hz");
        // The level gate is the tracker's own, so the detector analyses every hop.
        aubio_pitch_set_silence(pitch.get(), smpl_t(kQuietestDb));
    }
};

double ClampReferenceA(double hz) {
    if (!std::isfinite(hz)) return kDefaultReferenceA;
    return std::clamp(hz, kLowestReferenceA, kHighestReferenceA);
}

NearestNote NearestMidiNote(double hz, double referenceA) {
    if (!(hz > 0) || !std::isfinite(hz) || !(referenceA > 0)) return {};
    const double pitch = 69.0 + 12.0 * std::log2(hz / referenceA);
    if (!std::isfinite(pitch)) return {};
    const double note = std::round(pitch);
    return {int(note), std::clamp(100.0 * (pitch - note), -50.0, 50.0)};
}

double MidiNoteFrequency(double note, double referenceA) {
    return referenceA * std::pow(2.0, (note - 69.0) / 12.0);
}

PitchTracker::PitchTracker(const PitchTrackerSettings& settings)
    : settings_(settings), referenceA_(ClampReferenceA(settings.referenceA)) {
    const double rate = settings_.sampleRate;
    if (!(rate >= 8000 && rate <= 192000)) throw std::invalid_argument("sample rate outside 8 kHz to 192 kHz");
    // The window holds two periods of the lowest note: 2048 samples at 44.1 or 48 kHz, about
    // 45 ms. The hop is an eighth of it, so a note is looked at every 5 to 6 ms.
    windowSize_ = 256;
    while (windowSize_ < 2.0 * rate / std::max(settings_.lowestHz, 1.0) || windowSize_ * 1000.0 / rate < 40.0)
        windowSize_ *= 2;
    hopSize_ = windowSize_ / 8;
    if (!(settings_.lowestHz > 0) || !(settings_.highestHz > settings_.lowestHz) || settings_.highestHz > rate / 4
        || windowSize_ > 16384)
        throw std::invalid_argument("frequency range outside what the analysis can hold");
    detector_ = std::make_unique<Detector>(MethodName(settings_.method), windowSize_, hopSize_, int(rate));
    current_.endSample = 0;
}

PitchTracker::~PitchTracker() = default;

// The window's own word on the detector's candidate, from how well it repeats after one period,
// after two and after half of one:
//   - it must repeat after one period at all; an attack or a click that the detector took for a
//     tone does not;
//   - when it repeats clearly better after two periods, the detector has taken the second
//     harmonic for the note, which lies an octave lower;
//   - when it repeats almost as well after half a period, the detector has taken a subharmonic
//     (as it can early in an attack), and the note lies an octave higher.
// Gives the frequency to use (0 for none) and how badly the window repeats after half of its
// period: the weight of the odd harmonics, which make the note this octave and not the one above.
// Without `mayHalve` the candidate is not taken down to the octave below.
PitchTracker::Candidate PitchTracker::ConfirmCandidate(double hz, bool mayHalve) const {
    const Window& w = detector_->window;
    const double period = settings_.sampleRate / hz;
    int span = windowSize_ - int(std::ceil(2 * period)) - 1;
    const bool twoPeriods = span >= hopSize_;
    if (!twoPeriods) span = windowSize_ - int(std::ceil(period)) - 1;
    const double once = w.Mismatch(period, span);
    const double twice = twoPeriods ? w.Mismatch(2 * period, span) : 1.0;
    const double half = period >= 4 ? w.Mismatch(period / 2, span) : 1.0;
    if (once > kMostMismatch) return {};
    // A sound whose true period is longer than any the tracker looks for (hum with a weak
    // fundamental) is no tone at the octave of its harmonic.
    if (mayHalve && twoPeriods && OctaveBelowRepeatsBetter(once, twice))
        return hz / 2 >= settings_.lowestHz ? Candidate{hz / 2, once, true} : Candidate{};
    // The octave above is taken only when it would not be taken down again by the rule above, so
    // the window gives the same note whichever octave the detector proposed. (Its odd harmonics'
    // weight is not known.)
    if (2 * hz <= settings_.highestHz && half < kSubharmonicMismatch && !OctaveBelowRepeatsBetter(half, once))
        return {2 * hz, -1};
    // The detector places short periods only to within a few cents (high notes span a dozen
    // samples); the best repeat a little either side of its period, fitted by a parabola, is finer.
    if (period < kRefinedPeriod) {
        const double step = 0.02 * period;
        const double before = w.Mismatch(period - step, span), after = w.Mismatch(period + step, span);
        const double curve = before - 2 * once + after;
        if (curve > 0) {
            const double shift = std::clamp(0.5 * (before - after) / curve, -1.0, 1.0) * step;
            return {settings_.sampleRate / (period + shift), period >= 4 ? half : -1};
        }
    }
    return {hz, period >= 4 ? half : -1};
}

int PitchTracker::HopsFor(double ms) const {
    return std::max(1, int(std::lround(ms * settings_.sampleRate / 1000.0 / hopSize_)));
}

void PitchTracker::Process(std::span<const float> samples) {
    float* hop = fvec_get_data(detector_->hop.get());
    for (float x : samples) {
        hop[filled_++] = std::isfinite(x) ? x : 0.0f;
        if (filled_ == hopSize_) {
            samplesFed_ += filled_;
            filled_ = 0;
            AnalyseHop();
        }
    }
}

void PitchTracker::Reset() {
    samplesFed_ += filled_;
    filled_ = 0;
    // The detector keeps its own window: feed it silence until it has forgotten the old sound.
    fvec_zeros(detector_->hop.get());
    for (int i = 0; i < windowSize_ / hopSize_; ++i)
        aubio_pitch_do(detector_->pitch.get(), detector_->hop.get(), detector_->out.get());
    detector_->window.Clear();
    pendingHops_ = 0;
    pendingNote_ = -1;
    heldNote_ = -1;
    heldOddWeight_ = 0;
    heldFading_ = false;
    fadedNote_ = -1;
    hopsSinceConfirmed_ = 0;
    hopsSinceHeard_ = 0;
    recentHeard_ = 0;
    const int64_t at = samplesFed_;
    current_ = PitchReading{};
    current_.endSample = at;
}

void PitchTracker::AnalyseHop() {
    Detector& d = *detector_;
    const float* hop = fvec_get_data(d.hop.get());
    d.window.Push(hop, hopSize_);
    aubio_pitch_do(d.pitch.get(), d.hop.get(), d.out.get());

    const double referenceA = referenceA_.load();
    const double level = LevelDb(hop, hopSize_);
    const double confidence = std::clamp(double(aubio_pitch_get_confidence(d.pitch.get())), 0.0, 1.0);
    double hz = fvec_get_sample(d.out.get(), 0);

    const double lowestNoteHz = MidiNoteFrequency(kLowestSaxophoneNote - kLowestNoteMarginCents / 100.0, referenceA);
    bool heard = level >= settings_.gateDb && confidence >= settings_.minConfidence && std::isfinite(hz)
                 && hz >= std::max(settings_.lowestHz, lowestNoteHz) && hz <= settings_.highestHz;

    double oddWeight = -1;
    if (heard) {
        Candidate confirmed = ConfirmCandidate(hz, true);
        // The note below that faded into this one does not come back on what is left of it.
        if (confirmed.halved && heldNote_ >= 0 && heldNote_ == fadedNote_ + 12
            && confirmed.oddWeight < kFadedOctave * fadedOddWeight_)
            confirmed = ConfirmCandidate(hz, false);
        hz = confirmed.hz;
        oddWeight = confirmed.oddWeight;
        heard = hz >= lowestNoteHz;
    }

    // The pitches of the latest hops heard without a break, newest first; a leap (to another
    // note, or an attack's octave giving way) is a break too: only a glide moves by small steps.
    if (heard) {
        const double pitch = 69.0 + 12.0 * std::log2(hz / referenceA);
        if (recentHeard_ > 0 && std::abs(pitch - recentPitch_[0]) * 100.0 > settings_.toleranceCents) recentHeard_ = 0;
        std::move_backward(recentPitch_.begin(), recentPitch_.end() - 1, recentPitch_.end());
        recentPitch_[0] = pitch;
        ++recentHeard_;
    } else {
        recentHeard_ = 0;
    }

    const int64_t at = samplesFed_;
    const PitchReading before = current_;
    PitchReading r = current_;
    r.levelDb = level;
    r.confidence = confidence;
    r.endSample = at;

    if (heldNote_ >= 0) ++heldHops_;
    if (heard) {
        const double pitch = 69.0 + 12.0 * std::log2(hz / referenceA);
        const int nearest = int(std::lround(pitch));
        if (heldNote_ >= 0 && std::abs(pitch - heldNote_) * 100.0 <= settings_.holdCents) {
            // The held note goes on. Once its odd harmonics have faded to a fraction of their
            // strongest, its octave is giving way (an attack that sounded the octave below before
            // the note itself spoke): it is no longer established, and the note above may take
            // over as soon as it is steady.
            if (oddWeight >= 0) {
                heldOddWeight_ = std::max(heldOddWeight_, oddWeight);
                heldFading_ = oddWeight < kFadedOctave * heldOddWeight_;
                if (heldFading_) heldHops_ = 0;
            }
            hopsSinceConfirmed_ = 0;
            pendingHops_ = 0;
            r.frequency = hz;
            r.cents = std::clamp(100.0 * (pitch - heldNote_), -50.0, 50.0);
        } else {
            // A new note settles while every hop is nearest to it and stays near the first one;
            // so a note scooped up from below is not first named as the one beneath it.
            if (pendingHops_ > 0 && nearest == pendingNote_
                && std::abs(pitch - pendingPitch_) * 100.0 <= settings_.toleranceCents) {
                ++pendingHops_;
            } else {
                pendingNote_ = nearest;
                pendingPitch_ = pitch;
                pendingHops_ = 1;
            }
            ++hopsSinceConfirmed_;
            // Only an established note is guarded against octave jumps; one just taken may still
            // be put right at once.
            const bool guarded = heldNote_ >= 0 && heldHops_ >= HopsFor(settings_.octaveJumpMs)
                                 && IsOctaveJump(pendingNote_, heldNote_);
            // It is taken only while the sound holds steady: over the latest hops heard (across
            // the notes it passed through) it has moved by little for each hop, so a slide
            // through the notes names none of them, while a scoop that has come to rest does.
            const int span = std::min(recentHeard_, int(recentPitch_.size())) - 1;
            const bool steady = span <= 0
                                || std::abs(pitch - recentPitch_[std::size_t(span)]) * 100.0 <= settings_.steadyCents * span;
            if (steady && pendingHops_ >= HopsFor(guarded ? settings_.octaveJumpMs : settings_.stableMs)) {
                // A note that takes over from the octave below it as that faded keeps the faded
                // note's strength in mind, so what is left of it does not bring it back.
                const bool fromFaded = heldNote_ >= 0 && heldFading_ && pendingNote_ == heldNote_ + 12;
                fadedNote_ = fromFaded ? heldNote_ : -1;
                fadedOddWeight_ = fromFaded ? heldOddWeight_ : 0;
                heldNote_ = pendingNote_;
                heldHops_ = 0;
                heldOddWeight_ = std::max(oddWeight, 0.0);
                heldFading_ = false;
                hopsSinceConfirmed_ = 0;
                pendingHops_ = 0;
                r.frequency = hz;
                r.cents = std::clamp(100.0 * (pitch - heldNote_), -50.0, 50.0);
            }
        }
    } else {
        pendingHops_ = 0;
        ++hopsSinceConfirmed_;
    }
    hopsSinceHeard_ = heard ? 0 : hopsSinceHeard_ + 1;

    // A held note ends after a drop-out longer than the release time, but not while the sound
    // goes on an octave away from it: that is the jump the octave rule is still weighing.
    const bool weighingOctave = heldNote_ >= 0 && IsOctaveJump(pendingNote_, heldNote_)
                                && hopsSinceHeard_ <= HopsFor(settings_.releaseMs);
    if (heldNote_ >= 0 && !weighingOctave && hopsSinceConfirmed_ > HopsFor(settings_.releaseMs)) heldNote_ = -1;

    r.hasNote = heldNote_ >= 0;
    if (r.hasNote) {
        r.midiNote = heldNote_;
    } else {
        r.midiNote = -1;
        r.frequency = 0;
        r.cents = 0;
    }
    r.changed = r.hasNote != before.hasNote || r.midiNote != before.midiNote;
    current_ = r;
    if (onPitch_) onPitch_(current_);
}

} // namespace korvalin
