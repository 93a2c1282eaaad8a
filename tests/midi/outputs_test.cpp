// External ports, the list of outputs and the quiet handling of missing sound systems.
#include "app/korvalin1.h"
#include "midi/audio_diagnostics.h"
#include "midi/default_output.h"
#include "midi/outputs.h"
#include "midi/port_output.h"
#include "midi/synth_output.h"
#include "tests/support/recording_midi_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <unistd.h>

using namespace korvalin;

namespace {

// Everything written to the process's standard error (file descriptor 2) while it lives.
class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        std::cerr.flush();
        std::snprintf(path_, sizeof path_, "/tmp/korvalin-stderr-XXXXXX");
        file_ = mkstemp(path_);
        saved_ = dup(2);
        dup2(file_, 2);
    }
    ~StderrCapture() { Stop(); unlink(path_); }
    std::string Stop() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            std::cerr.flush();
            dup2(saved_, 2);
            close(saved_);
            close(file_);
            saved_ = -1;
        }
        std::ifstream in(path_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    char path_[64];
    int file_ = -1;
    int saved_ = -1;
};

} // namespace

struct BytesCase {
    const char* what;
    uint32_t message;
    std::vector<unsigned char> bytes;
};

class WireBytes : public ::testing::TestWithParam<BytesCase> {};

TEST_P(WireBytes, PackedMessageToBytes) { EXPECT_EQ(ShortMessageBytes(GetParam().message), GetParam().bytes); }

INSTANTIATE_TEST_SUITE_P(
    Messages, WireBytes,
    ::testing::Values(BytesCase{"NoteOnChannel3", PackMidiMessage(146, 60, 127), {0x92, 0x3C, 0x7F}},
                      BytesCase{"NoteOffAsVelocityZero", PackMidiMessage(144, 53, 0), {0x90, 0x35, 0x00}},
                      BytesCase{"ProgramChangeHasOneDataByte", PackMidiMessage(192, 66, 0), {0xC0, 0x42}},
                      BytesCase{"ProgramChangeChannel16", PackMidiMessage(207, 127, 0), {0xCF, 0x7F}},
                      BytesCase{"DataTakenToSevenBits", PackMidiMessage(144, 200, 255), {0x90, 0x48, 0x7F}},
                      BytesCase{"NotAStatusByte", PackMidiMessage(60, 64, 0), {}},
                      BytesCase{"SystemMessageNotSent", PackMidiMessage(0xF8, 0, 0), {}}),
    [](const auto& info) { return std::string(info.param.what); });

// The number a chosen port is opened under counts every port the system lists, empty names too.
TEST(MidiPorts, TheChosenPortIsOpenedUnderItsOwnNumber) {
    struct Case {
        const char* what;
        std::vector<std::string> listed;
        std::string chosen;
        std::optional<unsigned> number;
    };
    const Case cases[] = {
        {"First", {"Synth:In", "Monitor:In"}, "Synth:In", 0u},
        {"AfterAnEmptyName", {"", "Monitor:In"}, "Monitor:In", 1u},
        {"AfterSeveralEmptyNames", {"Synth:In", "", "", "Monitor:In"}, "Monitor:In", 3u},
        {"FirstOfTwoAlike", {"", "Twin:In", "Twin:In"}, "Twin:In", 1u},
        {"Gone", {"Synth:In"}, "Monitor:In", std::nullopt},
        {"EmptyIsNeverAPort", {"", "Synth:In"}, "", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(PortNumber(c.listed, c.chosen), c.number) << c.what;
}

class MissingPort : public ::testing::TestWithParam<PortSystem> {};

TEST_P(MissingPort, OpenFailsAndEverythingElseIsHarmless) {
    PortOutput port({GetParam(), "No Such Device:Port 0 129:0", "No Such Device (test)"});
    EXPECT_EQ(port.Name(), "No Such Device (test)");
    port.Send(PackMidiMessage(144, 60, 127)); // before any open
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.IsOpen());
    port.Send(PackMidiMessage(144, 60, 127));
    port.Close();
    port.Close();
}

INSTANTIATE_TEST_SUITE_P(Systems, MissingPort, ::testing::Values(PortSystem::Alsa, PortSystem::Jack),
                         [](const auto& info) { return info.param == PortSystem::Alsa ? "Alsa" : "Jack"; });

TEST(MidiPorts, MissingSoundSystemsSayNothingOnTheTerminal) {
    // Whatever this machine has (no sequencer, no sound server, or both working), trying every
    // output must not write to the terminal; what the libraries say goes to the diagnostics.
    ClearAudioDiagnostics();
    StderrCapture capture;
    ListMidiPorts();
    PortOutput({PortSystem::Alsa, "No Such Device:Port 0 129:0", "a"}).Open();
    PortOutput({PortSystem::Jack, "no_such_client:in", "j"}).Open();
    {
        SynthOutput synth;
        if (synth.Open()) synth.Close();
    }
    const std::string printed = capture.Stop();
    EXPECT_EQ(printed, "") << "diagnostics were:\n" << AudioDiagnostics();
}

TEST(MidiPorts, DiagnosticsKeepOnlyTheRecentMessages) {
    ClearAudioDiagnostics();
    for (int i = 0; i < 5000; ++i) NoteAudioDiagnostic("message " + std::to_string(i) + "\n");
    const std::string kept = AudioDiagnostics();
    EXPECT_LE(kept.size(), 16u * 1024u);
    EXPECT_NE(kept.find("message 4999\n"), std::string::npos);
    EXPECT_EQ(kept.find("message 0\n"), std::string::npos);
    EXPECT_EQ(kept.rfind("message ", 0), 0u) << "the oldest kept line was cut in the middle";
}

class OutputList : public ::testing::Test {
protected:
    void TearDown() override {
        SetPortLister(nullptr);
        SetBuiltInSynthesizer(nullptr);
    }
};

TEST_F(OutputList, BuiltInFirstThenThePortsInOrder) {
    auto builtIn = std::make_shared<RecordingMidiOutput>(true, "Built-in synthesizer");
    auto a = std::make_shared<RecordingMidiOutput>(true, "Port A (ALSA)");
    auto b = std::make_shared<RecordingMidiOutput>(true, "Port B (JACK)");
    SetBuiltInSynthesizer(builtIn);
    int listed = 0;
    SetPortLister([&] {
        ++listed;
        return std::vector<OutputChoice>{{"Port A (ALSA)", [a] { return a; }}, {"Port B (JACK)", [b] { return b; }}};
    });
    const std::vector<OutputChoice> list = ListOutputs();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, "Built-in synthesizer");
    EXPECT_EQ(list[0].make(), builtIn);
    EXPECT_EQ(list[1].name, "Port A (ALSA)");
    EXPECT_EQ(list[1].make(), a);
    EXPECT_EQ(list[2].make(), b);
    ListOutputs();
    EXPECT_EQ(listed, 2) << "the ports are listed afresh on every call";
}

TEST_F(OutputList, TheBuiltInSynthesizerIsKeptWhileAListHoldsItAndRemadeAfter) {
    std::shared_ptr<MidiOutput> made = MakeDefaultMidiOutput();
    EXPECT_EQ(made->Name(), "Built-in synthesizer");
    EXPECT_EQ(BuiltInSynthesizer(), made);
    SetPortLister([] { return std::vector<OutputChoice>{}; });
    std::vector<OutputChoice> list = ListOutputs();
    std::weak_ptr<MidiOutput> first = made;
    made.reset(); // the port moved on to another device: only the list still holds the synthesizer
    EXPECT_EQ(list[0].make(), first.lock());
    EXPECT_EQ(BuiltInSynthesizer(), first.lock());
    list.clear();
    EXPECT_TRUE(first.expired());
    std::shared_ptr<MidiOutput> fresh = BuiltInSynthesizer();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->Name(), "Built-in synthesizer");
}
