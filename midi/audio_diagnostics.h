// What the sound libraries have to say (FluidSynth, the ALSA library, JACK, RtMidi), kept in memory
// instead of going to the terminal. A missing sound device is normal on many machines, so these
// messages are not failures of the application; they are here for whoever wants to know why an
// output did not open.
#pragma once

#include <sstream>
#include <streambuf>
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

// While it lives, what is written on std::cerr is kept and becomes one diagnostic line (with the
// prefix) when it ends. For libraries that report on std::cerr before a handler can be set (RtMidi
// while a client is being made). Not for use on two threads at once.
class CerrToAudioDiagnostics {
public:
    explicit CerrToAudioDiagnostics(std::string prefix);
    ~CerrToAudioDiagnostics();
    CerrToAudioDiagnostics(const CerrToAudioDiagnostics&) = delete;
    CerrToAudioDiagnostics& operator=(const CerrToAudioDiagnostics&) = delete;

private:
    std::string prefix_;
    std::ostringstream text_;
    std::streambuf* previous_;
};

} // namespace korvalin
