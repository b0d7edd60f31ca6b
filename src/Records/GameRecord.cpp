#include "Records/GameRecord.h"

#include "Records/RulesJson.h"
#include "Veltrix/GameEnd.h"
#include "Veltrix/SelfPlay.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <limits>
#include <system_error>

namespace Veltrix {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::uint32_t maxRealDraws = 1u << 26;

constexpr EndResult allResults[] = {EndResult::won, EndResult::drawn, EndResult::resigned,
                                    EndResult::forfeited, EndResult::abandoned};

Json ids(const OrderedSet<AntId>& set) {
    Json list = Json::array();
    for (const AntId id : set) list.push_back(id);
    return list;
}

Json sides(const OrderedMap<PlayerId, OrderedSet<AntId>>& map) {
    Json list = Json::array();
    for (const auto& [player, ants] : map) list.push_back(Json::array({player, ids(ants)}));
    return list;
}

Json positionJson(RandomPosition p) {
    return Json{{"draws", p.draws}, {"realDraws", p.realDraws}};
}

std::vector<std::int32_t> scoresOf(const GameState& state) {
    std::vector<std::int32_t> scores;
    for (const auto& [id, player] : state.players) scores.push_back(player.score);
    return scores;
}

std::string utcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

// "2026-12-10T01:30:00Z" -> "20261210T013000Z": a file name without colons.
std::string compactDate(const std::string& date) {
    std::string compact;
    for (const char c : date)
        if (c != '-' && c != ':') compact += c;
    return compact;
}

// Reads the fields of one line; every failure names the file, the line and the field.
class LineReader {
public:
    LineReader(const std::string& source, std::size_t line, const Json& object)
        : source_(source), line_(line), object_(object) {}

    [[noreturn]] void refuse(const std::string& why) const {
        throw RecordError("record " + source_ + " line " + std::to_string(line_) + ": " + why);
    }

    const Json& field(const char* key) const {
        const auto found = object_.find(key);
        if (found == object_.end()) refuse(std::string("the field \"") + key + "\" is missing");
        return *found;
    }

    template <class T>
    T integer(const Json& value, const std::string& what) const {
        if (!value.is_number_integer()) refuse(what + " is not an integer: " + value.dump());
        if (value.is_number_unsigned()) {
            const auto v = value.get<std::uint64_t>();
            if (v > static_cast<std::uint64_t>(std::numeric_limits<T>::max()))
                refuse(what + " is out of range: " + value.dump());
            return static_cast<T>(v);
        }
        const auto v = value.get<std::int64_t>();
        if (v < static_cast<std::int64_t>(std::numeric_limits<T>::min()) ||
            (v > 0 && static_cast<std::uint64_t>(v) >
                          static_cast<std::uint64_t>(std::numeric_limits<T>::max())))
            refuse(what + " is out of range: " + value.dump());
        return static_cast<T>(v);
    }

    template <class T>
    T integer(const char* key) const {
        return integer<T>(field(key), std::string("\"") + key + "\"");
    }

    std::string text(const char* key) const {
        const Json& value = field(key);
        if (!value.is_string())
            refuse(std::string("\"") + key + "\" is not a string: " + value.dump());
        return value.get<std::string>();
    }

    RandomPosition position() const {
        const Json& value = field("random");
        if (!value.is_object()) refuse("\"random\" is not an object: " + value.dump());
        const LineReader inner(source_, line_, value);
        const RandomPosition p{inner.integer<std::uint32_t>("draws"),
                               inner.integer<std::uint32_t>("realDraws")};
        // The real engine has no jump ahead: a replay draws every value up to the position, and
        // a forged count near 2^32 would hold a reader for minutes. Games use some fifty a game.
        if (p.realDraws > maxRealDraws)
            refuse("\"realDraws\" " + std::to_string(p.realDraws) + " is beyond the " +
                   std::to_string(maxRealDraws) + " this program replays");
        return p;
    }

    const Json& object() const { return object_; }

private:
    const std::string& source_;
    std::size_t line_;
    const Json& object_;
};

RecordHeader readHeader(const LineReader& r, const std::string& source) {
    RecordHeader h;
    const auto format = r.object().find("format");
    if (!r.object().is_object() || format == r.object().end() || *format != recordFormatName)
        r.refuse(std::string("not a Veltrix game record (the first line has no \"format\":\"") +
                 recordFormatName + "\")");
    h.version = r.integer<int>("version");
    if (h.version > recordFormatVersion)
        r.refuse("written by a newer format version " + std::to_string(h.version) +
                 " (this program reads version " + std::to_string(recordFormatVersion) +
                 " and older)");
    if (h.version < 1) r.refuse("format version " + std::to_string(h.version) + " is invalid");
    if (r.text("type") != "header") r.refuse("the first line is not a header");
    h.program = r.text("program");
    h.programVersion = r.text("programVersion");
    h.date = r.text("date");
    try {
        h.rules = rulesFromJson(r.field("rules"), "the header's \"rules\"");
    } catch (const std::exception& e) {
        r.refuse(e.what());
    }
    h.seed = r.integer<std::uint32_t>("seed");
    h.game = r.integer<std::int64_t>("game");
    const Json& sides = r.field("sides");
    if (!sides.is_array() || sides.size() != static_cast<std::size_t>(h.rules.players))
        r.refuse("\"sides\" must list one side per player (" + std::to_string(h.rules.players) +
                 ")");
    for (const Json& side : sides) {
        if (!side.is_object()) r.refuse("a side is not an object: " + side.dump());
        const LineReader s(source, 1, side);
        h.sides.push_back({s.text("name"), s.text("kind")});
    }
    h.random = r.position();
    h.startingPlayer = r.integer<PlayerId>("startingPlayer");
    if (h.startingPlayer < 0 || h.startingPlayer >= h.rules.players)
        r.refuse("\"startingPlayer\" " + std::to_string(h.startingPlayer) + " is not a player");
    return h;
}

RecordMove readMove(const LineReader& r, std::int32_t expected) {
    RecordMove m;
    m.n = r.integer<std::int32_t>("n");
    if (m.n != expected)
        r.refuse("move number " + std::to_string(m.n) + " where " + std::to_string(expected) +
                 " was due");
    m.player = r.integer<PlayerId>("player");
    m.ant = r.integer<AntId>("ant");
    const Json& dir = r.field("dir");
    if (!dir.is_array() || dir.size() != 2) r.refuse("\"dir\" is not a pair: " + dir.dump());
    m.direction = {r.integer<std::int32_t>(dir[0], "\"dir\""),
                   r.integer<std::int32_t>(dir[1], "\"dir\"")};
    m.random = r.position();
    m.outcome = r.field("outcome");
    if (!m.outcome.is_object()) r.refuse("\"outcome\" is not an object");
    m.digest = r.text("digest");
    return m;
}

RecordEnd readEnd(const LineReader& r, const RecordHeader& h) {
    RecordEnd e;
    const std::string result = r.text("result");
    bool known = false;
    for (const EndResult candidate : allResults)
        if (result == endResultName(candidate)) {
            e.result = candidate;
            known = true;
        }
    if (!known) r.refuse("unknown result \"" + result + "\"");
    e.winner = r.integer<PlayerId>("winner");
    if (e.winner < -1 || e.winner >= h.rules.players)
        r.refuse("\"winner\" " + std::to_string(e.winner) + " is not a player");
    if (r.object().contains("loser")) e.loser = r.integer<PlayerId>("loser");
    const Json& scores = r.field("scores");
    if (!scores.is_array() || scores.size() != static_cast<std::size_t>(h.rules.players))
        r.refuse("\"scores\" must list one score per player");
    for (const Json& s : scores) e.scores.push_back(r.integer<std::int32_t>(s, "a score"));
    e.moves = r.integer<std::int32_t>("moves");
    return e;
}

}  // namespace

std::string programVersion() {
    return VX_PROGRAM_VERSION;
}

RandomPosition randomPosition(const GameRandom& random) {
    return {random.drawCount(), random.realDrawCount()};
}

const char* endResultName(EndResult result) {
    switch (result) {
        case EndResult::won:
            return "won";
        case EndResult::drawn:
            return "drawn";
        case EndResult::resigned:
            return "resigned";
        case EndResult::forfeited:
            return "forfeited";
        case EndResult::abandoned:
            return "abandoned";
    }
    return "abandoned";
}

RecordEnd finishedGameEnd(const Referee& referee) {
    RecordEnd end;
    end.winner = gameWinner(referee.state);
    end.result = end.winner < 0 ? EndResult::drawn : EndResult::won;
    end.scores = scoresOf(referee.state);
    end.moves = referee.movesMade();
    return end;
}

RecordEnd abandonedGameEnd(const Referee& referee) {
    RecordEnd end;
    end.result = EndResult::abandoned;
    end.scores = scoresOf(referee.state);
    end.moves = referee.movesMade();
    return end;
}

Json outcomeToJson(const MoveOutcome& o) {
    Json j;
    j["leftField"] = o.leftField;
    j["foodEaten"] = o.foodEaten;
    j["battleStarted"] = o.battleStarted;
    j["lostAtOnce"] = o.lostAtOnce;
    j["joinedBattle"] = o.joinedBattle;
    j["battleDecided"] = o.battleDecided;
    j["exhausted"] = o.exhausted;
    j["couldNotMove"] = o.couldNotMove;
    j["teleported"] = o.teleported;
    j["enemyPlayer"] = o.enemyPlayer;
    j["enemyAnt"] = o.enemyAnt;
    j["winner"] = o.winner;
    j["winnerAnts"] = ids(o.winnerAnts);
    j["losers"] = sides(o.losers);
    return j;
}

namespace {

class Fnv1a {
public:
    void add(std::int64_t value) {
        auto bits = static_cast<std::uint64_t>(value);
        for (int i = 0; i < 8; ++i) {
            hash_ = (hash_ ^ (bits & 0xFF)) * 0x100000001B3ull;
            bits >>= 8;
        }
    }
    std::string hex() const {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_));
        return text;
    }

private:
    std::uint64_t hash_ = 0xCBF29CE484222325ull;
};

}  // namespace

std::string stateDigest(const GameState& state) {
    Fnv1a h;
    for (const auto& [id, p] : state.players) {
        h.add(id);
        h.add(p.score);
        h.add(p.moveCount);
        for (const auto& [antId, a] : p.ants) {
            h.add(antId);
            h.add(a.x);
            h.add(a.y);
            h.add(a.movesLeft);
            h.add(a.dead | a.fighting << 1 | a.killed << 2 | a.leftField << 3);
        }
    }
    for (const auto& [cell, present] : state.food) {
        h.add(cell.x);
        h.add(cell.y);
        h.add(present);
    }
    for (const auto& [entry, exit] : state.portalEntries) {
        h.add(entry.x);
        h.add(entry.y);
        h.add(exit.x);
        h.add(exit.y);
    }
    for (const auto& [cell, b] : state.battles) {
        h.add(cell.x);
        h.add(cell.y);
        h.add(b.endMove);
        h.add(b.decided);
        h.add(b.leader);
        for (const auto& [player, ants] : b.participants) {
            h.add(player);
            for (const AntId a : ants) h.add(a);
        }
    }
    return h.hex();
}

// ---- writing ----

RecordWriter::RecordWriter(const std::filesystem::path& directory, RecordHeader header)
    : header_(std::move(header)) {
    if (header_.date.empty()) header_.date = utcNow();
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error)
        throw RecordError("cannot create the records folder " + directory.string() + ": " +
                          error.message());
    const std::string stem = compactDate(header_.date) + "-" + header_.program + "-seed" +
                             std::to_string(header_.seed) + "-game" + std::to_string(header_.game);
    // "x": created new or not at all, so two games finishing in one second keep both files.
    for (int attempt = 1; file_ == nullptr; ++attempt) {
        // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on "-" + a string.
        std::string name = stem;
        if (attempt > 1) name.append(1, '-').append(std::to_string(attempt));
        path_ = directory / name.append(".jsonl");
        file_ = std::fopen(path_.c_str(), "wx");
        if (file_ == nullptr && (errno != EEXIST || attempt >= 1000))
            throw RecordError("cannot create the record " + path_.string() + ": " +
                              std::strerror(errno));
    }
    Json sideList = Json::array();
    for (const RecordSide& side : header_.sides)
        sideList.push_back(Json{{"name", side.name}, {"kind", side.kind}});
    writeLine(Json{{"type", "header"},
                   {"format", recordFormatName},
                   {"version", header_.version},
                   {"program", header_.program},
                   {"programVersion", header_.programVersion},
                   {"date", header_.date},
                   {"rules", rulesToJson(header_.rules)},
                   {"seed", header_.seed},
                   {"game", header_.game},
                   {"sides", sideList},
                   {"random", positionJson(header_.random)},
                   {"startingPlayer", header_.startingPlayer}});
}

RecordWriter::~RecordWriter() {
    if (file_ != nullptr) std::fclose(file_);
}

void RecordWriter::writeLine(const Json& line) {
    if (file_ == nullptr)
        throw RecordError("record " + path_.string() + ": written to after its closing line");
    const std::string text = line.dump() + "\n";
    // Flushed line by line: a process that dies mid-game leaves every move made so far.
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0)
        throw RecordError("cannot write the record " + path_.string() + ": " +
                          std::strerror(errno));
}

void RecordWriter::move(PlayerId player, AntId ant, Direction direction, RandomPosition before,
                        const MoveOutcome& outcome, const GameState& after) {
    const std::string digest = stateDigest(after);
    writeLine(Json{{"type", "move"},
                   {"n", moves_},
                   {"player", player},
                   {"ant", ant},
                   {"dir", Json::array({direction.dx, direction.dy})},
                   {"random", positionJson(before)},
                   {"outcome", outcomeToJson(outcome)},
                   {"digest", digest}});
    ++moves_;
}

void RecordWriter::finish(const RecordEnd& end) {
    Json line{{"type", "end"}, {"result", endResultName(end.result)}, {"winner", end.winner}};
    if (end.loser >= 0) line["loser"] = end.loser;
    line["scores"] = end.scores;
    line["moves"] = end.moves;
    writeLine(line);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed)
        throw RecordError("cannot write the record " + path_.string() + ": " +
                          std::strerror(errno));
}

// ---- reading ----

GameRecord readRecord(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw RecordError("record " + file.string() + ": cannot be read");
    return readRecord(in, file.string());
}

GameRecord readRecord(std::istream& in, const std::string& source) {
    GameRecord record;
    record.source = source;
    std::string text;
    std::size_t lineNumber = 0;
    bool ended = false;
    while (std::getline(in, text)) {
        ++lineNumber;
        // getline at the end of the stream without a newline: the last line was cut short.
        if (in.eof())
            throw RecordError("record " + source + " line " + std::to_string(lineNumber) +
                              ": the line is cut short (no line end): the file is truncated");
        const Json object = Json::parse(text, nullptr, false);
        const LineReader r(source, lineNumber, object);
        if (object.is_discarded() || !object.is_object())
            r.refuse(lineNumber == 1 ? "not a Veltrix game record (the line is not a JSON object)"
                                     : "the line is not a JSON object");
        if (lineNumber == 1) {
            record.header = readHeader(r, source);
            continue;
        }
        if (ended) r.refuse("a line after the closing line");
        const std::string type = r.text("type");
        if (type == "move") {
            record.moves.push_back(readMove(r, static_cast<std::int32_t>(record.moves.size())));
        } else if (type == "end") {
            record.end = readEnd(r, record.header);
            if (record.end.moves != static_cast<std::int32_t>(record.moves.size()))
                r.refuse("the closing line counts " + std::to_string(record.end.moves) +
                         " moves, the file holds " + std::to_string(record.moves.size()));
            ended = true;
        } else {
            r.refuse("unknown line type \"" + type + "\"");
        }
    }
    if (lineNumber == 0) throw RecordError("record " + source + ": the file is empty");
    if (!ended)
        throw RecordError("record " + source + " line " + std::to_string(lineNumber + 1) +
                          ": the closing line is missing: the file is truncated");
    return record;
}

// ---- replaying ----

namespace {

void advance(GameRandom& random, RandomPosition to, const std::string& where) {
    try {
        random.advanceTo(to.draws, to.realDraws);
    } catch (const std::logic_error& e) {
        throw RecordError(where + ": the random position goes backwards: " + e.what());
    }
}

GameRandom startingRandom(const GameRecord& record) {
    GameRandom random(record.header.seed);
    advance(random, record.header.random, "record " + record.source + " line 1");
    return random;
}

// Rules that read well may still leave no room for the food: the set-up refuses them.
Referee setUp(const GameRecord& record, GameRandom& random) {
    try {
        return Referee(record.header.startingPlayer, record.header.rules, random);
    } catch (const std::exception& e) {
        throw RecordError("record " + record.source +
                          " line 1: the game cannot be set up: " + e.what());
    }
}

}  // namespace

RecordReplay::RecordReplay(const GameRecord& record)
    : record_(&record), random_(startingRandom(record)), referee_(setUp(record, random_)) {}

MoveOutcome RecordReplay::next() {
    const RecordMove& m = peek();
    // Line 1 is the header, so move n is on line n + 2.
    const std::string where = "record " + record_->source + " line " + std::to_string(m.n + 2) +
                              " (move " + std::to_string(m.n) + ")";
    advance(random_, m.random, where);
    MoveOutcome outcome;
    try {
        outcome = VX3D::makeMove(referee_, m.player, m.ant, m.direction, random_);
    } catch (const std::exception& e) {
        throw RecordError(where + ": the rules refuse the move: " + e.what());
    }
    ++next_;
    const Json replayed = outcomeToJson(outcome);
    if (replayed != m.outcome)
        throw RecordError(where + ": the outcome differs: recorded " + m.outcome.dump() +
                          ", replayed " + replayed.dump());
    const std::string digest = stateDigest(referee_.state);
    if (digest != m.digest)
        throw RecordError(where + ": the field after the move differs (digest recorded " +
                          m.digest + ", replayed " + digest + ")");
    return outcome;
}

Verification verifyRecord(const GameRecord& record) {
    Verification v;
    v.moves = static_cast<std::int32_t>(record.moves.size());
    try {
        RecordReplay replay(record);
        while (!replay.done()) {
            v.move = replay.peek().n;
            replay.next();
        }
        v.move = -1;
        const Referee& referee = replay.referee();
        const RecordEnd& end = record.end;
        const std::string where =
            "record " + record.source + " line " + std::to_string(record.moves.size() + 2);
        if (scoresOf(referee.state) != end.scores)
            throw RecordError(where + ": the final scores differ from the replay's");
        const bool over = isGameOver(referee);
        if (end.result == EndResult::won || end.result == EndResult::drawn) {
            if (!over) throw RecordError(where + ": the game is not over after the last move");
            const RecordEnd expected = finishedGameEnd(referee);
            if (expected.result != end.result || expected.winner != end.winner)
                throw RecordError(where + ": the result differs from the replay's (" +
                                  endResultName(expected.result) + ", winner " +
                                  std::to_string(expected.winner) + ")");
        } else if (end.result == EndResult::abandoned && end.winner != -1) {
            throw RecordError(where + ": an abandoned game has no winner");
        } else if ((end.result == EndResult::resigned || end.result == EndResult::forfeited) &&
                   (end.loser < 0 || end.loser >= referee.options.players || end.winner < 0 ||
                    end.winner == end.loser)) {
            throw RecordError(where + ": a game " + endResultName(end.result) +
                              " names a loser and another player as the winner");
        }
        v.ok = true;
    } catch (const RecordError& e) {
        v.message = e.what();
    }
    return v;
}

}  // namespace Veltrix
