#include "tests/metronome/metronome_render.h"

#include "metronome/sequencer_click_track.h"
#include "tests/listen/listen_corpus.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>

namespace korvalin::metronome_test {
namespace {

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

} // namespace

OfflineSynth::OfflineSynth(double rate) {
    settings_ = new_fluid_settings();
    fluid_settings_setnum(settings_, "synth.sample-rate", rate);
    fluid_settings_setint(settings_, "synth.chorus.active", 0);
    fluid_settings_setint(settings_, "synth.reverb.active", 0);
    fluid_settings_setint(settings_, "synth.threadsafe-api", 1);
    synth_ = new_fluid_synth(settings_);
}

OfflineSynth::~OfflineSynth() {
    if (synth_) delete_fluid_synth(synth_);
    delete_fluid_settings(settings_);
}

bool OfflineSynth::Load() {
    return synth_ && std::filesystem::is_regular_file(kGeneralMidiSoundfont)
           && fluid_synth_sfload(synth_, kGeneralMidiSoundfont, 1) != FLUID_FAILED;
}

void OfflineSynth::Write(std::vector<float>& mono, int64_t frames) {
    std::vector<float> left(512), right(512);
    for (int64_t done = 0; done < frames;) {
        const int block = int(std::min<int64_t>(512, frames - done));
        fluid_synth_write_float(synth_, block, left.data(), 0, 1, right.data(), 0, 1);
        for (int i = 0; i < block; ++i) mono.push_back(0.5f * (left[std::size_t(i)] + right[std::size_t(i)]));
        done += block;
    }
}

Rendering Render(const MetronomeSchedule& schedule, double seconds, double rate, double tailSeconds) {
    Rendering r;
    r.rate = rate;
    OfflineSynth synth(rate);
    if (!synth.Load()) return r;
    // The sequencer is made after the synthesizer and goes before it.
    {
        SequencerClickTrack track(synth.Synth(), false);
        if (!track.Valid()) return r;
        const unsigned origin = track.Start(schedule);
        r.originSample = int64_t(std::llround(double(origin) * rate / 1000.0));
        r.samples.reserve(std::size_t((seconds + tailSeconds) * rate) + 1024);
        synth.Write(r.samples, r.originSample + int64_t(std::llround(seconds * rate)));
        track.Stop();
        synth.Write(r.samples, int64_t(std::llround(tailSeconds * rate)));
        r.ok = true;
    }
    return r;
}

std::vector<int64_t> Onsets(const std::vector<float>& samples, double rate, double quietMs) {
    float peak = 0;
    for (float s : samples) peak = std::max(peak, std::abs(s));
    std::vector<int64_t> onsets;
    if (peak <= 0) return onsets;
    const float threshold = 0.1f * peak;
    const int64_t quiet = int64_t(quietMs * rate / 1000.0);
    int64_t lastLoud = -quiet - 1;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) < threshold) continue;
        if (int64_t(i) - lastLoud > quiet) onsets.push_back(int64_t(i));
        lastLoud = int64_t(i);
    }
    return onsets;
}

ClickFigures MeasureClicks(const MetronomeSchedule& schedule, const Rendering& r) {
    ClickFigures f;
    const std::vector<int64_t> onsets = Onsets(r.samples, r.rate);
    f.clicks = int(onsets.size());
    const auto rate = int64_t(std::llround(r.rate));
    const double beatSamples = 60.0 * r.rate / schedule.Tempo();
    while (r.originSample + schedule.BeatTime(f.expected).Sample(rate) < int64_t(r.samples.size())) ++f.expected;

    // Each onset against its nearest beat, the accent and the other clicks apart.
    std::map<bool, std::vector<std::pair<int64_t, double>>> late; // accent? -> (beat, samples late)
    int64_t previousBeat = -1;
    for (int64_t at : onsets) {
        const int64_t beat = std::llround(double(at - r.originSample) / beatSamples);
        const double offset = double(at - r.originSample - schedule.BeatTime(beat).Sample(rate));
        if (beat < 0 || beat <= previousBeat || std::abs(offset) > 0.02 * r.rate) {
            ++f.misplaced;
            continue;
        }
        previousBeat = beat;
        late[beat % schedule.BeatsPerBar() == 0].push_back({beat, offset});
    }
    std::vector<double> errors;
    for (auto& [accent, list] : late) {
        std::vector<double> offsets;
        for (const auto& p : list) offsets.push_back(p.second);
        const double latency = Median(offsets);
        (accent ? f.accentLatencyMs : f.clickLatencyMs) = latency * 1000.0 / r.rate;
        for (double o : offsets) errors.push_back(std::abs(o - latency) * 1000.0 / r.rate);
    }
    // The spacing: the slope of a straight line through every onset (less its sound's attack)
    // against its beat number, fitted by least squares.
    double n = 0, sumBeat = 0, sumAt = 0, sumBeatBeat = 0, sumBeatAt = 0;
    for (auto& [accent, list] : late) {
        const double latency = (accent ? f.accentLatencyMs : f.clickLatencyMs) * r.rate / 1000.0;
        for (const auto& [beat, offset] : list) {
            const double x = double(beat), y = double(schedule.BeatTime(beat).Sample(rate)) + offset - latency;
            n += 1, sumBeat += x, sumAt += y, sumBeatBeat += x * x, sumBeatAt += x * y;
        }
    }
    if (n >= 2) f.intervalMs = (n * sumBeatAt - sumBeat * sumAt) / (n * sumBeatBeat - sumBeat * sumBeat) * 1000.0 / r.rate;
    f.medianErrorMs = Median(errors);
    f.worstErrorMs = errors.empty() ? 0 : *std::max_element(errors.begin(), errors.end());
    return f;
}

RecordedClickFigures MeasureRecordedClicks(const std::vector<float>& samples, double rate, double beatMs) {
    RecordedClickFigures f;
    const auto n = int64_t(samples.size());
    // Holes: four or more samples of exact silence after the first sound, as [start, end).
    std::vector<std::pair<int64_t, int64_t>> holes;
    int64_t first = 0;
    while (first < n && samples[std::size_t(first)] == 0.0f) ++first;
    for (int64_t i = first; i < n;) {
        int64_t end = i;
        while (end < n && samples[std::size_t(end)] == 0.0f) ++end;
        if (end - i >= 4) holes.push_back({i, end});
        i = end + 1;
    }
    f.holes = int(holes.size());
    std::vector<float> d(samples.size(), 0.0f);
    for (int64_t i = first + 1; i < n; ++i) d[std::size_t(i)] = samples[std::size_t(i)] - samples[std::size_t(i - 1)];
    const std::vector<int64_t> onsets = Onsets(d, rate);
    f.clicks = int(onsets.size());

    // A click's window: from a little before its onset to well into its sound, with room to slide.
    const auto before = int64_t(0.002 * rate), length = int64_t(0.02 * rate), slide = int64_t(0.003 * rate);
    auto whole = [&](int64_t onset) {
        const int64_t from = onset - before - slide, to = onset - before + length + slide;
        if (from < 0 || to > n) return false;
        return std::none_of(holes.begin(), holes.end(), [&](const auto& h) { return h.first < to && h.second > from; });
    };
    const auto model = std::find_if(onsets.begin(), onsets.end(), whole);
    if (model == onsets.end()) return f;
    const int64_t m = *model - before;
    // Each whole click placed where it matches the model best.
    std::vector<std::optional<double>> at;
    for (int64_t onset : onsets) {
        if (!whole(onset)) {
            ++f.damaged;
            at.push_back(std::nullopt);
            continue;
        }
        double best = -1e30;
        int64_t bestLag = 0;
        for (int64_t lag = -slide; lag <= slide; ++lag) {
            double sum = 0;
            const int64_t start = onset - before + lag;
            for (int64_t k = 0; k < length; ++k) sum += double(d[std::size_t(m + k)]) * double(d[std::size_t(start + k)]);
            if (sum > best) best = sum, bestLag = lag;
        }
        at.push_back(double(onset + bestLag));
    }
    std::vector<double> lengths, errors;
    for (std::size_t k = 1; k < at.size(); ++k) {
        if (!at[k] || !at[k - 1]) continue;
        const double ms = (*at[k] - *at[k - 1]) * 1000.0 / rate;
        if (std::abs(ms - beatMs) > 0.25 * beatMs) continue; // a click missed or doubled
        lengths.push_back(ms);
        errors.push_back(std::abs(ms - beatMs));
    }
    f.intervals = int(lengths.size());
    if (!lengths.empty()) {
        double sum = 0;
        for (double l : lengths) sum += l;
        f.intervalMs = sum / double(lengths.size());
        f.medianErrorMs = Median(errors);
        f.worstErrorMs = *std::max_element(errors.begin(), errors.end());
    }
    return f;
}

double MeanFrequency(const std::vector<float>& samples, double rate, double nominalHz, double from, double to) {
    listen_test::ListenCase c;
    c.samples = samples;
    c.sampleRate = rate;
    c.centreHz = nominalHz;
    const listen_test::ReferencePitch reference(c);
    return reference.MeanHz(int64_t(from * rate), int64_t(to * rate));
}

double CentsFrom(double hz, int midi) { return 1200.0 * std::log2(hz / (440.0 * std::pow(2.0, (midi - 69) / 12.0))); }

double PeakAfter(const Rendering& r, double fromSeconds) {
    float peak = 0;
    for (std::size_t i = std::size_t(std::max(0.0, fromSeconds * r.rate)); i < r.samples.size(); ++i)
        peak = std::max(peak, std::abs(r.samples[i]));
    return peak;
}

} // namespace korvalin::metronome_test
