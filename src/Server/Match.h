#pragma once
// One match: the referee, its random source, two seats and their clocks. The
// server owns it; a connection only holds a seat of it. Everything runs on the
// server's one event-loop thread, so nothing here locks.
//
// A seat is held by a Peer (a connection) or played by the computer. A peer that
// drops keeps its seat for the resume window; a seat whose turn it is and that
// stays silent for the idle window forfeits. Requests that the rules or the
// seat's rights refuse come back as an error text for the sender, and change nothing.

#include "Protocol/Messages.h"
#include "Records/GameRecord.h"
#include "Veltrix/ComputerOpponent.h"
#include "Veltrix/GameRandom.h"
#include "Veltrix/Referee.h"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/steady_timer.hpp>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace Veltrix::Server {

// The other end of a seat: where its messages go.
class Peer {
public:
    virtual ~Peer() = default;
    virtual void send(const Protocol::ServerMessage& message) = 0;
    // The seat was taken over by a resume from elsewhere: this peer holds nothing now.
    virtual void seatLost() = 0;
};

// How a match ended is how its record ends: one list of reasons and one spelling of each.
using EndReason = EndResult;

struct MatchTimes {
    std::chrono::seconds resume{60};
    std::chrono::seconds idle{600};
};

// One move as the referee made it, with where the random source stood just
// before (what a game record needs to replay the computer's turns without it).
struct MoveMade {
    PlayerId player = 0;
    AntId ant = 0;
    Direction direction{};
    std::uint32_t drawsBefore = 0;
    std::uint32_t realDrawsBefore = 0;
    MoveOutcome outcome;
};

// What the match tells its owner.
struct MatchEvents {
    std::function<void(const class Match&)> started;
    // After every move, both views refreshed, before the next turn is played.
    std::function<void(const class Match&, const MoveMade&)> moved;
    std::function<void(class Match&)> ended;  // once, after the end was sent
};

class Match : public std::enable_shared_from_this<Match> {
public:
    struct Seat {
        std::string name;
        std::string token;
        bool taken = false;
        bool computer = false;
        std::shared_ptr<Peer> peer;  // empty while dropped (or for the computer)
        std::chrono::steady_clock::time_point droppedAt{};
    };

    // rulesJson is what the start message carries (the same for every match of a server).
    Match(std::string code, const RuleOptions& rules, const nlohmann::json& rulesJson,
          std::uint32_t seed, boost::asio::any_io_executor executor, MatchTimes times,
          MatchEvents events);

    const std::string& code() const { return code_; }
    const Referee& referee() const { return referee_; }
    std::uint32_t seed() const { return seed_; }
    const Seat& seat(std::int32_t s) const { return seats_.at(static_cast<std::size_t>(s)); }
    bool started() const { return started_; }
    bool over() const { return over_; }
    bool againstComputer() const { return seats_[1].computer; }
    std::optional<EndReason> endReason() const { return endReason_; }
    // The winning seat, or -1 for a draw or an abandoned match.
    std::int32_t winner() const { return winner_; }

    // Seat 0 for the creator; against the computer the match starts at once.
    void create(const std::string& name, std::shared_ptr<Peer> peer, bool computer,
                std::string token);
    // Seat 1 for a second player; an error text when the match has no free seat.
    std::optional<std::string> join(const std::string& name, std::shared_ptr<Peer> peer,
                                    std::string token);
    // The seat the token belongs to, now held by peer; -1 when the token fits no seat.
    std::int32_t resume(const std::string& token, std::shared_ptr<Peer> peer);

    std::optional<std::string> move(std::int32_t seat, const Protocol::Move& move);
    void resign(std::int32_t seat);
    // The peer's connection is gone; only counts if it still holds the seat.
    void dropped(std::int32_t seat, const Peer* peer);
    // Ends an unfinished match with nothing sent (the server is going away).
    void abandon();

    // After the end a seat may ask to play the same opponent again. A seat whose peer has
    // gone (hung up, or asked the server for something else) has left: the other seat, if
    // it asked, is told so at once instead of waiting for an answer that cannot come.
    bool rematchAsked(std::int32_t seat) const {
        return rematchAsked_.at(static_cast<std::size_t>(seat));
    }
    void askRematch(std::int32_t seat) { rematchAsked_.at(static_cast<std::size_t>(seat)) = true; }
    void leave(std::int32_t seat);
    // The rematch has begun: both connections belong to the new match now.
    void releasePeers();

private:
    void start();
    void sendStart(std::int32_t seat);
    void sendView(std::int32_t seat);
    void send(std::int32_t seat, const Protocol::ServerMessage& message);
    void apply(PlayerId player, AntId ant, Direction direction);
    // Plays every turn the server makes itself: the computer's, and the null
    // move of a seat with nothing left to move. Then starts the idle clock.
    void playAutomaticTurns();
    void finish(EndReason reason, std::int32_t winner);
    void armIdle();
    void armResume(std::int32_t seat);

    std::string code_;
    std::uint32_t seed_;
    GameRandom random_;
    Referee referee_;
    const nlohmann::json& rulesJson_;
    std::optional<VX3D::AIData> computer_;
    MatchTimes times_;
    MatchEvents events_;
    std::array<Seat, 2> seats_;
    bool started_ = false;
    bool over_ = false;
    std::optional<EndReason> endReason_;
    std::int32_t winner_ = -1;
    std::array<bool, 2> rematchAsked_{};
    boost::asio::steady_timer idleTimer_;
    std::array<boost::asio::steady_timer, 2> resumeTimers_;
};

}  // namespace Veltrix::Server
