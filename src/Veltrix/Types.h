#pragma once
// Value types shared by every part of the rules engine: field coordinates,
// directions and the ordered containers the game state is made of.
//
// The containers are sorted vectors (Boost's flat containers) rather than node
// based trees: the game state is small (a few dozen entries per map), is copied
// by value and is walked in key order constantly, which sorted vectors do
// without an allocation per entry. Iteration order is the key order, exactly as
// with std::map / std::set.

#include <boost/container/flat_map.hpp>
#include <boost/container/flat_set.hpp>
#include <boost/container/small_vector.hpp>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace Veltrix {

// A field cell. Ordered by x, then y, which fixes every iteration order of the
// engine (battle resolution, portal shuffle, the listing of portal pairs).
struct Position {
    std::int32_t x = 0;
    std::int32_t y = 0;
    // Spelled out rather than defaulted through <=>: these comparisons run in
    // every map lookup and merge of the engine, and this form compiles to two
    // plain integer compares.
    friend constexpr bool operator==(Position a, Position b) { return a.x == b.x && a.y == b.y; }
    friend constexpr bool operator!=(Position a, Position b) { return !(a == b); }
    friend constexpr bool operator<(Position a, Position b) {
        return a.x != b.x ? a.x < b.x : a.y < b.y;
    }
    friend constexpr bool operator>(Position a, Position b) { return b < a; }
    friend constexpr bool operator<=(Position a, Position b) { return !(b < a); }
    friend constexpr bool operator>=(Position a, Position b) { return !(a < b); }
};

// Added to a position; components are -1, 0 or 1 for every caller in the game,
// but the engine accepts any pair. (0, 0) stays and still costs a move.
struct Direction {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    friend constexpr bool operator==(const Direction&, const Direction&) = default;
};

constexpr Position operator+(Position p, Direction d) {
    return {p.x + d.dx, p.y + d.dy};
}

// Raised by every failed key lookup of the engine's maps. The text is fixed here
// so that it reads the same whatever standard library the game is built with.
[[noreturn]] void throwMissingKey();

// An ordered map whose at() raises std::out_of_range("invalid map<K, T> key").
// Storage (an allocator or a sequence type) may be swapped for a small inline vector where a map is
// a short-lived temporary on a hot path.
template <class K, class V, class Storage = boost::container::new_allocator<std::pair<K, V>>>
class OrderedMap : public boost::container::flat_map<K, V, std::less<K>, Storage> {
    using Base = boost::container::flat_map<K, V, std::less<K>, Storage>;

public:
    using Base::Base;

    V& at(const K& key) {
        auto it = this->find(key);
        if (it == this->end()) throwMissingKey();
        return it->second;
    }
    const V& at(const K& key) const {
        auto it = this->find(key);
        if (it == this->end()) throwMissingKey();
        return it->second;
    }
};

template <class K, class Storage = boost::container::new_allocator<K>>
using OrderedSet = boost::container::flat_set<K, std::less<K>, Storage>;

// Ids are plain ints; they enter the engine through makePlayerId / makeAntId.
using PlayerId = std::int32_t;
using AntId = std::int32_t;

}  // namespace Veltrix
