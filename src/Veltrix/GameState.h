#pragma once
// The game state: players with their ants and what each has seen, the food, the
// battles under way and the portal pairs. Plain data with value semantics; the
// client and the computer opponent read the members directly, and only the few
// operations below (named after the game's verbs) change them.

#include "Veltrix/RuleOptions.h"
#include "Veltrix/Types.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace Veltrix {

class GameRandom;

// Raised by checkPosition; always made with "wrong coordinate".
class InvalidPosition : public std::exception {
public:
    explicit InvalidPosition(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Returns when 0 <= x < width and 0 <= y < height; raises InvalidPosition otherwise.
void checkPosition(Position p, std::int32_t width, std::int32_t height);

// What one move did. Every move starts from a cleared outcome (Ant::step).
struct MoveOutcome {
    bool leftField = false;         // stepped off the field and died
    bool foodEaten = false;         // the player's score went up by one
    bool battleStarted = false;     // stepped onto exactly one enemy ant
    bool lostAtOnce = false;        // stepped onto two or more ants of one enemy player
    bool joinedBattle = false;      // stepped onto a battle under way
    bool battleDecided = false;     // some battle on the field was decided in this move
    bool exhausted = false;         // used its last move and died
    bool couldNotMove = false;      // dead, fighting or out of moves: nothing moved
    bool teleported = false;        // carried through a portal
    std::int32_t enemyPlayer = -1;  // with battleStarted
    std::int32_t enemyAnt = -1;     // with battleStarted
    std::int32_t winner = -1;       // with battleDecided
    OrderedSet<AntId> winnerAnts;   // with battleDecided
    OrderedMap<PlayerId, OrderedSet<AntId>> losers;  // with battleDecided; all now dead
};

struct Ant {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t movesLeft = 0;
    bool dead = false;
    bool fighting = false;
    bool killed = false;  // died in a fight (dead is set too)
    bool leftField =
        false;  // tried to step off (dead is set too); x, y is the cell it tried to leave

    Position position() const { return {x, y}; }
    // Not dead, not fighting, moves left: a move given to it would move it.
    bool canMove() const { return !dead && !fighting && movesLeft != 0; }

    // One step: clears the outcome, refuses a dead, fighting or spent ant
    // (couldNotMove, no cost), costs a move otherwise, also for a step off the field.
    void step(MoveOutcome& outcome, Direction direction, const RuleOptions& options);
};

struct Battle {
    std::int32_t endMove = 0;  // move number at which the battle is due
    bool decided = false;      // the leader has all its ants here: due at once
    OrderedMap<PlayerId, OrderedSet<AntId>> participants;
    PlayerId leader = 0;  // most ants in the fight; the starter on equal counts

    void join(PlayerId player, AntId ant, const RuleOptions& options);
    std::pair<PlayerId, OrderedSet<AntId>> winner() const;
    OrderedMap<PlayerId, OrderedSet<AntId>> losers() const;
};

// What a player last saw of one cell.
struct CellKnowledge {
    bool seen = false;
    bool food = false;
    bool portal = false;
    std::int32_t seenAt = 0;  // the player's moveCount at the last sighting
    Position portalExit{};    // other end of the portal seen here; (0, 0) without one
};

// The last sighting of an enemy ant, as it was then.
struct SeenAnt {
    AntId id = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t movesLeft = 0;
    bool dead = false;
    bool fighting = false;
    bool killed = false;
    bool leftField = false;
    std::int32_t seenAt = 0;

    Position position() const { return {x, y}; }
};

// Temporaries of a view refresh, kept inline so a refresh does not allocate.
using VisibleFood = OrderedSet<Position, boost::container::small_vector<Position, 64>>;
using VisiblePortals =
    OrderedMap<Position, Position,
               boost::container::small_vector<std::pair<Position, Position>, 16>>;
// (owner player, the enemy ant's data) in player, then ant id order.
using SeenAnts = boost::container::small_vector<std::pair<PlayerId, SeenAnt>, 8>;

class Player {
public:
    OrderedMap<AntId, Ant> ants;   // all ants, dead ones included, never removed
    OrderedSet<Position> visible;  // cells the ants see now
    std::vector<std::vector<CellKnowledge>> knowledge;             // [y][x]
    OrderedMap<PlayerId, OrderedMap<AntId, SeenAnt>> seenEnemies;  // last sightings, never removed
    std::int32_t moveCount = 0;
    std::int32_t score = 0;

    Player() = default;
    // Ants at the player's start cells, an unseen knowledge grid, then visible.
    Player(PlayerId id, const RuleOptions& options);

    // Steps the ant, scores food and takes portals as the player's knowledge
    // shows them (refreshed at the start of the turn), then recomputes visible.
    void moveAnt(MoveOutcome& outcome, AntId ant, Direction direction, const RuleOptions& options);
    // The squares of side 2r+1 around every ant, dead or alive, clipped to the field.
    void updateVisible(const RuleOptions& options);
    // Writes what is visible now over the grid and records the given sightings.
    void updateKnowledge(const VisibleFood& visibleFood, const SeenAnts& seenAnts,
                         const VisiblePortals& visiblePortals);

    // Some ant is alive with moves left (fighting ants count: they may move again).
    bool canStillMove() const;
};

class GameState {
public:
    OrderedMap<Position, bool> food;  // true while present; eaten entries stay, false
    OrderedMap<PlayerId, Player> players;
    OrderedMap<Position, Battle> battles;          // at most one per cell
    OrderedMap<Position, Position> portalEntries;  // left end -> right end
    OrderedMap<Position, Position> portalExits;    // right end -> left end

    GameState() = default;
    // Set-up of a new game: players, portal pairs as configured, food in both halves.
    GameState(const RuleOptions& options, GameRandom& random);

    // Places foodPieces / 2 pieces in the columns [xOffset, xOffset + fieldWidth / 2).
    // Raises std::logic_error when the half has fewer free cells than that.
    void placeFood(std::int32_t xOffset, const RuleOptions& options, GameRandom& random);

    // The rules of one move in their order: step, food, fights, one battle decision.
    MoveOutcome applyMove(PlayerId player, AntId ant, Direction direction,
                          const RuleOptions& options, std::int32_t moveNumber);

    // Re-pairs the portal ends; the ends stay, only which entry leads where changes.
    void shufflePortals(GameRandom& random);

    // Refreshes one player's knowledge from what it sees now. In the first round
    // (firstRound) every enemy ant is reported wherever it stands.
    void updateView(PlayerId player, const RuleOptions& options, bool firstRound);

    // The sighting half of updateView: every enemy ant in view (or, in the first
    // round, every enemy ant) recorded in the player's seenEnemies.
    void updateSightings(PlayerId player, const RuleOptions& options, bool firstRound);

    // No food left, or no ant of any player can move.
    bool isOver() const;

    // Empty when the state is consistent, else what is wrong (for tests and
    // replays: every ant and portal on the field, the portal maps mirroring each
    // other, every fighting ant in exactly one battle, ...).
    std::string firstInconsistency(const RuleOptions& options) const;
};

}  // namespace Veltrix
