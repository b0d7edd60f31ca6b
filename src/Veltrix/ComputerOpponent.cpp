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

[[noreturn]] void throwBadSubscript() {
    throw std::out_of_range("invalid vector<T> subscript");
}

bool inTable(Position p) {
    return p.x >= 0 && p.y >= 0 && p.x < RingTable::width && p.y < RingTable::height;
}

template <class Grid>
bool coversTable(const Grid& grid) {
    if (grid.size() < static_cast<std::size_t>(RingTable::height)) return false;
    for (std::size_t y = 0; y < static_cast<std::size_t>(RingTable::height); ++y)
        if (grid[y].size() < static_cast<std::size_t>(RingTable::width)) return false;
    return true;
}

template <class Grid>
const auto& checkedCell(const Grid& grid, Position c) {
    if (c.y < 0 || static_cast<std::size_t>(c.y) >= grid.size()) throwBadSubscript();
    const auto& row = grid[static_cast<std::size_t>(c.y)];
    if (c.x < 0 || static_cast<std::size_t>(c.x) >= row.size()) throwBadSubscript();
    return row[static_cast<std::size_t>(c.x)];
}

// The common walk of nearestScore and nearestUnseen: the (skip + 1)-th matching
// cell in ring order from distance `from`, or the last match, or start.
template <class Grid, class Match>
Position ringWalk(const Grid& grid, Position start, std::int32_t from, std::int32_t skip,
                  Match match) {
    const RingTable& table = RingTable::instance();
    const std::vector<Position>& order = table.order(start);
    std::int32_t n = std::max(skip, 0);
    Position result = start;
    // Grids smaller than the table are possible on other field sizes; only then
    // does each lookup need its bounds checked.
    const bool checked = !coversTable(grid);
    for (std::size_t i = table.ringBegin(start, from); i < order.size(); ++i) {
        const Position c = order[i];
        const auto& cell = checked
                               ? checkedCell(grid, c)
                               : grid[static_cast<std::size_t>(c.y)][static_cast<std::size_t>(c.x)];
        if (!match(cell)) continue;
        if (n == 0) return c;
        result = c;
        --n;
    }
    return result;
}

// Bit x * 16 + y: each column of 13 cells has 16 bits, so a word holds exactly
// four columns and ascending bit order is still x-then-y order.
constexpr std::int32_t columnBits = 16;
static_assert(RingTable::height <= columnBits && RingTable::width * columnBits <= 5 * 64);

Position cellOfBit(std::int32_t index) {
    return {index / columnBits, index % columnBits};
}

// How many cells of `bits` are also in `mask`.
inline std::int32_t countCommon(const CellBits& bits, const CellBits& mask) {
    std::int32_t n = 0;
    for (std::size_t w = 0; w < bits.size(); ++w) n += std::popcount(bits[w] & mask[w]);
    return n;
}

// The cell of the (rest + 1)-th set bit of ring & match; callers make sure
// more than rest are set, else the last word's lowest bit stands in.
inline Position selectCommon(const CellBits& ring, const CellBits& match, std::int32_t rest) {
    std::size_t w = 0;
    std::uint64_t hits = ring[0] & match[0];
    for (; w + 1 < ring.size() && rest >= std::popcount(hits); hits = ring[w] & match[w]) {
        rest -= std::popcount(hits);
        ++w;
    }
    for (; rest > 0 && hits != 0; --rest) hits &= hits - 1;
    return cellOfBit(static_cast<std::int32_t>(w * 64) + std::countr_zero(hits));
}

// The ring walk over a bit set, counting a ring's matches at once: the wanted
// match lies in the first ring whose count reaches it, and within that ring
// ascending bit order is the ring's x-then-y order. Most walks end within a few
// rings, so those are counted one by one; beyond them the matches within
// distance d are counted over the square of side 2d + 1 and the ring is found
// by a binary search over d. Gives exactly what ringWalk gives for the same cells.
#if defined(__x86_64__)
// Most x86-64 processors count bits in one instruction, but the baseline
// instruction set lacks it; the loader picks the variant the processor runs.
__attribute__((target_clones("popcnt", "default")))
#endif
Position
walkSet(const CellBits& match, Position start, std::int32_t from, std::int32_t skip) {
    const RingTable& table = RingTable::instance();
    const CellBits* square = table.squares(start);
    const std::int32_t farthest = table.maxDistance(start);
    constexpr std::int32_t ringsCounted = 4;
    if (from > farthest) return start;  // no ring that far out
    from = std::max(from, 0);
    const std::int32_t wanted = std::max(skip, 0);  // matches to pass over
    std::int32_t passed = 0;                        // matches in rings from .. d - 1
    std::int32_t lastRing = -1;                     // the farthest of them with a match
    std::int32_t d = from;
    for (; d <= farthest && d < from + ringsCounted; ++d) {
        const CellBits& ring = table.ringBits(start, d);
        const std::int32_t here = countCommon(match, ring);
        if (wanted < passed + here) return selectCommon(ring, match, wanted - passed);
        if (here > 0) lastRing = d;
        passed += here;
    }
    const std::int32_t inner = countCommon(match, square[d - 1]);  // square[-1] is empty
    const std::int32_t outer = d <= farthest ? countCommon(match, square[farthest]) - inner : 0;
    if (outer <= 0) {
        // Fewer matches than skipped: the last one, or start without any.
        if (lastRing < 0) return start;
        const CellBits& ring = table.ringBits(start, lastRing);
        return selectCommon(ring, match, countCommon(match, ring) - 1);
    }
    // Counted from the first ring, the wanted match, or the last one.
    const std::int32_t k = inner + std::min(wanted - passed, outer - 1);
    std::int32_t lo = d;
    std::int32_t hi = farthest;
    while (lo < hi) {
        const std::int32_t mid = lo + (hi - lo) / 2;
        if (countCommon(match, square[mid]) > k)
            hi = mid;
        else
            lo = mid + 1;
    }
    return selectCommon(table.ringBits(start, lo), match, k - countCommon(match, square[lo - 1]));
}

void setBit(CellBits& bits, Position c) {
    const auto i = static_cast<std::size_t>(c.x * columnBits + c.y);
    bits[i / 64] |= std::uint64_t{1} << (i % 64);
}

// The cache may stand in for the walks only for the grids it was made from.
bool cacheServes(const AIData& data, const Player& player) {
    return data.walkCache.valid && data.walkCache.player == &player;
}

Position nearestScoring(const AIData& data, const Player& player, Position start,
                        std::int32_t skip) {
    return cacheServes(data, player) ? walkSet(data.walkCache.scoring, start, 1, skip)
                                     : nearestScore(data.score, start, 0.0, skip);
}

Position nearestUnseenCell(const AIData& data, const Player& player, Position start,
                           std::int32_t skip) {
    return cacheServes(data, player) ? walkSet(data.walkCache.unseen, start, 0, skip)
                                     : nearestUnseen(player, start, skip);
}

// Runs one step of chooseMove; an error inside is reported on standard output
// and the step keeps its start value.
template <class Step>
void guarded(Step step) {
    try {
        step();
    } catch (const std::exception& e) {
        std::cout << e.what() << "\n";
    }
}

}  // namespace

DirectionSet directionBit(Direction d) {
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

Direction bitDirection(DirectionSet bit) {
    switch (bit) {
        case 1:
            return {0, -1};
        case 2:
            return {1, -1};
        case 4:
            return {1, 0};
        case 8:
            return {1, 1};
        case 16:
            return {0, 1};
        case 32:
            return {-1, 1};
        case 64:
            return {-1, 0};
        case 128:
            return {-1, -1};
        default:
            return {0, 0};
    }
}

std::int32_t chebyshev(Position a, Position b) {
    return std::max(std::abs(a.x - b.x), std::abs(a.y - b.y));
}

Position stepWithinField(Position cell, Direction direction) {
    const Position to = cell + direction;
    return inTable(to) ? to : cell;
}

namespace {

// The eight neighbour steps with their bits.
struct Neighbour {
    std::int32_t dx;
    std::int32_t dy;
    DirectionSet bit;
};
constexpr Neighbour neighbours[] = {{0, -1, 1}, {1, -1, 2},  {1, 0, 4},   {1, 1, 8},
                                    {0, 1, 16}, {-1, 1, 32}, {-1, 0, 64}, {-1, -1, 128}};

template <class Keep>
DirectionSet directionsWhere(Position from, Position target, Keep keep) {
    const std::int32_t now = chebyshev(from, target);
    DirectionSet mask = 0;
    // Evaluated for all eight without branching: which ones hold depends on
    // the positions and would mispredict.
    for (const Neighbour& n : neighbours) {
        const Position to{from.x + n.dx, from.y + n.dy};
        // A step off the table stays where it is, which is never a move.
        const bool onTable =
            (static_cast<std::uint32_t>(to.x) < static_cast<std::uint32_t>(RingTable::width)) &
            (static_cast<std::uint32_t>(to.y) < static_cast<std::uint32_t>(RingTable::height));
        const bool held = keep(chebyshev(to, target), now);
        mask |= static_cast<DirectionSet>(n.bit * static_cast<unsigned>(onTable & held));
    }
    return mask;
}

}  // namespace

DirectionSet dirsCloser(Position from, Position target) {
    return directionsWhere(from, target,
                           [](std::int32_t after, std::int32_t now) { return after < now; });
}

DirectionSet dirsKeep(Position from, Position target) {
    return directionsWhere(from, target,
                           [](std::int32_t after, std::int32_t now) { return after == now; });
}

Position nearestInSet(const CellBits& match, Position start, std::int32_t from, std::int32_t skip) {
    return walkSet(match, start, from, skip);
}

Position nearestScore(const ScoreGrid& grid, Position start, double threshold, std::int32_t skip) {
    return ringWalk(grid, start, 1, skip, [threshold](double v) { return v >= threshold; });
}

Position nearestUnseen(const Player& player, Position start, std::int32_t skip) {
    return ringWalk(player.knowledge, start, 0, skip,
                    [](const CellKnowledge& k) { return !k.seen; });
}

Direction pickDirection(DirectionSet mask, GameRandom& random) {
    if (std::popcount(mask) <= 1) return bitDirection(mask);
    DirectionSet choice = 0;
    int seen = 0;
    for (int b = 0; b < 8; ++b) {
        const auto bit = static_cast<DirectionSet>(1u << b);
        if ((mask & bit) == 0) continue;
        ++seen;
        if (seen == 1 || random.bernoulli(1.0 / seen)) choice = bit;
    }
    return bitDirection(choice);
}

// ---------------------------------------------------------------- the stock rules

double defaultCellScore(const CellKnowledge& cell) {
    return cell.food ? 0.0 : notFoodScore;
}

DirectionSet defaultFirstAntDirections(const Ant& ownAnt0, const Player& player, const AIData& data,
                                       const Ant& ownAnt1) {
    const Position t1 = nearestScoring(data, player, homeTarget, 0);
    const Position t2 = nearestUnseenCell(data, player, t1, 1);
    const Position t3 = nearestScoring(data, player, t2, ownAnt1.x);
    return dirsCloser(ownAnt0.position(), t3);
}

DirectionSet defaultSecondAntDirections(const Ant& ownAnt1, const Player& player,
                                        const AIData& data, const Ant& /*ownAnt0*/) {
    const Position u = nearestUnseenCell(data, player, homeTarget, 0);
    const Position v = nearestUnseenCell(data, player, homeTarget, ownAnt1.y);
    const Position t = nearestScoring(data, player, v, u.x);
    return dirsCloser(ownAnt1.position(), t);
}

AntId defaultChooseAnt(const Ant& ownAnt0, const Ant& ownAnt1, const SeenAnt& enemyAnt0,
                       const SeenAnt& enemyAnt1, DirectionSet& mask0, DirectionSet& mask1) {
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
    if (move0 && !move1) return 0;
    if (!move0) return 1;
    return choice;
}

AIData::AIData(const RuleOptions& options)
    : score(static_cast<std::size_t>(std::max(options.fieldHeight, 0)),
            std::vector<double>(static_cast<std::size_t>(std::max(options.fieldWidth, 0)), 0.0)),
      cellScore(&defaultCellScore),
      firstAntDirections(&defaultFirstAntDirections),
      secondAntDirections(&defaultSecondAntDirections),
      chooseAnt(&defaultChooseAnt) {}

std::pair<AntId, Direction> chooseMove(PlayerId aiPlayer, AIData& data, const Referee& referee,
                                       GameRandom& random, const RuleOptions& options) {
    const Player& player = referee.state.players.at(aiPlayer);

    // The walk cache must never outlive this call, however it is left.
    struct CacheScope {
        WalkCache& cache;
        ~CacheScope() { cache = WalkCache{}; }
    } scope{data.walkCache};

    // On the table's own field size the score grid and the knowledge grid cover
    // exactly the table, so the cache can describe them cell for cell.
    const bool tableField =
        options.fieldWidth == RingTable::width && options.fieldHeight == RingTable::height &&
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
        // One pass, row by row, reads each cell once for its score and both
        // sets: four cells of a row (the four columns of a set word) are
        // combined, seen in the low byte of each 16 bits and food above it,
        // before the row's shift.
        // The score is stored as its bit pattern, masked to 0.0 on food cells.
        const std::uint64_t other = std::bit_cast<std::uint64_t>(notFoodScore);
        constexpr std::uint64_t lowBits = 0x0001000100010001u;  // bit 0 of each column's 16
        std::uint64_t seen[5] = {};
        for (std::size_t y = 0; y < static_cast<std::size_t>(RingTable::height); ++y) {
            const CellKnowledge* row = rows[y];
            double* out = scores[y];
#pragma GCC unroll 5
            for (std::size_t w = 0; w < 5; ++w) {
                std::uint64_t four = 0;
#pragma GCC unroll 4
                for (std::size_t i = 0; i < 4; ++i) {
                    const CellKnowledge& k = row[w * 4 + i];
                    const std::uint64_t food = k.food;
                    four |= (std::uint64_t{k.seen} | food << 8) << (16 * i);
                    out[w * 4 + i] = std::bit_cast<double>(other & (food - 1));
                }
                cache.scoring[w] |= ((four >> 8) & lowBits) << y;
                seen[w] |= (four & lowBits) << y;
            }
        }
        constexpr std::uint64_t tableRows = 0x1FFF1FFF1FFF1FFFu;  // rows 0..12 of each column
        for (std::size_t w = 0; w < 5; ++w) cache.unseen[w] = ~seen[w] & tableRows;
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
                    if (data.score[yi][xi] >= 0.0) setBit(cache.scoring, {x, y});
                    if (!player.knowledge[yi][xi].seen) setBit(cache.unseen, {x, y});
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

const RingTable& RingTable::instance() {
    static const RingTable table;
    return table;
}

RingTable::RingTable() {
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
                        chebyshev({x, y}, start) * static_cast<std::int32_t>(cells) + x * height +
                        y;
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
    // Per start an empty set first (distance -1), then the growing squares.
    squareBits_.assign(cells * (maxRings + 1), CellBits{});
    farthest_.resize(cells);
    for (std::size_t s = 0; s < cells; ++s) {
        CellBits within{};
        for (std::size_t d = 0; d < static_cast<std::size_t>(maxRings); ++d) {
            const CellBits& ring = ringBits_[s * maxRings + d];
            for (std::size_t w = 0; w < within.size(); ++w) within[w] |= ring[w];
            squareBits_[s * (maxRings + 1) + d + 1] = within;
        }
        farthest_[s] = static_cast<std::int32_t>(ringStarts_[s].size()) - 2;
    }
}

const CellBits* RingTable::squares(Position start) const {
    if (!inTable(start)) throwMissingKey();
    return &squareBits_[static_cast<std::size_t>(start.x * height + start.y) * (maxRings + 1) + 1];
}

const CellBits& RingTable::ringBits(Position start, std::int32_t d) const {
    // Callers walk d up to maxDistance(start), which already checked start.
    return ringBits_.at(static_cast<std::size_t>(start.x * height + start.y) * maxRings +
                        static_cast<std::size_t>(d));
}

const std::vector<Position>& RingTable::order(Position start) const {
    if (!inTable(start)) throwMissingKey();
    return orders_[static_cast<std::size_t>(start.x * height + start.y)];
}

std::size_t RingTable::ringBegin(Position start, std::int32_t d) const {
    const auto& starts = ringStarts_.at(static_cast<std::size_t>(start.x * height + start.y));
    if (d < 0) return 0;
    return starts[std::min(static_cast<std::size_t>(d), starts.size() - 1)];
}

std::int32_t RingTable::maxDistance(Position start) const {
    return farthest_.at(static_cast<std::size_t>(start.x * height + start.y));
}

}  // namespace VX3D
