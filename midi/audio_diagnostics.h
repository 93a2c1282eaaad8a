// What the sound libraries have to say (FluidSynth, the ALSA library, JACK, RtMidi), kept in memory
// instead of going to the terminal. A missing sound device is normal on many machines, so these
// messages are not failures of the application; they are here for whoever wants to know why an
// output did not open.
#pragma once

#include <string>
#include <string_view>

namespace korvalin {

// Installs quiet handlers for the sound libraries' messages (once per process; later calls do
// nothing). Every output calls it before it touches a library.
void QuietSoundLibraries();

// Appends one line. Safe from any thread; keeps only the most recent messages.
void NoteAudioDiagnostic(std::string_view text);

// Everything kept so far, oldest first, one message a line.
std::string AudioDiagnostics();
void ClearAudioDiagnostics();

} // namespace korvalin
