// KORVALIN1: the state every window shares, in one place. Numbers are 16-bit signed unless noted;
// the MIDI handle and message fields are 32-bit. Flags follow two encodings: SoundOn and SoundDisplay
// are 1 or 0, MidiReady and the explainer view flags are True (-1) or False (0).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace korvalin {

inline constexpr int16_t True = -1;
inline constexpr int16_t False = 0;

inline constexpr int kNoteRows = 154;    // note numbers 0 to 153
inline constexpr int kNoteColumns = 10;
inline constexpr int kScaleEntries = 133; // ScalePatterns indices 0 to 132
inline constexpr int kUserPatternEntry = 14;

struct Korvalin1 {
    // Screen units.
    int16_t TwipsPerPixelX = 0;
    int16_t TwipsPerPixelY = 0;

    // Note display.
    int16_t SoundDisplay = 0;
    int16_t LastMidiNote = 0;

    // MIDI output port.
    int32_t MidiOutHandle = 0;
    int32_t MidiStatusByte = 0;
    int32_t MidiData1 = 0;
    int32_t MidiData2 = 0;
    int16_t MidiReady = 0;
    int16_t MidiChannel = 0;
    int16_t MidiPatch = 0;
    int16_t NoteVelocity = 0;
    int16_t SoundOn = 0;

    // Scale catalogue and selection.
    std::array<std::string, kScaleEntries> ScalePatterns{};
    int16_t ScaleType = 0;
    int16_t ScaleKey = 0;

    // Playback.
    int16_t NoteDelay = 0;
    int16_t LoopCount = 0;
    int16_t StopFlag = 0;
    int16_t NextNoteFlag = 0;
    std::string SpeedText;
    std::string LoopText;

    // Explainer views.
    int16_t MouthpieceAssembledView = 0;
    int16_t MouthpieceSectionView = 0;
    int16_t MouthpieceTableView = 0;
    int16_t ReedSideView = 0;
    int16_t ReedTopView = 0;

    // Help.
    std::string HelpFilePath;

    // The note table: text cells, row 0 and unfilled cells empty.
    std::array<std::array<std::string, kNoteColumns>, kNoteRows> NoteTable{};
};

// The one shared instance.
extern Korvalin1 KORVALIN1;

// Puts every shared variable back to its start value (the state before any window loads).
void ResetKorvalin1();

} // namespace korvalin
