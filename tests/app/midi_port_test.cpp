#include "app/korvalin1.h"
#include "midi/midi_port.h"
#include "tests/support/recording_midi_output.h"

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

// Each typed send fills the three registers as a caller filling them by hand would, on MidiChannel.
TEST_F(MidiPortTest, TypedSendsFillTheRegistersOnTheChannel) {
    struct Case {
        const char* name;
        void (*send)();
        int32_t status, data1, data2;
    };
    const Case cases[] = {
        {"NoteOn", [] { SendMidiNoteOn(60, 127); }, 0x92, 60, 127},
        {"NoteOff", [] { SendMidiNoteOn(53, 1); static_cast<RecordingMidiOutput&>(*CurrentMidiOutput()).Clear(); SendMidiNoteOff(53); }, 0x92, 53, 0},
        {"ProgramChange", [] { SendMidiProgramChange(66); }, 0xC2, 66, 0},
        {"ControlChange", [] { SendMidiControlChange(kAllNotesOffController, 0); }, 0xB2, 123, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto rec = std::make_shared<RecordingMidiOutput>();
        SetMidiOutput(rec);
        KORVALIN1.MidiChannel = 2;
        c.send();
        EXPECT_EQ(KORVALIN1.MidiStatusByte, c.status);
        EXPECT_EQ(KORVALIN1.MidiData1, c.data1);
        EXPECT_EQ(KORVALIN1.MidiData2, c.data2);
        EXPECT_EQ(rec->Sent(), std::vector<uint32_t>{PackMidiMessage(c.status, c.data1, c.data2)});
    }
}

// Closing ends, before the device closes, every note started and not ended (LastMidiNote first,
// whoever started it, on whichever channel), then tells each of those channels All Notes Off. A
// note never started is never released. What the device heard is all that counts: the close
// itself ends nothing.
TEST_F(MidiPortTest, CloseEndsEveryNoteItStartedBeforeClosing) {
    struct Case {
        const char* name;
        std::vector<uint32_t> before; // sent by hand before the close
        std::vector<uint32_t> silence;
    };
    const uint32_t on52 = PackMidiMessage(0x91, 52, 127);
    const Case cases[] = {
        {"NothingSounding", {}, {PackMidiMessage(0xB1, 123, 0)}},
        {"TheLastNote", {on52}, {PackMidiMessage(0x91, 52, 0), PackMidiMessage(0xB1, 123, 0)}},
        {"ATestNoteHeld",
         {on52, PackMidiMessage(0x91, 64, 100)},
         {PackMidiMessage(0x91, 52, 0), PackMidiMessage(0x91, 64, 0), PackMidiMessage(0xB1, 123, 0)}},
        {"ANoteLeftOnAnotherChannel",
         {PackMidiMessage(0x95, 64, 100)},
         {PackMidiMessage(0x95, 64, 0), PackMidiMessage(0xB1, 123, 0), PackMidiMessage(0xB5, 123, 0)}},
        {"EndedNotesAreNotEndedAgain",
         {PackMidiMessage(0x95, 64, 100), PackMidiMessage(0x95, 64, 0), PackMidiMessage(0x93, 70, 1),
          PackMidiMessage(0xB3, 123, 0)},
         {PackMidiMessage(0xB1, 123, 0)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto rec = std::make_shared<RecordingMidiOutput>();
        SetMidiOutput(rec);
        KORVALIN1.MidiChannel = 1;
        KORVALIN1.LastMidiNote = 52;
        for (uint32_t m : c.before) {
            KORVALIN1.MidiStatusByte = int32_t(m & 0xFF);
            KORVALIN1.MidiData1 = int32_t((m >> 8) & 0xFF);
            KORVALIN1.MidiData2 = int32_t(m >> 16);
            SendMidiMessage();
        }
        rec->Clear();
        CloseMidiOut();
        EXPECT_EQ(rec->Sent(), c.silence);
        ASSERT_FALSE(rec->events.empty());
        EXPECT_EQ(rec->events.back().kind, RecordingMidiOutput::Kind::Close);
        EXPECT_EQ(rec->Count(RecordingMidiOutput::Kind::Close), 1);
        EXPECT_EQ(KORVALIN1.MidiOutHandle, 0);
    }
}

} // namespace
