// A seat of a server's match: the moves, their outcomes and what the seat sees come from the
// server; the controller shows them through the same animations, sounds and score lines as
// its own referee's moves. The board is rebuilt from every view, so it never holds more of
// the other side than the view does.
#include "Game/Game.h"
#include "Game/GameFlags.h"

#include <algorithm>
#include <iostream>
#include <stdexcept>

namespace VX3D {
namespace {

using namespace Veltrix::Protocol;

// "Blue moved" where the seat's ants did not see the move: long enough to read, short enough
// that the turn does not drag.
constexpr double unseenMoveDuration = 1.0;
constexpr int announceAnchor = 4;
constexpr float announceSize = 0.1f;

void checkOnField(Veltrix::Position cell, const Veltrix::RuleOptions& rules, const char* what) {
    if (cell.x < 0 || cell.y < 0 || cell.x >= rules.fieldWidth || cell.y >= rules.fieldHeight)
        throw std::out_of_range(std::string(what) + " (" + std::to_string(cell.x) + ", " +
                                std::to_string(cell.y) + ") is off the field");
}

}  // namespace

std::optional<Veltrix::PlayerId> Game::seat() const {
    if (!server_) return std::nullopt;
    return server_->start.seat;
}

bool Game::waitingForOpponent() const {
    return server_ && !gameOver && moveEndTime < 0.0 && currentPlayer != server_->start.seat;
}

void Game::sendMove(Veltrix::AntId antId, Veltrix::Direction direction) {
    selection.reset();
    for (auto& [id, a] : view(currentPlayer).ants) a->clearPickMarkers();
    std::cout << "Sending move of ant " << antId << " in direction " << direction.dx << ","
              << direction.dy << " to the server" << std::endl;
    server_->link->send(Move{antId, direction.dx, direction.dy});
    // Shown once the server's outcome is back; until then nothing else is picked.
    inputAllowed = false;
}

Veltrix::GameState Game::boardFromView(const View& view) const {
    const Veltrix::PlayerId me = server_->start.seat;
    const Veltrix::PlayerId other = 1 - me;
    if (view.seat != me) throw std::out_of_range("a view of seat " + std::to_string(view.seat));
    Veltrix::GameState board;
    board.players[me] = playerFromView(view, options_);
    // Where the enemy's ants start is in the rules; where they are now only in the sightings.
    Veltrix::Player enemy(other, options_);
    enemy.visible.clear();
    for (const Sighting& s : view.enemies) {
        if (s.player != other || s.ant.id < 0 || s.ant.id >= options_.antsPerPlayer)
            throw std::out_of_range("a sighting of ant " + std::to_string(s.ant.id) +
                                    " of player " + std::to_string(s.player));
        checkOnField(s.ant.position(), options_, "a sighted ant's cell");
        Veltrix::Ant& a = enemy.ants[s.ant.id];
        a.x = s.ant.x;
        a.y = s.ant.y;
        a.movesLeft = s.ant.movesLeft;
        a.dead = s.ant.dead;
        a.fighting = s.ant.fighting;
        a.killed = s.ant.killed;
        a.leftField = s.ant.leftField;
    }
    enemy.score = view.scores[static_cast<std::size_t>(other)];
    board.players[other] = std::move(enemy);

    // Food and portals of the cells seen, the latest sighting last: a portal pair seen before a
    // shuffle gives way to the pairing seen after it.
    std::vector<const KnownCell*> known;
    for (const KnownCell& k : view.known) known.push_back(&k);
    std::stable_sort(known.begin(), known.end(), [](const KnownCell* a, const KnownCell* b) {
        return a->knowledge.seenAt < b->knowledge.seenAt;
    });
    for (const KnownCell* k : known) {
        if (k->knowledge.food) board.food[k->cell] = true;
        if (!k->knowledge.portal) continue;
        const Veltrix::Position exit = k->knowledge.portalExit;
        checkOnField(exit, options_, "a portal's exit");
        const bool left = k->cell.x < exit.x || (k->cell.x == exit.x && k->cell.y < exit.y);
        const Veltrix::Position entry = left ? k->cell : exit;
        const Veltrix::Position end = left ? exit : k->cell;
        board.portalEntries[entry] = end;
        board.portalExits[end] = entry;
    }
    return board;
}

void Game::keepInMatchRecord(const std::string& line) {
    if (matchRecordPath_.empty()) return;
    try {
        if (!matchRecord_) {
            std::filesystem::create_directories(matchRecordPath_.parent_path());
            // A resumed seat carries on in the same file, from a new start line.
            matchRecord_ = std::make_unique<std::ofstream>(matchRecordPath_, std::ios::app);
        }
        *matchRecord_ << line << std::flush;
        if (!*matchRecord_) throw std::runtime_error("the write failed");
    } catch (const std::exception& e) {
        // The match goes on; that it is not kept is said once.
        std::cerr << "WARNING: cannot write the match record " << matchRecordPath_.string() << ": "
                  << e.what() << "; this match is not recorded here" << std::endl;
        matchRecord_.reset();
        matchRecordPath_.clear();
    }
}

void Game::applyView(const View& view) {
    Veltrix::GameState board = boardFromView(view);
    const Veltrix::PlayerId other = 1 - server_->start.seat;
    // The sun leans towards whoever scores, also when the seat did not see how.
    for (int k = referee.state.players.at(other).score; k < board.players.at(other).score; ++k)
        sun_->scoreChanged(other);
    referee.state = std::move(board);

    const Veltrix::Player& mine = referee.state.players.at(server_->start.seat);
    for (const auto& [cell, present] : referee.state.food)
        if (present && !foods.contains(cell)) foods.emplace(cell, std::make_unique<Food>(cell));
    for (auto& [cell, food] : foods) {
        const Veltrix::CellKnowledge& k = mine.knowledge.at(static_cast<std::size_t>(cell.y))
                                              .at(static_cast<std::size_t>(cell.x));
        if (k.seen && !k.food) food->eaten = true;
    }
    const float pairs = static_cast<float>(std::max(options_.noOfPortals, 1));
    for (const auto& [entry, exit] : referee.state.portalEntries) {
        if (portals.contains(entry)) continue;
        const int k = static_cast<int>(portals.size());
        const float shade = static_cast<float>(k) / pairs;
        portals.emplace(entry,
                        std::make_unique<Portal>(entry, exit, glm::vec4(0.5f, shade, shade, 1.0f),
                                                 portalTextures_[static_cast<std::size_t>(k % 3)]));
    }
}

void Game::takeServerMessages() {
    // One move is shown at a time: what came meanwhile waits in the link.
    while (moveEndTime < 0.0 && !gameOverShown) {
        std::optional<ServerMessage> message = server_->link->take();
        if (!message) return;
        try {
            if (const auto* moved = std::get_if<Moved>(&*message)) {
                serverMove_ = *moved;
                keepInMatchRecord(write(*message));
            } else if (const auto* seen = std::get_if<View>(&*message)) {
                if (serverMove_) {
                    const Moved moved = *serverMove_;
                    serverMove_.reset();
                    showServerMove(moved, *seen);
                } else {
                    // The start of a resumed seat: everything as it stands now, at once.
                    applyView(*seen);
                    for (auto& [player, drawn] : views)
                        for (auto& [id, ant] : drawn->ants) {
                            const Veltrix::Ant& a = referee.state.players.at(player).ants.at(id);
                            ant->position = cellCentre(a.position());
                            ant->rebuildModelMatrix();
                            if (a.dead && ant->alive) ant->die();
                        }
                    currentPlayer = nextPlayer = seen->turn;
                    inputAllowed = currentPlayer == server_->start.seat;
                    updateFogVisibility();
                }
            } else if (const auto* end = std::get_if<End>(&*message)) {
                keepInMatchRecord(write(*message));
                if (!matchRecordPath_.empty())
                    std::cout << "Match record saved to " << matchRecordPath_.string() << std::endl;
                std::cout << "Match over: " << end->result << " (" << end->reason << "), scores "
                          << end->scores[0] << ":" << end->scores[1] << " after " << end->moves
                          << " moves" << std::endl;
                gameOver = true;
                inputAllowed = false;
                selection.reset();
                // An abandoned match has no winner to show: the window says why instead.
                if (end->reason != "abandoned") {
                    matchResult_ = end->result;
                    gameOverShown = true;
                }
            } else if (const auto* error = std::get_if<Error>(&*message)) {
                serverError_ = error->message;
                std::cerr << "server " << server_->link->where() << ": " << error->message
                          << std::endl;
                inputAllowed = !gameOver && currentPlayer == server_->start.seat;
            } else if (std::holds_alternative<MatchSeat>(*message)) {
                // A resumed seat: a move cut off by the lost connection is not shown; the view
                // that follows the start has it.
                serverMove_.reset();
                std::cout << "Seat resumed" << std::endl;
            }
        } catch (const std::exception& e) {
            serverError_ =
                "unusable message from the server " + server_->link->where() + ": " + e.what();
            std::cerr << serverError_ << std::endl;
            server_->link->finish();
            inputAllowed = false;
            return;
        }
    }
}

void Game::showServerMove(const Moved& moved, const View& seen) {
    const Veltrix::PlayerId me = server_->start.seat;
    if (moved.seat != 0 && moved.seat != 1)
        throw std::out_of_range("a move of seat " + std::to_string(moved.seat));
    currentPlayer = moved.seat;
    lastMoveSounds.clear();
    double duration = moveDuration;
    if (moved.result) {
        const MoveResult& r = *moved.result;
        std::cout << "Moving ant " << r.ant << " of player " << me << " in direction " << r.dx
                  << "," << r.dy << std::endl;
        const Veltrix::Position oldCell = referee.state.players.at(me).ants.at(r.ant).position();
        applyView(seen);
        startAnimations(r.ant, {r.dx, r.dy}, oldCell, r.outcome);
        const bool playerDone = !referee.state.players.at(me).canStillMove();
        playOutcome(r.ant, r.outcome, playerDone);
        if (playerDone) duration = doneMoveDuration;
    } else {
        std::vector<bool> wasAlive;
        for (const auto& [id, a] : referee.state.players.at(me).ants) wasAlive.push_back(!a.dead);
        if (moved.seen) {
            const Veltrix::SeenAnt& s = moved.seen->ant;
            std::cout << "Player " << moved.seat << " moved ant " << s.id << " in sight"
                      << std::endl;
            const Veltrix::Ant before = referee.state.players.at(moved.seat).ants.at(s.id);
            applyView(seen);
            Ant& drawn = view(moved.seat).ant(s.id);
            const glm::vec3 sibling = view(moved.seat).ant(1 - s.id).position;
            if (s.position() != before.position())
                drawn.startMove(s.position(), *clock_, s.fighting && !before.fighting,
                                s.dead && !before.dead, fog_, sibling, fogRange());
            else if (s.dead && drawn.alive)
                drawn.die();
            if (s.fighting && !before.fighting) play("sound/attack.mp3");
        } else {
            std::cout << "Player " << moved.seat << " moved out of sight" << std::endl;
            applyView(seen);
            text_->addText(announceAnchor, {0.0f, 0.0f}, announceSize,
                           std::string(seatColour(moved.seat)) + " moved", unseenMoveDuration);
            duration = unseenMoveDuration;
        }
        // The seat's own ants that a battle decided by the other side's move killed.
        std::size_t k = 0;
        for (const auto& [id, a] : referee.state.players.at(me).ants)
            if (k < wasAlive.size() && wasAlive[k++] && a.dead) {
                view(me).ant(id).die();
                play("sound/die.mp3");
            }
    }
    nextPlayer = seen.turn;
    const double now = clock_->current;
    moveStartTime = now;
    moveEndTime = now + duration;
    inputAllowed = false;
    showScoreLine(moved.seat);
}

}  // namespace VX3D
