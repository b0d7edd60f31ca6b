#pragma once
// The computer opponent. It plays fair: it reads only its own player's ants,
// knowledge grid and sightings of enemy ants, never the true enemy state. It is
// built for the default game (two players, two ants each, a 20 x 13 field); its
// distance table is fixed to that size, and on other fields its guarded rules
// fail and it loses its move with direction (0, 0).

#include "Veltrix/GameState.h"
#include "Veltrix/Referee.h"
#include "Veltrix/RuleOptions.h"

#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace Veltrix {
class GameRandom;
}

namespace VX3D {

using Veltrix::Direction;
using Veltrix::Position;

// One bit per neighbour direction: 1 (0,-1), 2 (1,-1), 4 (1,0), 8 (1,1),
// 16 (0,1), 32 (-1,1), 64 (-1,0), 128 (-1,-1). The empty set stands for (0, 0).
using DirectionSet = std::uint8_t;

DirectionSet directionBit(Direction d);          // 0 for (0, 0) and non-unit directions
Direction bitDirection(DirectionSet singleBit);  // (0, 0) for 0

using ScoreGrid = std::vector<std::vector<double>>;  // [y][x]

// A set of cells of the 20 x 13 table, one bit per cell at index x * 16 + y, so
// that ascending bit order is the x-then-y order the ring walks use.
using CellBits = std::array<std::uint64_t, 5>;

// What chooseMove derives from one move's score grid and knowledge so that the
// stock rules can walk the rings a whole ring at a time instead of cell by cell.
// Valid only during the chooseMove call that filled it, for that player.
struct WalkCache {
    CellBits scoring{};  // score >= 0.0
    CellBits unseen{};   // knowledge says never seen
    const Veltrix::Player* player = nullptr;
    bool valid = false;
};

struct AIData {
    // Value of each cell, recomputed at every move; 0.0 at creation.
    ScoreGrid score;
    // The opponent's rules live in slots so that a variant can be tried without
    // touching chooseMove; they are only ever called through these.
    std::function<double(const Veltrix::CellKnowledge&)> cellScore;
    std::function<DirectionSet(const Veltrix::Ant& ownAnt0, const Veltrix::Player& player,
                               const AIData& data, const Veltrix::Ant& ownAnt1)>
        firstAntDirections;
    std::function<DirectionSet(const Veltrix::Ant& ownAnt1, const Veltrix::Player& player,
                               const AIData& data, const Veltrix::Ant& ownAnt0)>
        secondAntDirections;
    // May replace either mask; returns the ant to move (0 or 1).
    std::function<Veltrix::AntId(
        const Veltrix::Ant& ownAnt0, const Veltrix::Ant& ownAnt1, const Veltrix::SeenAnt& enemyAnt0,
        const Veltrix::SeenAnt& enemyAnt1, DirectionSet& mask0, DirectionSet& mask1)>
        chooseAnt;

    // Derived from score and the player's knowledge; see WalkCache.
    WalkCache walkCache;

    explicit AIData(const Veltrix::RuleOptions& options);
};

// The four stock rules that AIData's slots start with.
double defaultCellScore(const Veltrix::CellKnowledge& cell);
DirectionSet defaultFirstAntDirections(const Veltrix::Ant& ownAnt0, const Veltrix::Player& player,
                                       const AIData& data, const Veltrix::Ant& ownAnt1);
DirectionSet defaultSecondAntDirections(const Veltrix::Ant& ownAnt1, const Veltrix::Player& player,
                                        const AIData& data, const Veltrix::Ant& ownAnt0);
Veltrix::AntId defaultChooseAnt(const Veltrix::Ant& ownAnt0, const Veltrix::Ant& ownAnt1,
                                const Veltrix::SeenAnt& enemyAnt0,
                                const Veltrix::SeenAnt& enemyAnt1, DirectionSet& mask0,
                                DirectionSet& mask1);

// The ant and direction the computer plays for aiPlayer. The ant is -1 when the
// choice itself failed (its guard caught an error); callers then make a null move.
std::pair<Veltrix::AntId, Direction> chooseMove(Veltrix::PlayerId aiPlayer, AIData& data,
                                                const Veltrix::Referee& referee,
                                                Veltrix::GameRandom& random,
                                                const Veltrix::RuleOptions& options);

// cell + direction when that is on the (20 x 13) field, else cell.
Position stepWithinField(Position cell, Direction direction);
// Directions whose step lands strictly nearer to target (Chebyshev distance).
DirectionSet dirsCloser(Position from, Position target);
// Directions whose step moves but keeps the Chebyshev distance to target.
DirectionSet dirsKeep(Position from, Position target);
std::int32_t chebyshev(Position a, Position b);

// Walks the rings around start from distance 1 outward, each ring with x, then y
// ascending, over the cells scoring at least threshold: returns the one after
// `skip` earlier matches, or the last match if there are fewer, or start if none.
Position nearestScore(const ScoreGrid& grid, Position start, double threshold, std::int32_t skip);
// The same walk from distance 0 (start itself first) over cells never seen.
Position nearestUnseen(const Veltrix::Player& player, Position start, std::int32_t skip);

// The same walk over the cells of a bit set of the table (see CellBits), a
// whole ring at a time: from distance `from` (0 or 1 for the two walks above),
// the one after `skip` earlier members, or the last member, or start if none.
// What the stock rules use inside chooseMove; it gives what the walks above
// give for the same cells. A start outside the table raises std::out_of_range.
Position nearestInSet(const CellBits& match, Position start, std::int32_t from, std::int32_t skip);

// One direction out of the set, each equally likely (reservoir choice); a set of
// at most one direction draws nothing, each further direction costs one draw.
Direction pickDirection(DirectionSet mask, Veltrix::GameRandom& random);

// The process-wide table of rings of the 20 x 13 field: for each cell, every cell
// of the field ordered by Chebyshev distance, then x, then y. Built on first use,
// warning once that its sizes are fixed.
class RingTable {
public:
    static constexpr std::int32_t width = 20;
    static constexpr std::int32_t height = 13;

    static const RingTable& instance();

    // All cells ordered by ring; ring d occupies [ringBegin(start, d), ringBegin(start, d + 1)).
    // A start outside the table raises std::out_of_range.
    const std::vector<Position>& order(Position start) const;
    std::size_t ringBegin(Position start, std::int32_t d) const;
    std::int32_t maxDistance(Position start) const;
    // The cells of ring d around start (d up to maxDistance) as a bit set.
    const CellBits& ringBits(Position start, std::int32_t d) const;
    // maxRings bit sets: entry d holds the cells within distance d of start (the
    // square of side 2d + 1, clipped), so from maxDistance on the whole field;
    // entry -1 is the empty set. A start outside the table raises std::out_of_range.
    const CellBits* squares(Position start) const;

    static constexpr std::int32_t maxRings = 20;  // distances 0..19 on a 20 x 13 field

private:
    RingTable();
    std::vector<std::vector<Position>> orders_;           // per start index x * height + y
    std::vector<std::vector<std::uint16_t>> ringStarts_;  // per start, per distance, plus end
    std::vector<CellBits> ringBits_;                      // per start, maxRings entries
    std::vector<CellBits> squareBits_;                    // per start, maxRings + 1 entries
    std::vector<std::int32_t> farthest_;                  // per start, its maxDistance
};

}  // namespace VX3D
