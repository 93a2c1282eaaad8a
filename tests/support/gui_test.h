// The base of the window tests: each case starts from a fresh application, with no window open,
// the shared state as at start-up, a recording MIDI output, message and input boxes answered from
// a script, and the application's end counted instead of ending the test run. A fixture that
// watches the MIDI output more closely names its own recording output as `Output`.
#pragma once

#include "app/korvalin1.h"
#include "app/prompts.h"
#include "app/window_registry.h"
#include "main_window/form1.h"
#include "midi/midi_port.h"
#include "midi/outputs.h"
#include "tests/support/recording_midi_output.h"
#include "tests/support/recording_prompts.h"

#include <gtest/gtest.h>

#include <memory>
#include <type_traits>
#include <vector>

namespace korvalin {

template <class Output = RecordingMidiOutput>
class GuiTest : public ::testing::Test {
    static_assert(std::is_base_of_v<RecordingMidiOutput, Output>);

protected:
    void SetUp() override {
        Restart();
        midi = MakeOutput();
        SetMidiOutput(midi);
        prompts = std::make_shared<RecordingPrompts>();
        SetPrompts(prompts);
        Form1::EndApplication() = [this] { ++ended; };
    }
    void TearDown() override {
        DestroyAllWindows();
        SetMidiOutput(nullptr);
        SetPrompts(nullptr);
    }

    // The output the case records on; a fixture whose device opens differently makes its own.
    virtual std::shared_ptr<Output> MakeOutput() { return std::make_shared<Output>(); }

    // Closes every window and forgets the shared state, as for a new start of the application.
    static void Restart() {
        DestroyAllWindows();
        ResetKorvalin1();
    }

    std::shared_ptr<Output> midi;
    std::shared_ptr<RecordingPrompts> prompts;
    int ended = 0;
};

// For the cases that switch between outputs: the output in use at start-up is a recording built-in
// synthesizer, and the ports offered beside it are the recording outputs in `ports`.
class OutputChoiceTest : public GuiTest<> {
protected:
    std::shared_ptr<RecordingMidiOutput> MakeOutput() override {
        return std::make_shared<RecordingMidiOutput>(builtInOpens, "Built-in synthesizer");
    }
    void SetUp() override {
        GuiTest::SetUp();
        SetBuiltInSynthesizer(builtIn);
        SetPortLister([this] {
            ++listed;
            std::vector<OutputChoice> list;
            for (const auto& p : ports) list.push_back({p->Name(), [p] { return p; }});
            return list;
        });
    }
    void TearDown() override {
        GuiTest::TearDown();
        SetPortLister(nullptr);
        SetBuiltInSynthesizer(nullptr);
    }

    bool builtInOpens = true; // set before SetUp for a built-in synthesizer that fails to open
    std::shared_ptr<RecordingMidiOutput>& builtIn = midi;
    std::vector<std::shared_ptr<RecordingMidiOutput>> ports;
    int listed = 0; // how often the ports were asked for
};

} // namespace korvalin
