#include "Veltrix/ComputerOpponent.h"

#include "Veltrix/GameRandom.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

namespace VX3D {

using namespace Veltrix;

namespace {

// The target corner both ants' plans start from.
constexpr Position homeTarget{17, 1};

const double notFoodScore = std::sin(std::cos(1.0) - 1.0);

[[noreturn]] void throwBadSubscript() { throw std::out_of_range("invalid vector<T> subscript"); }

bool inTable(Position p) { return p.x >= 0 && p.y >= 0 && p.x < RingTable::width && p.y < RingTable::height; }

template <class Grid>
bool coversTable(const Grid& grid)
{
    if (grid.size() < static_cast<std::size_t>(RingTable::height))
        return false;
    for (std::size_t y = 0; y < static_cast<std::size_t>(RingTable::height); ++y)
        if (grid[y].size() < static_cast<std::size_t>(RingTable::width))
            return false;
    return true;
}

template <class Grid>
const auto& checkedCell(const Grid& grid, Position c)
{
    if (c.y < 0 || static_cast<std::size_t>(c.y) >= grid.size())
        throwBadSubscript();
    const auto& row = grid[static_cast<std::size_t>(c.y)];
    if (c.x < 0 || static_cast<std::size_t>(c.x) >= row.size())
        throwBadSubscript();
    return row[static_cast<std::size_t>(c.x)];
}

// The common walk of nearestScore and nearestUnseen: the (skip + 1)-th matching
// cell in ring order from distance `from`, or the last match, or start.
template <class Grid, class Match>
Position ringWalk(const Grid& grid, Position start, std::int32_t from, std::int32_t skip, Match match)
{
    const RingTable& table = RingTable::instance();
    const std::vector<Position>& order = table.order(start);
    std::int32_t n = std::max(skip, 0);
    Position result = start;
    // Grids smaller than the table are possible on other field sizes; only then
    // does each lookup need its bounds checked.
    const bool checked = !coversTable(grid);
    for (std::size_t i = table.ringBegin(start, from); i < order.size(); ++i) {
        const Position c = order[i];
        const auto& cell = checked ? checkedCell(grid, c)
                                   : grid[static_cast<std::size_t>(c.y)][static_cast<std::size_t>(c.x)];
        if (!match(cell))
            continue;
        if (n == 0)
            return c;
        result = c;
        --n;
    }
    return result;
}

// Bit x * 16 + y: each column of 13 cells has 16 bits, so a word holds exactly
// four columns and ascending bit order is still x-then-y order.
constexpr std::int32_t columnBits = 16;
static_assert(RingTable::height <= columnBits && RingTable::width * columnBits <= 5 * 64);

Position cellOfBit(std::int32_t index) { return {index / columnBits, index % columnBits}; }

// The ring walk over a bit set, a whole ring at a time: a ring without a match
// costs five word operations; in a ring with matches they are visited in
// ascending bit order, which is the ring's x-then-y order. Gives exactly what
// ringWalk gives for the same cells.
Position bitWalk(const CellBits& match, Position start, std::int32_t from, std::int32_t skip)
{
    const RingTable& table = RingTable::instance();
    std::int32_t n = std::max(skip, 0);
    std::int32_t last = -1; // bit index of the latest match, the fallback
    const std::int32_t farthest = table.maxDistance(start);
    for (std::int32_t d = std::max(from, 0); d <= farthest; ++d) {
        const CellBits& ring = table.ringBits(start, d);
        for (std::size_t w = 0; w < ring.size(); ++w) {
            std::uint64_t hits = ring[w] & match[w];
            while (hits != 0) {
                const auto index = static_cast<std::int32_t>(w * 64) + std::countr_zero(hits);
                if (n == 0)
                    return cellOfBit(index);
                --n;
                last = index;
                hits &= hits - 1;
            }
        }
    }
    return last < 0 ? start : cellOfBit(last);
}

void setBit(CellBits& bits, Position c)
{
    const auto i = static_cast<std::size_t>(c.x * columnBits + c.y);
    bits[i / 64] |= std::uint64_t{1} << (i % 64);
}

// The cache may stand in for the walks only for the grids it was made from.
bool cacheServes(const AIData& data, const Player& player)
{
    return data.walkCache.valid && data.walkCache.player == &player;
}

Position nearestScoring(const AIData& data, const Player& player, Position start, std::int32_t skip)
{
    return cacheServes(data, player) ? bitWalk(data.walkCache.scoring, start, 1, skip)
                                     : nearestScore(data.score, start, 0.0, skip);
}

Position nearestUnseenCell(const AIData& data, const Player& player, Position start, std::int32_t skip)
{
    return cacheServes(data, player) ? bitWalk(data.walkCache.unseen, start, 0, skip)
                                     : nearestUnseen(player, start, skip);
}

// Runs one step of chooseMove; an error inside is reported on standard output
// and the step keeps its start value.
template <class Step>
void guarded(Step step)
{
    try {
        step();
    } catch (const std::exception& e) {
        std::cout << e.what() << "\n";
    }
}

} // namespace

DirectionSet directionBit(Direction d)
{
    if (d.dx == 0 && d.dy == -1) return 1;
    if (d.dx == 1 && d.dy == -1) return 2;
    if (d.dx == 1 && d.dy == 0) return 4;
    if (d.dx == 1 && d.dy == 1) return 8;
    if (d.dx == 0 && d.dy == 1) return 16;
    if (d.dx == -1 && d.dy == 1) return 32;
    if (d.dx == -1 && d.dy == 0) return 64;
    if (d.dx == -1 && d.dy == -1) return 128;
    return 0;
}

Direction bitDirection(DirectionSet bit)
{
    switch (bit) {
    case 1: return {0, -1};
    case 2: return {1, -1};
    case 4: return {1, 0};
    case 8: return {1, 1};
    case 16: return {0, 1};
    case 32: return {-1, 1};
    case 64: return {-1, 0};
    case 128: return {-1, -1};
    default: return {0, 0};
    }
}

std::int32_t chebyshev(Position a, Position b) { return std::max(std::abs(a.x - b.x), std::abs(a.y - b.y)); }

Position stepWithinField(Position cell, Direction direction)
{
    const Position to = cell + direction;
    return inTable(to) ? to : cell;
}

namespace {

template <class Keep>
DirectionSet directionsWhere(Position from, Position target, Keep keep)
{
    const std::int32_t now = chebyshev(from, target);
    DirectionSet mask = 0;
    for (std::int32_t dx = -1; dx <= 1; ++dx)
        for (std::int32_t dy = -1; dy <= 1; ++dy) {
            if (dx == 0 && dy == 0)
                continue;
            const Position to = stepWithinField(from, {dx, dy});
            if (to != from && keep(chebyshev(to, target), now))
                mask |= directionBit({dx, dy});
        }
    return mask;
}

} // namespace

DirectionSet dirsCloser(Position from, Position target)
{
    return directionsWhere(from, target, [](std::int32_t after, std::int32_t now) { return after < now; });
}

DirectionSet dirsKeep(Position from, Position target)
{
    return directionsWhere(from, target, [](std::int32_t after, std::int32_t now) { return after == now; });
}

Position nearestScore(const ScoreGrid& grid, Position start, double threshold, std::int32_t skip)
{
    return ringWalk(grid, start, 1, skip, [threshold](double v) { return v >= threshold; });
}

Position nearestUnseen(const Player& player, Position start, std::int32_t skip)
{
    return ringWalk(player.knowledge, start, 0, skip, [](const CellKnowledge& k) { return !k.seen; });
}

Direction pickDirection(DirectionSet mask, GameRandom& random)
{
    if (std::popcount(mask) <= 1)
        return bitDirection(mask);
    DirectionSet choice = 0;
    int seen = 0;
    for (int b = 0; b < 8; ++b) {
        const auto bit = static_cast<DirectionSet>(1u << b);
        if ((mask & bit) == 0)
            continue;
        ++seen;
        if (seen == 1 || random.bernoulli(1.0 / seen))
            choice = bit;
    }
    return bitDirection(choice);
}

// ---------------------------------------------------------------- the stock rules

double defaultCellScore(const CellKnowledge& cell) { return cell.food ? 0.0 : notFoodScore; }

DirectionSet defaultFirstAntDirections(const Ant& ownAnt0, const Player& player, const AIData& data,
                                       const Ant& ownAnt1)
{
    const Position t1 = nearestScoring(data, player, homeTarget, 0);
    const Position t2 = nearestUnseenCell(data, player, t1, 1);
    const Position t3 = nearestScoring(data, player, t2, ownAnt1.x);
    return dirsCloser(ownAnt0.position(), t3);
}

DirectionSet defaultSecondAntDirections(const Ant& ownAnt1, const Player& player, const AIData& data,
                                        const Ant& /*ownAnt0*/)
{
    const Position u = nearestUnseenCell(data, player, homeTarget, 0);
    const Position v = nearestUnseenCell(data, player, homeTarget, ownAnt1.y);
    const Position t = nearestScoring(data, player, v, u.x);
    return dirsCloser(ownAnt1.position(), t);
}

AntId defaultChooseAnt(const Ant& ownAnt0, const Ant& ownAnt1, const SeenAnt& enemyAnt0, const SeenAnt& enemyAnt1,
                       DirectionSet& mask0, DirectionSet& mask1)
{
    const Position a0 = ownAnt0.position();
    const Position a1 = ownAnt1.position();
    const Position A = enemyAnt0.position();
    const Position B = enemyAnt1.position();
    const bool move0 = ownAnt0.canMove();
    const bool move1 = ownAnt1.canMove();
    AntId choice;
    // An own ant next to where an enemy was last seen attacks it.
    if (move0 && chebyshev(a0, A) == 1) {
        mask0 = dirsCloser(a0, A);
        choice = 0;
    } else if (move0 && chebyshev(a0, B) == 1) {
        mask0 = dirsCloser(a0, B);
        choice = 0;
    } else if (move1 && chebyshev(a1, A) == 1) {
        mask1 = dirsCloser(a1, A);
        choice = 1;
    } else if (move1 && chebyshev(a1, B) == 1) {
        mask1 = dirsCloser(a1, B);
        choice = 1;
    } else if (ownAnt1.movesLeft > 0) {
        choice = 1;
    } else if (!enemyAnt1.fighting) {
        choice = 0;
    } else {
        mask0 = dirsKeep(a0, A);
        choice = 0;
    }
    if (move0 && !move1)
        return 0;
    if (!move0)
        return 1;
    return choice;
}

AIData::AIData(const RuleOptions& options)
    : score(static_cast<std::size_t>(std::max(options.fieldHeight, 0)),
            std::vector<double>(static_cast<std::size_t>(std::max(options.fieldWidth, 0)), 0.0)),
      cellScore(&defaultCellScore), firstAntDirections(&defaultFirstAntDirections),
      secondAntDirections(&defaultSecondAntDirections), chooseAnt(&defaultChooseAnt)
{
}

std::pair<AntId, Direction> chooseMove(PlayerId aiPlayer, AIData& data, const Referee& referee, GameRandom& random,
                                       const RuleOptions& options)
{
    const Player& player = referee.state.players.at(aiPlayer);

    // The walk cache must never outlive this call, however it is left.
    struct CacheScope {
        WalkCache& cache;
        ~CacheScope() { cache = WalkCache{}; }
    } scope{data.walkCache};

    // On the table's own field size the score grid and the knowledge grid cover
    // exactly the table, so the cache can describe them cell for cell.
    const bool tableField = options.fieldWidth == RingTable::width && options.fieldHeight == RingTable::height &&
                            coversTable(player.knowledge) && coversTable(data.score) &&
                            player.knowledge.size() == static_cast<std::size_t>(RingTable::height) &&
                            data.score.size() == static_cast<std::size_t>(RingTable::height);
    using CellRule = double (*)(const CellKnowledge&);
    const CellRule* rule = data.cellScore.target<CellRule>();
    WalkCache cache;
    if (tableField && rule != nullptr && *rule == &defaultCellScore) {
        // The stock rule inline: nothing in it can raise on these grids. Cells
        // are visited in bit order (x, then y) so each set is filled a word at a time.
        const CellKnowledge* rows[RingTable::height];
        double* scores[RingTable::height];
        for (std::size_t y = 0; y < static_cast<std::size_t>(RingTable::height); ++y) {
            rows[y] = player.knowledge[y].data();
            scores[y] = data.score[y].data();
        }
        // Scores row by row (contiguous); the score is stored as its bit
        // pattern, masked to 0.0 on food cells.
        const std::uint64_t other = std::bit_cast<std::uint64_t>(notFoodScore);
        for (std::size_t y = 0; y < static_cast<std::size_t>(RingTable::height); ++y) {
            const CellKnowledge* row = rows[y];
            double* out = scores[y];
            for (std::size_t x = 0; x < static_cast<std::size_t>(RingTable::width); ++x)
                out[x] = std::bit_cast<double>(other & (std::uint64_t{row[x].food} - 1));
        }
        // The two sets column by column, in bit order.
        for (std::size_t x = 0; x < static_cast<std::size_t>(RingTable::width); ++x) {
            std::uint64_t food = 0;
            std::uint64_t seen = 0;
#pragma GCC unroll 13
            for (std::size_t y = 0; y < static_cast<std::size_t>(RingTable::height); ++y) {
                const CellKnowledge& k = rows[y][x];
                food |= std::uint64_t{k.food} << y;
                seen |= std::uint64_t{k.seen} << y;
            }
            const std::size_t shift = (x % 4) * columnBits;
            cache.scoring[x / 4] |= food << shift;
            cache.unseen[x / 4] |= (~seen & ((std::uint64_t{1} << RingTable::height) - 1)) << shift;
        }
    } else {
        for (std::int32_t x = 0; x < options.fieldWidth; ++x)
            for (std::int32_t y = 0; y < options.fieldHeight; ++y)
                guarded([&] {
                    const Position c{x, y};
                    const double v = data.cellScore(checkedCell(player.knowledge, c));
                    // checkedCell returns a const reference; the score grid is ours to write.
                    const_cast<double&>(checkedCell(data.score, c)) = v;
                });
        if (tableField)
            for (std::int32_t y = 0; y < RingTable::height; ++y)
                for (std::int32_t x = 0; x < RingTable::width; ++x) {
                    const auto yi = static_cast<std::size_t>(y);
                    const auto xi = static_cast<std::size_t>(x);
                    if (data.score[yi][xi] >= 0.0)
                        setBit(cache.scoring, {x, y});
                    if (!player.knowledge[yi][xi].seen)
                        setBit(cache.unseen, {x, y});
                }
    }
    if (tableField) {
        cache.player = &player;
        cache.valid = true;
        data.walkCache = cache;
    }

    const Ant ownAnt0 = player.ants.at(makeAntId(0, options));
    const Ant ownAnt1 = player.ants.at(makeAntId(1, options));

    DirectionSet mask0 = 0;
    DirectionSet mask1 = 0;
    guarded([&] { mask0 = data.firstAntDirections(ownAnt0, player, data, ownAnt1); });
    guarded([&] { mask1 = data.secondAntDirections(ownAnt1, player, data, ownAnt0); });

    AntId ant = -1;
    guarded([&] {
        const PlayerId enemy = makePlayerId(aiPlayer == 0 ? 1 : 0, options);
        const auto& sightings = player.seenEnemies.at(enemy);
        const SeenAnt& enemyAnt0 = sightings.at(0);
        const SeenAnt& enemyAnt1 = sightings.at(1);
        ant = data.chooseAnt(ownAnt0, ownAnt1, enemyAnt0, enemyAnt1, mask0, mask1);
    });

    const Direction direction = pickDirection(ant == 0 ? mask0 : mask1, random);
    return {ant, direction};
}

// ---------------------------------------------------------------- ring table

const RingTable& RingTable::instance()
{
    static const RingTable table;
    return table;
}

RingTable::RingTable()
{
    std::cerr << "WARNING: using hardcoded field sizes\n";
    const std::size_t cells = static_cast<std::size_t>(width * height);
    orders_.resize(cells);
    ringStarts_.resize(cells);
    ringBits_.assign(cells * maxRings, CellBits{});
    std::vector<std::int32_t> keys(cells);
    for (std::int32_t sx = 0; sx < width; ++sx)
        for (std::int32_t sy = 0; sy < height; ++sy) {
            const Position start{sx, sy};
            const auto s = static_cast<std::size_t>(sx * height + sy);
            // Key: distance first, then the cell index, which is x-then-y order.
            for (std::int32_t x = 0; x < width; ++x)
                for (std::int32_t y = 0; y < height; ++y)
                    keys[static_cast<std::size_t>(x * height + y)] =
                        chebyshev({x, y}, start) * static_cast<std::int32_t>(cells) + x * height + y;
            std::sort(keys.begin(), keys.end());
            auto& order = orders_[s];
            auto& starts = ringStarts_[s];
            std::int32_t ring = -1;
            for (const std::int32_t key : keys) {
                const std::int32_t d = key / static_cast<std::int32_t>(cells);
                const std::int32_t index = key % static_cast<std::int32_t>(cells);
                while (ring < d) {
                    starts.push_back(static_cast<std::uint16_t>(order.size()));
                    ++ring;
                }
                order.push_back({index / height, index % height});
                setBit(ringBits_[s * maxRings + static_cast<std::size_t>(d)], order.back());
            }
            starts.push_back(static_cast<std::uint16_t>(order.size()));
        }
}

const CellBits& RingTable::ringBits(Position start, std::int32_t d) const
{
    // Callers walk d up to maxDistance(start), which already checked start.
    return ringBits_.at(static_cast<std::size_t>(start.x * height + start.y) * maxRings + static_cast<std::size_t>(d));
}

const std::vector<Position>& RingTable::order(Position start) const
{
    if (!inTable(start))
        throwMissingKey();
    return orders_[static_cast<std::size_t>(start.x * height + start.y)];
}

std::size_t RingTable::ringBegin(Position start, std::int32_t d) const
{
    const auto& starts = ringStarts_.at(static_cast<std::size_t>(start.x * height + start.y));
    if (d < 0)
        return 0;
    return starts[std::min(static_cast<std::size_t>(d), starts.size() - 1)];
}

std::int32_t RingTable::maxDistance(Position start) const
{
    return static_cast<std::int32_t>(ringStarts_.at(static_cast<std::size_t>(start.x * height + start.y)).size()) - 2;
}

} // namespace VX3D
