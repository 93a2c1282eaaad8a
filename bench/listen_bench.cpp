// How well and how cheaply the pitch tracker hears: every written note from Bb3 to F#6 of the four
// saxophones rendered by the built-in synthesizer at its concert pitch, harmonic tones with vibrato
// in noise from concert C2 to G7, and sounds that must give no note. Prints, per set: notes named
// correctly, the median tuning error, the time from a note's onset to its first steady reading
// (stream time), and the CPU the tracker uses per second of audio; over all notes, each figure with
// the bound it must meet and whether it does.
//   listen_bench [sample rate]
#include "bench/cpu_time.h"
#include "listen/pitch_tracker.h"
#include "tests/listen/listen_corpus.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

using namespace korvalin;
using namespace korvalin::listen_test;

namespace {

// The listening figures promised: at least 99 % of the notes named, a median tuning error of at
// most 3 cents, a median of at most 60 ms from onset to the first steady note, no note at all in
// 10 s of silence, white noise or key clicks, and at most 3 % of a core.
constexpr double kLeastNamedPercent = 99.0;
constexpr double kMostMedianCents = 3.0;
constexpr double kMostMedianOnsetMs = 60.0;
constexpr double kMostCpuPercent = 3.0;

const char* Verdict(bool met) { return met ? "met" : "NOT MET"; }

// Evaluates and prints one set; gives its results for the figures over all sets.
std::vector<CaseResult> ReportSet(const char* name, const std::vector<ListenCase>& cases, const PitchTrackerSettings& settings) {
    std::vector<CaseResult> results;
    for (const ListenCase& c : cases) results.push_back(Evaluate(c, settings));
    const Figures f = Summarise(cases, results);
    std::printf("%s\n  %d of %d named (%.1f %%); first note heard right in %d; octave errors %d\n"
                "  median error %.2f cents (worst case %.2f)\n"
                "  onset to steady note: median %.1f ms (worst %.1f)\n",
                name, f.named, f.cases, 100.0 * f.namedShare, f.firstNamed, f.octaveErrors, f.medianCents,
                f.worstCents, f.medianOnsetMs, f.worstOnsetMs);
    for (const std::string& m : f.misnamed) std::printf("    not named: %s\n", m.c_str());
    std::printf("  octave jumps away from the note heard: %d\n", f.octaveJumps);
    for (const std::string& m : f.octaveJumped) std::printf("    octave jump: %s\n", m.c_str());
    return results;
}

// CPU seconds per second of audio, as a percentage of one core, over every case fed in 512-frame
// buffers (as a capture callback would).
double CpuPercent(const std::vector<ListenCase>& cases, const PitchTrackerSettings& settings, double rate) {
    PitchTracker tracker(settings);
    int64_t heard = 0;
    tracker.SetOnPitch([&](const PitchReading& p) { heard += p.hasNote; });
    double audioSeconds = 0;
    const double start = bench::CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    for (int pass = 0; pass < 3; ++pass)
        for (const ListenCase& c : cases) {
            for (std::size_t at = 0; at < c.samples.size(); at += 512)
                tracker.Process(std::span<const float>(c.samples.data() + at, std::min<std::size_t>(512, c.samples.size() - at)));
            audioSeconds += double(c.samples.size()) / rate;
        }
    const double used = bench::CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start;
    return heard >= 0 ? 100.0 * used / audioSeconds : 0;
}

} // namespace

int main(int argc, char** argv) {
    const double rate = argc > 1 ? std::atof(argv[1]) : 44100.0;
    PitchTrackerSettings settings;
    settings.sampleRate = rate;

    std::printf("Listening (pitch tracker, %.0f Hz, window %d, hop %d samples)\n", rate,
                PitchTracker(settings).WindowSize(), PitchTracker(settings).HopSize());
    const std::vector<ListenCase> sax = RenderSaxophoneNotes(rate);
    std::vector<CaseResult> results;
    if (sax.empty()) std::printf("saxophone notes: soundfont %s could not be loaded\n", kGeneralMidiSoundfont);
    else results = ReportSet("saxophones, written Bb3..F#6", sax, settings);
    const std::vector<ListenCase> tones = SyntheticTones(rate);
    const std::vector<CaseResult> toneResults = ReportSet("tones C2..G7, vibrato, 20 dB SNR", tones, settings);

    std::vector<ListenCase> all = sax;
    all.insert(all.end(), tones.begin(), tones.end());
    results.insert(results.end(), toneResults.begin(), toneResults.end());
    const Figures f = Summarise(all, results);
    std::printf("all notes\n  %d of %d named (%.1f %%; at least %.0f %%: %s); first note heard right in %d; octave errors %d\n"
                "  median error %.2f cents (at most %.0f: %s)\n"
                "  onset to steady note: median %.1f ms (at most %.0f: %s)\n",
                f.named, f.cases, 100.0 * f.namedShare, kLeastNamedPercent,
                Verdict(100.0 * f.namedShare >= kLeastNamedPercent), f.firstNamed, f.octaveErrors, f.medianCents,
                kMostMedianCents, Verdict(f.medianCents <= kMostMedianCents), f.medianOnsetMs, kMostMedianOnsetMs,
                Verdict(f.medianOnsetMs <= kMostMedianOnsetMs));

    const struct {
        const char* what;
        std::vector<float> x;
    } quiet[] = {
        {"10 s of silence", Silence(rate, 10)},
        {"10 s of white noise at -20 dBFS", WhiteNoise(rate, 10, -20, 7)},
        {"10 s of key clicks, 8 a second", ClickTrain(rate, 10, 8, 11)},
    };
    for (const auto& q : quiet) {
        const int hops = HopsWithNote(q.x, settings);
        std::printf("%-34s %d hops with a note (none: %s)\n", q.what, hops, Verdict(hops == 0));
    }

    const double cpu = CpuPercent(all, settings, rate);
    std::printf("%-34s %.2f %% of a core (at most %.0f %%: %s)\n", "CPU per second of audio", cpu, kMostCpuPercent,
                Verdict(cpu <= kMostCpuPercent));
    PitchTrackerSettings yin = settings;
    yin.method = PitchMethod::YinTimeDomain;
    std::printf("%-34s %.2f %% of a core\n", "  with YIN computed directly", CpuPercent(all, yin, rate));
    return 0;
}
