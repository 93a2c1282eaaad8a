// A microphone in which the canceller finds no echo of the application: with headphones nothing of
// it is heard, and a room whose delay it missed must not have the synthesizer's notes named either.
#include "room/echo_canceller.h"
#include "room/own_sound.h"
#include "room/playback_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace korvalin;

namespace {

constexpr double kRate = 44100;
constexpr int kNote = 60;

// Short notes at kNote, in pairs a second apart: no two starts lie 0.3 to 0.65 s apart, so heard
// 0.6 s late they match no delay the canceller looks for.
std::vector<float> Played(double seconds) {
    std::vector<float> out(std::size_t(seconds * kRate), 0.0f);
    const double hz = 440.0 * std::pow(2.0, (kNote - 69) / 12.0);
    for (double start : {0.0, 0.2, 1.0, 1.15, 2.0, 2.1, 3.0, 3.2, 4.0, 4.15}) {
        for (std::size_t i = 0; i < std::size_t(0.1 * kRate); ++i) {
            const std::size_t at = std::size_t(start * kRate) + i;
            if (at >= out.size()) break;
            const double t = double(i) / kRate;
            out[at] = float(0.3 * std::sin(2 * std::numbers::pi * hz * t) + 0.1 * std::sin(4 * std::numbers::pi * hz * t));
        }
    }
    return out;
}

TEST(OwnSound, WhereNoEchoIsFoundTheSynthesizersNotesAreToldByPitchAndLevel) {
    PlaybackReference reference(kRate);
    const std::vector<float> played = Played(4.5);
    reference.Write(played, 0, 0);
    std::vector<float> mic(played.size(), 0.0f);
    const std::size_t late = std::size_t(0.6 * kRate);
    for (std::size_t i = late; i < mic.size(); ++i) mic[i] = 0.5f * played[i - late];

    EchoCanceller canceller(reference, kRate);
    ASSERT_TRUE(canceller.Active());
    for (std::size_t at = 0; at < mic.size(); at += 1024) {
        const std::size_t n = std::min<std::size_t>(1024, mic.size() - at);
        canceller.Process(std::span<float>(mic.data() + at, n), int64_t(at));
    }
    ASSERT_TRUE(canceller.FoundNoEcho()) << "delay " << canceller.DelayMs() << " ms";

    // The synthesizer sounds kNote from 1000 ms on; the microphone hears it at -20 dBFS.
    OwnSound own;
    OwnSoundGuard guard;
    std::array<uint64_t, 2> keys{};
    keys[kNote / 64] |= uint64_t(1) << (kNote % 64);
    auto heard = [&](int note, double levelDb, int64_t ms) {
        own.SynthKeysSounding(keys, ms);
        return MayBeThePlayer(&canceller, own, guard, note, levelDb, ms);
    };
    for (int64_t ms = 1000; ms <= 1000 + OwnSoundGuard::kLearnMs; ms += 30) EXPECT_FALSE(heard(kNote, -20, ms));
    EXPECT_FALSE(heard(kNote, -20, 2000)) << "the synthesizer's own note, as loud as it began";
    EXPECT_FALSE(heard(kNote - 12, -20, 2030)) << "its octave";
    EXPECT_TRUE(heard(kNote, -20 + 2 * OwnSoundGuard::kMarginDb, 2060)) << "the player in unison, louder";
    EXPECT_TRUE(heard(kNote + 2, -20, 2090)) << "the player on another note";
}

} // namespace
