#include "Manager/SoundManager/Soundmanager.h"

#include <iostream>
#include <stdexcept>

static_assert(Soundmanager::playMode == 328);

namespace VX3D {

SoundWrapper::~SoundWrapper() {
    if (sound == nullptr) {
        return;
    }
    try {
        Soundmanager::checkResult(sound->release());
    } catch (const std::logic_error& e) {
        std::cerr << "Deallocation of SoundWrapper failed because of: " << e.what() << "\n";
    }
}

}  // namespace VX3D

void Soundmanager::checkResult(VXSound::Result result) {
    if (result != VXSound::Result::ok) {
        throw std::logic_error("FMOD Fail " + std::to_string(static_cast<int>(result)) + ": " +
                               VXSound::resultText(result));
    }
}

Soundmanager::Soundmanager() {
    checkResult(VXSound::System_Create(&system));
    const VXSound::Result initialised = system->init(channelCount, VXSound::initNormal, nullptr);
    if (initialised != VXSound::Result::ok) {
        // The destructor does not run for a half-built object, so the system goes here.
        system->release();
        system = nullptr;
        checkResult(initialised);
    }
}

Soundmanager::~Soundmanager() {
    playing.clear();
    try {
        checkResult(system->close());
        checkResult(system->release());
    } catch (const std::logic_error& e) {
        std::cerr << "Deallocation of Soundmanager failed because of: " << e.what() << "\n";
    }
}

void Soundmanager::play(const std::string& path) {
    auto wrapper = std::make_shared<VX3D::SoundWrapper>();
    checkResult(system->createSound(path.c_str(), playMode, nullptr, &wrapper->sound));
    checkResult(system->playSound(VXSound::channelFree, wrapper->sound, false, &wrapper->channel));
    playing.push_back(std::move(wrapper));
}

void Soundmanager::update() {
    checkResult(system->update());
    for (auto it = playing.begin(); it != playing.end();) {
        bool isPlaying = false;
        const VXSound::Result result = (*it)->channel.isPlaying(&isPlaying);
        if (result != VXSound::Result::ok && result != VXSound::Result::invalidHandle) {
            checkResult(result);
        }
        it = isPlaying ? std::next(it) : playing.erase(it);
    }
}
