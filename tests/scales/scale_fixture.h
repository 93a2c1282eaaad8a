// A fresh application for each case: the main window loaded on a recording MIDI output with
// recorded input boxes, and helpers that watch which notes the main window plays.
#pragma once

#include "app/korvalin1.h"
#include "app/prompts.h"
#include "app/window_registry.h"
#include "main_window/form1.h"
#include "midi/midi_port.h"
#include "scales/playback.h"
#include "tests/support/recording_prompts.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace korvalin {

// Notes the main window strikes: the written note current at each Note On with a velocity.
class NoteWatcher : public RecordingMidiOutput {
public:
    struct Struck {
        int note;
        qint64 ms;
        int depth;
        uint8_t key;
    };
    NoteWatcher() { clock.start(); }
    void Send(uint32_t message) override {
        RecordingMidiOutput::Send(message);
        const auto& e = events.back();
        if ((e.Status() & 0xF0) == 0x90 && e.Data2() > 0)
            struck.push_back({WindowLoaded<Form1>() ? Window<Form1>().CurrentNote : -1, clock.elapsed(),
                              PlaybackRunDepth(), e.Data1()});
    }
    // One entry per step: every step strikes its note twice in a row.
    std::vector<int> Steps() const {
        std::vector<int> notes;
        for (size_t i = 0; i + 1 < struck.size(); i += 2) notes.push_back(struck[i].note);
        return notes;
    }
    qint64 StepTime(size_t step) const { return struck.at(2 * step).ms; }
    QElapsedTimer clock;
    std::vector<Struck> struck;
};

struct ScaleFixture : ::testing::Test {
    void SetUp() override {
        DestroyAllWindows();
        ResetKorvalin1();
        notes = std::make_shared<NoteWatcher>();
        SetMidiOutput(notes);
        prompts = std::make_shared<RecordingPrompts>();
        SetPrompts(prompts);
        Form1::EndApplication() = [this] { ended++; };
        LeadInQuestion() = [this] { return leadIn; };
    }
    void TearDown() override {
        LeadInQuestion() = nullptr;
        DestroyAllWindows();
        SetMidiOutput(nullptr);
        SetPrompts(nullptr);
    }
    // The main window after start-up, with nothing struck yet.
    Form1& Main() {
        Form1& f = Window<Form1>();
        notes->struck.clear();
        return f;
    }

    std::shared_ptr<NoteWatcher> notes;
    std::shared_ptr<RecordingPrompts> prompts;
    int ended = 0;
    bool leadIn = false;
};

} // namespace korvalin
