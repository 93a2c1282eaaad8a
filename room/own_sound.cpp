#include "room/own_sound.h"

#include "midi/midi_message.h"

#include <algorithm>
#include <chrono>

namespace korvalin {
namespace {

constexpr int kPercussionChannel = 9;

} // namespace

int64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void OwnSound::Notes::Touch(int note, int64_t ms) {
    const std::size_t n = std::size_t(note & 0x7F);
    const int64_t last = lastMs[n].load(std::memory_order_relaxed);
    if (last == 0 || ms - last > kTailMs) sinceMs[n].store(ms, std::memory_order_relaxed);
    lastMs[n].store(ms, std::memory_order_release);
}

int64_t OwnSound::Notes::Since(int note, bool held, int64_t ms) const {
    const int64_t last = lastMs[std::size_t(note)].load(std::memory_order_acquire);
    if (!held && (last == 0 || ms - last > kTailMs)) return -1;
    return sinceMs[std::size_t(note)].load(std::memory_order_relaxed);
}

bool OwnSound::SynthSounding(int64_t ms) const {
    const int64_t last = synthLastMs_.load(std::memory_order_acquire);
    return last != 0 && ms - last <= kTailMs;
}

void OwnSound::SynthKeysSounding(const std::array<uint64_t, 2>& keys, int64_t ms, bool anyVoice) {
    if (anyVoice) synthLastMs_.store(ms, std::memory_order_release);
    for (int note = 0; note < 128; ++note)
        if (keys[std::size_t(note / 64)] >> (note % 64) & 1u) synth_.Touch(note, ms);
}

void OwnSound::Sent(uint32_t message, int64_t ms) {
    const MidiMessage m{message};
    const int channel = m.Channel();
    const int note = m.Data1();
    const std::lock_guard lock(mutex_);
    if (m.StartsNote()) {
        if (channel == kPercussionChannel) return;
        if (held_.insert({channel, note}).second) output_.Touch(note, ms);
    } else if (m.EndsNote()) {
        if (held_.erase({channel, note})) output_.End(note, ms);
    } else if (m.EndsEveryNote()) {
        for (auto it = held_.begin(); it != held_.end();) {
            if (it->first != channel) {
                ++it;
                continue;
            }
            output_.End(it->second, ms);
            it = held_.erase(it);
        }
    }
}

void OwnSound::AllStopped(int64_t ms) {
    const std::lock_guard lock(mutex_);
    for (const auto& [channel, note] : held_) output_.End(note, ms);
    held_.clear();
}

int64_t OwnSound::SoundingSince(int note, Source source, int64_t ms) const {
    if (note < 0 || note > 127) return -1;
    std::array<bool, 128> held{};
    if (source == Source::Output) {
        const std::lock_guard lock(mutex_);
        for (const auto& h : held_) held[std::size_t(h.second)] = true;
    }
    const Notes& notes = source == Source::Synthesizer ? synth_ : output_;
    int64_t since = -1;
    for (int n = note % 12; n < 128; n += 12) {
        const int64_t s = notes.Since(n, held[std::size_t(n)], ms);
        if (s >= 0 && (since < 0 || s < since)) since = s;
    }
    return since;
}

OwnSound& OwnSounding() {
    static OwnSound own;
    return own;
}

bool PastTheCancellersFirstMoments(const OwnSound& own, int concertMidi, int64_t ms) {
    const int64_t since = own.SoundingSince(concertMidi, OwnSound::Source::Synthesizer, ms);
    return since < 0 || ms - since > kCancellerSettlesMs;
}

bool OwnSoundGuard::IsPlayer(const OwnSound& own, int concertMidi, double levelDb, int64_t ms, OwnSound::Source source) {
    if (concertMidi < 0 || concertMidi > 127) return true;
    const int64_t since = own.SoundingSince(concertMidi, source, ms);
    Learnt& learnt = learnt_[std::size_t(concertMidi % 12)];
    if (since < 0) {
        learnt = Learnt{};
        return true;
    }
    if (learnt.since != since) learnt = Learnt{since, -1e9};
    if (ms - since <= kLearnMs) {
        learnt.levelDb = std::max(learnt.levelDb, levelDb);
        return false;
    }
    return levelDb > learnt.levelDb + kMarginDb;
}

} // namespace korvalin
