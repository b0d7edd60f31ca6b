#include "imagecore/Noise.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>
#include <string>
#include <stdexcept>

namespace vximg {

namespace {

constexpr float kTwoPi = 6.28318530717958647692f;

int wrap(int i, int n) {
    return ((i % n) + n) % n;
}

int floorInt(float v) {
    return static_cast<int>(std::floor(v));
}

// Quintic fade: continuous second derivative, so no creases in lighting.
float fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

float lerp(float a, float b, float t) {
    return a + (b - a) * t;
}

void checkPeriod(glm::ivec2 period) {
    if (period.x < 1 || period.y < 1)
        throw std::invalid_argument("noise period must be at least 1 lattice cell, got " +
                                    std::to_string(period.x) + " x " + std::to_string(period.y));
}

float gradientDot(int ix, int iy, float dx, float dy, std::uint32_t seed) {
    const float angle = hashUnit(ix, iy, 0, seed) * kTwoPi;
    return std::cos(angle) * dx + std::sin(angle) * dy;
}

float gradientDot3(int ix, int iy, int iz, glm::vec3 d, std::uint32_t seed) {
    // A uniformly distributed unit vector from two hash values.
    const float z = hashUnit(ix, iy, iz, seed) * 2.0f - 1.0f;
    const float a = hashUnit(ix, iy, iz, seed ^ 0x5bd1e995u) * kTwoPi;
    const float r = std::sqrt(std::max(0.0f, 1.0f - z * z));
    return r * std::cos(a) * d.x + r * std::sin(a) * d.y + z * d.z;
}

std::uint32_t octaveSeed(std::uint32_t seed, int octave) {
    return seed + static_cast<std::uint32_t>(octave) * 0x9e3779b9u;
}

}  // namespace

std::uint32_t hash(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed) {
    std::uint32_t h = seed * 0x27d4eb2du;
    h ^= static_cast<std::uint32_t>(x) * 0x85ebca6bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xc2b2ae35u;
    h = (h << 11) | (h >> 21);
    h ^= static_cast<std::uint32_t>(z) * 0x165667b1u;
    // murmur3 finaliser
    h ^= h >> 16;
    h *= 0x85ebca6bu;
    h ^= h >> 13;
    h *= 0xc2b2ae35u;
    h ^= h >> 16;
    return h;
}

float hashUnit(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed) {
    return static_cast<float>(hash(x, y, z, seed) >> 8) * (1.0f / 16777216.0f);
}

float valueNoise(glm::vec2 p, glm::ivec2 period, std::uint32_t seed) {
    checkPeriod(period);
    const int x0 = floorInt(p.x);
    const int y0 = floorInt(p.y);
    const float tx = fade(p.x - static_cast<float>(x0));
    const float ty = fade(p.y - static_cast<float>(y0));
    const int xa = wrap(x0, period.x), xb = wrap(x0 + 1, period.x);
    const int ya = wrap(y0, period.y), yb = wrap(y0 + 1, period.y);
    const float a = lerp(hashUnit(xa, ya, 0, seed), hashUnit(xb, ya, 0, seed), tx);
    const float b = lerp(hashUnit(xa, yb, 0, seed), hashUnit(xb, yb, 0, seed), tx);
    return lerp(a, b, ty);
}

float gradientNoise(glm::vec2 p, glm::ivec2 period, std::uint32_t seed) {
    checkPeriod(period);
    const int x0 = floorInt(p.x);
    const int y0 = floorInt(p.y);
    const float fx = p.x - static_cast<float>(x0);
    const float fy = p.y - static_cast<float>(y0);
    const int xa = wrap(x0, period.x), xb = wrap(x0 + 1, period.x);
    const int ya = wrap(y0, period.y), yb = wrap(y0 + 1, period.y);
    const float tx = fade(fx), ty = fade(fy);
    const float a =
        lerp(gradientDot(xa, ya, fx, fy, seed), gradientDot(xb, ya, fx - 1.0f, fy, seed), tx);
    const float b = lerp(gradientDot(xa, yb, fx, fy - 1.0f, seed),
                         gradientDot(xb, yb, fx - 1.0f, fy - 1.0f, seed), tx);
    // sqrt(2) brings the 2D extreme of +-sqrt(0.5) to about +-1.
    return lerp(a, b, ty) * 1.41421356f;
}

float gradientNoise3(glm::vec3 p, std::uint32_t seed) {
    const int x0 = floorInt(p.x), y0 = floorInt(p.y), z0 = floorInt(p.z);
    const glm::vec3 f =
        p - glm::vec3(static_cast<float>(x0), static_cast<float>(y0), static_cast<float>(z0));
    const glm::vec3 t(fade(f.x), fade(f.y), fade(f.z));
    float c[2][2][2];
    for (int dz = 0; dz < 2; ++dz)
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx)
                c[dz][dy][dx] =
                    gradientDot3(x0 + dx, y0 + dy, z0 + dz,
                                 f - glm::vec3(static_cast<float>(dx), static_cast<float>(dy),
                                               static_cast<float>(dz)),
                                 seed);
    const float y0v =
        lerp(lerp(c[0][0][0], c[0][0][1], t.x), lerp(c[0][1][0], c[0][1][1], t.x), t.y);
    const float y1v =
        lerp(lerp(c[1][0][0], c[1][0][1], t.x), lerp(c[1][1][0], c[1][1][1], t.x), t.y);
    return lerp(y0v, y1v, t.z) * 1.6f;
}

float Fbm::operator()(glm::vec2 uv) const {
    float sum = 0.0f, amplitude = 1.0f, norm = 0.0f;
    glm::ivec2 period = cells;
    for (int o = 0; o < octaves; ++o) {
        const glm::vec2 p = uv * glm::vec2(period);
        const float n = kind == NoiseKind::Gradient
                            ? gradientNoise(p, period, octaveSeed(seed, o))
                            : valueNoise(p, period, octaveSeed(seed, o)) * 2.0f - 1.0f;
        sum += n * amplitude;
        norm += amplitude;
        amplitude *= gain;
        period *= 2;
    }
    return norm > 0.0f ? sum / norm : 0.0f;
}

float Fbm::ridged(glm::vec2 uv) const {
    float sum = 0.0f, amplitude = 1.0f, norm = 0.0f, weight = 1.0f;
    glm::ivec2 period = cells;
    for (int o = 0; o < octaves; ++o) {
        const glm::vec2 p = uv * glm::vec2(period);
        float n = 1.0f - std::fabs(gradientNoise(p, period, octaveSeed(seed, o)));
        n *= n;
        // Finer ridges grow mainly on the crests of coarser ones, as erosion leaves them.
        n *= weight;
        weight = std::min(1.0f, n * 1.5f);
        sum += n * amplitude;
        norm += amplitude;
        amplitude *= gain;
        period *= 2;
    }
    return norm > 0.0f ? sum / norm : 0.0f;
}

float fbm3(glm::vec3 p, int octaves, float gain, std::uint32_t seed) {
    float sum = 0.0f, amplitude = 1.0f, norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += gradientNoise3(p, octaveSeed(seed, o)) * amplitude;
        norm += amplitude;
        amplitude *= gain;
        p *= 2.0f;
    }
    return norm > 0.0f ? sum / norm : 0.0f;
}

float cellDistance(glm::vec2 uv, glm::ivec2 cells, std::uint32_t seed) {
    checkPeriod(cells);
    const glm::vec2 p = uv * glm::vec2(cells);
    const int cx = floorInt(p.x), cy = floorInt(p.y);
    float best = 10.0f;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int ix = cx + dx, iy = cy + dy;
            const int wx = wrap(ix, cells.x), wy = wrap(iy, cells.y);
            const glm::vec2 feature(static_cast<float>(ix) + hashUnit(wx, wy, 1, seed),
                                    static_cast<float>(iy) + hashUnit(wx, wy, 2, seed));
            best = std::min(best, glm::length(feature - p));
        }
    return best;
}

Rng::Rng(std::uint64_t seed, std::uint64_t stream) : inc((stream << 1u) | 1u) {
    next();
    state += seed;
    next();
}

std::uint32_t Rng::next() {
    const std::uint64_t old = state;
    state = old * 6364136223846793005ULL + inc;
    const auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rot = static_cast<std::uint32_t>(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

float Rng::uniform() {
    return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f);
}

float Rng::range(float lo, float hi) {
    return lo + (hi - lo) * uniform();
}

int Rng::below(int n) {
    if (n < 1) throw std::invalid_argument("Rng::below needs n >= 1");
    return static_cast<int>(uniform() * static_cast<float>(n)) % n;
}

float Rng::normal() {
    // Box-Muller; 1 - uniform() is never 0.
    const float u1 = 1.0f - uniform();
    const float u2 = uniform();
    return std::sqrt(-2.0f * std::log(u1)) * std::cos(kTwoPi * u2);
}

float smoothstep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

}  // namespace vximg
