#pragma once
// The game's small sound library, a thin layer over SDL2_mixer with the shape of a classic
// fire-and-forget effects API: one system created once and initialised for a number of
// channels, sounds decoded fully into memory, played at once on a free channel, and a
// channel handle that tells whether its sound still plays. Every call returns a Result;
// resultText gives the one fixed sentence for each code.
#include <cstdint>
#include <string>
#include <vector>

struct Mix_Chunk;

namespace VXSound {

enum class Result : int {
    ok = 0,
    alreadyCreated = 1,
    notInitialised = 2,
    alreadyInitialised = 3,
    outputInit = 4,
    decoderInit = 5,
    fileNotFound = 23,
    fileBad = 25,
    channelAlloc = 30,
    invalidHandle = 36,
    invalidParam = 37,
};

// The fixed text of a result code; unknown codes get a text that says so.
const char* resultText(Result result);

// init flags
constexpr unsigned initNormal = 0;
// createSound mode bits; sounds are always decoded fully into memory
constexpr unsigned mode2D = 0x8;
constexpr unsigned modeSoftware = 0x40;
constexpr unsigned modeCreateSample = 0x100;
// playSound channel choice: any free channel (the oldest playing one is taken when none is free)
constexpr int channelFree = -1;

class System;

// A sound decoded into memory. Created by System::createSound, destroyed by release().
class Sound {
public:
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // Stops every channel that plays this sound and frees it; the pointer is invalid afterwards.
    Result release();
    // Length in seconds at the output's sample rate.
    double lengthSeconds() const;

private:
    friend class System;
    Sound(System* system, Mix_Chunk* chunk);
    ~Sound();

    System* system_;
    Mix_Chunk* chunk_;
};

// Handle of one play of a sound on one channel. Once that play has ended, or the channel was
// taken for another play, the handle is stale and reports Result::invalidHandle.
class Channel {
public:
    Channel() = default;
    // ok with *playing = true while the play goes on; invalidHandle with *playing = false after.
    Result isPlaying(bool* playing) const;
    int index() const { return index_; }

private:
    friend class System;
    Channel(System* system, int index, std::uint64_t serial)
        : system_(system), index_(index), serial_(serial) {}

    System* system_ = nullptr;
    int index_ = -1;
    std::uint64_t serial_ = 0;
};

// Counters for diagnostics and tests.
struct Diagnostics {
    int soundsAlive = 0;              // sounds created and not yet released, over all systems
    int soundsAliveAtLastClose = -1;  // soundsAlive when a system last closed its output
};
const Diagnostics& diagnostics();

class System {
public:
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    // Opens the audio output with maxChannels mixing channels. Without an audio device it
    // falls back to SDL's silent "dummy" output, which still plays in real time, and prints
    // one "WARNING: " line on standard error.
    Result init(int maxChannels, unsigned flags, void* extraDriverData);
    // Decodes the whole file into memory. A missing file gives fileNotFound, an undecodable one
    // fileBad.
    Result createSound(const char* path, unsigned mode, void* extendedInfo, Sound** sound);
    // Starts the sound at once on the channel (channelFree: any free one).
    Result playSound(int channelIndex, Sound* sound, bool paused, Channel* channel);
    // Per-frame pump; the mixer runs on its own thread, so this only checks the state.
    Result update();
    // Stops all channels and closes the output; sounds should be released before.
    Result close();
    // Closes if needed and destroys the system; the pointer is invalid afterwards.
    Result release();

    bool silentOutput() const { return silent_; }
    int channels() const { return static_cast<int>(serials_.size()); }

private:
    friend Result System_Create(System** system);
    friend class Sound;
    friend class Channel;
    System() = default;
    ~System() = default;

    bool initialised_ = false;
    bool silent_ = false;
    std::vector<std::uint64_t> serials_;  // serial of the play last started on each channel
};

// Creates the one sound system of the process; a second one while the first lives gives
// alreadyCreated.
Result System_Create(System** system);

}  // namespace VXSound
