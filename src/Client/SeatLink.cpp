#include "SeatLink.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/write.hpp>

#include <algorithm>
#include <memory>

namespace Veltrix::Client {

namespace asio = boost::asio;
using asio::ip::tcp;
using namespace Protocol;

namespace {
constexpr std::chrono::milliseconds longestPause{4000};
constexpr std::chrono::seconds connectTimeout{10};
}  // namespace

SeatLink::SeatLink(SeatRequest request)
    : request_(std::move(request)), socket_(io_), retry_(io_), buffer_(maxLineBytes) {
    connect();
}

SeatLink::~SeatLink() {
    closeSocket();
}

std::string SeatLink::where() const {
    return request_.host + ":" + std::to_string(request_.port);
}

void SeatLink::poll() {
    io_.restart();
    io_.poll();
}

std::optional<ServerMessage> SeatLink::take() {
    if (incoming_.empty()) return std::nullopt;
    ServerMessage message = std::move(incoming_.front());
    incoming_.pop_front();
    return message;
}

void SeatLink::send(const ClientMessage& message) {
    if (state_ != State::open) return;
    outgoing_.push_back(write(message));
    if (!writing_) writeNext();
}

void SeatLink::finish() {
    if (state_ == State::failed) return;
    state_ = State::closed;
    retry_.cancel();
    closeSocket();
}

void SeatLink::closeSocket() {
    ++generation_;
    boost::system::error_code ignored;
    socket_.close(ignored);
    writing_ = false;
    outgoing_.clear();
    buffer_.consume(buffer_.size());
}

void SeatLink::connect() {
    const unsigned generation = ++generation_;
    auto resolver = std::make_shared<tcp::resolver>(io_);
    // A connection that neither succeeds nor fails (a silent firewall) counts as lost.
    auto timer = std::make_shared<asio::steady_timer>(io_, connectTimeout);
    timer->async_wait([this, generation](boost::system::error_code e) {
        if (!e && generation == generation_)
            lost("no answer within " + std::to_string(connectTimeout.count()) + " s");
    });
    resolver->async_resolve(
        request_.host, std::to_string(request_.port),
        [this, generation, resolver, timer](boost::system::error_code e,
                                            tcp::resolver::results_type endpoints) {
            if (generation != generation_) return;
            if (e) {
                timer->cancel();
                lost(e.message());
                return;
            }
            asio::async_connect(socket_, endpoints,
                                [this, generation, timer](boost::system::error_code e, auto&&) {
                                    if (generation != generation_) return;
                                    timer->cancel();
                                    if (e) {
                                        lost(e.message());
                                        return;
                                    }
                                    boost::system::error_code ignored;
                                    // Every message is one small write the other side waits for.
                                    socket_.set_option(tcp::no_delay(true), ignored);
                                    state_ = State::open;
                                    everConnected_ = true;
                                    trouble_.clear();
                                    pause_ = std::chrono::milliseconds(250);
                                    send(Hello{version, request_.name});
                                    switch (request_.kind) {
                                        case SeatRequest::Kind::newHuman:
                                            send(NewMatch{false});
                                            break;
                                        case SeatRequest::Kind::newComputer:
                                            send(NewMatch{true});
                                            break;
                                        case SeatRequest::Kind::join:
                                            send(Join{request_.code});
                                            break;
                                        case SeatRequest::Kind::resume:
                                            send(Resume{request_.code, request_.token});
                                            break;
                                    }
                                    readNext();
                                });
        });
}

void SeatLink::readNext() {
    const unsigned generation = generation_;
    asio::async_read_until(
        socket_, buffer_, '\n', [this, generation](boost::system::error_code e, std::size_t n) {
            if (generation != generation_) return;
            if (e) {
                lost(e == asio::error::eof ? std::string("the server closed the connection")
                     : e == asio::error::not_found
                         ? std::string("a line longer than " + std::to_string(maxLineBytes) +
                                       " bytes")
                         : e.message());
                return;
            }
            const auto begin = asio::buffers_begin(buffer_.data());
            const std::string line(begin, begin + static_cast<std::ptrdiff_t>(n - 1));
            buffer_.consume(n);
            auto read = readServer(line);
            if (const auto* bad = std::get_if<ReadError>(&read)) {
                fail("unreadable message from the server " + where() + ": " + bad->message);
                return;
            }
            ServerMessage& message = std::get<ServerMessage>(read);
            if (const auto* seat = std::get_if<MatchSeat>(&message)) {
                // From now on a lost connection takes this seat back rather than a new one.
                request_.code = seat->code;
                request_.token = seat->token;
                request_.kind = SeatRequest::Kind::resume;
                seatGiven_ = true;
                matchOver_ = false;  // a rematch on the same connection
            }
            // After the end there is no seat left to take back.
            if (std::holds_alternative<End>(message)) matchOver_ = true;
            incoming_.push_back(std::move(message));
            readNext();
        });
}

void SeatLink::writeNext() {
    if (outgoing_.empty()) {
        writing_ = false;
        return;
    }
    writing_ = true;
    const unsigned generation = generation_;
    asio::async_write(socket_, asio::buffer(outgoing_.front()),
                      [this, generation](boost::system::error_code e, std::size_t) {
                          if (generation != generation_) return;
                          if (e) {
                              lost(e.message());
                              return;
                          }
                          outgoing_.pop_front();
                          writeNext();
                      });
}

void SeatLink::lost(const std::string& why) {
    if (state_ == State::closed || state_ == State::failed) return;
    if (matchOver_) {
        closeSocket();
        state_ = State::closed;
        return;
    }
    const bool first = state_ != State::reconnecting;
    closeSocket();
    if (!seatGiven_) {
        fail("cannot connect to " + where() + ": " + why);
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (first) lostAt_ = now;
    if (now - lostAt_ > request_.resumeWindow) {
        fail("connection to " + where() + " lost and the seat could not be resumed: " + why);
        return;
    }
    state_ = State::reconnecting;
    trouble_ = "connection to " + where() + " lost: " + why;
    retry_.expires_after(pause_);
    pause_ = std::min(pause_ * 2, longestPause);
    retry_.async_wait([this](boost::system::error_code e) {
        if (!e && state_ == State::reconnecting) connect();
    });
}

void SeatLink::fail(const std::string& why) {
    closeSocket();
    retry_.cancel();
    state_ = State::failed;
    trouble_ = why;
}

}  // namespace Veltrix::Client
