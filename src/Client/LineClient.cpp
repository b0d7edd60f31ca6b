#include "LineClient.h"

#include "Protocol/Messages.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/write.hpp>

#include <stdexcept>

namespace Veltrix::Client {

namespace asio = boost::asio;
using asio::ip::tcp;

LineClient::LineClient(const std::string& host, std::uint16_t port,
                       std::chrono::milliseconds timeout)
    : socket_(io_), buffer_(Protocol::maxLineBytes) {
    boost::system::error_code error;
    const auto endpoints = tcp::resolver(io_).resolve(host, std::to_string(port), error);
    bool done = false;
    if (!error)
        asio::async_connect(socket_, endpoints, [&](boost::system::error_code e, const auto&) {
            error = e;
            done = true;
        });
    if (!error && !runUntil(done, timeout)) error = asio::error::timed_out;
    // Every message is one small write that the other side waits for.
    if (!error) socket_.set_option(tcp::no_delay(true), error);
    if (error)
        throw std::runtime_error("cannot connect to " + host + ":" + std::to_string(port) + ": " +
                                 error.message());
}

bool LineClient::runUntil(const bool& done, std::chrono::milliseconds timeout) {
    io_.restart();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done && std::chrono::steady_clock::now() < deadline && !io_.stopped())
        io_.run_one_until(deadline);
    if (done) return true;
    // Let the cancelled operation finish so nothing refers to this frame afterwards.
    boost::system::error_code ignored;
    socket_.cancel(ignored);
    io_.restart();
    while (!done) io_.run_one();
    return false;
}

bool LineClient::send(const std::string& line, std::chrono::milliseconds timeout) {
    if (closed_) return false;
    bool done = false;
    boost::system::error_code error;
    asio::async_write(socket_, asio::buffer(line), [&](boost::system::error_code e, std::size_t) {
        error = e;
        done = true;
    });
    const bool finished = runUntil(done, timeout);
    if (finished && !error) return true;
    if (error && error != asio::error::operation_aborted) closed_ = true;
    return false;
}

std::optional<std::string> LineClient::readLine(std::chrono::milliseconds timeout) {
    if (closed_) return std::nullopt;
    bool done = false;
    boost::system::error_code error;
    std::size_t length = 0;
    asio::async_read_until(socket_, buffer_, '\n', [&](boost::system::error_code e, std::size_t n) {
        error = e;
        length = n;
        done = true;
    });
    if (!runUntil(done, timeout) || error == asio::error::operation_aborted) return std::nullopt;
    if (error) {
        closed_ = true;
        return std::nullopt;
    }
    const auto begin = asio::buffers_begin(buffer_.data());
    std::string line(begin, begin + static_cast<std::ptrdiff_t>(length - 1));
    buffer_.consume(length);
    return line;
}

void LineClient::close() {
    boost::system::error_code ignored;
    socket_.close(ignored);
    closed_ = true;
}

}  // namespace Veltrix::Client
