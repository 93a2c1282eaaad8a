#include "app/korvalin1.h"
#include "midi/midi_port.h"

#include <gtest/gtest.h>

using namespace korvalin;

namespace {

uint8_t Byte(uint32_t v, int i) { return (v >> (8 * i)) & 0xFF; }

TEST(MidiPort, PacksStatusAndDataLowestByteFirst) {
    uint32_t noteOn = PackMidiMessage(144 + 2, 60, 127);
    EXPECT_EQ(Byte(noteOn, 0), 0x92);
    EXPECT_EQ(Byte(noteOn, 1), 0x3C);
    EXPECT_EQ(Byte(noteOn, 2), 0x7F);
    EXPECT_EQ(Byte(noteOn, 3), 0x00);
    uint32_t program = PackMidiMessage(192, 66, 0);
    EXPECT_EQ(program, 0x42C0u);
    // Values are not masked, and extreme ones wrap instead of overflowing.
    EXPECT_EQ(PackMidiMessage(0, 256, 0), 0x10000u);
    EXPECT_EQ(PackMidiMessage(INT32_MAX, INT32_MAX, INT32_MAX),
              uint32_t(int64_t(INT32_MAX) * (1 + 256 + 65536)));
}

class MidiPortTest : public ::testing::Test {
protected:
    void SetUp() override { ResetKorvalin1(); }
    void TearDown() override { SetMidiOutput(nullptr); }
};

TEST_F(MidiPortTest, OpenSendsProgramChangeForPatchOnChannel) {
    auto rec = std::make_shared<RecordingMidiOutput>();
    SetMidiOutput(rec);
    KORVALIN1.MidiPatch = 66;
    KORVALIN1.MidiChannel = 3;
    OpenMidiOut();
    EXPECT_EQ(KORVALIN1.MidiReady, True);
    EXPECT_NE(KORVALIN1.MidiOutHandle, 0);
    ASSERT_EQ(rec->Sent().size(), 1u);
    EXPECT_EQ(rec->Sent()[0], PackMidiMessage(195, 66, 0));
    EXPECT_EQ(rec->events.front().kind, RecordingMidiOutput::Kind::Open);
}

TEST_F(MidiPortTest, FailedOpenSendsNothingAndLaterCallsAreHarmless) {
    auto rec = std::make_shared<RecordingMidiOutput>(/*opens=*/false);
    SetMidiOutput(rec);
    KORVALIN1.MidiReady = True;
    OpenMidiOut();
    EXPECT_EQ(KORVALIN1.MidiReady, 0);
    EXPECT_TRUE(rec->Sent().empty());
    SendMidiMessage();
    CloseMidiOut();
    EXPECT_EQ(KORVALIN1.MidiReady, 0); // closing never changes it
}

TEST_F(MidiPortTest, WithoutADeviceEverythingIsSilent) {
    SetMidiOutput(nullptr);
    OpenMidiOut();
    EXPECT_EQ(KORVALIN1.MidiReady, 0);
    KORVALIN1.MidiStatusByte = 144;
    KORVALIN1.MidiData1 = 60;
    KORVALIN1.MidiData2 = 100;
    SendMidiMessage();
    CloseMidiOut();
    EXPECT_EQ(CurrentMidiOutput()->Name(), "No output");
}

TEST_F(MidiPortTest, SendUsesThePreparedFields) {
    auto rec = std::make_shared<RecordingMidiOutput>();
    SetMidiOutput(rec);
    KORVALIN1.MidiStatusByte = 144 + 9;
    KORVALIN1.MidiData1 = 64;
    KORVALIN1.MidiData2 = 0;
    SendMidiMessage();
    ASSERT_EQ(rec->Sent().size(), 1u);
    EXPECT_EQ(rec->events[0].Status(), 153);
    EXPECT_EQ(rec->events[0].Data1(), 64);
    EXPECT_EQ(rec->events[0].Data2(), 0);
}

} // namespace
