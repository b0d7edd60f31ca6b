#pragma once
// The game's single random source. Set-up, the portal shuffles and the computer
// opponent all draw from one instance, which the program seeds once and never
// reseeds, so a seed and a rules file replay a whole session.

#include <boost/random/lagged_fibonacci.hpp>
#include <boost/random/mersenne_twister.hpp>

#include <cstdint>

namespace Veltrix {

class GameRandom {
public:
    // Both engines start from the same seed; the real engine through Boost's own
    // minimal-standard seeding (seed mod 2^31-1, 0 becoming 1).
    explicit GameRandom(std::uint32_t seed = 42);

    // Next raw 32-bit output of the Mersenne Twister.
    std::uint32_t next();

    // Inclusive on both ends, by rejection from equal buckets (the method of
    // Boost's uniform integer distribution), so results are the same on every
    // platform and standard library.
    std::int32_t uniformInt(std::int32_t lo, std::int32_t hi);

    // Next value of the real engine, in [0, 1) (counted like every draw).
    double real();

    // True with probability p; p == 0 draws nothing. Draws from the real engine.
    bool bernoulli(double p);

    // Draws and throws away values until the two counts are reached: puts a fresh source where
    // a recorded game found it, since the counts and the seed fix every later value. Raises
    // std::logic_error (nothing drawn) when either count is already past.
    void advanceTo(std::uint32_t draws, std::uint32_t realDraws);

    std::uint32_t seed() const { return seed_; }
    // Values drawn so far from each engine (what replays and tests compare).
    std::uint32_t drawCount() const { return drawCount_; }
    std::uint32_t realDrawCount() const { return realDrawCount_; }

private:
    boost::random::mt19937 integerEngine_;
    std::uint32_t seed_;
    std::uint32_t drawCount_ = 0;
    boost::random::lagged_fibonacci607 realEngine_;
    std::uint32_t realDrawCount_ = 0;
};

}  // namespace Veltrix
