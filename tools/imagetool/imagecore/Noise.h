// Deterministic noise and random numbers. Every function is a pure function of
// its arguments and a seed, so the art is the same on every run and machine.
//
// The 2D noises take an integer lattice period: the lattice is indexed modulo
// the period, so a texture that spans exactly one period in each direction
// tiles by construction, with no blending across its borders.
#pragma once

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <cstdint>

namespace vximg {

// Integer hash of a lattice point; well mixed in every bit.
std::uint32_t hash(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed);
// The same hash as a float in [0, 1).
float hashUnit(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed);

// Value noise in [0, 1]; period.x and period.y are lattice cells (at least 1).
float valueNoise(glm::vec2 p, glm::ivec2 period, std::uint32_t seed);
// Gradient (Perlin-style) noise, roughly in [-1, 1], zero at lattice points.
float gradientNoise(glm::vec2 p, glm::ivec2 period, std::uint32_t seed);
// Gradient noise of a 3D point, not periodic; for functions of a direction.
float gradientNoise3(glm::vec3 p, std::uint32_t seed);

enum class NoiseKind { Value, Gradient };

// Fractional Brownian motion over a unit tile: uv in [0, 1) covers the tile once,
// the first octave has `cells` lattice cells across it and every further octave
// doubles them, so each octave (and the sum) tiles at uv + 1. Result roughly
// in [-1, 1] (value noise is centred first).
struct Fbm {
    glm::ivec2 cells{4, 4};
    int octaves = 5;
    float gain = 0.5f;
    NoiseKind kind = NoiseKind::Gradient;
    std::uint32_t seed = 1;

    float operator()(glm::vec2 uv) const;
    // Ridged variant: sharp crests where the noise crosses zero, in [0, 1].
    float ridged(glm::vec2 uv) const;
};

// fBm of a 3D point with doubling frequency, roughly in [-1, 1].
float fbm3(glm::vec3 p, int octaves, float gain, std::uint32_t seed);

// Distance to the nearest feature point of a periodic Worley pattern with
// `cells` cells across the unit tile, in cell units (about 0..1).
float cellDistance(glm::vec2 uv, glm::ivec2 cells, std::uint32_t seed);

// A small PCG32 generator: the sequence depends only on the seed and stream,
// unlike the standard distributions, whose output differs between libraries.
class Rng {
public:
    explicit Rng(std::uint64_t seed, std::uint64_t stream = 1);
    std::uint32_t next();
    float uniform();                  // [0, 1)
    float range(float lo, float hi);  // [lo, hi)
    int below(int n);                 // 0 .. n-1, n >= 1
    float normal();                   // mean 0, deviation 1

private:
    std::uint64_t state = 0;
    std::uint64_t inc = 0;
};

float smoothstep(float edge0, float edge1, float x);

}  // namespace vximg
