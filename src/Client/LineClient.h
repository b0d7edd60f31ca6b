#pragma once
// A client's connection to a match server: whole lines out, whole lines in, every
// wait bounded. Built on its own Asio context so that a caller (a test, a tool)
// needs no event loop of its own.

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/streambuf.hpp>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace Veltrix::Client {

class LineClient {
public:
    // Raises std::runtime_error naming host and port when no connection is made
    // within the timeout.
    LineClient(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout);

    // Writes the line (newline included); false when the connection is gone or
    // the write did not finish within the timeout.
    bool send(const std::string& line, std::chrono::milliseconds timeout);
    // The next line without its newline; nothing when the server closed the
    // connection (closed() is true then) or no line came within the timeout.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    bool closed() const { return closed_; }
    // Drops the connection at once (a client that vanishes mid-match).
    void close();

private:
    // Runs the context until `done` or the timeout; cancels what is pending on timeout.
    bool runUntil(const bool& done, std::chrono::milliseconds timeout);

    boost::asio::io_context io_;
    boost::asio::ip::tcp::socket socket_;
    boost::asio::streambuf buffer_;
    bool closed_ = false;
};

}  // namespace Veltrix::Client
