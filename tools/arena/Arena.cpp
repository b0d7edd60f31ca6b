#include "Arena.h"

#include "Records/GameRecord.h"
#include "Veltrix/ComputerOpponent.h"
#include "Veltrix/GameEnd.h"
#include "Veltrix/GameRandom.h"
#include "Veltrix/Referee.h"
#include "Veltrix/SelfPlay.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace Veltrix {

namespace {

// ---------------------------------------------------------------- JSON output

// Insertion order is kept: other tools and the tests read these lines byte for byte.
using Json = nlohmann::ordered_json;

template <class Set>
Json idList(const Set& ids) {
    Json list = Json::array();
    for (const auto id : ids) list.push_back(id);
    return list;
}

template <class A>
void antFields(Json& j, AntId id, const A& a) {
    j["id"] = id;
    j["x"] = a.x;
    j["y"] = a.y;
    j["movesLeft"] = a.movesLeft;
    j["dead"] = a.dead;
    j["fighting"] = a.fighting;
    j["killed"] = a.killed;
    j["leftField"] = a.leftField;
}

Json player(PlayerId id, const Player& p) {
    Json ants = Json::array();
    for (const auto& [antId, ant] : p.ants) {
        Json a;
        antFields(a, antId, ant);
        ants.push_back(std::move(a));
    }
    Json visible = Json::array();
    for (const Position c : p.visible) visible.push_back(Json::array({c.x, c.y}));
    Json seenEnemies = Json::array();
    for (const auto& [owner, sightings] : p.seenEnemies)
        for (const auto& [antId, seen] : sightings) {
            Json a;
            antFields(a, antId, seen);
            a["player"] = owner;
            a["seenAt"] = seen.seenAt;
            seenEnemies.push_back(std::move(a));
        }
    Json knowledge = Json::array();
    for (const auto& row : p.knowledge) {
        Json cells = Json::array();
        for (const CellKnowledge& k : row)
            cells.push_back(Json::array({int{k.seen}, int{k.food}, int{k.portal}, k.seenAt,
                                         k.portalExit.x, k.portalExit.y}));
        knowledge.push_back(std::move(cells));
    }
    return Json{{"id", id},
                {"score", p.score},
                {"moveCount", p.moveCount},
                {"ants", std::move(ants)},
                {"visible", std::move(visible)},
                {"seenEnemies", std::move(seenEnemies)},
                {"knowledge", std::move(knowledge)}};
}

Json state(const Referee& referee) {
    const GameState& s = referee.state;
    Json players = Json::array();
    for (const auto& [id, p] : s.players) players.push_back(player(id, p));
    Json food = Json::array();
    for (const auto& [cell, present] : s.food)
        food.push_back(Json::array({cell.x, cell.y, present}));
    Json portals = Json::array();
    for (const auto& [entry, exit] : s.portalEntries)
        portals.push_back(Json::array({entry.x, entry.y, exit.x, exit.y}));
    Json battles = Json::array();
    for (const auto& [cell, b] : s.battles) {
        Json participants = Json::array();
        for (const auto& [p, ants] : b.participants)
            participants.push_back(Json::array({p, idList(ants)}));
        battles.push_back(Json{{"x", cell.x},
                               {"y", cell.y},
                               {"endMove", b.endMove},
                               {"decided", b.decided},
                               {"leader", b.leader},
                               {"participants", std::move(participants)}});
    }
    return Json{{"moves", referee.movesMade()},  {"current", referee.currentPlayer()},
                {"players", std::move(players)}, {"food", std::move(food)},
                {"portals", std::move(portals)}, {"battles", std::move(battles)}};
}

Json scores(const GameState& s) {
    Json list = Json::array();
    for (const auto& [id, p] : s.players) list.push_back(p.score);
    return list;
}

// Six significant digits, as the figures have always been printed; the library then writes
// the shortest text that reads back as that value, and a whole number without a fraction
// ("127315", not "127315.0"), as before.
Json sixDigits(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", v);
    const double rounded = std::strtod(buffer, nullptr);
    if (rounded == std::floor(rounded) && std::fabs(rounded) < 9.0e15)
        return static_cast<std::int64_t>(rounded);
    return rounded;
}

void emit(std::ostream& out, const Json& j) {
    // A script line quoted in an error may hold bytes that are not UTF-8: they are replaced
    // rather than failing the whole run.
    out << j.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
}

// ---------------------------------------------------------------- records

std::optional<RecordWriter> openRecord(const ArenaRecording& recording, const RuleOptions& options,
                                       std::uint32_t seed, std::int64_t game,
                                       const GameRandom& random, const RecordSide& side) {
    if (!recording.directory) return std::nullopt;
    RecordHeader header;
    header.program = "veltrix-arena";
    header.rules = options;
    header.seed = seed;
    header.game = game;
    header.sides.assign(static_cast<std::size_t>(options.players), side);
    header.random = randomPosition(random);
    return std::optional<RecordWriter>(std::in_place, *recording.directory, std::move(header));
}

void closeRecord(std::optional<RecordWriter>& writer, const Referee& referee) {
    if (!writer) return;
    writer->finish(isGameOver(referee) ? finishedGameEnd(referee) : abandonedGameEnd(referee));
}

// ---------------------------------------------------------------- modes

void moveEvent(std::ostream& out, const Referee& referee, PlayerId p, AntId a, Direction d,
               const MoveOutcome& o) {
    Json j{{"event", "move"},
           {"n", referee.movesMade() - 1},
           {"player", p},
           {"ant", a},
           {"dir", Json::array({d.dx, d.dy})},
           {"outcome", outcomeToJson(o)},
           {"state", state(referee)},
           {"gameOver", isGameOver(referee)}};
    emit(out, j);
}

}  // namespace

int runScript(const RuleOptions& options, std::uint32_t seed, std::istream& script,
              std::ostream& out, const ArenaRecording& recording) {
    GameRandom random(seed);
    std::optional<RecordWriter> record =
        openRecord(recording, options, seed, 1, random, RecordSide{"script", "human"});
    Referee referee(0, options, random);
    std::vector<VX3D::AIData> opponents = VX3D::makeOpponents(options);
    emit(out, Json{{"event", "start"}, {"state", state(referee)}});
    std::string line;
    std::int64_t lineNumber = 0;
    while (std::getline(script, line)) {
        ++lineNumber;
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        const auto last = line.find_last_not_of(" \t\r");
        const std::string command = line.substr(first, last - first + 1);
        try {
            PlayerId p;
            AntId a;
            Direction d;
            if (command == "ai") {
                p = referee.currentPlayer();
                std::tie(a, d) = VX3D::computerMove(opponents, referee, random);
            } else {
                std::istringstream in(command);
                std::string rest;
                if (!(in >> p >> a >> d.dx >> d.dy) || (in >> rest))
                    throw std::invalid_argument("cannot read script line '" + command +
                                                "': expected 'P A DX DY' or 'ai'");
            }
            const RandomPosition before = randomPosition(random);
            const MoveOutcome o = VX3D::makeMove(referee, p, a, d, random);
            if (record) record->move(p, a, d, before, o, referee.state);
            moveEvent(out, referee, p, a, d, o);
        } catch (const RecordError&) {
            throw;  // a record that cannot be written ends the run
        } catch (const std::exception& e) {
            emit(out, Json{{"event", "error"}, {"line", lineNumber}, {"message", e.what()}});
        }
    }
    closeRecord(record, referee);
    emit(out, Json{{"event", "end"},
                   {"moves", referee.movesMade()},
                   {"isOver", referee.state.isOver()},
                   {"gameOver", isGameOver(referee)},
                   {"scores", scores(referee.state)}});
    return 0;
}

int runSelfPlay(const RuleOptions& options, std::uint32_t seed, std::int32_t games,
                std::ostream& out, const ArenaRecording& recording) {
    GameRandom random(seed);
    std::vector<std::int64_t> wins(static_cast<std::size_t>(options.players), 0);
    std::int64_t draws = 0;
    std::int64_t moves = 0;
    double seconds = 0.0;
    for (std::int32_t n = 0; n < games; ++n) {
        std::optional<RecordWriter> record =
            openRecord(recording, options, seed, n + 1, random, RecordSide{"computer", "computer"});
        RandomPosition before;
        // Only the play itself is timed, not the printing; with --record the per-move lines
        // (one flush each) fall inside it.
        const auto started = std::chrono::steady_clock::now();
        const Referee referee = VX3D::playComputerGame(
            options, random,
            [&](const Referee&, PlayerId, AntId, Direction) { before = randomPosition(random); },
            [&](const Referee& r, PlayerId p, AntId a, Direction d, const MoveOutcome& o) {
                if (record) record->move(p, a, d, before, o, r.state);
            });
        seconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        closeRecord(record, referee);
        const PlayerId winner = gameWinner(referee.state);
        if (winner < 0)
            ++draws;
        else
            ++wins[static_cast<std::size_t>(winner)];
        moves += referee.movesMade();
        emit(out, Json{{"event", "game"},
                       {"n", n},
                       {"moves", referee.movesMade()},
                       {"scores", scores(referee.state)},
                       {"winner", winner}});
    }
    emit(out, Json{{"event", "summary"},
                   {"games", games},
                   {"wins", wins},
                   {"draws", draws},
                   {"seconds", sixDigits(seconds)},
                   {"gamesPerSecond", sixDigits(seconds > 0 ? games / seconds : 0.0)},
                   {"movesPerSecond",
                    sixDigits(seconds > 0 ? static_cast<double>(moves) / seconds : 0.0)}});
    return 0;
}

int runVerify(const std::vector<std::string>& files, std::ostream& out) {
    int status = 0;
    for (const std::string& file : files) {
        Json line{{"file", file}};
        try {
            const Verification v = verifyRecord(readRecord(file));
            line["moves"] = v.moves;
            line["ok"] = v.ok;
            if (!v.ok) {
                if (v.move >= 0) line["move"] = v.move;
                line["error"] = v.message;
            }
        } catch (const std::exception& e) {
            line["ok"] = false;
            line["error"] = e.what();
        }
        if (!line["ok"].get<bool>()) status = 1;
        emit(out, line);
    }
    return status;
}

}  // namespace Veltrix
