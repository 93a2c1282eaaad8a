// Scale mode of the main window: while a scale is being practised the main window shows the chosen
// key's picture, the scale's name and the playback buttons in place of "Scales" and the
// fingering-variation buttons. Every way into scale mode (the "Scales" button, a click on the key
// picture, loading a pattern file) and the way out ("End") is built from these pieces.
#pragma once

#include <QString>
#include <cstdint>

namespace korvalin {

class Form1;

// Hides "V1" to "V4" and "Scales"; shows "Loop", "Stop", "Speed", "Start", "End", the key picture
// Picture9(0) and the scale name Label5.
void EnterScaleMode(Form1& f);

// Hides "Flatten", "Sharpen" and "Next Note" (as the "Scales" button does; a run shows "Next Note").
void HideNoteEditing(Form1& f);

// Leaves scale mode: hides the playback buttons, "Next Note", the picture and the name; shows
// "Flatten", "Sharpen", "V1" to "V4" and "Scales" again; asks a run in progress to stop.
void LeaveScaleMode(Form1& f);

// Makes a scale the current one and names it on the main window: ScaleType and ScaleKey, the
// key-signature picture of `pictureKey` (0..12) in Picture9(0) and `caption` in Label5.
void SelectScale(Form1& f, int16_t type, int16_t key, int pictureKey, const QString& caption);

// Just the picture and the name, for callers that set the selection themselves.
void ShowScaleName(Form1& f, int pictureKey, const QString& caption);

// Opens the selection window over the main window (creating it on first use).
void OpenScaleSelection(Form1& f);

} // namespace korvalin
