#include "Veltrix/GameRandom.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace Veltrix {

GameRandom::GameRandom(std::uint32_t seed) : integerEngine_(seed), seed_(seed), realEngine_(seed) {}

std::uint32_t GameRandom::next() {
    ++drawCount_;
    return static_cast<std::uint32_t>(integerEngine_());
}

std::int32_t GameRandom::uniformInt(std::int32_t lo, std::int32_t hi) {
    // Unsigned arithmetic: the range of two int32 values may exceed INT32_MAX.
    const std::uint32_t range = static_cast<std::uint32_t>(hi) - static_cast<std::uint32_t>(lo);
    if (range == 0) return lo;
    if (range == 0xFFFFFFFFu)
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(lo) + next());
    std::uint32_t bucket = 0xFFFFFFFFu / (range + 1);
    if (0xFFFFFFFFu % (range + 1) == range) ++bucket;
    std::uint32_t r;
    do {
        r = next() / bucket;
    } while (r > range);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(lo) + r);
}

void GameRandom::advanceTo(std::uint32_t draws, std::uint32_t realDraws) {
    if (draws < drawCount_ || realDraws < realDrawCount_)
        throw std::logic_error("the random source is already past the position asked for (" +
                               std::to_string(drawCount_) + " > " + std::to_string(draws) + " or " +
                               std::to_string(realDrawCount_) + " > " + std::to_string(realDraws) +
                               " draws)");
    integerEngine_.discard(draws - drawCount_);
    realEngine_.discard(realDraws - realDrawCount_);
    drawCount_ = draws;
    realDrawCount_ = realDraws;
}

double GameRandom::real() {
    ++realDrawCount_;
    return realEngine_();
}

bool GameRandom::bernoulli(double p) {
    if (p == 0.0) return false;
    double u;
    do {
        u = real();
    } while (u >= 1.0);
    return std::floor(u * 4294967296.0) <= p * 4294967295.0;
}

}  // namespace Veltrix
