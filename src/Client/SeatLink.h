#pragma once
// One seat's connection to a match server for a program with a frame loop: nothing here
// blocks. The link runs on its own Asio context, which the frame loop polls once a frame;
// whole messages wait in a queue until the frame loop takes them. A connection lost after the
// server gave the seat is resumed with the seat's code and token, retrying with a growing
// pause for as long as the server keeps a dropped seat.

#include "Protocol/Messages.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/streambuf.hpp>

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace Veltrix::Client {

struct SeatRequest {
    std::string host = "127.0.0.1";
    std::uint16_t port = 7311;
    std::string name;
    enum class Kind { newHuman, newComputer, join, resume } kind = Kind::newHuman;
    std::string code;   // join and resume
    std::string token;  // resume
    // How long a lost seat is tried again: the server keeps it this long (its default).
    std::chrono::seconds resumeWindow{60};
};

class SeatLink {
public:
    enum class State {
        connecting,    // the first connection is being made
        open,          // connected; messages flow
        reconnecting,  // the connection was lost; the seat is being resumed
        closed,        // closed by finish() after the match ended
        failed         // never connected, refused, or the seat could not be resumed
    };

    explicit SeatLink(SeatRequest request);
    ~SeatLink();
    SeatLink(const SeatLink&) = delete;
    SeatLink& operator=(const SeatLink&) = delete;

    // Runs whatever is ready (connects, reads, writes, retries) and returns at once.
    void poll();
    // The next whole message from the server, in order.
    std::optional<Protocol::ServerMessage> take();
    // Queued and written as the socket allows; dropped while no connection is open.
    void send(const Protocol::ClientMessage& message);
    // The match is over (or refused): the connection is closed and never resumed.
    void finish();

    State state() const { return state_; }
    // Why the link is reconnecting or failed, naming the server.
    const std::string& trouble() const { return trouble_; }
    bool everConnected() const { return everConnected_; }
    // The seat as the server gave it ("match"): empty before that.
    const std::string& code() const { return request_.code; }
    const std::string& token() const { return request_.token; }
    std::string where() const;

private:
    void connect();
    void readNext();
    void writeNext();
    void lost(const std::string& why);
    void fail(const std::string& why);
    void closeSocket();

    SeatRequest request_;
    boost::asio::io_context io_;
    boost::asio::ip::tcp::socket socket_;
    boost::asio::steady_timer retry_;
    boost::asio::streambuf buffer_;
    std::deque<std::string> outgoing_;
    std::deque<Protocol::ServerMessage> incoming_;
    bool writing_ = false;
    State state_ = State::connecting;
    std::string trouble_;
    bool everConnected_ = false;
    bool seatGiven_ = false;
    bool matchOver_ = false;
    // Counts connections, so handlers of an earlier one do nothing once it was replaced.
    unsigned generation_ = 0;
    std::chrono::milliseconds pause_{250};
    std::chrono::steady_clock::time_point lostAt_{};
};

}  // namespace Veltrix::Client
