// Sound layer and Soundmanager: plays of the shipped effect files, the per-frame pruning of
// finished effects, the stale-handle rule, the release order at shutdown, the error texts of
// failed calls, the fallback when no audio device exists, and one play through SDL's "disk"
// output whose written samples must not be silent (so an effect really reaches the mixer).
// The tests run on SDL's real-time silent drivers, so sounds end after their real length.
#include "Manager/SoundManager/Soundmanager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string gameDir = VX_GAME_DIR;
const std::string omnom = gameDir + "/sound/omnom.mp3";

void useDriver(const char* driver) {
    setenv("SDL_AUDIODRIVER", driver, 1);
}

// Calls update until nothing plays or the time runs out; returns the seconds it took.
double updateUntilSilent(Soundmanager& sounds, double limitSeconds) {
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    while (sounds.playingCount() > 0 && elapsed() < limitSeconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        sounds.update();
    }
    return elapsed();
}

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override { useDriver("dummy"); }
};

}  // namespace

TEST_F(SoundTest, Play_AllSixEffectsLoadAndStart) {
    Soundmanager sounds;
    for (const char* name : {"omnom", "brz", "attack", "sleep", "victory", "die"}) {
        sounds.play(gameDir + "/sound/" + name + ".mp3");
    }
    sounds.update();
    EXPECT_EQ(sounds.playingCount(), 6u);
}

TEST_F(SoundTest, Update_RemovesEffectAfterItsRealLength) {
    Soundmanager sounds;
    sounds.play(omnom);
    sounds.update();
    ASSERT_EQ(sounds.playingCount(), 1u) << "an effect must still play right after it started";
    const int aliveBefore = VXSound::diagnostics().soundsAlive;
    const double took = updateUntilSilent(sounds, 5.0);
    EXPECT_EQ(sounds.playingCount(), 0u);
    EXPECT_EQ(VXSound::diagnostics().soundsAlive, aliveBefore - 1)
        << "removing the wrapper releases its sound";
    // omnom.mp3 lasts about 0.57 s; the silent output must still take real time for it.
    EXPECT_GT(took, 0.4);
    EXPECT_LT(took, 2.0);
}

TEST_F(SoundTest, Play_SameFileTwiceInOneFrameUsesTwoChannels) {
    Soundmanager sounds;
    sounds.play(omnom);
    sounds.play(omnom);
    EXPECT_EQ(VXSound::diagnostics().soundsAlive, 2);
    sounds.update();
    EXPECT_EQ(sounds.playingCount(), 2u);
    updateUntilSilent(sounds, 5.0);
    EXPECT_EQ(sounds.playingCount(), 0u);
    EXPECT_EQ(VXSound::diagnostics().soundsAlive, 0);
}

TEST_F(SoundTest, Play_MissingFileRaisesFileNotFoundAndAddsNothing) {
    Soundmanager sounds;
    try {
        sounds.play(gameDir + "/sound/no-such-effect.mp3");
        FAIL() << "a missing file must raise";
    } catch (const std::logic_error& e) {
        EXPECT_EQ(std::string(e.what()), "FMOD Fail 23: File not found.");
    }
    EXPECT_EQ(sounds.playingCount(), 0u);
    EXPECT_EQ(VXSound::diagnostics().soundsAlive, 0);
}

TEST_F(SoundTest, Play_CorruptFileRaisesFileBad) {
    const auto path = std::filesystem::temp_directory_path() / "vx_sound_corrupt.mp3";
    std::ofstream(path) << "this is not an mp3 file at all, just some text";
    Soundmanager sounds;
    EXPECT_THROW(
        {
            try {
                sounds.play(path.string());
            } catch (const std::logic_error& e) {
                EXPECT_EQ(std::string(e.what()).rfind("FMOD Fail 25: ", 0), 0u) << e.what();
                throw;
            }
        },
        std::logic_error);
    std::filesystem::remove(path);
}

TEST_F(SoundTest, CheckResult_FormatsCodeAndFixedText) {
    EXPECT_NO_THROW(Soundmanager::checkResult(VXSound::Result::ok));
    try {
        Soundmanager::checkResult(VXSound::Result::invalidHandle);
        FAIL();
    } catch (const std::logic_error& e) {
        EXPECT_EQ(std::string(e.what()), std::string("FMOD Fail 36: ") +
                                             VXSound::resultText(VXSound::Result::invalidHandle));
    }
}

TEST_F(SoundTest, Destruction_ReleasesSoundsBeforeClosingTheSystem) {
    testing::internal::CaptureStderr();
    {
        Soundmanager sounds;
        sounds.play(gameDir + "/sound/sleep.mp3");
        sounds.play(gameDir + "/sound/victory.mp3");
        ASSERT_EQ(VXSound::diagnostics().soundsAlive, 2);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "")
        << "no deallocation failure may be reported";
    EXPECT_EQ(VXSound::diagnostics().soundsAliveAtLastClose, 0)
        << "sounds must be released before the system closes";
    EXPECT_EQ(VXSound::diagnostics().soundsAlive, 0);
    // The system is gone, so a new manager can create one again.
    EXPECT_NO_THROW(Soundmanager{});
}

TEST_F(SoundTest, Create_SecondSystemWhileOneLivesIsRefused) {
    Soundmanager sounds;
    try {
        Soundmanager second;
        FAIL() << "only one sound system may exist";
    } catch (const std::logic_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("FMOD Fail 1: ", 0), 0u) << e.what();
    }
    sounds.play(omnom);  // the first one still works
    EXPECT_EQ(sounds.playingCount(), 1u);
}

TEST_F(SoundTest, Init_WithoutAudioDeviceFallsBackToSilentOutputWithOneWarning) {
    useDriver("no-such-audio-driver");
    testing::internal::CaptureStderr();
    Soundmanager sounds;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("WARNING: ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_TRUE(sounds.silentOutput());
    sounds.play(omnom);
    sounds.update();
    EXPECT_EQ(sounds.playingCount(), 1u);
    const double took = updateUntilSilent(sounds, 5.0);
    EXPECT_GT(took, 0.4) << "the fallback output must still play in real time";
}

// The invalid-handle rule, checked on the layer itself where the channel count can be small.
TEST_F(SoundTest, Channel_StaleWhenEndedReleasedOrReused) {
    VXSound::System* system = nullptr;
    ASSERT_EQ(VXSound::System_Create(&system), VXSound::Result::ok);
    ASSERT_EQ(system->init(2, VXSound::initNormal, nullptr), VXSound::Result::ok);

    bool playing = true;
    EXPECT_EQ(VXSound::Channel{}.isPlaying(&playing), VXSound::Result::invalidHandle);
    EXPECT_FALSE(playing);

    VXSound::Sound* sounds[3] = {};
    VXSound::Channel channels[3];
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(system->createSound(omnom.c_str(), Soundmanager::playMode, nullptr, &sounds[i]),
                  VXSound::Result::ok);
        ASSERT_EQ(system->playSound(VXSound::channelFree, sounds[i], false, &channels[i]),
                  VXSound::Result::ok);
    }
    // Three plays on two channels: the oldest gave its channel to the third.
    EXPECT_EQ(channels[2].index(), channels[0].index());
    EXPECT_EQ(channels[0].isPlaying(&playing), VXSound::Result::invalidHandle);
    EXPECT_FALSE(playing);
    EXPECT_EQ(channels[1].isPlaying(&playing), VXSound::Result::ok);
    EXPECT_TRUE(playing);
    EXPECT_EQ(channels[2].isPlaying(&playing), VXSound::Result::ok);
    EXPECT_TRUE(playing);

    // Releasing a playing sound stops its channel.
    EXPECT_EQ(sounds[1]->release(), VXSound::Result::ok);
    EXPECT_EQ(channels[1].isPlaying(&playing), VXSound::Result::invalidHandle);

    // An ended play is stale too.
    const double length = sounds[2]->lengthSeconds();
    EXPECT_NEAR(length, 0.57, 0.1);
    std::this_thread::sleep_for(std::chrono::duration<double>(length + 0.3));
    EXPECT_EQ(channels[2].isPlaying(&playing), VXSound::Result::invalidHandle);
    EXPECT_FALSE(playing);

    EXPECT_EQ(sounds[0]->release(), VXSound::Result::ok);
    EXPECT_EQ(sounds[2]->release(), VXSound::Result::ok);
    EXPECT_EQ(system->close(), VXSound::Result::ok);
    EXPECT_EQ(system->update(), VXSound::Result::notInitialised);
    EXPECT_EQ(system->release(), VXSound::Result::ok);
}

TEST_F(SoundTest, Play_ThroughDiskOutputWritesAudibleSamples) {
    const auto raw = std::filesystem::temp_directory_path() / "vx_sound_disk.raw";
    std::filesystem::remove(raw);
    useDriver("disk");
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    {
        Soundmanager sounds;
        EXPECT_FALSE(sounds.silentOutput());
        sounds.play(gameDir + "/sound/brz.mp3");
        updateUntilSilent(sounds, 5.0);
        EXPECT_EQ(sounds.playingCount(), 0u);
    }
    unsetenv("SDL_DISKAUDIOFILE");

    std::ifstream in(raw, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 44100u * 4 / 2)
        << "at least half a second of s16 stereo must have been written";
    std::size_t loud = 0;
    int peak = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto sample = static_cast<std::int16_t>(
            static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
        const int magnitude = std::abs(static_cast<int>(sample));
        peak = std::max(peak, magnitude);
        loud += magnitude > 2000 ? 1 : 0;
    }
    EXPECT_GT(peak, 10000) << "the buzz is normalised close to full scale";
    // The buzz lasts about 0.8 s: a good part of its stereo samples must be loud.
    EXPECT_GT(loud, 44100u * 2 / 4);
    std::filesystem::remove(raw);
}
