#include "tests/listen/listen_corpus.h"

#include "midi/midi_port.h"
#include "midi/synth_output.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <filesystem>
#include <numbers>
#include <random>

namespace korvalin::listen_test {
namespace {

constexpr double kLeadSeconds = 0.25;    // quiet before each note
constexpr double kNoteSeconds = 0.60;    // the note held
constexpr double kTailSeconds = 0.35;    // after its end
constexpr double kSettleSeconds = 0.10;  // the start of a note left out of its tuning error
constexpr double kNamedAfterSeconds = 0.12; // a note reported this long is the note named

std::string ScientificName(int midi) {
    static const char* kNames[12] = {"C", "C#", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"};
    return std::string(kNames[((midi % 12) + 12) % 12]) + std::to_string(midi / 12 - 1);
}

double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// Gaussian white noise, the same for the same seed on every machine (the generator's output is
// fixed by the standard; the transform is our own).
class Noise {
public:
    explicit Noise(uint32_t seed) : engine_(seed) {}
    double Next() {
        const double u1 = (double(engine_()) + 1.0) / 4294967297.0;
        const double u2 = double(engine_()) / 4294967296.0;
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
    }

private:
    std::mt19937 engine_;
};

double FromDb(double db) { return std::pow(10.0, db / 20.0); }

std::vector<float> RenderFrames(SynthEngine& engine, int frames) {
    std::vector<float> stereo(2 * std::size_t(frames));
    for (int done = 0; done < frames;) {
        const int block = std::min(256, frames - done);
        engine.Render(stereo.data() + 2 * std::size_t(done), block);
        done += block;
    }
    std::vector<float> mono(static_cast<std::size_t>(frames));
    for (std::size_t i = 0; i < mono.size(); ++i) mono[i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
    return mono;
}

} // namespace

double ListenCase::FrequencyAt(int64_t at) const {
    if (vibratoCents == 0 || at < onset) return centreHz;
    const double t = double(at - onset) / sampleRate;
    return centreHz * std::pow(2.0, vibratoCents / 1200.0 * std::sin(2 * std::numbers::pi * vibratoHz * t));
}

const std::vector<Saxophone>& Saxophones() {
    static const std::vector<Saxophone> kSaxophones{
        {"soprano", 64, 2, 2},
        {"alto", 65, 12, 9},
        {"tenor", 66, 19, 14},
        {"baritone", 67, 29, 21},
    };
    return kSaxophones;
}

std::vector<ListenCase> RenderSaxophoneNotes(double rate, int step) {
    std::vector<ListenCase> cases;
    if (!std::filesystem::is_regular_file(kGeneralMidiSoundfont)) return cases;
    SynthEngine engine;
    SynthSettings settings;
    settings.soundfonts = {kGeneralMidiSoundfont};
    settings.audioDrivers = {};
    settings.sampleRate = rate;
    if (!engine.Load(settings)) return cases;

    const int lead = int(kLeadSeconds * rate), held = int(kNoteSeconds * rate), tail = int(kTailSeconds * rate);
    for (const Saxophone& sax : Saxophones()) {
        engine.Play(PackMidiMessage(0xC0, sax.program, 0));
        for (int written = 58; written <= 90; written += std::max(step, 1)) {
            const int concert = written - sax.semitonesDown;
            ListenCase c;
            c.label = std::string(sax.name) + " written " + ScientificName(written) + " (concert "
                      + ScientificName(concert) + ")";
            c.sampleRate = rate;
            c.expectedNote = concert;
            c.centreHz = MidiNoteFrequency(concert);
            c.onset = lead;
            c.release = lead + held;
            engine.Silence();
            c.samples = RenderFrames(engine, lead);
            engine.Play(PackMidiMessage(0x90, concert, 100));
            const std::vector<float> note = RenderFrames(engine, held);
            engine.Play(PackMidiMessage(0x90, concert, 0));
            const std::vector<float> after = RenderFrames(engine, tail);
            c.samples.insert(c.samples.end(), note.begin(), note.end());
            c.samples.insert(c.samples.end(), after.begin(), after.end());
            cases.push_back(std::move(c));
        }
    }
    return cases;
}

std::vector<ListenCase> SyntheticTones(double rate, int step) {
    // Harmonic amplitudes: a saxophone's octave is often stronger than its fundamental, and in
    // some notes the fundamental is weak indeed.
    static const std::vector<double> kRich{1.0, 1.4, 0.9, 0.7, 0.5, 0.35, 0.25, 0.18, 0.12, 0.08};
    static const std::vector<double> kWeakFundamental{0.25, 1.0, 0.7, 0.5, 0.4, 0.3, 0.2, 0.12};
    static const double kDetuneCents[] = {-30, -15, 0, 15, 30};
    constexpr double kToneDb = -18.0, kSnrDb = 20.0, kVibratoCents = 5.0, kVibratoHz = 5.0;

    std::vector<ListenCase> cases;
    const int lead = int(kLeadSeconds * rate), held = int(kNoteSeconds * rate), tail = int(kTailSeconds * rate);
    const int ramp = int(0.015 * rate);
    int index = 0;
    for (int midi = 36; midi <= 103; midi += std::max(step, 1), ++index) {
        const std::vector<double>& harmonics = index % 3 == 2 ? kWeakFundamental : kRich;
        const double detune = kDetuneCents[index % 5];
        ListenCase c;
        c.label = "tone " + ScientificName(midi) + (detune >= 0 ? " +" : " ") + std::to_string(int(detune)) + "c"
                  + (index % 3 == 2 ? " weak fundamental" : "");
        c.sampleRate = rate;
        c.expectedNote = midi;
        c.centreHz = MidiNoteFrequency(midi + detune / 100.0);
        c.vibratoCents = kVibratoCents;
        c.vibratoHz = kVibratoHz;
        c.onset = lead;
        c.release = lead + held;

        // Scale so the tone has the wanted RMS, counting only the harmonics below Nyquist.
        double power = 0;
        for (std::size_t h = 0; h < harmonics.size(); ++h)
            if ((h + 1) * c.centreHz * 1.01 < rate / 2) power += harmonics[h] * harmonics[h] / 2;
        const double gain = FromDb(kToneDb) / std::sqrt(power);
        const double noise = FromDb(kToneDb - kSnrDb);

        Noise n(1000u + uint32_t(midi));
        c.samples.resize(std::size_t(lead + held + tail));
        double phase = 0;
        for (int i = 0; i < lead + held + tail; ++i) {
            double x = 0;
            if (i >= lead && i < lead + held) {
                const double f = c.FrequencyAt(i);
                const int k = i - lead;
                const double envelope = std::min({1.0, double(k) / ramp, double(held - k) / ramp});
                for (std::size_t h = 0; h < harmonics.size(); ++h)
                    if ((h + 1) * f < rate / 2) x += harmonics[h] * std::sin(double(h + 1) * phase);
                x *= gain * envelope;
                phase += 2 * std::numbers::pi * f / rate;
                if (phase > 2 * std::numbers::pi) phase -= 2 * std::numbers::pi;
            }
            c.samples[std::size_t(i)] = float(x + noise * n.Next());
        }
        cases.push_back(std::move(c));
    }
    return cases;
}

std::vector<float> Silence(double rate, double seconds) { return std::vector<float>(std::size_t(rate * seconds), 0.0f); }

std::vector<float> WhiteNoise(double rate, double seconds, double levelDb, uint32_t seed) {
    Noise n(seed);
    std::vector<float> x(std::size_t(rate * seconds));
    const double level = FromDb(levelDb);
    for (float& s : x) s = float(level * n.Next());
    return x;
}

std::vector<float> ClickTrain(double rate, double seconds, double perSecond, uint32_t seed) {
    Noise n(seed);
    std::vector<float> x(std::size_t(rate * seconds), 0.0f);
    const int every = std::max(1, int(rate / perSecond));
    const int burst = int(0.004 * rate);
    int count = 0;
    for (std::size_t at = std::size_t(every) / 2; at < x.size(); at += std::size_t(every), ++count) {
        if (count % 2 == 0) {
            // A key click: a few milliseconds of noise, decaying fast.
            for (int i = 0; i < burst && at + std::size_t(i) < x.size(); ++i)
                x[at + std::size_t(i)] = float(0.5 * std::exp(-6.0 * i / burst) * n.Next());
        } else {
            x[at] = 0.9f; // a single-sample tick
        }
    }
    return x;
}

ReferencePitch::ReferencePitch(const ListenCase& c) : rate_(c.sampleRate), nominalHz_(c.centreHz) {
    // Demodulate at the nominal fundamental and smooth twice over four of its periods: what is
    // left turns at the rate the true fundamental differs from the nominal one, while the
    // harmonics fall on the smoothing's zeros.
    const std::size_t n = c.samples.size();
    const int length = std::max(2, int(std::lround(4.0 * rate_ / nominalHz_)));
    delay_ = length - 1; // two boxcars of `length`, each (length - 1) / 2 late
    std::vector<std::complex<double>> z(n), once(n);
    const double w = 2 * std::numbers::pi * nominalHz_ / rate_;
    for (std::size_t i = 0; i < n; ++i) z[i] = double(c.samples[i]) * std::polar(1.0, -w * double(i));
    auto boxcar = [&](const std::vector<std::complex<double>>& in, std::vector<std::complex<double>>& out) {
        std::complex<double> sum = 0;
        for (std::size_t i = 0; i < n; ++i) {
            sum += in[i];
            if (i >= std::size_t(length)) sum -= in[i - std::size_t(length)];
            out[i] = sum;
        }
    };
    boxcar(z, once);
    boxcar(once, z);
    phase_.resize(n);
    double unwrapped = 0, last = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double p = std::arg(z[i]);
        double step = p - last;
        step -= 2 * std::numbers::pi * std::round(step / (2 * std::numbers::pi));
        unwrapped += i ? step : p;
        last = p;
        phase_[i] = unwrapped;
    }
}

double ReferencePitch::MeanHz(int64_t from, int64_t to) const {
    const int64_t a = from + delay_, b = to + delay_;
    if (a < 0 || b >= int64_t(phase_.size()) || b <= a) return 0;
    return nominalHz_ + (phase_[std::size_t(b)] - phase_[std::size_t(a)]) / (2 * std::numbers::pi) * rate_ / double(b - a);
}

CaseResult Evaluate(const ListenCase& c, const PitchTrackerSettings& settings, std::size_t bufferFrames) {
    PitchTrackerSettings s = settings;
    s.sampleRate = c.sampleRate;
    PitchTracker tracker(s);
    const ReferencePitch reference(c);
    CaseResult r;
    std::vector<double> errors;
    const int64_t window = tracker.WindowSize();
    const int64_t settled = c.onset + int64_t(kSettleSeconds * c.sampleRate);
    const int64_t heldLong = int64_t(kNamedAfterSeconds * c.sampleRate);
    int runNote = -1;
    int64_t runStart = 0;
    tracker.SetOnPitch([&](const PitchReading& p) {
        if (!p.hasNote) {
            runNote = -1;
            return;
        }
        if (p.endSample <= c.onset) {
            r.early = true;
            return;
        }
        if (r.firstNote < 0) r.firstNote = p.midiNote;
        r.heard = true;
        if (p.midiNote != c.expectedNote && (p.midiNote - c.expectedNote) % 12 == 0) {
            r.octaveError = true;
            r.octaveAfterNote = r.octaveAfterNote || r.onsetToStableMs >= 0;
        }
        if (p.midiNote != runNote) {
            runNote = p.midiNote;
            runStart = p.endSample;
        }
        if (r.namedNote < 0 && p.endSample - runStart >= heldLong) r.namedNote = runNote;
        if (p.midiNote != c.expectedNote) return;
        if (r.onsetToStableMs < 0) r.onsetToStableMs = double(p.endSample - c.onset) * 1000.0 / c.sampleRate;
        // What the tracker heard against what sounded over the same window.
        if (p.endSample - window >= settled && p.endSample <= c.release) {
            const double truth = reference.MeanHz(p.endSample - window, p.endSample);
            if (truth > 0) errors.push_back(std::abs(1200.0 * std::log2(p.frequency / truth)));
        }
    });
    for (std::size_t at = 0; at < c.samples.size(); at += bufferFrames) {
        const std::size_t n = std::min(bufferFrames, c.samples.size() - at);
        tracker.Process(std::span<const float>(c.samples.data() + at, n));
    }
    r.named = r.namedNote == c.expectedNote && !r.early;
    r.firstNamed = r.firstNote == c.expectedNote;
    r.medianCents = Median(errors);
    return r;
}

Figures Summarise(const std::vector<ListenCase>& cases, const std::vector<CaseResult>& results) {
    Figures f;
    std::vector<double> cents, onset;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const CaseResult& r = results[i];
        ++f.cases;
        f.firstNamed += r.firstNamed ? 1 : 0;
        f.octaveErrors += r.octaveError ? 1 : 0;
        if (r.octaveAfterNote) {
            ++f.octaveJumps;
            f.octaveJumped.push_back(cases[i].label);
        }
        if (r.named) {
            ++f.named;
        } else {
            f.misnamed.push_back(cases[i].label + ": named " + std::to_string(r.namedNote) + ", first heard "
                                 + std::to_string(r.firstNote) + (r.octaveError ? ", an octave error" : "")
                                 + (r.octaveAfterNote ? ", an octave after the note" : "")
                                 + (r.early ? ", a note before the onset" : ""));
        }
        if (r.medianCents >= 0) cents.push_back(r.medianCents);
        if (r.onsetToStableMs >= 0) onset.push_back(r.onsetToStableMs);
    }
    f.namedShare = f.cases ? double(f.named) / f.cases : 0;
    f.medianCents = Median(cents);
    f.worstCents = cents.empty() ? -1 : *std::max_element(cents.begin(), cents.end());
    f.medianOnsetMs = Median(onset);
    f.worstOnsetMs = onset.empty() ? -1 : *std::max_element(onset.begin(), onset.end());
    return f;
}

int HopsWithNote(const std::vector<float>& samples, const PitchTrackerSettings& settings) {
    PitchTracker tracker(settings);
    int hops = 0;
    tracker.SetOnPitch([&](const PitchReading& p) { hops += p.hasNote ? 1 : 0; });
    tracker.Process(samples);
    return hops;
}

} // namespace korvalin::listen_test
