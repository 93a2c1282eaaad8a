// The metronome and drone measured: the event stream of a minute at 120 beats per minute, the
// clicks and the drone rendered offline through the synthesizer's sequencer (onset spacing and
// error, drone pitch), and the processor time the scheduling costs.
//   metronome_bench [seconds rendered, 60 by default]
#include "metronome/click_track.h"
#include "tests/metronome/metronome_render.h"
#include "bench/cpu_time.h"
#include "tests/support/recording_midi_output.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

using namespace korvalin;
using namespace korvalin::metronome_test;

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 60.0;
    std::printf("== Metronome and drone\n");

    // The event stream of a minute at 120 bpm, four beats a bar, with a drone.
    {
        RecordingMidiOutput out;
        ClickTrack track(out);
        const MetronomeSchedule schedule({.tempo = 120, .beatsPerBar = 4}, {.on = true, .note = 51});
        track.Start(schedule);
        int clicks = 0, accents = 0;
        double last = -1;
        while (auto next = track.NextEventTime()) {
            if (*next >= 60000) break;
            const std::size_t before = out.events.size();
            track.PlayUntil(*next);
            for (std::size_t i = before; i < out.events.size(); ++i) {
                const auto& e = out.events[i];
                if (e.Status() != kNoteOnStatus + kPercussionChannel || e.Data2() == 0) continue;
                ++clicks;
                accents += e.Data1() == kHighWoodBlockKey;
                last = *next;
            }
        }
        std::printf("event stream, 60 s at 120 bpm: %d clicks, %d accents, last click at %.1f ms\n", clicks,
                    accents, last);
    }

    // Scheduling alone: a long run of the player on a recording output (an external port's path).
    {
        const double hours = 10;
        RecordingMidiOutput out;
        ClickTrack track(out);
        track.Start(MetronomeSchedule({.tempo = 240, .beatsPerBar = 4}, {.on = true, .note = 51}));
        const double start = bench::CpuSeconds();
        const double end = hours * 3600e3;
        while (auto next = track.NextEventTime()) {
            if (*next >= end) break;
            track.PlayUntil(*next);
            if (out.events.size() > 100000) out.Clear();
        }
        const double cpu = bench::CpuSeconds() - start;
        std::printf("scheduling on a MIDI output, 240 bpm: %.3f us of processor time per beat "
                    "(%.2e of one core)\n",
                    cpu / (hours * 3600 * 4) * 1e6, cpu / (hours * 3600));
    }

    // Through the synthesizer, rendered offline: the click onsets and the processor time.
    for (int tempo : {120, 90}) {
        const MetronomeSchedule schedule({.tempo = tempo, .beatsPerBar = 4});
        const double start = bench::CpuSeconds();
        const Rendering r = Render(schedule, seconds);
        const double cpu = bench::CpuSeconds() - start;
        if (!r.ok) {
            std::printf("rendered clicks: the soundfont %s could not be loaded\n", kGeneralMidiSoundfont);
            return 1;
        }
        const ClickFigures f = MeasureClicks(schedule, r);
        std::printf("rendered clicks, %.0f s at %d bpm: %d of %d heard, %d misplaced, spacing %.4f ms, "
                    "error median %.3f ms, worst %.3f ms (attack: click %.2f ms, accent %.2f ms)\n",
                    seconds, tempo, f.clicks, f.expected, f.misplaced, f.intervalMs, f.medianErrorMs,
                    f.worstErrorMs, f.clickLatencyMs, f.accentLatencyMs);
        std::printf("  processor time to load the soundfont and render it: %.3f s (%.2f%% of real time)\n", cpu,
                    100.0 * cpu / seconds);
    }
    // The same, with nothing scheduled (the sequencer attached, the metronome silent): the
    // difference is what the clicks and their scheduling cost.
    {
        const MetronomeSchedule nothing({.clickOn = false});
        const double start = bench::CpuSeconds();
        const Rendering r = Render(nothing, seconds);
        const double cpu = bench::CpuSeconds() - start;
        std::printf("  the same with nothing scheduled (%.0f s): %.3f s "
                    "(%.2f%% of real time)\n",
                    seconds, cpu, 100.0 * cpu / seconds);
        (void)r;
    }

    // The drone on the tonic of a few scales, on the organs and, for comparison, the string ensemble.
    struct Drone {
        int concert;
        int program;
        const char* label;
    };
    for (const Drone& d : {Drone{63, kReedOrganProgram, "Eb, reed organ"}, Drone{58, kReedOrganProgram, "Bb, reed organ"},
                           Drone{60, kReedOrganProgram, "C, reed organ"}, Drone{66, kDrawbarOrganProgram, "F#, drawbar organ"},
                           Drone{63, kStringEnsembleProgram, "Eb, string ensemble"},
                           Drone{65, kStringEnsembleProgram, "F, string ensemble"}}) {
        const int note = LowDroneNote(d.concert);
        const MetronomeSchedule schedule({.clickOn = false}, {.on = true, .note = note, .volume = 40, .program = d.program});
        const Rendering r = Render(schedule, 4.0, 44100, 1.0);
        const double nominal = 440.0 * std::pow(2.0, (note - 69) / 12.0);
        const double hz = MeanFrequency(r.samples, r.rate, nominal, 1.0, 3.9);
        std::printf("drone %s (MIDI %d, %.3f Hz): %.3f Hz, %+.2f cents; loudest after the stop + 0.5 s: %.2e\n",
                    d.label, note, nominal, hz, CentsFrom(hz, note), PeakAfter(r, double(r.originSample) / r.rate + 4.5));
    }
    return 0;
}
