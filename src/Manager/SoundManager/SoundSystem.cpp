#include "Manager/SoundManager/SoundSystem.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace VXSound {

namespace {

constexpr int outputRate = 44100;
constexpr int outputChannels = 2;
constexpr int outputChunkFrames = 1024;

System* liveSystem = nullptr;
Diagnostics counters;
// Process-wide, so a handle from a released system never matches a play of a later one.
std::uint64_t nextSerial = 1;

// Opens the mixer on whatever driver SDL picks; on failure the audio subsystem is shut again.
bool openOutput() {
    // SDL would otherwise turn SIGINT and SIGTERM into quit events of an event queue that
    // nothing here reads, and Ctrl+C would no longer end the game.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    if (Mix_OpenAudio(outputRate, AUDIO_S16SYS, outputChannels, outputChunkFrames) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

// Runs f with the process's standard error sent to /dev/null. The audio back ends (ALSA in
// particular) print several lines of their own when no device exists; the one line that
// matters is ours.
template <class F>
auto withQuietStderr(F f) {
    std::fflush(stderr);
    std::cerr.flush();
    const int saved = dup(STDERR_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    if (saved >= 0 && devNull >= 0) {
        dup2(devNull, STDERR_FILENO);
    }
    auto result = f();
    std::fflush(stderr);
    if (saved >= 0 && devNull >= 0) {
        dup2(saved, STDERR_FILENO);
    }
    if (devNull >= 0) {
        ::close(devNull);
    }
    if (saved >= 0) {
        ::close(saved);
    }
    return result;
}

}  // namespace

const char* resultText(Result result) {
    switch (result) {
        case Result::ok:
            return "No errors.";
        case Result::alreadyCreated:
            return "A sound system already exists; only one can be created at a time.";
        case Result::notInitialised:
            return "The sound system has not been initialised.";
        case Result::alreadyInitialised:
            return "The sound system has already been initialised.";
        case Result::outputInit:
            return "No audio output could be opened, not even the silent one.";
        case Result::decoderInit:
            return "The MP3 decoder could not be initialised.";
        case Result::fileNotFound:
            return "File not found.";
        case Result::fileBad:
            return "The file could not be decoded: it is corrupt or not a supported sound format.";
        case Result::channelAlloc:
            return "No channel could be allocated for the sound.";
        case Result::invalidHandle:
            return "An invalid handle was used: the sound on that channel has ended or the channel "
                   "was reused.";
        case Result::invalidParam:
            return "An invalid parameter was passed to the function.";
    }
    return "Unknown result code.";
}

const Diagnostics& diagnostics() {
    return counters;
}

Result System_Create(System** system) {
    if (system == nullptr) {
        return Result::invalidParam;
    }
    if (liveSystem != nullptr) {
        return Result::alreadyCreated;
    }
    liveSystem = new System();
    *system = liveSystem;
    return Result::ok;
}

Result System::init(int maxChannels, unsigned flags, void* extraDriverData) {
    if (initialised_) {
        return Result::alreadyInitialised;
    }
    if (maxChannels < 1 || flags != initNormal || extraDriverData != nullptr) {
        return Result::invalidParam;
    }
    if (!withQuietStderr(openOutput)) {
        // A machine without a sound card still runs the game: SDL's dummy driver consumes the
        // mix in real time, so channels end after their real duration as they would audibly.
        const std::string reason = SDL_GetError();
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        const bool opened = openOutput();
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        if (!opened) {
            return Result::outputInit;
        }
        silent_ = true;
        std::cerr << "WARNING: no audio device could be opened (" << reason
                  << "); sound effects play on silent output\n";
    }
    if ((Mix_Init(MIX_INIT_MP3) & MIX_INIT_MP3) == 0) {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return Result::decoderInit;
    }
    Mix_AllocateChannels(maxChannels);
    serials_.assign(static_cast<std::size_t>(maxChannels), 0);
    initialised_ = true;
    return Result::ok;
}

Result System::createSound(const char* path, unsigned mode, void* extendedInfo, Sound** sound) {
    if (!initialised_) {
        return Result::notInitialised;
    }
    const unsigned knownModes = mode2D | modeSoftware | modeCreateSample;
    if (path == nullptr || sound == nullptr || (mode & ~knownModes) != 0 ||
        extendedInfo != nullptr) {
        return Result::invalidParam;
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return Result::fileNotFound;
    }
    Mix_Chunk* chunk = Mix_LoadWAV(path);
    if (chunk == nullptr) {
        return Result::fileBad;
    }
    *sound = new Sound(this, chunk);
    return Result::ok;
}

Result System::playSound(int channelIndex, Sound* sound, bool paused, Channel* channel) {
    if (!initialised_) {
        return Result::notInitialised;
    }
    if (sound == nullptr || sound->system_ != this || channel == nullptr ||
        channelIndex < channelFree || channelIndex >= channels()) {
        return Result::invalidParam;
    }
    int index = channelIndex;
    if (index == channelFree) {
        // Take a free channel; when all are busy the one started longest ago gives way.
        index = -1;
        for (int i = 0; i < channels() && index < 0; ++i) {
            if (Mix_Playing(i) == 0) {
                index = i;
            }
        }
        if (index < 0) {
            index = static_cast<int>(std::min_element(serials_.begin(), serials_.end()) -
                                     serials_.begin());
        }
    }
    Mix_HaltChannel(index);
    // Holding the device lock keeps the mixer thread from playing samples of a paused start.
    SDL_LockAudio();
    const bool started = Mix_PlayChannel(index, sound->chunk_, 0) >= 0;
    if (started && paused) {
        Mix_Pause(index);
    }
    SDL_UnlockAudio();
    if (!started) {
        return Result::channelAlloc;
    }
    serials_[static_cast<std::size_t>(index)] = nextSerial;
    *channel = Channel(this, index, nextSerial);
    ++nextSerial;
    return Result::ok;
}

Result System::update() {
    return initialised_ ? Result::ok : Result::notInitialised;
}

Result System::close() {
    if (!initialised_) {
        return Result::notInitialised;
    }
    counters.soundsAliveAtLastClose = counters.soundsAlive;
    Mix_HaltChannel(-1);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    serials_.clear();
    initialised_ = false;
    silent_ = false;
    return Result::ok;
}

Result System::release() {
    if (initialised_) {
        const Result closed = close();
        if (closed != Result::ok) {
            return closed;
        }
    }
    if (liveSystem == this) {
        liveSystem = nullptr;
    }
    delete this;
    return Result::ok;
}

Sound::Sound(System* system, Mix_Chunk* chunk) : system_(system), chunk_(chunk) {
    ++counters.soundsAlive;
}

Sound::~Sound() {
    --counters.soundsAlive;
}

Result Sound::release() {
    // Mix_FreeChunk halts every channel still playing the chunk, which makes their handles stale.
    Mix_FreeChunk(chunk_);
    delete this;
    return Result::ok;
}

double Sound::lengthSeconds() const {
    int frequency = outputRate;
    Uint16 format = AUDIO_S16SYS;
    int channels = outputChannels;
    Mix_QuerySpec(&frequency, &format, &channels);
    const double bytesPerFrame = channels * (SDL_AUDIO_BITSIZE(format) / 8.0);
    return chunk_->alen / bytesPerFrame / frequency;
}

Result Channel::isPlaying(bool* playing) const {
    if (playing == nullptr) {
        return Result::invalidParam;
    }
    *playing = false;
    if (system_ == nullptr || system_ != liveSystem || !system_->initialised_ || index_ < 0 ||
        index_ >= system_->channels()) {
        return Result::invalidHandle;
    }
    if (system_->serials_[static_cast<std::size_t>(index_)] != serial_ ||
        Mix_Playing(index_) == 0) {
        return Result::invalidHandle;
    }
    *playing = true;
    return Result::ok;
}

}  // namespace VXSound
