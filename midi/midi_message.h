// A short MIDI channel message as the application hands it to a device: bits 0-7 the status byte
// (kind and channel), 8-15 the first data byte, 16-23 the second. Packed and unpacked here only,
// with the kinds and controllers the application knows by name.
#pragma once

#include <cstdint>

namespace korvalin {

// Kinds of channel message (the status byte's upper half); the channel (0 to 15) is added.
inline constexpr int32_t kNoteOffStatus = 0x80;
inline constexpr int32_t kNoteOnStatus = 0x90;          // 144
inline constexpr int32_t kKeyPressureStatus = 0xA0;
inline constexpr int32_t kControlChangeStatus = 0xB0;   // 176
inline constexpr int32_t kProgramChangeStatus = 0xC0;   // 192
inline constexpr int32_t kChannelPressureStatus = 0xD0;
inline constexpr int32_t kPitchBendStatus = 0xE0;
// The controllers that end every sound, and every note, sounding on a channel.
inline constexpr int32_t kAllSoundOffController = 120;
inline constexpr int32_t kAllNotesOffController = 123;

struct MidiMessage {
    uint32_t packed = 0;

    // status + 256 * data1 + 65536 * data2, wrapped to 32 bits (values are not masked).
    static constexpr MidiMessage Pack(int32_t status, int32_t data1, int32_t data2) {
        return {uint32_t(status) + 256u * uint32_t(data1) + 65536u * uint32_t(data2)};
    }

    constexpr int Status() const { return int(packed & 0xFF); }
    constexpr int Kind() const { return int(packed & 0xF0); }
    constexpr int Channel() const { return int(packed & 0x0F); }
    constexpr int Data1() const { return int((packed >> 8) & 0x7F); }
    constexpr int Data2() const { return int((packed >> 16) & 0x7F); }

    // A Note On with a velocity: a note starts.
    constexpr bool StartsNote() const { return Kind() == kNoteOnStatus && Data2() > 0; }
    // A Note Off, or a Note On with velocity 0: a note ends.
    constexpr bool EndsNote() const { return Kind() == kNoteOffStatus || (Kind() == kNoteOnStatus && Data2() == 0); }
    // All Notes Off or All Sound Off: every note on the channel ends.
    constexpr bool EndsEveryNote() const {
        return Kind() == kControlChangeStatus && (Data1() == kAllNotesOffController || Data1() == kAllSoundOffController);
    }
};

inline constexpr uint32_t PackMidiMessage(int32_t status, int32_t data1, int32_t data2) {
    return MidiMessage::Pack(status, data1, data2).packed;
}

} // namespace korvalin
