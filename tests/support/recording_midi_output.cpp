#include "tests/support/recording_midi_output.h"

namespace korvalin {

std::vector<uint32_t> RecordingMidiOutput::Sent() const {
    std::vector<uint32_t> out;
    for (const Event& e : events)
        if (e.kind == Kind::Send) out.push_back(e.message);
    return out;
}

int RecordingMidiOutput::Count(Kind kind) const {
    int n = 0;
    for (const Event& e : events) n += e.kind == kind;
    return n;
}

} // namespace korvalin
