// The built-in synthesizer rendered offline: the notes it is sent are the notes it plays, and a
// failed open leaves everything harmless.
#include "app/korvalin1.h"
#include "midi/midi_port.h"
#include "midi/synth_output.h"
#include "tests/support/pitch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <vector>

using namespace korvalin;
using namespace korvalin::test;

namespace {

uint32_t Msg(int status, int data1, int data2) { return PackMidiMessage(status, data1, data2); }

bool AnySoundfontInstalled() {
    for (const std::string& path : DefaultSoundfonts())
        if (std::filesystem::is_regular_file(path)) return true;
    return false;
}

// Left channel of `seconds` of output.
std::vector<float> Render(SynthEngine& engine, double seconds) {
    const int frames = int(seconds * engine.SampleRate());
    std::vector<float> stereo(2 * static_cast<std::size_t>(frames));
    for (int done = 0; done < frames;) {
        const int block = std::min(1024, frames - done);
        engine.Render(stereo.data() + 2 * std::size_t(done), block);
        done += block;
    }
    std::vector<float> left(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) left[std::size_t(i)] = stereo[2 * std::size_t(i)];
    return left;
}

class SynthRender : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(AnySoundfontInstalled()) << "no General MIDI soundfont is installed in /usr/share/sounds/sf2 (`./korvalin deps` installs one)";
        ASSERT_TRUE(engine.Load(SynthSettings{}));
    }
    // The saxophone the application selects at start-up, on the given channel.
    void Saxophone(int channel) { engine.Play(Msg(192 + channel, 66, 0)); }
    SynthEngine engine;
};

} // namespace

TEST(SynthSoundfont, FallsBackPastMissingFiles) {
    ASSERT_TRUE(AnySoundfontInstalled()) << "no General MIDI soundfont is installed in /usr/share/sounds/sf2 (`./korvalin deps` installs one)";
    std::string installed;
    for (const std::string& path : DefaultSoundfonts())
        if (std::filesystem::is_regular_file(path)) { installed = path; break; }
    SynthEngine engine;
    SynthSettings settings;
    settings.soundfonts = {"/nonexistent/first.sf2", "/etc/hostname", installed};
    ASSERT_TRUE(engine.Load(settings));
    EXPECT_EQ(engine.Soundfont(), installed);
}

struct PitchCase {
    const char* what;
    int channel;
    int noteByte; // as packed; only its low 7 bits name the note
    int note;
    friend void PrintTo(const PitchCase& c, std::ostream* os) { *os << c.what; }
};

class SynthPitch : public SynthRender, public ::testing::WithParamInterface<PitchCase> {};

TEST_P(SynthPitch, NoteOnSoundsAtTheNotesFrequency) {
    const PitchCase& c = GetParam();
    Saxophone(c.channel);
    engine.Play(Msg(144 + c.channel, c.noteByte, 127));
    const std::vector<float> out = Render(engine, 0.7);
    const double rate = engine.SampleRate();
    // After the attack: 0.3 s to 0.55 s.
    ASSERT_GT(Rms(out, std::size_t(0.3 * rate), std::size_t(0.55 * rate)), 0.01) << "no sound";
    const std::optional<double> f0 = Fundamental(out, std::size_t(0.3 * rate), std::size_t(0.25 * rate), rate);
    ASSERT_TRUE(f0.has_value()) << "no periodic sound found";
    EXPECT_NEAR(*f0, MidiFrequency(c.note), MidiFrequency(c.note) * 0.03);
}

INSTANTIATE_TEST_SUITE_P(
    Notes, SynthPitch,
    ::testing::Values(PitchCase{"EbBelowMiddleC", 0, 51, 51},          // 155.6 Hz, the first note after start-up
                      PitchCase{"OctaveHigherOnChannel3", 2, 63, 63},  // 311.1 Hz
                      PitchCase{"LowAbOnChannel16", 15, 44, 44},       // 103.8 Hz
                      PitchCase{"HighBitOfDataDropped", 0, 51 + 128, 51}),
    [](const auto& info) { return std::string(info.param.what); });

struct ReleaseCase {
    const char* what;
    int noteChannel;
    std::optional<uint32_t> ending; // sent after the note has sounded for a while
    bool silentAfterwards;
    friend void PrintTo(const ReleaseCase& c, std::ostream* os) { *os << c.what; }
};

class SynthRelease : public SynthRender, public ::testing::WithParamInterface<ReleaseCase> {};

TEST_P(SynthRelease, OnlyTheMatchingNoteOffEndsTheNote) {
    const ReleaseCase& c = GetParam();
    Saxophone(c.noteChannel);
    engine.Play(Msg(144 + c.noteChannel, 51, 127));
    const double rate = engine.SampleRate();
    const std::vector<float> held = Render(engine, 0.5);
    const double sustain = Rms(held, std::size_t(0.3 * rate), held.size());
    ASSERT_GT(sustain, 0.01);
    if (c.ending) engine.Play(*c.ending);
    const std::vector<float> after = Render(engine, 1.5);
    const double tail = Rms(after, std::size_t(1.2 * rate), after.size());
    if (c.silentAfterwards)
        EXPECT_LT(tail, sustain * 0.01) << "the note is still sounding";
    else
        EXPECT_GT(tail, sustain * 0.3) << "the note stopped";
}

INSTANTIATE_TEST_SUITE_P(
    Endings, SynthRelease,
    ::testing::Values(ReleaseCase{"VelocityZeroNoteOn", 0, Msg(144, 51, 0), true},
                      ReleaseCase{"VelocityZeroOnItsChannel", 4, Msg(148, 51, 0), true},
                      ReleaseCase{"NoteOffStatus", 0, Msg(128, 51, 64), true},
                      ReleaseCase{"NothingSent", 0, std::nullopt, false},
                      ReleaseCase{"OtherChannel", 4, Msg(144, 51, 0), false},
                      ReleaseCase{"OtherNote", 0, Msg(144, 52, 0), false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(SynthRender, ProgramChangeSelectsTheInstrument) {
    // A held saxophone keeps sounding; a marimba (program 12) dies away by itself.
    const double rate = engine.SampleRate();
    auto levels = [&](int program) {
        engine.Silence();
        Render(engine, 0.2);
        engine.Play(Msg(192, program, 0));
        engine.Play(Msg(144, 63, 127));
        const std::vector<float> out = Render(engine, 2.0);
        return std::pair{Rms(out, std::size_t(0.1 * rate), std::size_t(0.3 * rate)),
                         Rms(out, std::size_t(1.7 * rate), out.size())};
    };
    const auto [saxEarly, saxLate] = levels(66);
    const auto [marimbaEarly, marimbaLate] = levels(12);
    ASSERT_GT(saxEarly, 0.01);
    ASSERT_GT(marimbaEarly, 0.01);
    EXPECT_GT(saxLate, saxEarly * 0.4);
    EXPECT_LT(marimbaLate, marimbaEarly * 0.1);
}

struct FailedOpenCase {
    const char* what;
    bool soundfont;
    std::vector<std::string> drivers;
    friend void PrintTo(const FailedOpenCase& c, std::ostream* os) { *os << c.what; }
};

class SynthFailedOpen : public ::testing::TestWithParam<FailedOpenCase> {
protected:
    void SetUp() override {
        if (GetParam().soundfont) {
            ASSERT_TRUE(AnySoundfontInstalled()) << "no General MIDI soundfont is installed in /usr/share/sounds/sf2 (`./korvalin deps` installs one)";
        }
    }
};

TEST_P(SynthFailedOpen, FailsWithoutSoundAndStaysHarmless) {
    const FailedOpenCase& c = GetParam();
    SynthSettings settings;
    if (!c.soundfont) settings.soundfonts = {"/nonexistent/none.sf2"};
    settings.audioDrivers = c.drivers;
    auto synth = std::make_shared<SynthOutput>(settings);
    EXPECT_EQ(synth->Name(), "Built-in synthesizer");
    EXPECT_FALSE(synth->Open());
    EXPECT_FALSE(synth->IsOpen());
    synth->Send(Msg(192, 66, 0));
    synth->Send(Msg(144, 51, 127));
    // What was sent while not open does not reach the synthesizer.
    std::vector<float> out(2 * 8192, 1.0f);
    synth->Engine().Render(out.data(), 8192);
    double peak = 0;
    for (float v : out) peak = std::max(peak, double(std::fabs(v)));
    EXPECT_LT(peak, 1e-6);
    synth->Close();
    synth->Close();

    // Through the port: MidiReady 0, no handle, nothing else happens.
    ResetKorvalin1();
    KORVALIN1.MidiReady = True;
    KORVALIN1.MidiPatch = 66;
    SetMidiOutput(synth);
    OpenMidiOut();
    EXPECT_EQ(KORVALIN1.MidiReady, 0);
    EXPECT_EQ(KORVALIN1.MidiOutHandle, 0);
    SendMidiMessage();
    CloseMidiOut();
    SetMidiOutput(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Causes, SynthFailedOpen,
                         ::testing::Values(FailedOpenCase{"NoSoundfont", false, DefaultAudioDrivers()},
                                           FailedOpenCase{"NoAudioBackEnd", true, {}},
                                           FailedOpenCase{"UnknownAudioBackEnd", true, {"no-such-driver"}}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(SynthOutputLifetime, TheBackgroundLoadIsAwaitedBeforeUse) {
    ASSERT_TRUE(AnySoundfontInstalled()) << "no General MIDI soundfont is installed in /usr/share/sounds/sf2 (`./korvalin deps` installs one)";
    // Asked at once, before the loader can have finished: the engine is there, fully loaded.
    SynthOutput synth;
    EXPECT_TRUE(synth.Engine().Loaded());
    EXPECT_FALSE(synth.Engine().Soundfont().empty());
    // One destroyed while its loader is still running must wait for it (the sanitizer build
    // catches the engine being used after it is gone).
    auto early = std::make_unique<SynthOutput>();
    early.reset();
}
