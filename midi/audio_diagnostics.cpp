#include "midi/audio_diagnostics.h"

#include <alsa/error.h>
#include <fluidsynth.h>
#include <jack/jack.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <iostream>
#include <mutex>

namespace korvalin {
namespace {

constexpr std::size_t kKeptCharacters = 16 * 1024;

struct Store {
    std::mutex mutex;
    std::string text;
};

// Never destroyed: audio threads may still report while the process shuts down.
Store& TheStore() {
    static Store* store = new Store;
    return *store;
}

// The handlers below are called from C code in the sound libraries, where no exception may pass:
// a message that cannot be kept (memory exhausted) is dropped.
void Keep(const char* prefix, const char* name, const char* text) noexcept {
    try {
        std::string line(prefix);
        line += name;
        line += text ? text : "";
        NoteAudioDiagnostic(line);
    } catch (...) {
    }
}

void FluidMessage(int level, const char* message, void*) noexcept {
    static constexpr const char* kLevels[] = {"panic: ", "error: ", "warning: ", "info: ", "debug: "};
    Keep("fluidsynth ", level >= 0 && level < 5 ? kLevels[level] : "message: ", message);
}

void AlsaMessage(const char* file, int line, const char* function, int, const char* fmt, ...) noexcept {
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt ? fmt : "", args);
    va_end(args);
    char where[256];
    std::snprintf(where, sizeof where, "alsa %s:%d (%s): ", file ? file : "?", line, function ? function : "?");
    Keep(where, "", text);
}

void JackMessage(const char* message) noexcept { Keep("jack: ", "", message); }

} // namespace

void QuietSoundLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
            fluid_set_log_function(level, level == FLUID_DBG ? nullptr : FluidMessage, nullptr);
        snd_lib_error_set_handler(AlsaMessage);
        jack_set_error_function(JackMessage);
        jack_set_info_function(JackMessage);
    });
}

void NoteAudioDiagnostic(std::string_view text) {
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
    s.text.append(text);
    s.text.push_back('\n');
    if (s.text.size() > kKeptCharacters) {
        // Drop the oldest whole lines.
        const std::size_t cut = s.text.find('\n', s.text.size() - kKeptCharacters);
        s.text.erase(0, cut == std::string::npos ? s.text.size() - kKeptCharacters : cut + 1);
    }
}

std::string AudioDiagnostics() {
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    return s.text;
}

void ClearAudioDiagnostics() {
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    s.text.clear();
}

CerrToAudioDiagnostics::CerrToAudioDiagnostics(std::string prefix)
    : prefix_(std::move(prefix)), previous_(std::cerr.rdbuf(text_.rdbuf())) {}

CerrToAudioDiagnostics::~CerrToAudioDiagnostics() {
    std::cerr.rdbuf(previous_);
    std::string text = text_.str();
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    if (!text.empty()) NoteAudioDiagnostic(prefix_ + text);
}

} // namespace korvalin
