// Every top-level window of the application with the caption a person reads in its title bar, for
// tests that go over all of them.
#pragma once

#include "app/window_registry.h"
#include "listen/listen_window.h"
#include "main_window/form1.h"
#include "metronome/metronome_window.h"
#include "midi/midi_control.h"
#include "printing/form12.h"
#include "reference/about_box.h"
#include "reference/chart_windows.h"
#include "reference/explainers.h"
#include "reference/help_viewer.h"
#include "scales/form2.h"
#include "scales/form3.h"

#include <QString>
#include <ostream>
#include <vector>

namespace korvalin {

struct WindowCase {
    const char* name;
    QWidget& (*open)(); // creates the window when it does not exist yet
    const char* caption;
};

inline void PrintTo(const WindowCase& c, std::ostream* os) { *os << c.name; }

template <class W>
QWidget& OpenWindow() { return Window<W>(); }

inline std::vector<WindowCase> EveryWindow() {
    return {
        {"Main", &OpenWindow<Form1>, "Korvalin"},
        {"About", &OpenWindow<AboutBox1>, "Korvalin"},
        {"SelectScale", &OpenWindow<Form2>, "Select Scale"},
        {"PatternLoad", &OpenWindow<Form3>, "Pattern Load"},
        {"MidiControl", &OpenWindow<MidiControl>, "Midi Control"},
        {"Metronome", &OpenWindow<MetronomeWindow>, "Metronome and Drone"},
        {"FingeringChart", &OpenWindow<Form4>, "Saxophone Fingering Chart"},
        {"AltissimoChart", &OpenWindow<Form13>, "Altissimo Chart"},
        {"CircleOfFifths", &OpenWindow<Form8>, "Circle of Fifths"},
        {"CircleExplained", &OpenWindow<Form11>, "Circle of fifth's"},
        {"Transposition", &OpenWindow<Form9>, "Transposition"},
        {"TopFive", &OpenWindow<Form7>, "Top 5!"},
        {"Mouthpiece", &OpenWindow<Form5>, "Mouthpiece"},
        {"Reed", &OpenWindow<Form10>, "Reed"},
        {"ScalePage", &OpenWindow<Form12>, "PrintScale"},
        {"Help", &OpenWindow<HelpWindow>, "Korvalin Help"},
        {"Listen", &OpenWindow<ListenWindow>, "Listen"},
    };
}

} // namespace korvalin
