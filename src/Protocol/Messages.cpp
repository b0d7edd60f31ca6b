#include "Protocol/Messages.h"

#include "Records/GameRecord.h"

#include <limits>
#include <type_traits>
#include <utility>

namespace Veltrix::Protocol {

using nlohmann::json;

namespace {

// Raised inside the readers only; readClient / readServer turn it into a ReadError.
struct Bad {
    std::string message;
};

std::string inQuotes(std::string_view name) {
    return "\"" + std::string(name) + "\"";
}

const json& field(const json& object, const char* name) {
    const auto it = object.find(name);
    if (it == object.end()) throw Bad{"missing field " + inQuotes(name)};
    return *it;
}

std::int32_t integerValue(const json& value, std::string_view name) {
    if (value.is_number_unsigned()) {
        if (value.get<std::uint64_t>() <=
            static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
            return static_cast<std::int32_t>(value.get<std::uint64_t>());
    } else if (value.is_number_integer()) {
        const auto v = value.get<std::int64_t>();
        if (v >= std::numeric_limits<std::int32_t>::min() &&
            v <= std::numeric_limits<std::int32_t>::max())
            return static_cast<std::int32_t>(v);
    } else {
        throw Bad{"field " + inQuotes(name) + " must be an integer"};
    }
    throw Bad{"field " + inQuotes(name) + " is out of range"};
}

std::int32_t integer(const json& object, const char* name) {
    return integerValue(field(object, name), name);
}

bool flag(const json& object, const char* name) {
    const json& value = field(object, name);
    if (!value.is_boolean()) throw Bad{"field " + inQuotes(name) + " must be true or false"};
    return value.get<bool>();
}

std::string text(const json& object, const char* name) {
    const json& value = field(object, name);
    if (!value.is_string()) throw Bad{"field " + inQuotes(name) + " must be a string"};
    return value.get<std::string>();
}

const json& array(const json& object, const char* name) {
    const json& value = field(object, name);
    if (!value.is_array()) throw Bad{"field " + inQuotes(name) + " must be an array"};
    return value;
}

const json& object(const json& value, std::string_view name) {
    if (!value.is_object()) throw Bad{inQuotes(name) + " must hold objects"};
    return value;
}

json cell(Position p) {
    return json::array({p.x, p.y});
}

Position cell(const json& value, std::string_view name) {
    if (!value.is_array() || value.size() != 2)
        throw Bad{inQuotes(name) + " must hold [x, y] pairs"};
    return {integerValue(value[0], name), integerValue(value[1], name)};
}

// ---------------------------------------------------------------- parts of the server's messages

json antJson(const SeatAnt& a) {
    return {{"id", a.id},
            {"x", a.ant.x},
            {"y", a.ant.y},
            {"movesLeft", a.ant.movesLeft},
            {"dead", a.ant.dead},
            {"fighting", a.ant.fighting},
            {"killed", a.ant.killed},
            {"leftField", a.ant.leftField}};
}

SeatAnt readAnt(const json& o) {
    object(o, "ants");
    SeatAnt a;
    a.id = integer(o, "id");
    a.ant.x = integer(o, "x");
    a.ant.y = integer(o, "y");
    a.ant.movesLeft = integer(o, "movesLeft");
    a.ant.dead = flag(o, "dead");
    a.ant.fighting = flag(o, "fighting");
    a.ant.killed = flag(o, "killed");
    a.ant.leftField = flag(o, "leftField");
    return a;
}

json sightingJson(const Sighting& s) {
    return {{"player", s.player},
            {"id", s.ant.id},
            {"x", s.ant.x},
            {"y", s.ant.y},
            {"movesLeft", s.ant.movesLeft},
            {"dead", s.ant.dead},
            {"fighting", s.ant.fighting},
            {"killed", s.ant.killed},
            {"leftField", s.ant.leftField},
            {"when", s.ant.seenAt}};
}

Sighting readSighting(const json& o) {
    object(o, "enemies");
    Sighting s;
    s.player = integer(o, "player");
    s.ant.id = integer(o, "id");
    s.ant.x = integer(o, "x");
    s.ant.y = integer(o, "y");
    s.ant.movesLeft = integer(o, "movesLeft");
    s.ant.dead = flag(o, "dead");
    s.ant.fighting = flag(o, "fighting");
    s.ant.killed = flag(o, "killed");
    s.ant.leftField = flag(o, "leftField");
    s.ant.seenAt = integer(o, "when");
    return s;
}

json knownJson(const KnownCell& k) {
    json o = {{"x", k.cell.x},
              {"y", k.cell.y},
              {"food", k.knowledge.food},
              {"portal", k.knowledge.portal},
              {"seenAt", k.knowledge.seenAt}};
    if (k.knowledge.portal) o["exit"] = cell(k.knowledge.portalExit);
    return o;
}

KnownCell readKnown(const json& o) {
    object(o, "known");
    KnownCell k;
    k.cell = {integer(o, "x"), integer(o, "y")};
    k.knowledge.seen = true;
    k.knowledge.food = flag(o, "food");
    k.knowledge.portal = flag(o, "portal");
    k.knowledge.seenAt = integer(o, "seenAt");
    if (k.knowledge.portal) k.knowledge.portalExit = cell(field(o, "exit"), "exit");
    return k;
}

json viewJson(const View& v) {
    json o = {{"type", "view"}, {"seat", v.seat},     {"move", v.move},
              {"turn", v.turn}, {"scores", v.scores}, {"moveCount", v.moveCount}};
    json& ants = o["ants"] = json::array();
    for (const SeatAnt& a : v.ants) ants.push_back(antJson(a));
    json& visible = o["visible"] = json::array();
    for (const Position p : v.visible) visible.push_back(cell(p));
    json& known = o["known"] = json::array();
    for (const KnownCell& k : v.known) known.push_back(knownJson(k));
    json& enemies = o["enemies"] = json::array();
    for (const Sighting& s : v.enemies) enemies.push_back(sightingJson(s));
    return o;
}

std::array<std::int32_t, 2> pair(const json& o, const char* name) {
    const json& a = array(o, name);
    if (a.size() != 2) throw Bad{"field " + inQuotes(name) + " must hold two numbers"};
    return {integerValue(a[0], name), integerValue(a[1], name)};
}

View readView(const json& o) {
    View v;
    v.seat = integer(o, "seat");
    v.move = integer(o, "move");
    v.turn = integer(o, "turn");
    v.scores = pair(o, "scores");
    v.moveCount = integer(o, "moveCount");
    for (const json& a : array(o, "ants")) v.ants.push_back(readAnt(a));
    for (const json& p : array(o, "visible")) v.visible.push_back(cell(p, "visible"));
    for (const json& k : array(o, "known")) v.known.push_back(readKnown(k));
    for (const json& s : array(o, "enemies")) v.enemies.push_back(readSighting(s));
    return v;
}

OrderedSet<AntId> readIds(const json& a, std::string_view name) {
    if (!a.is_array()) throw Bad{inQuotes(name) + " must hold arrays of ant ids"};
    OrderedSet<AntId> ids;
    for (const json& id : a) ids.insert(integerValue(id, name));
    return ids;
}

// The same object the game records and the match runner write for a move.
json outcomeJson(const MoveOutcome& o) {
    return json(outcomeToJson(o));
}

MoveOutcome readOutcome(const json& o) {
    if (!o.is_object()) throw Bad{"field \"outcome\" must be an object"};
    MoveOutcome m;
    m.leftField = flag(o, "leftField");
    m.foodEaten = flag(o, "foodEaten");
    m.battleStarted = flag(o, "battleStarted");
    m.lostAtOnce = flag(o, "lostAtOnce");
    m.joinedBattle = flag(o, "joinedBattle");
    m.battleDecided = flag(o, "battleDecided");
    m.exhausted = flag(o, "exhausted");
    m.couldNotMove = flag(o, "couldNotMove");
    m.teleported = flag(o, "teleported");
    m.enemyPlayer = integer(o, "enemyPlayer");
    m.enemyAnt = integer(o, "enemyAnt");
    m.winner = integer(o, "winner");
    m.winnerAnts = readIds(array(o, "winnerAnts"), "winnerAnts");
    for (const json& side : array(o, "losers")) {
        if (!side.is_array() || side.size() != 2)
            throw Bad{"\"losers\" must hold [player, [ants]] pairs"};
        m.losers[integerValue(side[0], "losers")] = readIds(side[1], "losers");
    }
    return m;
}

json movedJson(const Moved& m) {
    json o = {{"type", "moved"}, {"seat", m.seat}, {"move", m.move}};
    if (m.result) {
        const MoveResult& r = *m.result;
        o["ant"] = r.ant;
        o["dx"] = r.dx;
        o["dy"] = r.dy;
        o["x"] = r.x;
        o["y"] = r.y;
        o["outcome"] = outcomeJson(r.outcome);
    }
    if (m.seen) o["seen"] = sightingJson(*m.seen);
    return o;
}

Moved readMoved(const json& o) {
    Moved m;
    m.seat = integer(o, "seat");
    m.move = integer(o, "move");
    if (o.contains("outcome")) {
        MoveResult r;
        r.ant = integer(o, "ant");
        r.dx = integer(o, "dx");
        r.dy = integer(o, "dy");
        r.x = integer(o, "x");
        r.y = integer(o, "y");
        r.outcome = readOutcome(o.at("outcome"));
        m.result = r;
    }
    if (o.contains("seen")) m.seen = readSighting(o.at("seen"));
    return m;
}

// ---------------------------------------------------------------- whole lines

// The JSON object of a line, or Bad saying why there is none.
json parseLine(std::string_view line) {
    if (line.size() >= maxLineBytes)
        throw Bad{"line longer than " + std::to_string(maxLineBytes - 1) + " bytes"};
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    json value = json::parse(line.begin(), line.end(), nullptr, false);
    if (value.is_discarded()) throw Bad{"not a JSON line"};
    if (!value.is_object()) throw Bad{"not a JSON object"};
    if (!value.contains("type")) throw Bad{"missing field \"type\""};
    if (!value["type"].is_string()) throw Bad{"field \"type\" must be a string"};
    return value;
}

ClientMessage readClientObject(const json& o) {
    const std::string type = o["type"].get<std::string>();
    if (type == "hello") {
        Hello h;
        h.protocol = integer(o, "protocol");
        h.name = text(o, "name");
        if (h.name.empty() || h.name.size() > maxNameBytes)
            throw Bad{"field \"name\" must hold 1 to " + std::to_string(maxNameBytes) + " bytes"};
        for (const char c : h.name)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                throw Bad{"field \"name\" holds a control character"};
        return h;
    }
    if (type == "new") {
        const std::string opponent = text(o, "opponent");
        if (opponent != "human" && opponent != "computer")
            throw Bad{"field \"opponent\" must be \"human\" or \"computer\""};
        return NewMatch{opponent == "computer"};
    }
    if (type == "join") return Join{text(o, "code")};
    if (type == "resume") return Resume{text(o, "code"), text(o, "token")};
    if (type == "move") return Move{integer(o, "ant"), integer(o, "dx"), integer(o, "dy")};
    if (type == "resign") return Resign{};
    if (type == "rematch") return Rematch{};
    throw Bad{"unknown type " + inQuotes(type)};
}

ServerMessage readServerObject(const json& o) {
    const std::string type = o["type"].get<std::string>();
    if (type == "match") return MatchSeat{text(o, "code"), integer(o, "seat"), text(o, "token")};
    if (type == "start") {
        Start s;
        s.seat = integer(o, "seat");
        s.rules = field(o, "rules");
        if (!s.rules.is_object()) throw Bad{"field \"rules\" must be an object"};
        // Every rule is a whole number, as in the rules file.
        for (const auto& [key, value] : s.rules.items()) integerValue(value, key);
        const json& names = array(o, "names");
        if (names.size() != 2 || !names[0].is_string() || !names[1].is_string())
            throw Bad{"field \"names\" must hold two strings"};
        s.names = {names[0].get<std::string>(), names[1].get<std::string>()};
        return s;
    }
    if (type == "view") return readView(o);
    if (type == "moved") return readMoved(o);
    if (type == "end") {
        End e;
        e.result = text(o, "result");
        e.reason = text(o, "reason");
        e.scores = pair(o, "scores");
        e.moves = integer(o, "moves");
        return e;
    }
    if (type == "error") return Error{text(o, "message")};
    throw Bad{"unknown type " + inQuotes(type)};
}

template <class Message, class FromObject>
ReadResult<Message> readLine(std::string_view line, FromObject fromObject) {
    try {
        return fromObject(parseLine(line));
    } catch (const Bad& bad) {
        return ReadError{bad.message};
    } catch (const json::exception& e) {
        // Only a reader mistake gets here (every field is checked before use).
        return ReadError{std::string("unreadable message: ") + e.what()};
    }
}

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

std::string line(const json& o) {
    // Invalid UTF-8 in a name cannot reach here (readers refuse it), but a
    // replacement character is better than a throw while writing.
    return o.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace

ReadResult<ClientMessage> readClient(std::string_view text) {
    return readLine<ClientMessage>(text, readClientObject);
}

ReadResult<ServerMessage> readServer(std::string_view text) {
    return readLine<ServerMessage>(text, readServerObject);
}

std::string write(const ClientMessage& message) {
    return line(std::visit(
        Overloaded{
            [](const Hello& m) -> json {
                return {{"type", "hello"}, {"protocol", m.protocol}, {"name", m.name}};
            },
            [](const NewMatch& m) -> json {
                return {{"type", "new"}, {"opponent", m.computer ? "computer" : "human"}};
            },
            [](const Join& m) -> json {
                return {{"type", "join"}, {"code", m.code}};
            },
            [](const Resume& m) -> json {
                return {{"type", "resume"}, {"code", m.code}, {"token", m.token}};
            },
            [](const Move& m) -> json {
                return {{"type", "move"}, {"ant", m.ant}, {"dx", m.dx}, {"dy", m.dy}};
            },
            [](const Resign&) -> json {
                return {{"type", "resign"}};
            },
            [](const Rematch&) -> json {
                return {{"type", "rematch"}};
            },
        },
        message));
}

std::string write(const ServerMessage& message) {
    return line(std::visit(
        Overloaded{
            [](const MatchSeat& m) -> json {
                return {{"type", "match"}, {"code", m.code}, {"seat", m.seat}, {"token", m.token}};
            },
            [](const Start& m) -> json {
                return {
                    {"type", "start"}, {"seat", m.seat}, {"rules", m.rules}, {"names", m.names}};
            },
            [](const View& m) -> json { return viewJson(m); },
            [](const Moved& m) -> json { return movedJson(m); },
            [](const End& m) -> json {
                return {{"type", "end"},
                        {"result", m.result},
                        {"reason", m.reason},
                        {"scores", m.scores},
                        {"moves", m.moves}};
            },
            [](const Error& m) -> json {
                return {{"type", "error"}, {"message", m.message}};
            },
        },
        message));
}

std::string typeName(const ClientMessage& message) {
    static const char* const names[] = {"hello", "new",    "join",   "resume",
                                        "move",  "resign", "rematch"};
    return names[message.index()];
}

std::string typeName(const ServerMessage& message) {
    static const char* const names[] = {"match", "start", "view", "moved", "end", "error"};
    return names[message.index()];
}

}  // namespace Veltrix::Protocol
