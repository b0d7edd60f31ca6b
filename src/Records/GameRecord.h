#pragma once
// Game records: one file per game, JSON Lines, written as the game goes and read back to
// replay or verify it.
//
// The file, one JSON object a line:
//   {"type":"header","format":"veltrix-game-record","version":1,"program":"veltrix3d",
//    "programVersion":"0.1","date":"2026-12-10T01:30:00Z","rules":{...rulesToJson...},
//    "seed":42,"game":1,"sides":[{"name":"Player 0","kind":"human"},
//    {"name":"Computer","kind":"computer"}],"random":{"draws":812,"realDraws":0},
//    "startingPlayer":0}
//   {"type":"move","n":0,"player":0,"ant":1,"dir":[1,0],"random":{"draws":830,"realDraws":0},
//    "outcome":{...as the match runner prints a move's outcome...},"digest":"5d0c..."}
//   ...
//   {"type":"end","result":"won","winner":0,"scores":[9,4],"moves":57}
//
// Why the random positions: set-up, the portal shuffles and the computer opponent all draw
// from one source, so the computer's draws fall between the referee's. The header holds the
// source's position (draws of each engine since seeding) before the referee's set-up, and
// every move the position before its referee call; a replay seeds a fresh source and advances
// it to each position (GameRandom::advanceTo), so it meets exactly the values the game met
// without running the computer opponent again.
//
// Writing (the game, the match runner, the match server):
//   RecordWriter writer("records", header);       // creates the folder and a new file
//   writer.move(player, ant, direction, before, outcome, referee.state);
//   ...                          // `before`: randomPosition(random) just before Referee::move
//   writer.finish(RecordEnd{...});                 // the closing line
// Each line is flushed as it is written: a crash loses at most the line being written. A
// writer destroyed before finish() leaves a file without its closing line, which readers
// refuse as truncated; end an interrupted game with EndResult::abandoned instead.
//
// Reading and checking:
//   GameRecord record = readRecord("records/....jsonl");   // raises RecordError
//   Verification v = verifyRecord(record);                  // replays through the rules
// readRecord refuses a file that is not a record, is of a newer format version, has a line
// that is not JSON or lacks a field, is truncated (no closing line, or a last line cut short)
// or holds lines after the closing one, or whose random position needs more than 2^26 draws
// of the real engine (which cannot jump ahead). The message names the file and the line.
// RecordReplay steps a referee through a record's moves one at a time (what verifyRecord
// does); the window instead feeds the record's moves to its own game controller.
#include "Veltrix/GameRandom.h"
#include "Veltrix/GameState.h"
#include "Veltrix/Referee.h"
#include "Veltrix/RuleOptions.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace Veltrix {

inline constexpr int recordFormatVersion = 1;
inline constexpr const char* recordFormatName = "veltrix-game-record";

// The version of the programs that write records ("0.1").
std::string programVersion();

// "record FILE line N: why" (or "record FILE: why" without a line).
class RecordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How many values each engine of the random source has given since it was seeded.
struct RandomPosition {
    std::uint32_t draws = 0;
    std::uint32_t realDraws = 0;
    friend bool operator==(const RandomPosition&, const RandomPosition&) = default;
};
RandomPosition randomPosition(const GameRandom& random);

// Who played a seat: kind is "human", "computer" or "network".
struct RecordSide {
    std::string name;
    std::string kind;
};

struct RecordHeader {
    int version = recordFormatVersion;
    std::string program;  // "veltrix3d", "veltrix-arena", ...
    std::string programVersion = Veltrix::programVersion();
    std::string date;  // UTC, ISO 8601; the writer fills it in when empty
    RuleOptions rules;
    std::uint32_t seed = 0;         // the seed of the run's random source
    std::int64_t game = 1;          // the game's number in the run, from 1
    std::vector<RecordSide> sides;  // one per player, in seat order
    RandomPosition random;          // before the referee's set-up
    PlayerId startingPlayer = 0;
};

struct RecordMove {
    std::int32_t n = 0;  // 0 for the first move
    PlayerId player = 0;
    AntId ant = 0;
    Direction direction{};
    RandomPosition random;           // just before the referee's move
    nlohmann::ordered_json outcome;  // outcomeToJson of the move's outcome
    std::string digest;              // stateDigest after the move
};

// won and drawn end a game by the rules; resigned and forfeited name the seat that lost
// (`loser`) and the other wins; abandoned is a game left unfinished ("L", the window closed,
// a stop signal, a server gone).
enum class EndResult { won, drawn, resigned, forfeited, abandoned };
const char* endResultName(EndResult result);

struct RecordEnd {
    EndResult result = EndResult::abandoned;
    PlayerId winner = -1;  // -1: nobody (drawn, abandoned)
    PlayerId loser = -1;   // with resigned and forfeited
    std::vector<std::int32_t> scores;
    std::int32_t moves = 0;
};

// The end of a game the rules finished (isGameOver): won by gameWinner, or drawn.
RecordEnd finishedGameEnd(const Referee& referee);
// The same game left unfinished now: abandoned, with the scores and moves so far.
RecordEnd abandonedGameEnd(const Referee& referee);

// A move's outcome as one object (the match runner prints the same).
nlohmann::ordered_json outcomeToJson(const MoveOutcome& outcome);

// 16 hex digits (64-bit FNV-1a) over what the rules decide: every ant's cell, moves and
// flags, the scores and move counts, the food, the portal pairs and the battles. Two moves
// with the same outcome flags can still leave different fields (a step left or right onto
// empty ground); the digest tells them apart at the move where they part.
std::string stateDigest(const GameState& state);

class RecordWriter {
public:
    // Creates `directory` when missing and a new file in it named after the date, the
    // program, the seed and the game number (never overwriting one), then writes the header.
    // Raises RecordError naming the folder or file when that fails.
    RecordWriter(const std::filesystem::path& directory, RecordHeader header);
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // One move line, numbered in order. `before` is the random position just before the
    // referee's move, `after` the state the move left. Raises RecordError when the file
    // cannot be written or after finish().
    void move(PlayerId player, AntId ant, Direction direction, RandomPosition before,
              const MoveOutcome& outcome, const GameState& after);
    // The closing line; the file is closed. Raises RecordError as move() does.
    void finish(const RecordEnd& end);

    const std::filesystem::path& path() const { return path_; }
    const RecordHeader& header() const { return header_; }
    bool finished() const { return file_ == nullptr; }
    std::int32_t moves() const { return moves_; }

private:
    void writeLine(const nlohmann::ordered_json& line);

    RecordHeader header_;
    std::filesystem::path path_;
    std::FILE* file_ = nullptr;
    std::int32_t moves_ = 0;
};

struct GameRecord {
    std::string source;  // the file name, for messages
    RecordHeader header;
    std::vector<RecordMove> moves;
    RecordEnd end;
};

// Raises RecordError "record FILE line N: ..." for a file that cannot be read or is not a
// complete record of a format version this program knows.
GameRecord readRecord(const std::filesystem::path& file);
GameRecord readRecord(std::istream& in, const std::string& source);

// Steps a referee through a record's moves on a random source set as the game had it.
class RecordReplay {
public:
    explicit RecordReplay(const GameRecord& record);

    bool done() const { return next_ >= record_->moves.size(); }
    // The next move, before it is applied.
    const RecordMove& peek() const { return record_->moves.at(next_); }
    // Advances the random source to the move's position and makes the move as the game
    // controller does (the referee's move, then the mover's view). Raises RecordError naming
    // the move when it cannot be made or its outcome differs from the record's.
    MoveOutcome next();

    const Referee& referee() const { return referee_; }
    GameRandom& random() { return random_; }
    const GameRecord& record() const { return *record_; }

private:
    const GameRecord* record_;
    GameRandom random_;
    Referee referee_;
    std::size_t next_ = 0;
};

// The result of replaying a whole record: ok, or the first thing that differs (`move` is the
// number of the first move that differs, -1 when the moves agree and the end does not).
struct Verification {
    bool ok = false;
    std::int32_t moves = 0;
    std::int32_t move = -1;
    std::string message;
};
Verification verifyRecord(const GameRecord& record);

}  // namespace Veltrix
