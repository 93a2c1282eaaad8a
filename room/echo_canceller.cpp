#include "room/echo_canceller.h"

#include <speex/speex_echo.h>
#include <speex/speex_preprocess.h>

#include <algorithm>
#include <cmath>

namespace korvalin {
namespace {

// The delay is looked for from a little before the nominal position (a server quicker than
// assumed) to 300 ms after it (a deep server buffer), over the
// envelopes of the last 1.5 s, twice a second while something sounds.
constexpr int kEarliestMs = -50;
constexpr int kLatestMs = 300;
constexpr int kWindowMs = 1500;
constexpr int kShortestWindowMs = 400; // the first measurements, before a whole window was heard
constexpr int kEnvelopeRing = 4096; // points kept of the microphone's envelope (about 4 s)
// How well the onsets must line up (normalised correlation) for a delay to be taken.
constexpr double kLeastCorrelation = 0.35;

double LevelDb(const float* x, int n) {
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += double(x[i]) * double(x[i]);
    const double rms = n > 0 ? std::sqrt(sum / n) : 0.0;
    return rms > 1e-6 ? std::max(-120.0, 20.0 * std::log10(rms)) : -120.0;
}

spx_int16_t ToInt16(float v) {
    if (!std::isfinite(v)) return 0;
    return spx_int16_t(std::clamp(std::lround(double(v) * 32767.0), -32768L, 32767L));
}

// How the envelope rises: onsets stand out, steady sound gives nothing.
void Onsets(const std::vector<float>& envelope, std::vector<float>& onsets) {
    onsets.assign(envelope.size(), 0.0f);
    for (std::size_t i = 1; i < envelope.size(); ++i) onsets[i] = std::max(0.0f, envelope[i] - envelope[i - 1]);
}

} // namespace

struct EchoCanceller::Speex {
    SpeexEchoState* echo = nullptr;
    SpeexPreprocessState* residual = nullptr;
    std::vector<spx_int16_t> near, far, out;
    ~Speex() {
        if (residual) speex_preprocess_state_destroy(residual);
        if (echo) speex_echo_state_destroy(echo);
    }
};

EchoCanceller::EchoCanceller(const PlaybackReference& reference, double captureRate, const EchoCancellerSettings& settings)
    : reference_(reference), settings_(settings), rate_(captureRate), frame_(std::max(64, settings.frame)),
      delay_(int64_t(settings.defaultDelayMs * captureRate / 1000.0)),
      margin_(int64_t(settings.marginMs * captureRate / 1000.0)),
      hop_(std::max(1, int(std::lround(captureRate / 1000.0)))), micEnvelope_(kEnvelopeRing, 0.0f) {
    far_.resize(std::size_t(frame_));
    near_.resize(std::size_t(frame_));
    cleaned_.resize(std::size_t(frame_));
    output_.assign(std::size_t(frame_), 0.0f);
    if (std::fabs(captureRate - reference.Rate()) > 0.5) return;
    auto speex = std::make_unique<Speex>();
    const int taps = int(settings.filterMs * captureRate / 1000.0);
    speex->echo = speex_echo_state_init(frame_, std::max(taps, frame_));
    if (!speex->echo) return;
    int rate = int(captureRate);
    speex_echo_ctl(speex->echo, SPEEX_ECHO_SET_SAMPLING_RATE, &rate);
    if (settings.suppressResidual) {
        speex->residual = speex_preprocess_state_init(frame_, rate);
        if (!speex->residual) return;
        // Only the echo is suppressed: no gain control, and the noise suppressor kept to a
        // decibel, since a long tone held steady would otherwise be taken for noise.
        int off = 0, on = 1, noiseDb = -1;
        speex_preprocess_ctl(speex->residual, SPEEX_PREPROCESS_SET_AGC, &off);
        speex_preprocess_ctl(speex->residual, SPEEX_PREPROCESS_SET_VAD, &off);
        speex_preprocess_ctl(speex->residual, SPEEX_PREPROCESS_SET_DEREVERB, &off);
        speex_preprocess_ctl(speex->residual, SPEEX_PREPROCESS_SET_DENOISE, &on);
        speex_preprocess_ctl(speex->residual, SPEEX_PREPROCESS_SET_NOISE_SUPPRESS, &noiseDb);
        speex_preprocess_ctl(speex->residual, SPEEX_PREPROCESS_SET_ECHO_STATE, speex->echo);
    }
    speex->near.resize(std::size_t(frame_));
    speex->far.resize(std::size_t(frame_));
    speex->out.resize(std::size_t(frame_));
    state_ = std::move(speex);
}

EchoCanceller::~EchoCanceller() = default;

double EchoCanceller::DelayMs() const { return 1000.0 * double(delay_) / rate_; }

void EchoCanceller::Process(std::span<float> mic, int64_t position) {
    if (!state_) return;
    if (input_.empty()) inputPosition_ = position;
    // A capture that skipped (an overrun) or went back starts its frames afresh.
    if (position != inputPosition_ + int64_t(input_.size())) {
        input_.clear();
        inputPosition_ = position;
    }
    std::size_t done = 0;
    while (done < mic.size()) {
        const std::size_t take = std::min(mic.size() - done, std::size_t(frame_) - input_.size());
        input_.insert(input_.end(), mic.begin() + std::ptrdiff_t(done), mic.begin() + std::ptrdiff_t(done + take));
        // What goes out in place of these samples is the cleaned frame before, in order.
        const std::size_t outFrom = input_.size() - take;
        std::copy(output_.begin() + std::ptrdiff_t(outFrom), output_.begin() + std::ptrdiff_t(outFrom + take),
                  mic.begin() + std::ptrdiff_t(done));
        done += take;
        if (input_.size() == std::size_t(frame_)) {
            ProcessFrame(input_.data(), output_.data(), inputPosition_);
            inputPosition_ += frame_;
            input_.clear();
        }
    }
}

void EchoCanceller::ProcessFrame(const float* in, float* out, int64_t position) {
    // A new start of the playback may have another latency: it is measured again, and until then
    // what the canceller leaves is not trusted.
    if (const int starts = reference_.Starts(); starts != starts_) {
        starts_ = starts;
        measured_ = false;
        settled_ = false;
        learnt_ = 0;
        unheard_ = 0;
    }
    NoteEnvelope(in, position, frame_);
    // Twice a second, four times until a delay is found.
    if (position - lastMeasure_ >= int64_t(rate_ / (measured_ ? 2 : 4))) MeasureDelay(position + frame_);

    reference_.Read(position - delay_ + margin_, far_);
    const bool farSilent = std::all_of(far_.begin(), far_.end(), [](float v) { return v == 0.0f; });
    quietFar_ = farSilent ? quietFar_ + frame_ : 0;
    micDb_ = LevelDb(in, frame_);
    // Once the filter's whole span has heard nothing of ours there is no echo to take out.
    if (quietFar_ > int64_t(settings_.filterMs * rate_ / 1000.0) + frame_) {
        std::copy(in, in + frame_, out);
        echoDb_ = -120;
        echoPeakDb_ = std::max(echoDb_, echoPeakDb_ - 60.0 * frame_ / rate_);
        return;
    }
    Speex& s = *state_;
    if (!farSilent) learnt_ += frame_;
    for (int i = 0; i < frame_; ++i) {
        s.near[std::size_t(i)] = ToInt16(in[i]);
        s.far[std::size_t(i)] = ToInt16(far_[std::size_t(i)]);
    }
    speex_echo_cancellation(s.echo, s.near.data(), s.far.data(), s.out.data());
    if (s.residual) speex_preprocess_run(s.residual, s.out.data());
    for (int i = 0; i < frame_; ++i) {
        out[i] = float(s.out[std::size_t(i)]) / 32768.0f;
        cleaned_[std::size_t(i)] = in[i] - out[i];
    }
    echoDb_ = LevelDb(cleaned_.data(), frame_);
    if (!farSilent && micDb_ > -70.0) reductionDb_ += 0.05 * ((micDb_ - LevelDb(out, frame_)) - reductionDb_);
    settled_ = settled_ || (measured_ && learnt_ >= int64_t(rate_ * kSettlesSeconds) && reductionDb_ >= kSettledReductionDb);
    echoPeakDb_ = std::max(echoDb_, echoPeakDb_ - 60.0 * frame_ / rate_);
}

void EchoCanceller::NoteEnvelope(const float* in, int64_t position, int count) {
    for (int i = 0; i < count; ++i) {
        const int64_t point = (position + i) / hop_;
        if (firstPoint_ < 0) firstPoint_ = point;
        if (point != envelopePoint_) {
            if (envelopePoint_ >= 0 && envelopeCount_ > 0)
                micEnvelope_[std::size_t(envelopePoint_ % kEnvelopeRing)] = float(std::sqrt(envelopeSum_ / envelopeCount_));
            // Points skipped by a gap in the capture hold silence.
            for (int64_t p = std::max(envelopePoint_ + 1, point - kEnvelopeRing + 1); envelopePoint_ >= 0 && p < point; ++p)
                micEnvelope_[std::size_t(p % kEnvelopeRing)] = 0.0f;
            envelopePoint_ = point;
            envelopeSum_ = 0;
            envelopeCount_ = 0;
        }
        const double v = std::isfinite(in[i]) ? double(in[i]) : 0.0;
        envelopeSum_ += v * v;
        ++envelopeCount_;
    }
}

bool MayBeThePlayer(const EchoCanceller* canceller, const OwnSound& own, OwnSoundGuard& synthGuard, int concertMidi,
                    double levelDb, int64_t ms) {
    const bool louderThanOurs = synthGuard.IsPlayer(own, concertMidi, levelDb, ms, OwnSound::Source::Synthesizer);
    if (!PastTheCancellersFirstMoments(own, concertMidi, ms)) return false;
    if (!canceller || !canceller->Active() || !own.SynthSounding(ms)) return true;
    if (canceller->FoundNoEcho()) return louderThanOurs;
    return canceller->Settled() && levelDb >= canceller->EchoPeakDb() - kPlayerUnderTheEchoDb;
}

void EchoCanceller::MeasureDelay(int64_t position) {
    lastMeasure_ = position;
    const int64_t endPoint = position / hop_; // the point being summed is not complete
    const int window = int(std::min<int64_t>(kWindowMs, endPoint - firstPoint_ - 1));
    if (window < kShortestWindowMs) return;
    const int span = window + kLatestMs - kEarliestMs;
    // The reference's envelope over the points the lags reach: from endPoint - window - latest.
    const int64_t firstRefPoint = endPoint - window - kLatestMs;
    scratch_.resize(std::size_t(span) * std::size_t(hop_));
    reference_.Read(firstRefPoint * hop_, scratch_);
    std::vector<float> refEnvelope(static_cast<std::size_t>(span)), micEnvelope(static_cast<std::size_t>(window));
    for (int p = 0; p < span; ++p) {
        double sum = 0;
        for (int i = 0; i < hop_; ++i) sum += double(scratch_[std::size_t(p * hop_ + i)]) * scratch_[std::size_t(p * hop_ + i)];
        refEnvelope[std::size_t(p)] = float(std::sqrt(sum / hop_));
    }
    for (int k = 0; k < window; ++k)
        micEnvelope[std::size_t(k)] = micEnvelope_[std::size_t((endPoint - window + k) % kEnvelopeRing)];
    std::vector<float> refOnsets, micOnsets;
    Onsets(refEnvelope, refOnsets);
    Onsets(micEnvelope, micOnsets);

    double micEnergy = 0;
    for (float v : micOnsets) micEnergy += double(v) * v;
    // Prefix sums of the reference's onset energy, for each lag's window.
    std::vector<double> prefix(refOnsets.size() + 1, 0.0);
    for (std::size_t i = 0; i < refOnsets.size(); ++i) prefix[i + 1] = prefix[i] + double(refOnsets[i]) * refOnsets[i];
    if (micEnergy <= 1e-12 || prefix.back() <= 1e-12) return;

    double best = 0;
    int bestLag = 0;
    for (int lag = kEarliestMs; lag <= kLatestMs; ++lag) {
        // Microphone point k hears the reference's point k - lag, at index k + latest - lag here.
        const int offset = kLatestMs - lag;
        const double refEnergy = prefix[std::size_t(offset + window)] - prefix[std::size_t(offset)];
        if (refEnergy <= 1e-12) continue;
        double sum = 0;
        for (int k = 0; k < window; ++k) sum += double(micOnsets[std::size_t(k)]) * refOnsets[std::size_t(k + offset)];
        const double c = sum / std::sqrt(micEnergy * refEnergy);
        if (c > best) {
            best = c;
            bestLag = lag;
        }
    }
    if (best < kLeastCorrelation) {
        ++unheard_;
        return;
    }
    unheard_ = 0;
    const int64_t delay = int64_t(bestLag) * hop_;
    // A canceller that works is left as it is: periodic sound (clicks on the beat, a scale) can
    // line up at more than one delay, and only the one the filter converged on takes the echo out.
    if (Settled()) return;
    measured_ = true;
    // The filter spans from `margin` before the delay to the rest of its length after it: a delay
    // found within most of that span is already modelled, and moving the reference would only
    // make the filter learn again. One outside it moves the reference, and the filter starts afresh.
    const int64_t taps = int64_t(settings_.filterMs * rate_ / 1000.0);
    if (delay - delay_ >= -margin_ / 2 && delay - delay_ <= taps - 2 * margin_) return;
    if (state_) speex_echo_state_reset(state_->echo);
    learnt_ = 0;
    reductionDb_ = 0;
    delay_ = delay;
}

} // namespace korvalin
