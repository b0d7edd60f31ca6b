// The match server over real loopback sockets (127.0.0.1, ports the system picks):
// whole matches between headless clients and against the computer with every byte a
// seat receives checked against the referee's state move by move; seats, resume and
// forfeit; bad input while another match plays on; the program's stop signal. Every
// match leaves a record that must verify.

// Asio 1.74's awaitable.hpp uses std::exchange without including <utility>.
#include <utility>

#include "Client/Headless.h"
#include "Client/LineClient.h"
#include "Records/GameRecord.h"
#include "Server.h"

#include <boost/asio/post.hpp>
#include <boost/process.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <filesystem>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

using namespace Veltrix;
using namespace std::chrono_literals;
using nlohmann::json;
namespace fs = std::filesystem;

namespace {

RuleOptions shippedRules() {
    return RuleOptions(std::string(VX_GAME_DIR) + "/VX.conf");
}

// A scratch folder for one test's records, removed afterwards.
struct ScratchFolder {
    fs::path path;
    ScratchFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = fs::temp_directory_path() / (std::string("vx_server_") + info->name());
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~ScratchFolder() { fs::remove_all(path); }
    std::vector<fs::path> files() const {
        std::vector<fs::path> all;
        for (const auto& entry : fs::directory_iterator(path)) all.push_back(entry.path());
        return all;
    }
};

// Where every ant truly stands and what each seat truly sees, after a number of moves.
struct Truth {
    std::array<std::map<AntId, Position>, 2> ants;
    std::array<OrderedSet<Position>, 2> visible;
};

Truth truthOf(const GameState& state) {
    Truth t;
    for (PlayerId p = 0; p < 2; ++p) {
        const Player& player = state.players.at(p);
        for (const auto& [id, ant] : player.ants) t.ants[p][id] = ant.position();
        t.visible[p] = player.visible;
    }
    return t;
}

// The server on a thread of its own, as veltrix-server runs it, with the referee's
// state taken after every move of every match.
class RunningServer {
public:
    explicit RunningServer(Server::ServerConfig config, const RuleOptions& rules = shippedRules())
        : server_(io_, withLoopback(std::move(config)), rules, out_, err_) {
        GameState initial;
        for (PlayerId p = 0; p < 2; ++p) initial.players[p] = Player(p, rules);
        initial_ = truthOf(initial);
        server_.onMove = [this](const Server::Match& match, const Server::MoveMade&) {
            std::lock_guard lock(mutex_);
            auto& moves = truth_[match.code()];
            if (moves.empty()) moves.push_back(initial_);
            moves.push_back(truthOf(match.referee().state));
        };
        port_ = server_.port();
        server_.start();
        thread_ = std::thread([this] { io_.run(); });
    }
    ~RunningServer() { stop(); }

    std::uint16_t port() const { return port_; }
    // Index n: after n moves of the match.
    std::vector<Truth> truth(const std::string& code) {
        std::lock_guard lock(mutex_);
        return truth_[code];
    }
    // Stops as a signal would; the output may be read afterwards.
    void stop() {
        if (!thread_.joinable()) return;
        boost::asio::post(io_, [this] { server_.shutdown(); });
        thread_.join();
    }
    std::string output() const { return out_.str(); }

private:
    static Server::ServerConfig withLoopback(Server::ServerConfig config) {
        config.bind = "127.0.0.1";
        config.port = 0;
        return config;
    }

    boost::asio::io_context io_;
    std::ostringstream out_;
    std::ostringstream err_;
    Server::Server server_;
    std::uint16_t port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    Truth initial_;
    std::map<std::string, std::vector<Truth>> truth_;
};

Server::ServerConfig config(const ScratchFolder& records) {
    Server::ServerConfig c;
    c.records = records.path;
    return c;
}

// One client speaking raw lines, every read bounded.
class Raw {
public:
    explicit Raw(std::uint16_t port) : client_("127.0.0.1", port, 5s) {}
    void send(const std::string& line) { EXPECT_TRUE(client_.send(line + "\n", 5s)) << line; }
    // The next message of this type (others skipped); null when the connection
    // closed or nothing came in time.
    json next(const std::string& type) {
        while (auto line = client_.readLine(10s)) {
            json message = json::parse(*line);
            if (message["type"] == type) return message;
        }
        return json();
    }
    std::string refusal(const std::string& line) {
        send(line);
        const json error = next("error");
        return error.is_null() ? "(no error)" : error["message"].get<std::string>();
    }
    // Reads until the server closes the connection; false when it stays open.
    bool closedByServer() {
        for (int i = 0; i < 100000 && client_.readLine(10s); ++i) {
        }
        return client_.closed();
    }
    void drop() { client_.close(); }

private:
    Client::LineClient client_;
};

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Every line a seat received, held against the truth: only the fields the protocol
// names, its own ants and visible cells as they are, and no enemy ant anywhere but
// where one truly stood on a cell the seat saw at that time (or in the first
// round, when every ant is shown).
void expectFogHeld(const std::vector<std::string>& lines, PlayerId seat,
                   const std::vector<Truth>& truth) {
    static const std::map<std::string, std::set<std::string>> fields = {
        {"match", {"type", "code", "seat", "token"}},
        {"start", {"type", "seat", "rules", "names"}},
        {"view",
         {"type", "seat", "move", "turn", "scores", "moveCount", "ants", "visible", "known",
          "enemies"}},
        {"moved", {"type", "seat", "move", "seen"}},
        {"end", {"type", "result", "reason", "scores", "moves"}},
        {"error", {"type", "message"}}};
    const PlayerId enemy = 1 - seat;
    const auto sawThere = [&](AntId id, Position p, std::int32_t upTo) {
        for (std::int32_t k = 0; k <= upTo && k < static_cast<std::int32_t>(truth.size()); ++k)
            if (truth[k].ants[enemy].at(id) == p && (k < 2 || truth[k].visible[seat].contains(p)))
                return true;
        return false;
    };
    int views = 0;
    for (const std::string& line : lines) {
        const json m = json::parse(line);
        const std::string type = m.at("type");
        const bool ownMove = type == "moved" && m.at("seat") == seat;
        for (const auto& [key, value] : m.items())
            if (!ownMove) {
                EXPECT_TRUE(fields.at(type).contains(key)) << "field " << key << " in " << line;
            }
        if (type == "view") {
            ++views;
            const std::int32_t move = m.at("move");
            ASSERT_LT(move, static_cast<std::int32_t>(truth.size()));
            const Truth& now = truth[move];
            OrderedSet<Position> visible;
            for (const json& c : m.at("visible")) visible.insert({c[0], c[1]});
            EXPECT_EQ(visible, now.visible[seat]) << "visible cells after move " << move;
            for (const json& a : m.at("ants"))
                EXPECT_EQ((Position{a.at("x"), a.at("y")}), now.ants[seat].at(a.at("id")));
            for (const json& e : m.at("enemies"))
                EXPECT_TRUE(sawThere(e.at("id"), {e.at("x"), e.at("y")}, move))
                    << "seat " << seat << " told of an enemy ant it never saw: " << e.dump();
        } else if (type == "moved" && !ownMove && m.contains("seen")) {
            const json& s = m.at("seen");
            const Position p{s.at("x"), s.at("y")};
            const Truth& now = truth.at(m.at("move").get<std::size_t>());
            EXPECT_TRUE(now.visible[seat].contains(p) && now.ants[enemy].at(s.at("id")) == p)
                << "seat " << seat << " told of a move it cannot see: " << line;
        }
    }
    EXPECT_EQ(views, static_cast<int>(truth.size())) << "one view after the start and each move";
}

void expectRecordVerifies(const fs::path& file, EndResult result) {
    const GameRecord record = readRecord(file);
    const Verification verification = verifyRecord(record);
    EXPECT_TRUE(verification.ok) << file << ": " << verification.message;
    EXPECT_EQ(record.end.result, result) << file;
}

}  // namespace

TEST(ServerMatch, TwoHeadlessClients_PlayToTheEndSeeingOnlyTheirOwnAnts) {
    ScratchFolder records;
    RunningServer server(config(records));
    std::promise<std::string> code;
    std::vector<std::string> lines[2];
    Client::HeadlessResult results[2];
    std::jthread first([&] {
        Client::HeadlessSeat seat;
        seat.port = server.port();
        seat.name = "ann";
        seat.mode = Client::HeadlessSeat::Mode::newHuman;
        seat.patience = 20s;
        bool told = false;
        results[0] = Client::playHeadless(seat, [&](const std::string& line) {
            lines[0].push_back(line);
            if (!told) code.set_value(json::parse(line).value("code", ""));
            told = true;
        });
        if (!told) code.set_value("");
    });
    auto future = code.get_future();
    ASSERT_EQ(future.wait_for(10s), std::future_status::ready);
    const std::string matchCode = future.get();
    Client::HeadlessSeat seat;
    seat.port = server.port();
    seat.name = "bob";
    seat.mode = Client::HeadlessSeat::Mode::join;
    // Typed as a person would read it out: lower case, no dash.
    for (const char c : matchCode)
        if (c != '-') seat.code += static_cast<char>(std::tolower(c));
    seat.seed = 2;
    seat.patience = 20s;
    results[1] =
        Client::playHeadless(seat, [&](const std::string& line) { lines[1].push_back(line); });
    first.join();

    for (int s = 0; s < 2; ++s) {
        ASSERT_TRUE(results[s].end) << "seat " << s << ": " << results[s].failure;
        EXPECT_EQ(results[s].seat, s);
        EXPECT_TRUE(results[s].end->reason == "won" || results[s].end->reason == "drawn");
    }
    const auto& a = *results[0].end;
    const auto& b = *results[1].end;
    EXPECT_EQ(a.scores, b.scores);
    EXPECT_TRUE((a.result == "win" && b.result == "lose") ||
                (a.result == "lose" && b.result == "win") ||
                (a.result == "draw" && b.result == "draw"));
    const auto truth = server.truth(matchCode);
    ASSERT_EQ(static_cast<std::int32_t>(truth.size()), a.moves + 1);
    expectFogHeld(lines[0], 0, truth);
    expectFogHeld(lines[1], 1, truth);

    server.stop();
    ASSERT_EQ(records.files().size(), 1u);
    expectRecordVerifies(records.files()[0],
                         a.result == "draw" ? EndResult::drawn : EndResult::won);
    const GameRecord record = readRecord(records.files()[0]);
    EXPECT_EQ(record.header.sides[0].name, "ann");
    EXPECT_EQ(record.header.sides[1].name, "bob");
}

TEST(ServerMatch, Rematch_BothAskAndPlayAgainOnTheSameConnections_OthersAreRefused) {
    ScratchFolder records;
    RunningServer server(config(records));
    std::promise<std::string> code;
    Client::HeadlessResult results[2];
    std::jthread first([&] {
        Client::HeadlessSeat seat;
        seat.port = server.port();
        seat.name = "ann";
        seat.mode = Client::HeadlessSeat::Mode::newHuman;
        seat.matches = 2;
        seat.patience = 20s;
        bool told = false;
        results[0] = Client::playHeadless(seat, [&](const std::string& line) {
            if (!told) code.set_value(json::parse(line).value("code", ""));
            told = true;
        });
        if (!told) code.set_value("");
    });
    auto future = code.get_future();
    ASSERT_EQ(future.wait_for(10s), std::future_status::ready);
    Client::HeadlessSeat seat;
    seat.port = server.port();
    seat.name = "bob";
    seat.mode = Client::HeadlessSeat::Mode::join;
    seat.code = future.get();
    seat.seed = 2;
    seat.matches = 2;
    seat.patience = 20s;
    results[1] = Client::playHeadless(seat, nullptr);
    first.join();
    for (int s = 0; s < 2; ++s) {
        EXPECT_EQ(results[s].ended, 2) << "seat " << s << ": " << results[s].failure;
        EXPECT_EQ(results[s].seat, s) << "each keeps its seat";
        EXPECT_NE(results[s].code, seat.code) << "the rematch is a match of its own";
    }
    EXPECT_EQ(results[0].code, results[1].code);

    // Asked for too early, twice, or of an opponent who then hangs up.
    Raw ann(server.port());
    Raw bob(server.port());
    ann.send(R"({"type":"hello","protocol":1,"name":"ann"})");
    bob.send(R"({"type":"hello","protocol":1,"name":"bob"})");
    EXPECT_EQ(ann.refusal(R"({"type":"rematch"})"), "no ended match to play again");
    ann.send(R"({"type":"new","opponent":"human"})");
    bob.send(R"({"type":"join","code":")" + ann.next("match")["code"].get<std::string>() + "\"}");
    ASSERT_FALSE(bob.next("view").is_null());
    EXPECT_EQ(ann.refusal(R"({"type":"rematch"})"), "the match is not over yet");
    ann.send(R"({"type":"resign"})");
    ASSERT_FALSE(bob.next("end").is_null());
    bob.send(R"({"type":"rematch"})");
    EXPECT_EQ(bob.refusal(R"({"type":"rematch"})"), "you already asked for a rematch");
    ann.drop();
    EXPECT_EQ(bob.next("error").value("message", ""), "opponent left");

    server.stop();
    // Two played matches and the resigned one, each with its own record.
    ASSERT_EQ(records.files().size(), 3u);
    for (const fs::path& file : records.files()) {
        const GameRecord record = readRecord(file);
        EXPECT_TRUE(verifyRecord(record).ok) << file;
        EXPECT_EQ(record.header.sides[0].name, "ann") << file;
        EXPECT_EQ(record.header.sides[1].name, "bob") << file;
    }
}

TEST(ServerMatch, AgainstTheComputer_EveryByteToTheSeatHoldsTheFog) {
    ScratchFolder records;
    RunningServer server(config(records));
    std::vector<std::string> lines;
    Client::HeadlessSeat seat;
    seat.port = server.port();
    seat.patience = 20s;
    const auto result =
        Client::playHeadless(seat, [&](const std::string& line) { lines.push_back(line); });
    ASSERT_TRUE(result.end) << result.failure;
    expectFogHeld(lines, 0, server.truth(result.code));
    server.stop();
    EXPECT_TRUE(has(server.output(), "match " + result.code + " started: headless vs computer"));
    ASSERT_EQ(records.files().size(), 1u);
    expectRecordVerifies(records.files()[0],
                         result.end->result == "draw" ? EndResult::drawn : EndResult::won);
}

TEST(ServerSeats, ThirdClientAndForeignMoves_RefusedDroppedSeat_ResumesThenForfeits) {
    ScratchFolder records;
    auto c = config(records);
    c.resume = 1s;
    RunningServer server(c);
    Raw ann(server.port());
    ann.send(R"({"type":"hello","protocol":1,"name":"ann"})");
    ann.send(R"({"type":"new","opponent":"human"})");
    const json seat0 = ann.next("match");
    ASSERT_FALSE(seat0.is_null());
    const std::string code = seat0["code"];
    Raw bob(server.port());
    bob.send(R"({"type":"hello","protocol":1,"name":"bob"})");
    bob.send(json({{"type", "join"}, {"code", code}}).dump());
    ASSERT_EQ(bob.next("match")["seat"], 1);
    ASSERT_EQ(bob.next("view")["turn"], 0);

    Raw eve(server.port());
    eve.send(R"({"type":"hello","protocol":1,"name":"eve"})");
    EXPECT_TRUE(has(eve.refusal(json({{"type", "join"}, {"code", code}}).dump()), "no free seat"));
    EXPECT_TRUE(has(eve.refusal(json({{"type", "resume"}, {"code", code}, {"token", "0"}}).dump()),
                    "holds no seat"));
    EXPECT_TRUE(has(eve.refusal(R"({"type":"move","ant":0,"dx":1,"dy":0})"), "hold no seat"));
    EXPECT_TRUE(has(bob.refusal(R"({"type":"move","ant":0,"dx":1,"dy":0})"), "not your turn"));

    // Ann's connection drops and she comes back within the window on a new one.
    ann.drop();
    Raw again(server.port());
    again.send(R"({"type":"hello","protocol":1,"name":"ann"})");
    again.send(json({{"type", "resume"}, {"code", code}, {"token", seat0["token"]}}).dump());
    EXPECT_EQ(again.next("match")["seat"], 0);
    EXPECT_EQ(again.next("start")["seat"], 0);
    EXPECT_EQ(again.next("view")["turn"], 0);
    again.send(R"({"type":"move","ant":0,"dx":1,"dy":0})");
    EXPECT_EQ(bob.next("moved")["seat"], 0);

    // Now Bob vanishes on his turn and stays away past the window.
    bob.drop();
    const json end = again.next("end");
    EXPECT_EQ(end["result"], "win");
    EXPECT_EQ(end["reason"], "forfeited");
    server.stop();
    ASSERT_EQ(records.files().size(), 1u);
    expectRecordVerifies(records.files()[0], EndResult::forfeited);
}

TEST(ServerSeats, BadInput_RefusedOrCutOffWhileAnotherMatchPlaysToItsEnd) {
    ScratchFolder records;
    RunningServer server(config(records));
    Client::HeadlessResult other;
    std::jthread bystander([&] {
        Client::HeadlessSeat seat;
        seat.port = server.port();
        seat.name = "bystander";
        seat.patience = 20s;
        other = Client::playHeadless(seat, nullptr);
    });

    Raw mallory(server.port());
    EXPECT_TRUE(has(mallory.refusal(R"({"type":"move","ant":0,"dx":1,"dy":0})"), "hello first"));
    EXPECT_TRUE(has(mallory.refusal("not json {"), "not a JSON line"));
    EXPECT_TRUE(has(mallory.refusal("[1,2]"), "not a JSON object"));
    EXPECT_TRUE(has(mallory.refusal(R"({"type":"dance"})"), "unknown type \"dance\""));
    EXPECT_TRUE(has(mallory.refusal(R"({"type":"hello","protocol":1})"), "missing field \"name\""));
    mallory.send(R"({"type":"hello","protocol":1,"name":"mallory"})");
    mallory.send(R"({"type":"new","opponent":"computer"})");
    ASSERT_EQ(mallory.next("view")["turn"], 0);
    EXPECT_TRUE(has(mallory.refusal(R"({"type":"move","ant":0,"dx":2,"dy":0})"), "dx and dy"));
    EXPECT_TRUE(has(mallory.refusal(R"({"type":"move","ant":7,"dx":1,"dy":0})"), "no ant 7"));
    EXPECT_TRUE(
        has(mallory.refusal(R"({"type":"move","ant":"0","dx":1,"dy":0})"), "must be an integer"));
    // Ant 0 starts on the left edge: stepping left takes it off the field, and it dies.
    mallory.send(R"({"type":"move","ant":0,"dx":-1,"dy":0})");
    ASSERT_TRUE(mallory.next("moved")["outcome"]["leftField"]);
    json view;
    do view = mallory.next("view");
    while (!view.is_null() && view["turn"] != 0);
    EXPECT_TRUE(has(mallory.refusal(R"({"type":"move","ant":0,"dx":1,"dy":0})"), "is dead"));
    // A line longer than any message may be ends the connection.
    mallory.send(std::string(70000, 'x'));
    EXPECT_TRUE(has(mallory.next("error")["message"], "line longer than"));
    EXPECT_TRUE(mallory.closedByServer());

    // A flood of refused lines is cut off after a few.
    Raw flood(server.port());
    flood.send(R"({"type":"hello","protocol":1,"name":"flood"})");
    std::string burst;
    for (int i = 0; i < 500; ++i)
        burst += R"({"type":"resign"})"
                 "\n";
    flood.send(burst);
    EXPECT_TRUE(has(flood.next("error")["message"], "hold no seat"));
    EXPECT_TRUE(flood.closedByServer());

    bystander.join();
    ASSERT_TRUE(other.end) << other.failure;
    EXPECT_TRUE(other.end->reason == "won" || other.end->reason == "drawn");
    // And the server still serves.
    Raw late(server.port());
    late.send(R"({"type":"hello","protocol":1,"name":"late"})");
    late.send(R"({"type":"new","opponent":"computer"})");
    EXPECT_FALSE(late.next("start").is_null());
}

TEST(ServerProgram, Sigterm_TellsEveryClientAbandonsRunningMatchesAndExitsZero) {
    namespace bp = boost::process;
    ScratchFolder records;
    bp::ipstream output;
    bp::child server(std::string(VX_BIN_DIR) + "/veltrix-server", "--port", "0", "--rules",
                     std::string(VX_GAME_DIR) + "/VX.conf", "--records", records.path.string(),
                     bp::std_out > output);
    std::string line;
    ASSERT_TRUE(std::getline(output, line));
    ASSERT_EQ(line.rfind("listening on 127.0.0.1:", 0), 0u) << line;
    const auto port = static_cast<std::uint16_t>(std::stoi(line.substr(line.rfind(':') + 1)));

    Raw solo(port);
    solo.send(R"({"type":"hello","protocol":1,"name":"solo"})");
    solo.send(R"({"type":"new","opponent":"computer"})");
    ASSERT_FALSE(solo.next("view").is_null());
    Raw ann(port);
    ann.send(R"({"type":"hello","protocol":1,"name":"ann"})");
    ann.send(R"({"type":"new","opponent":"human"})");
    const json seat0 = ann.next("match");
    Raw bob(port);
    bob.send(R"({"type":"hello","protocol":1,"name":"bob"})");
    bob.send(json({{"type", "join"}, {"code", seat0["code"]}}).dump());
    ASSERT_FALSE(bob.next("view").is_null());

    // And one match still waiting for its second player.
    Raw lone(port);
    lone.send(R"({"type":"hello","protocol":1,"name":"lone"})");
    lone.send(R"({"type":"new","opponent":"human"})");
    ASSERT_FALSE(lone.next("match").is_null());

    ::kill(server.id(), SIGTERM);
    for (Raw* client : {&solo, &ann, &bob}) {
        EXPECT_EQ(client->next("end")["reason"], "abandoned");
        EXPECT_EQ(client->next("error")["message"], "server shutting down");
        EXPECT_TRUE(client->closedByServer());
    }
    EXPECT_EQ(lone.next("error")["message"], "server shutting down");
    EXPECT_TRUE(lone.closedByServer());
    ASSERT_TRUE(server.wait_for(10s));
    EXPECT_EQ(server.exit_code(), 0);
    ASSERT_EQ(records.files().size(), 3u);
    for (const auto& file : records.files()) expectRecordVerifies(file, EndResult::abandoned);
}
