#pragma once
// The messages of a match: TCP, one JSON object a line, each with a "type".
// Every message is a plain struct; readClient / readServer turn one line into
// one of them or into a ReadError that says what was wrong, and never throw, so
// a bad line stops at the edge of whoever received it. write() gives the line
// to send, newline included.

#include "Protocol/SeatView.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Veltrix::Protocol {

inline constexpr std::int32_t version = 1;
// The longest line either side accepts, newline included.
inline constexpr std::size_t maxLineBytes = 65536;
inline constexpr std::size_t maxNameBytes = 40;

// ---------------------------------------------------------------- client to server

struct Hello {
    std::int32_t protocol = version;
    std::string name;
};
struct NewMatch {
    bool computer = false;  // "opponent": "computer" rather than "human"
};
struct Join {
    std::string code;
};
struct Resume {
    std::string code;
    std::string token;
};
struct Move {
    AntId ant = 0;
    std::int32_t dx = 0;
    std::int32_t dy = 0;
};
struct Resign {};
// After the end: another match against the same opponent, once both seats ask for it.
struct Rematch {};

using ClientMessage = std::variant<Hello, NewMatch, Join, Resume, Move, Resign, Rematch>;

// ---------------------------------------------------------------- server to client

// The answer to new, join and resume: the seat now held and the token that resumes it.
struct MatchSeat {
    std::string code;
    std::int32_t seat = 0;
    std::string token;
};
struct Start {
    std::int32_t seat = 0;
    nlohmann::json rules;  // every key of the rules file with its value
    std::array<std::string, 2> names;
};
// Written inside "moved" for the mover: everything the move did.
struct MoveResult {
    AntId ant = 0;
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::int32_t x = 0;  // where the ant is afterwards
    std::int32_t y = 0;
    MoveOutcome outcome;
};
// One move as a seat learns of it: the mover gets `result`; the other seat gets
// `seen` only when its own ants see where the moved ant now stands.
struct Moved {
    std::int32_t seat = 0;  // who moved
    std::int32_t move = 0;  // moves made, this one included
    std::optional<MoveResult> result;
    std::optional<Sighting> seen;
};
struct End {
    std::string result;  // "win", "lose" or "draw" for the seat it is sent to
    std::string reason;  // "won", "resigned", "forfeited" or "abandoned"
    std::array<std::int32_t, 2> scores{};
    std::int32_t moves = 0;
};
struct Error {
    std::string message;
};
// The refusal of a move or resignation that reached the server after the end: the end was
// already on its way, so a client waiting for a rematch passes over it.
inline constexpr std::string_view matchOverRefusal = "the match is over";

using ServerMessage = std::variant<MatchSeat, Start, View, Moved, End, Error>;

// ---------------------------------------------------------------- reading and writing

struct ReadError {
    std::string message;  // what was wrong with the line, for the error reply or a log
};

template <class Message>
using ReadResult = std::variant<Message, ReadError>;

// One line, without its newline (a trailing '\r' is allowed).
ReadResult<ClientMessage> readClient(std::string_view line);
ReadResult<ServerMessage> readServer(std::string_view line);

std::string write(const ClientMessage& message);
std::string write(const ServerMessage& message);

// The "type" of a message as it is written.
std::string typeName(const ClientMessage& message);
std::string typeName(const ServerMessage& message);

}  // namespace Veltrix::Protocol
