#include "Match.h"

#include "Veltrix/GameEnd.h"

#include <algorithm>
#include <utility>

namespace Veltrix::Server {

namespace asio = boost::asio;
using namespace Protocol;

Match::Match(std::string code, const RuleOptions& rules, const nlohmann::json& rulesJson,
             std::uint32_t seed, asio::any_io_executor executor, MatchTimes times,
             MatchEvents events)
    : code_(std::move(code)),
      seed_(seed),
      random_(seed),
      referee_(0, rules, random_),
      rulesJson_(rulesJson),
      times_(times),
      events_(std::move(events)),
      idleTimer_(executor),
      resumeTimers_{asio::steady_timer(executor), asio::steady_timer(executor)} {}

void Match::create(const std::string& name, std::shared_ptr<Peer> peer, bool computer,
                   std::string token) {
    seats_[0] = Seat{name, std::move(token), true, false, std::move(peer), {}};
    send(0, MatchSeat{code_, 0, seats_[0].token});
    if (computer) {
        seats_[1] = Seat{"computer", "", true, true, nullptr, {}};
        computer_.emplace(referee_.options);
        start();
    } else {
        // Nobody joining within the idle window leaves the match abandoned.
        armIdle();
    }
}

std::optional<std::string> Match::join(const std::string& name, std::shared_ptr<Peer> peer,
                                       std::string token) {
    if (over_) return "match " + code_ + " is over";
    if (seats_[1].taken) return "match " + code_ + " has no free seat";
    seats_[1] = Seat{name, std::move(token), true, false, std::move(peer), {}};
    send(1, MatchSeat{code_, 1, seats_[1].token});
    start();
    return std::nullopt;
}

std::int32_t Match::resume(const std::string& token, std::shared_ptr<Peer> peer) {
    if (over_ || token.empty()) return -1;
    for (std::int32_t s = 0; s < 2; ++s) {
        Seat& seat = seats_[static_cast<std::size_t>(s)];
        if (!seat.taken || seat.computer || seat.token != token) continue;
        // The token is the seat: a connection still holding it (half-open, or
        // the same player on a new network) gives it up.
        if (seat.peer && seat.peer != peer) seat.peer->seatLost();
        seat.peer = std::move(peer);
        resumeTimers_[static_cast<std::size_t>(s)].cancel();
        send(s, MatchSeat{code_, s, seat.token});
        if (started_) {
            sendStart(s);
            sendView(s);
        }
        return s;
    }
    return -1;
}

void Match::start() {
    started_ = true;
    if (events_.started) events_.started(*this);
    for (std::int32_t s = 0; s < 2; ++s) sendStart(s);
    for (std::int32_t s = 0; s < 2; ++s) sendView(s);
    playAutomaticTurns();
}

void Match::sendStart(std::int32_t seat) {
    Start start;
    start.seat = seat;
    start.rules = rulesJson_;
    start.names = {seats_[0].name, seats_[1].name};
    send(seat, start);
}

void Match::sendView(std::int32_t seat) {
    send(seat, makeView(referee_, seat));
}

void Match::send(std::int32_t seat, const ServerMessage& message) {
    const auto& peer = seats_[static_cast<std::size_t>(seat)].peer;
    if (peer) peer->send(message);
}

std::optional<std::string> Match::move(std::int32_t seat, const Move& move) {
    if (over_) return "the match is over";
    if (!started_) return "the match has not started";
    if (referee_.currentPlayer() != seat) return "not your turn";
    const auto& ants = referee_.state.players.at(seat).ants;
    const auto ant = ants.find(move.ant);
    if (ant == ants.end()) return "no ant " + std::to_string(move.ant);
    if (move.dx < -1 || move.dx > 1 || move.dy < -1 || move.dy > 1)
        return "dx and dy must each be -1, 0 or 1";
    if (ant->second.dead) return "ant " + std::to_string(move.ant) + " is dead";
    if (ant->second.fighting) return "ant " + std::to_string(move.ant) + " is fighting";
    if (ant->second.movesLeft == 0) return "ant " + std::to_string(move.ant) + " has no moves left";
    apply(seat, move.ant, {move.dx, move.dy});
    playAutomaticTurns();
    return std::nullopt;
}

void Match::apply(PlayerId player, AntId ant, Direction direction) {
    MoveMade made{player, ant, direction, random_.drawCount(), random_.realDrawCount(), {}};
    const MoveOutcome outcome = referee_.move(player, ant, direction, random_);
    made.outcome = outcome;
    referee_.state.updateView(player, referee_.options,
                              referee_.movesMade() < referee_.options.players);
    const Ant& moved = referee_.state.players.at(player).ants.at(ant);
    const std::int32_t other = 1 - player;

    Moved full;
    full.seat = player;
    full.move = referee_.movesMade();
    full.result = MoveResult{ant, direction.dx, direction.dy, moved.x, moved.y, outcome};
    send(player, full);

    // The other seat learns where the ant went only if its own ants see the cell
    // now, and then as its own knowledge records the sighting.
    Moved partial;
    partial.seat = player;
    partial.move = full.move;
    const Player& watcher = referee_.state.players.at(other);
    if (watcher.visible.contains(moved.position())) {
        const auto sightings = watcher.seenEnemies.find(player);
        if (sightings != watcher.seenEnemies.end()) {
            const auto seen = sightings->second.find(ant);
            if (seen != sightings->second.end()) partial.seen = Sighting{player, seen->second};
        }
    }
    send(other, partial);
    sendView(0);
    sendView(1);
    if (events_.moved) events_.moved(*this, made);
}

void Match::playAutomaticTurns() {
    while (!over_) {
        if (isGameOver(referee_)) {
            const PlayerId best = gameWinner(referee_.state);
            finish(best < 0 ? EndReason::drawn : EndReason::won, best);
            return;
        }
        const PlayerId current = referee_.currentPlayer();
        const Player& player = referee_.state.players.at(current);
        const bool canMoveNow =
            std::any_of(player.ants.begin(), player.ants.end(),
                        [](const auto& entry) { return entry.second.canMove(); });
        if (!canMoveNow) {
            // Nothing of this seat can move now (dead, out of moves or held in a fight):
            // its turn passes with the null move of ant 0, as in the local game.
            apply(current, 0, {0, 0});
        } else if (seats_[static_cast<std::size_t>(current)].computer) {
            auto [ant, direction] =
                VX3D::chooseMove(current, *computer_, referee_, random_, referee_.options);
            // A choice whose guard fired loses the move, as everywhere else the computer plays.
            if (ant < 0) {
                ant = 0;
                direction = {0, 0};
            }
            apply(current, ant, direction);
        } else {
            armIdle();
            return;
        }
    }
}

void Match::resign(std::int32_t seat) {
    if (over_) return;
    // Before the start there is no game to lose: the match is only left.
    if (!started_) return finish(EndReason::abandoned, -1);
    finish(EndReason::resigned, 1 - seat);
}

void Match::dropped(std::int32_t seat, const Peer* peer) {
    Seat& s = seats_.at(static_cast<std::size_t>(seat));
    if (s.peer.get() != peer) return;
    if (over_) return leave(seat);
    s.peer.reset();
    s.droppedAt = std::chrono::steady_clock::now();
    armResume(seat);
}

void Match::leave(std::int32_t seat) {
    Seat& s = seats_.at(static_cast<std::size_t>(seat));
    if (!over_ || !s.peer) return;
    s.peer.reset();
    const std::int32_t other = 1 - seat;
    if (rematchAsked(other)) send(other, Error{"opponent left"});
}

void Match::releasePeers() {
    for (Seat& seat : seats_) seat.peer.reset();
}

void Match::abandon() {
    if (!over_) finish(EndReason::abandoned, -1);
}

void Match::armIdle() {
    idleTimer_.expires_after(times_.idle);
    const std::int32_t waitedMove = referee_.movesMade();
    const bool wasStarted = started_;
    idleTimer_.async_wait([self = weak_from_this(), waitedMove, wasStarted](auto error) {
        const auto match = self.lock();
        if (error || !match || match->over_) return;
        // A move or a join since the clock was set started a new one.
        if (match->started_ != wasStarted || match->referee_.movesMade() != waitedMove) return;
        if (!match->started_) {
            match->finish(EndReason::abandoned, -1);
            return;
        }
        const std::int32_t silent = match->referee_.currentPlayer();
        match->send(silent, Error{"no move for too long: the seat is forfeited"});
        match->finish(EndReason::forfeited, 1 - silent);
    });
}

void Match::armResume(std::int32_t seat) {
    auto& timer = resumeTimers_.at(static_cast<std::size_t>(seat));
    timer.expires_after(times_.resume);
    timer.async_wait([self = weak_from_this(), seat](auto error) {
        const auto match = self.lock();
        if (error || !match || match->over_) return;
        if (match->seats_.at(static_cast<std::size_t>(seat)).peer) return;  // resumed
        match->finish(match->started_ ? EndReason::forfeited : EndReason::abandoned,
                      match->started_ ? 1 - seat : -1);
    });
}

void Match::finish(EndReason reason, std::int32_t winner) {
    if (over_) return;
    over_ = true;
    endReason_ = reason;
    winner_ = winner;
    idleTimer_.cancel();
    for (auto& timer : resumeTimers_) timer.cancel();
    if (reason != EndReason::abandoned || started_) {
        std::array<std::int32_t, 2> scores{};
        for (std::int32_t s = 0; s < 2; ++s)
            scores[static_cast<std::size_t>(s)] = referee_.state.players.at(s).score;
        for (std::int32_t s = 0; s < 2; ++s) {
            End end;
            end.result = winner < 0 ? "draw" : winner == s ? "win" : "lose";
            end.reason = endResultName(reason);
            end.scores = scores;
            end.moves = referee_.movesMade();
            send(s, end);
        }
    }
    if (events_.ended) events_.ended(*this);
}

}  // namespace Veltrix::Server
