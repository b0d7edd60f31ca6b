#pragma once
// The match server: accepts connections, reads their lines, keeps the matches
// and ends them. One event-loop thread runs all of it (Boost.Asio coroutines), so
// matches and connections are plain objects that never lock.

#include "Match.h"
#include "Records/GameRecord.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace Veltrix::Server {

struct ServerConfig {
    std::string bind = "127.0.0.1";
    std::uint16_t port = 7311;  // 0: the operating system picks one
    std::filesystem::path records = "records";
    std::int32_t maxMatches = 1000;
    std::chrono::seconds resume{60};
    std::chrono::seconds idle{600};
};

class Connection;

class Server {
public:
    // Binds at once; raises boost::system::system_error when the address cannot be bound.
    Server(boost::asio::io_context& io, ServerConfig config, RuleOptions rules, std::ostream& out,
           std::ostream& err);
    ~Server();

    // The port actually bound (what --port 0 chose).
    std::uint16_t port() const;
    // Starts accepting; the work runs in io.run().
    void start();
    // Stops accepting, tells every client the server is going away, ends every
    // unfinished match as abandoned and lets io.run() return once the goodbyes are out.
    void shutdown();

    // Called after every move of every match (tests look at the referee through it).
    std::function<void(const Match&, const MoveMade&)> onMove;

private:
    friend class Connection;

    // What a connection's requests turn into; the answers go to the connection.
    void newMatch(const std::shared_ptr<Connection>& connection, bool computer);
    void join(const std::shared_ptr<Connection>& connection, const std::string& code);
    void resume(const std::shared_ptr<Connection>& connection, const std::string& code,
                const std::string& token);
    // After the end of match `ended`, where the connection held `seat` (held by value: the
    // connection lets go of it here).
    void rematch(const std::shared_ptr<Connection>& connection, std::shared_ptr<Match> ended,
                 std::int32_t seat);
    void closed(Connection* connection);

    // Why no match can be opened now (shutting down, full); empty when one can.
    std::string cannotOpen() const;
    std::shared_ptr<Match> openMatch();

    std::shared_ptr<Match> findMatch(const std::string& code) const;
    std::string newCode() const;
    void matchEnded(Match& match);

    // Every match's game record, written as it goes (ServerRecords.cpp).
    void startRecord(const Match& match);
    void recordMove(const Match& match, const MoveMade& move);
    // The record's path, or empty when it could not be written (said on stderr).
    std::string finishRecord(const Match& match);

    boost::asio::io_context& io_;
    ServerConfig config_;
    RuleOptions rules_;
    nlohmann::json rulesJson_;
    std::ostream& out_;
    std::ostream& err_;
    boost::asio::ip::tcp::acceptor acceptor_;
    std::map<std::string, std::shared_ptr<Match>> matches_;
    std::set<Connection*> connections_;
    std::map<std::string, std::unique_ptr<RecordWriter>> records_;
    bool stopping_ = false;
};

// A match code: 40 bits from the operating system's random source in a
// 32-letter alphabet without look-alike letters, read out as "K7QX-2M9P".
std::string makeMatchCode();
// The code as typed by a person (any case, with or without the dash, O for 0, I or L for 1).
std::string normaliseMatchCode(const std::string& typed);
// A seat token: 128 bits from the operating system's random source, in hex.
std::string makeSeatToken();
std::uint32_t osRandom32();

}  // namespace Veltrix::Server
