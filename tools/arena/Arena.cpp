#include "Arena.h"

#include "Veltrix/ComputerOpponent.h"
#include "Veltrix/GameEnd.h"
#include "Veltrix/GameRandom.h"
#include "Veltrix/Referee.h"
#include "Veltrix/SelfPlay.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <istream>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace Veltrix {

namespace {

// ---------------------------------------------------------------- JSON output

class Json {
public:
    std::string text;

    Json& raw(std::string_view s) {
        text += s;
        return *this;
    }
    Json& num(std::int64_t v) {
        text += std::to_string(v);
        return *this;
    }
    Json& real(double v) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.6g", v);
        text += buffer;
        return *this;
    }
    Json& boolean(bool v) { return raw(v ? "true" : "false"); }
    Json& str(std::string_view s) {
        text += '"';
        for (const char c : s) {
            switch (c) {
                case '"':
                    text += "\\\"";
                    break;
                case '\\':
                    text += "\\\\";
                    break;
                case '\n':
                    text += "\\n";
                    break;
                case '\t':
                    text += "\\t";
                    break;
                case '\r':
                    text += "\\r";
                    break;
                default:
                    if (static_cast<unsigned char>(c) < 0x20) {
                        char buffer[8];
                        std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
                        text += buffer;
                    } else {
                        text += c;
                    }
            }
        }
        text += '"';
        return *this;
    }
    Json& key(std::string_view k) {
        if (!text.empty() && text.back() != '{' && text.back() != '[') text += ',';
        str(k);
        text += ':';
        return *this;
    }
    Json& comma() {
        if (!text.empty() && text.back() != '{' && text.back() != '[') text += ',';
        return *this;
    }
};

template <class Set>
void idList(Json& j, const Set& ids) {
    j.raw("[");
    for (const auto id : ids) j.comma().num(id);
    j.raw("]");
}

void sides(Json& j, const OrderedMap<PlayerId, OrderedSet<AntId>>& sides) {
    j.raw("[");
    for (const auto& [player, ants] : sides) {
        j.comma().raw("[").num(player).raw(",");
        idList(j, ants);
        j.raw("]");
    }
    j.raw("]");
}

template <class A>
void antFields(Json& j, AntId id, const A& a) {
    j.key("id").num(id).key("x").num(a.x).key("y").num(a.y).key("movesLeft").num(a.movesLeft);
    j.key("dead")
        .boolean(a.dead)
        .key("fighting")
        .boolean(a.fighting)
        .key("killed")
        .boolean(a.killed);
    j.key("leftField").boolean(a.leftField);
}

void player(Json& j, PlayerId id, const Player& p) {
    j.raw("{").key("id").num(id).key("score").num(p.score).key("moveCount").num(p.moveCount);
    j.key("ants").raw("[");
    for (const auto& [antId, ant] : p.ants) {
        j.comma().raw("{");
        antFields(j, antId, ant);
        j.raw("}");
    }
    j.raw("]").key("visible").raw("[");
    for (const Position c : p.visible) j.comma().raw("[").num(c.x).raw(",").num(c.y).raw("]");
    j.raw("]").key("seenEnemies").raw("[");
    for (const auto& [owner, sightings] : p.seenEnemies)
        for (const auto& [antId, seen] : sightings) {
            j.comma().raw("{");
            antFields(j, antId, seen);
            j.key("player").num(owner).key("seenAt").num(seen.seenAt).raw("}");
        }
    j.raw("]").key("knowledge").raw("[");
    for (const auto& row : p.knowledge) {
        j.comma().raw("[");
        for (const CellKnowledge& k : row) {
            j.comma().raw("[").num(k.seen).raw(",").num(k.food).raw(",").num(k.portal).raw(",");
            j.num(k.seenAt).raw(",").num(k.portalExit.x).raw(",").num(k.portalExit.y).raw("]");
        }
        j.raw("]");
    }
    j.raw("]}");
}

void state(Json& j, const Referee& referee) {
    const GameState& s = referee.state;
    j.raw("{").key("moves").num(referee.movesMade()).key("current").num(referee.currentPlayer());
    j.key("players").raw("[");
    for (const auto& [id, p] : s.players) {
        j.comma();
        player(j, id, p);
    }
    j.raw("]").key("food").raw("[");
    for (const auto& [cell, present] : s.food)
        j.comma().raw("[").num(cell.x).raw(",").num(cell.y).raw(",").boolean(present).raw("]");
    j.raw("]").key("portals").raw("[");
    for (const auto& [entry, exit] : s.portalEntries)
        j.comma()
            .raw("[")
            .num(entry.x)
            .raw(",")
            .num(entry.y)
            .raw(",")
            .num(exit.x)
            .raw(",")
            .num(exit.y)
            .raw("]");
    j.raw("]").key("battles").raw("[");
    for (const auto& [cell, b] : s.battles) {
        j.comma().raw("{").key("x").num(cell.x).key("y").num(cell.y).key("endMove").num(b.endMove);
        j.key("decided").boolean(b.decided).key("leader").num(b.leader).key("participants");
        sides(j, b.participants);
        j.raw("}");
    }
    j.raw("]}");
}

void outcome(Json& j, const MoveOutcome& o) {
    j.raw("{").key("leftField").boolean(o.leftField).key("foodEaten").boolean(o.foodEaten);
    j.key("battleStarted").boolean(o.battleStarted).key("lostAtOnce").boolean(o.lostAtOnce);
    j.key("joinedBattle").boolean(o.joinedBattle).key("battleDecided").boolean(o.battleDecided);
    j.key("exhausted").boolean(o.exhausted).key("couldNotMove").boolean(o.couldNotMove);
    j.key("teleported").boolean(o.teleported).key("enemyPlayer").num(o.enemyPlayer);
    j.key("enemyAnt").num(o.enemyAnt).key("winner").num(o.winner).key("winnerAnts");
    idList(j, o.winnerAnts);
    j.key("losers");
    sides(j, o.losers);
    j.raw("}");
}

void scores(Json& j, const GameState& s) {
    j.raw("[");
    for (const auto& [id, p] : s.players) j.comma().num(p.score);
    j.raw("]");
}

void emit(std::ostream& out, const Json& j) {
    out << j.text << '\n';
}

// ---------------------------------------------------------------- modes

void moveEvent(std::ostream& out, const Referee& referee, PlayerId p, AntId a, Direction d,
               const MoveOutcome& o) {
    Json j;
    j.raw("{").key("event").str("move").key("n").num(referee.movesMade() - 1).key("player").num(p);
    j.key("ant").num(a).key("dir").raw("[").num(d.dx).raw(",").num(d.dy).raw("]").key("outcome");
    outcome(j, o);
    j.key("state");
    state(j, referee);
    j.key("gameOver").boolean(isGameOver(referee)).raw("}");
    emit(out, j);
}

}  // namespace

int runScript(const RuleOptions& options, std::uint32_t seed, std::istream& script,
              std::ostream& out) {
    GameRandom random(seed);
    Referee referee(0, options, random);
    std::vector<VX3D::AIData> opponents = VX3D::makeOpponents(options);
    {
        Json j;
        j.raw("{").key("event").str("start").key("state");
        state(j, referee);
        j.raw("}");
        emit(out, j);
    }
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
            const MoveOutcome o = VX3D::makeMove(referee, p, a, d, random);
            moveEvent(out, referee, p, a, d, o);
        } catch (const std::exception& e) {
            Json j;
            j.raw("{")
                .key("event")
                .str("error")
                .key("line")
                .num(lineNumber)
                .key("message")
                .str(e.what())
                .raw("}");
            emit(out, j);
        }
    }
    Json j;
    j.raw("{").key("event").str("end").key("moves").num(referee.movesMade());
    j.key("isOver")
        .boolean(referee.state.isOver())
        .key("gameOver")
        .boolean(isGameOver(referee))
        .key("scores");
    scores(j, referee.state);
    j.raw("}");
    emit(out, j);
    return 0;
}

int runSelfPlay(const RuleOptions& options, std::uint32_t seed, std::int32_t games,
                std::ostream& out) {
    GameRandom random(seed);
    std::vector<std::int64_t> wins(static_cast<std::size_t>(options.players), 0);
    std::int64_t draws = 0;
    std::int64_t moves = 0;
    double seconds = 0.0;
    for (std::int32_t n = 0; n < games; ++n) {
        // Only the play itself is timed, not the printing.
        const auto started = std::chrono::steady_clock::now();
        const Referee referee = VX3D::playComputerGame(options, random);
        seconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const PlayerId winner = gameWinner(referee.state);
        if (winner < 0)
            ++draws;
        else
            ++wins[static_cast<std::size_t>(winner)];
        moves += referee.movesMade();
        Json j;
        j.raw("{")
            .key("event")
            .str("game")
            .key("n")
            .num(n)
            .key("moves")
            .num(referee.movesMade())
            .key("scores");
        scores(j, referee.state);
        j.key("winner").num(winner).raw("}");
        emit(out, j);
    }
    Json j;
    j.raw("{").key("event").str("summary").key("games").num(games).key("wins").raw("[");
    for (const auto w : wins) j.comma().num(w);
    j.raw("]").key("draws").num(draws).key("seconds").real(seconds);
    j.key("gamesPerSecond").real(seconds > 0 ? games / seconds : 0.0);
    j.key("movesPerSecond").real(seconds > 0 ? static_cast<double>(moves) / seconds : 0.0).raw("}");
    emit(out, j);
    return 0;
}

}  // namespace Veltrix
