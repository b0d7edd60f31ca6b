#pragma once
// Fire-and-forget playback of the game's sound effects. The frame loop owns one Soundmanager,
// pumps it once per frame, and the game controller asks it to play a file on each game event.
// Every play loads its file anew; the sounds are released when their channel has finished.
#include "Manager/SoundManager/SoundSystem.h"

#include <cstddef>
#include <list>
#include <memory>
#include <string>

namespace VX3D {

// One loaded sound and the channel it plays on; releases the sound when it dies.
class SoundWrapper {
public:
    SoundWrapper() = default;
    ~SoundWrapper();
    SoundWrapper(const SoundWrapper&) = delete;
    SoundWrapper& operator=(const SoundWrapper&) = delete;

    VXSound::Sound* sound = nullptr;  // owned
    VXSound::Channel channel;         // handle of the play; stale once the sound has ended
};

}  // namespace VX3D

class Soundmanager {
public:
    // Creates the sound system and initialises it for 32 channels; failures raise checkResult's
    // error.
    Soundmanager();
    // Releases every sound, then closes and releases the system; never raises.
    ~Soundmanager();
    Soundmanager(const Soundmanager&) = delete;
    Soundmanager& operator=(const Soundmanager&) = delete;

    // Loads the file (relative to the working directory) and starts it at once.
    void play(const std::string& path);
    // Once per frame: pumps the system and drops the effects that have finished.
    void update();

    // Effects started and not yet found finished.
    std::size_t playingCount() const { return playing.size(); }
    // Whether the output fell back to silence for want of an audio device.
    bool silentOutput() const { return system != nullptr && system->silentOutput(); }

    // Raises std::logic_error "FMOD Fail " + code + ": " + the code's text for anything but ok.
    static void checkResult(VXSound::Result result);

    static constexpr int channelCount = 32;
    // mode of every play: 2D, software mixed, decoded fully into memory (328)
    static constexpr unsigned playMode =
        VXSound::mode2D | VXSound::modeSoftware | VXSound::modeCreateSample;

private:
    VXSound::System* system = nullptr;
    std::list<std::shared_ptr<VX3D::SoundWrapper>> playing;
};

namespace VX3D {
using Soundmanager = ::Soundmanager;
}
