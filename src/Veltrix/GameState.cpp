#include "Veltrix/GameState.h"

#include "Veltrix/GameRandom.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <type_traits>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace Veltrix {

namespace {

bool onField(Position p, std::int32_t width, std::int32_t height) {
    return p.x >= 0 && p.y >= 0 && p.x < width && p.y < height;
}

// Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on
// "literal" + std::string temporaries.
std::string cellText(Position p) {
    std::string text = "(";
    text += std::to_string(p.x);
    text += ", ";
    text += std::to_string(p.y);
    text += ")";
    return text;
}

}  // namespace

void checkPosition(Position p, std::int32_t width, std::int32_t height) {
    if (!onField(p, width, height)) throw InvalidPosition("wrong coordinate");
}

// ---------------------------------------------------------------- Ant

void Ant::step(MoveOutcome& outcome, Direction direction, const RuleOptions& options) {
    outcome.leftField = outcome.foodEaten = outcome.battleStarted = outcome.lostAtOnce = false;
    outcome.joinedBattle = outcome.battleDecided = outcome.exhausted = outcome.couldNotMove = false;
    outcome.teleported = false;
    outcome.enemyPlayer = outcome.enemyAnt = outcome.winner = -1;
    outcome.winnerAnts.clear();
    outcome.losers.clear();

    if (dead || fighting || movesLeft == 0) {
        outcome.couldNotMove = true;
        return;
    }
    // A step off the field is part of the game, not an error: the ant dies on
    // the cell it tried to leave. The bounds test is checkPosition's, inlined,
    // because this runs on every move.
    const Position target = position() + direction;
    if (onField(target, options.fieldWidth, options.fieldHeight)) {
        x = target.x;
        y = target.y;
    } else {
        dead = true;
        leftField = true;
        outcome.leftField = true;
    }
    movesLeft -= 1;
    if (movesLeft == 0 && !leftField) {
        dead = true;
        outcome.exhausted = true;
    }
}

// ---------------------------------------------------------------- Battle

void Battle::join(PlayerId player, AntId ant, const RuleOptions& options) {
    auto& side = participants[player];
    side.insert(ant);
    if (participants.at(leader).size() < side.size()) leader = player;
    if (participants.at(leader).size() == static_cast<std::size_t>(options.antsPerPlayer))
        decided = true;
}

std::pair<PlayerId, OrderedSet<AntId>> Battle::winner() const {
    return {leader, participants.at(leader)};
}

OrderedMap<PlayerId, OrderedSet<AntId>> Battle::losers() const {
    OrderedMap<PlayerId, OrderedSet<AntId>> result = participants;
    result.erase(leader);
    return result;
}

// ---------------------------------------------------------------- Player

Player::Player(PlayerId id, const RuleOptions& options)
    : knowledge(static_cast<std::size_t>(options.fieldHeight),
                std::vector<CellKnowledge>(static_cast<std::size_t>(options.fieldWidth))) {
    const auto& starts = options.startPositions.at(static_cast<std::size_t>(id));
    ants.reserve(static_cast<std::size_t>(options.antsPerPlayer));
    for (std::int32_t j = 0; j < options.antsPerPlayer; ++j) {
        const AntId a = makeAntId(j, options);
        const Position start = starts.at(static_cast<std::size_t>(a));
        Ant ant;
        ant.x = start.x;
        ant.y = start.y;
        ant.movesLeft = options.movesPerAnt;
        ants.emplace_hint(ants.end(), a, ant);
    }
    updateVisible(options);
}

void Player::moveAnt(MoveOutcome& outcome, AntId antId, Direction direction,
                     const RuleOptions& options) {
    Ant& ant = ants.at(antId);
    ant.step(outcome, direction, options);

    // Food and portals as the player knows them: the grid was refreshed at the
    // start of this turn, and with a visibility radius of at least 1 the cell a
    // unit step enters was visible then.
    const CellKnowledge& cell =
        knowledge[static_cast<std::size_t>(ant.y)][static_cast<std::size_t>(ant.x)];
    if (cell.food) {
        score += 1;
        outcome.foodEaten = true;
    }
    if (cell.portal && !ant.dead && !ant.fighting && ant.movesLeft != 0) {
        // An enemy ant last seen on the portal cell blocks the way through.
        bool blocked = false;
        for (const auto& [enemy, sightings] : seenEnemies)
            for (const auto& [id, seen] : sightings)
                if (seen.x == ant.x && seen.y == ant.y) blocked = true;
        if (!blocked) {
            ant.x = cell.portalExit.x;
            ant.y = cell.portalExit.y;
            outcome.teleported = true;
        }
    }
    updateVisible(options);
    moveCount += 1;
}

void Player::updateVisible(const RuleOptions& options) {
    // The union of the ants' squares, produced column by column in (x, y) order
    // straight into the set's sorted storage, without searching or sorting cells.
    auto cells = visible.extract_sequence();
    cells.clear();
    const std::int32_t r = options.antVisibilityRadius;
    if (r >= 0 && !ants.empty()) {
        // Each ant's square, clipped to the field, as column and row ranges.
        struct Square {
            std::int32_t left, right, top, bottom;
        };
        boost::container::small_vector<Square, 8> squares;
        std::int32_t firstColumn = options.fieldWidth;
        std::int32_t lastColumn = -1;
        std::size_t bound = 0;
        for (const auto& [id, ant] : ants) {
            const Square q{std::max(0, ant.x - r), std::min(options.fieldWidth - 1, ant.x + r),
                           std::max(0, ant.y - r), std::min(options.fieldHeight - 1, ant.y + r)};
            if (q.left > q.right || q.top > q.bottom) continue;
            squares.push_back(q);
            firstColumn = std::min(firstColumn, q.left);
            lastColumn = std::max(lastColumn, q.right);
            bound += static_cast<std::size_t>(q.right - q.left + 1) *
                     static_cast<std::size_t>(q.bottom - q.top + 1);
        }
        cells.resize(bound, boost::container::default_init);
        Position* out = cells.data();
        boost::container::small_vector<std::pair<std::int32_t, std::int32_t>, 8> runs;
        for (std::int32_t i = firstColumn; i <= lastColumn; ++i) {
            runs.clear();
            for (const Square& q : squares)
                if (i >= q.left && i <= q.right) runs.emplace_back(q.top, q.bottom);
            if (runs.size() == 2) {
                if (runs[1] < runs[0]) std::swap(runs[0], runs[1]);
            } else if (runs.size() > 2) {
                std::sort(runs.begin(), runs.end());
            }
            std::int32_t next = 0;  // first row of this column not yet added
            for (const auto& [lo, hi] : runs) {
                for (std::int32_t j = std::max(lo, next); j <= hi; ++j) *out++ = Position{i, j};
                next = std::max(next, hi + 1);
            }
        }
        cells.resize(static_cast<std::size_t>(out - cells.data()));
    }
    visible.adopt_sequence(boost::container::ordered_unique_range, std::move(cells));
}

void Player::updateKnowledge(const VisibleFood& visibleFood, const SeenAnts& seenAnts,
                             const VisiblePortals& visiblePortals) {
    // visibleFood and visiblePortals are ordered subsets of visible: one merged walk.
    auto food = visibleFood.begin();
    auto portal = visiblePortals.begin();
    for (const Position c : visible) {
        CellKnowledge& k = knowledge[static_cast<std::size_t>(c.y)][static_cast<std::size_t>(c.x)];
        while (food != visibleFood.end() && *food < c) ++food;
        while (portal != visiblePortals.end() && portal->first < c) ++portal;
        k.seen = true;
        k.food = food != visibleFood.end() && *food == c;
        k.portal = portal != visiblePortals.end() && portal->first == c;
        k.seenAt = moveCount;
        k.portalExit = k.portal ? portal->second : Position{0, 0};
    }
    for (const auto& [owner, sighting] : seenAnts) {
        SeenAnt& entry = seenEnemies[owner][sighting.id];
        entry = sighting;
        entry.seenAt = moveCount;
    }
}

bool Player::canStillMove() const {
    for (const auto& [id, ant] : ants)
        if (!ant.dead && ant.movesLeft != 0) return true;
    return false;
}

// ---------------------------------------------------------------- GameState

GameState::GameState(const RuleOptions& options, GameRandom& random) {
    players.reserve(static_cast<std::size_t>(std::max(options.players, 0)));
    for (std::int32_t i = 0; i < options.players; ++i) {
        const PlayerId id = makePlayerId(i, options);
        players.emplace_hint(players.end(), id, Player(id, options));
    }
    const std::size_t portals =
        std::min({static_cast<std::size_t>(std::max(options.noOfPortals, 0)),
                  options.portalLeft.size(), options.portalRight.size()});
    for (std::size_t i = 0; i < portals; ++i) {
        portalEntries[options.portalLeft[i]] = options.portalRight[i];
        portalExits[options.portalRight[i]] = options.portalLeft[i];
    }
    placeFood(0, options, random);
    placeFood(options.fieldWidth / 2, options, random);
}

void GameState::placeFood(std::int32_t xOffset, const RuleOptions& options, GameRandom& random) {
    const std::int32_t count = options.foodPieces / 2;
    const std::int32_t columns = options.fieldWidth / 2;
    OrderedSet<Position> forbidden;
    for (const auto& ants : options.startPositions)
        for (const Position p : ants) forbidden.insert(p);
    for (const Position p : options.portalRight) forbidden.insert(p);
    for (const Position p : options.portalLeft) forbidden.insert(p);

    // Drawing until `count` new cells are found never ends when the half has
    // fewer free cells than that, so count them first.
    const auto inHalf = [&](Position p) {
        return p.x >= xOffset && p.x < xOffset + columns && p.y >= 0 && p.y < options.fieldHeight;
    };
    std::int64_t free = std::int64_t{columns} * std::max(options.fieldHeight, 0);
    for (const Position p : forbidden) free -= inHalf(p) ? 1 : 0;
    for (const auto& [p, present] : food) free -= inHalf(p) && !forbidden.contains(p) ? 1 : 0;
    if (count > 0 && free < count) {
        const char* half = xOffset == 0 ? "left" : "right";
        throw std::logic_error("cannot place " + std::to_string(count) + " food pieces in the " +
                               half + " half of the field: it has only " + std::to_string(free) +
                               " free cells");
    }

    std::int32_t placed = 0;
    while (placed < count) {
        const std::int32_t y = random.uniformInt(0, options.fieldHeight - 1);
        const std::int32_t x = xOffset + random.uniformInt(0, columns - 1);
        const Position p{x, y};
        if (forbidden.contains(p)) continue;
        if (food.insert_or_assign(p, true).second) ++placed;
    }
}

MoveOutcome GameState::applyMove(PlayerId playerId, AntId antId, Direction direction,
                                 const RuleOptions& options, std::int32_t moveNumber) {
    MoveOutcome outcome;
    Player& player = players.at(playerId);
    player.moveAnt(outcome, antId, direction, options);
    Ant& ant = player.ants.at(antId);

    if (!(direction == Direction{0, 0}) || outcome.teleported) {
        const Position p = ant.position();
        if (auto f = food.find(p); f != food.end()) f->second = false;
        if (!ant.fighting && !ant.dead) {
            if (auto b = battles.find(p); b != battles.end()) {
                b->second.join(playerId, antId, options);
                ant.fighting = true;
                outcome.joinedBattle = true;
            } else {
                std::int32_t largest = 0;
                PlayerId strongest = -1;
                for (const auto& [q, other] : players) {
                    if (q == playerId) continue;
                    std::int32_t n = 0;
                    for (const auto& [id, enemy] : other.ants)
                        n += (!enemy.dead && enemy.x == p.x && enemy.y == p.y) ? 1 : 0;
                    if (n > largest) {
                        largest = n;
                        strongest = q;
                    }
                }
                if (largest > 1) {
                    ant.fighting = false;
                    ant.killed = true;
                    ant.dead = true;
                    outcome.lostAtOnce = true;
                } else if (largest == 1) {
                    ant.fighting = true;
                    AntId opponent = -1;
                    for (auto& [id, enemy] : players.at(strongest).ants) {
                        if (!enemy.dead && enemy.x == p.x && enemy.y == p.y) {
                            enemy.fighting = true;
                            opponent = id;
                            break;
                        }
                    }
                    Battle battle;
                    battle.endMove = moveNumber + options.battleRounds * options.players;
                    battle.participants[playerId].insert(antId);
                    battle.participants[strongest].insert(opponent);
                    battle.leader = playerId;
                    battles.emplace(p, std::move(battle));
                    outcome.battleStarted = true;
                    outcome.enemyPlayer = strongest;
                    outcome.enemyAnt = opponent;
                }
            }
        }
    }

    // At most one battle is decided per move: the first due one in cell order.
    for (auto b = battles.begin(); b != battles.end(); ++b) {
        const Battle& battle = b->second;
        if (!battle.decided && battle.endMove > moveNumber) continue;
        auto [winner, winnerAnts] = battle.winner();
        Player& victor = players.at(winner);
        for (const AntId id : winnerAnts) victor.ants.at(id).fighting = false;
        auto losers = battle.losers();
        for (const auto& [loser, ids] : losers) {
            Player& beaten = players.at(loser);
            for (const AntId id : ids) {
                Ant& a = beaten.ants.at(id);
                a.fighting = false;
                a.killed = true;
                a.dead = true;
            }
        }
        outcome.battleDecided = true;
        outcome.winner = winner;
        outcome.winnerAnts = std::move(winnerAnts);
        outcome.losers = std::move(losers);
        battles.erase(b);
        break;
    }
    return outcome;
}

void GameState::shufflePortals(GameRandom& random) {
    const std::size_t n = portalEntries.size();
    boost::container::small_vector<Position, 16> exits;
    boost::container::small_vector<std::size_t, 16> idx;
    for (const auto& [entry, exit] : portalEntries) {
        idx.push_back(exits.size());
        exits.push_back(exit);
    }
    for (std::size_t j = 2; j < n; ++j) {
        const auto k =
            static_cast<std::size_t>(random.uniformInt(0, static_cast<std::int32_t>(j) - 1));
        std::swap(idx[j], idx[k]);
    }
    // The entries keep their keys, so only their exits are rewritten; the
    // reverse map is rebuilt from the new pairs, sorted by exit, a later entry
    // winning where two share an exit.
    boost::container::small_vector<std::pair<Position, Position>, 16> reverse;
    std::size_t v = 0;
    for (auto& [entry, exit] : portalEntries) {
        exit = exits[idx[v++]];
        reverse.emplace_back(exit, entry);
    }
    std::stable_sort(reverse.begin(), reverse.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    portalExits.clear();
    for (std::size_t i = 0; i < reverse.size(); ++i) {
        if (i + 1 < reverse.size() && reverse[i + 1].first == reverse[i].first) continue;
        portalExits.emplace_hint(portalExits.end(), reverse[i].first, reverse[i].second);
    }
}

namespace {

static_assert(std::is_trivially_copyable_v<CellKnowledge>);

// Which cells a player sees now, as one bit per row for each column its ants
// span: a lookup is a shift instead of a search of the visible set. Fields
// higher than a column word keep the search.
class VisibleColumns {
public:
    // Also writes every visible cell into the player's knowledge as seen now
    // with nothing on it, in the same walk over the cells.
    VisibleColumns(const Player& player, std::vector<std::vector<CellKnowledge>>& knowledge)
        : visible_(player.visible) {
        if (visible_.empty()) {
            masks_.assign(1, 0);  // nothing in view, and contains() may still look
            return;
        }
        first_ = visible_.begin()->x;
        last_ = visible_.rbegin()->x;
        masks_.assign(static_cast<std::size_t>(last_ - first_) + 1, 0);
        const CellKnowledge unseenNow{true, false, false, player.moveCount, Position{0, 0}};
        // The cells come column by column, so each column's mask is gathered in
        // a register and stored once; flags and masks kept in members would be
        // reloaded after every store into the grid.
        bool searched = false;
        std::int32_t column = first_;
        std::uint64_t mask = 0;
        for (const Position c : visible_) {
            // One 16-byte store; assigning member by member makes four.
            std::memcpy(&knowledge[static_cast<std::size_t>(c.y)][static_cast<std::size_t>(c.x)],
                        &unseenNow, sizeof unseenNow);
            if (c.x != column) {
                masks_[static_cast<std::size_t>(column - first_)] = mask;
                column = c.x;
                mask = 0;
            }
            // A shift past the word would be undefined; such a field searches.
            searched |= static_cast<std::uint32_t>(c.y) >= 64;
            mask |= std::uint64_t{1} << (c.y & 63);
        }
        masks_[static_cast<std::size_t>(column - first_)] = mask;
        searched_ = searched;
    }

    std::int32_t firstColumn() const { return first_; }
    std::int32_t lastColumn() const { return last_; }

    bool contains(Position c) const {
        if (searched_) return c.x >= first_ && c.x <= last_ && visible_.contains(c);
        // Selects instead of branches: whether a food piece or portal end is in
        // view is different on every call.
        const auto column = static_cast<std::uint32_t>(c.x - first_);
        const bool inColumns = column < static_cast<std::uint32_t>(masks_.size());
        const bool inRows = static_cast<std::uint32_t>(c.y) < 64;
        const std::uint64_t mask = masks_[inColumns ? column : 0];
        return inColumns & inRows & (((mask >> (c.y & 63)) & 1) != 0);
    }

private:
    const OrderedSet<Position>& visible_;
    std::int32_t first_ = 0;
    std::int32_t last_ = -1;
    bool searched_ = false;
    boost::container::small_vector<std::uint64_t, 32> masks_;
};

// updateSightings for a given test of what the player sees.
template <class Sees>
void recordSightings(OrderedMap<PlayerId, Player>& players, PlayerId playerId,
                     const RuleOptions& options, bool firstRound, const Sees& sees) {
    Player& player = players.at(playerId);
    for (const auto& [q, other] : players) {
        if (q == playerId) continue;
        OrderedMap<AntId, SeenAnt>* sightings = nullptr;
        // Ants 0 .. antsPerPlayer - 1 in id order; a player missing one is the
        // map lookup's error, as with at().
        auto next = other.ants.begin();
        for (AntId id = 0; id < options.antsPerPlayer; ++id, ++next) {
            if (next == other.ants.end() || next->first != id) throwMissingKey();
            const Ant& a = next->second;
            if (!firstRound && !sees(a.position())) continue;
            if (sightings == nullptr) sightings = &player.seenEnemies[q];
            SeenAnt& s = (*sightings)[id];
            s.id = id;
            s.x = a.x;
            s.y = a.y;
            s.movesLeft = a.movesLeft;
            s.dead = a.dead;
            s.fighting = a.fighting;
            s.killed = a.killed;
            s.leftField = a.leftField;
            s.seenAt = player.moveCount;
        }
    }
}

}  // namespace

void GameState::updateView(PlayerId playerId, const RuleOptions& options, bool firstRound) {
    Player& player = players.at(playerId);

    // This is updateKnowledge(visibleFood, seenAnts, visiblePortals) with the
    // three lists never built, as it runs twice per move: first every visible
    // cell is written as seen with nothing on it, then the few food pieces and
    // portal ends that lie among the visible cells are marked.
    const VisibleColumns sees(player, player.knowledge);
    const auto cell = [&](Position c) -> CellKnowledge& {
        return player.knowledge[static_cast<std::size_t>(c.y)][static_cast<std::size_t>(c.x)];
    };
    // Food is ordered by column: only the columns in view are looked at.
    for (auto f = food.lower_bound(Position{sees.firstColumn(), INT32_MIN});
         f != food.end() && f->first.x <= sees.lastColumn(); ++f)
        if (f->second && sees.contains(f->first)) cell(f->first).food = true;
    // An end in both maps is read as an entry, as a lookup of the entries first would.
    for (const auto& [c, other] : portalExits)
        if (sees.contains(c)) {
            cell(c).portal = true;
            cell(c).portalExit = other;
        }
    for (const auto& [c, other] : portalEntries)
        if (sees.contains(c)) {
            cell(c).portal = true;
            cell(c).portalExit = other;
        }
    recordSightings(players, playerId, options, firstRound,
                    [&](Position c) { return sees.contains(c); });
}

void GameState::updateSightings(PlayerId playerId, const RuleOptions& options, bool firstRound) {
    const OrderedSet<Position>& visible = players.at(playerId).visible;
    recordSightings(players, playerId, options, firstRound,
                    [&](Position c) { return visible.contains(c); });
}

bool GameState::isOver() const {
    if (std::none_of(food.begin(), food.end(), [](const auto& piece) { return piece.second; }))
        return true;
    for (const auto& [id, player] : players)
        if (player.canStillMove()) return false;
    return true;
}

std::string GameState::firstInconsistency(const RuleOptions& options) const {
    const std::int32_t w = options.fieldWidth;
    const std::int32_t h = options.fieldHeight;
    if (players.size() != static_cast<std::size_t>(options.players))
        return "there are " + std::to_string(players.size()) + " players, not " +
               std::to_string(options.players);
    std::int32_t scores = 0;
    for (const auto& [pid, player] : players) {
        const std::string who = "player " + std::to_string(pid);
        scores += player.score;
        if (player.ants.size() != static_cast<std::size_t>(options.antsPerPlayer))
            return who + " has " + std::to_string(player.ants.size()) + " ants";
        if (player.knowledge.size() != static_cast<std::size_t>(h))
            return who + "'s knowledge grid has " + std::to_string(player.knowledge.size()) +
                   " rows";
        for (const auto& row : player.knowledge)
            if (row.size() != static_cast<std::size_t>(w))
                return who + "'s knowledge grid has a row of " + std::to_string(row.size()) +
                       " cells";
        for (const auto& [aid, ant] : player.ants) {
            const std::string which = who + " ant " + std::to_string(aid);
            if (!onField(ant.position(), w, h))
                return which + " is off the field at " + cellText(ant.position());
            if ((ant.killed || ant.leftField) && !ant.dead)
                return which + " is killed or left the field but is not dead";
            if (ant.dead && ant.fighting) return which + " is dead but fighting";
            if (options.movesPerAnt >= 0 &&
                (ant.movesLeft < 0 || ant.movesLeft > options.movesPerAnt))
                return which + " has " + std::to_string(ant.movesLeft) + " moves left";
            if (ant.fighting) {
                auto b = battles.find(ant.position());
                if (b == battles.end())
                    return which + " is fighting but there is no battle on its cell";
                auto side = b->second.participants.find(pid);
                if (side == b->second.participants.end() || !side->second.contains(aid))
                    return which + " is fighting but not in the battle on its cell";
            }
        }
        Player recomputed = player;
        recomputed.updateVisible(options);
        if (recomputed.visible != player.visible)
            return who + "'s visible cells are not those its ants see";
        if (player.seenEnemies.contains(pid)) return who + " has sightings of its own ants";
    }
    for (const auto& [cell, battle] : battles) {
        const std::string where = "the battle at " + cellText(cell);
        if (battle.participants.size() < 2) return where + " has fewer than two sides";
        if (!battle.participants.contains(battle.leader))
            return where + " has a leader without ants in it";
        for (const auto& [pid, ids] : battle.participants) {
            if (ids.size() > battle.participants.at(battle.leader).size())
                return where + " has a side larger than its leader's";
            auto p = players.find(pid);
            if (p == players.end()) return where + " has an unknown player " + std::to_string(pid);
            for (const AntId id : ids) {
                auto a = p->second.ants.find(id);
                if (a == p->second.ants.end() || !a->second.fighting ||
                    a->second.position() != cell)
                    return where + " lists player " + std::to_string(pid) + " ant " +
                           std::to_string(id) + ", which is not fighting there";
            }
        }
    }
    if (portalEntries.size() != portalExits.size())
        return "the portal maps hold different numbers of pairs";
    for (const auto& [entry, exit] : portalEntries) {
        auto back = portalExits.find(exit);
        if (back == portalExits.end() || back->second != entry)
            return "the portal pair " + cellText(entry) + " -> " + cellText(exit) +
                   " has no mirror";
        if (!onField(entry, w, h) || !onField(exit, w, h))
            return "the portal pair " + cellText(entry) + " -> " + cellText(exit) +
                   " is off the field";
    }
    std::int32_t eaten = 0;
    for (const auto& [cell, present] : food) {
        if (!onField(cell, w, h)) return "food lies off the field at " + cellText(cell);
        if (portalEntries.contains(cell) || portalExits.contains(cell))
            return "food lies on a portal end at " + cellText(cell);
        eaten += present ? 0 : 1;
    }
    if (scores > eaten)
        return "the scores add up to " + std::to_string(scores) + " but only " +
               std::to_string(eaten) + " pieces were eaten";
    return {};
}

}  // namespace Veltrix
