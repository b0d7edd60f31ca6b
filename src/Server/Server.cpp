// Asio 1.74's awaitable.hpp uses std::exchange without including <utility>.
#include <utility>

#include "Server.h"

#include "Records/RulesJson.h"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/streambuf.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/asio/write.hpp>

#include <cctype>
#include <deque>
#include <ostream>
#include <random>

namespace Veltrix::Server {

namespace asio = boost::asio;
using asio::awaitable;
using asio::use_awaitable;
using asio::ip::tcp;
using namespace Protocol;

namespace {

// Refused requests a connection may make before it is cut off: enough for a
// person's slips, too few for a flood to cost the server anything.
constexpr int maxRefusals = 10;
// What may wait unsent for a client that does not read: a few hundred views.
constexpr std::size_t maxQueuedBytes = 4 * 1024 * 1024;
// How long a closing connection waits for the client to read its last lines.
constexpr auto lingerTime = std::chrono::seconds(2);
// The longest a closing connection may take to send what is queued and linger.
constexpr auto closeTime = std::chrono::seconds(10);

constexpr char codeAlphabet[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

std::uint32_t osRandom32() {
    // random_device on this token reads the kernel's source, never a seeded engine.
    thread_local std::random_device device("/dev/urandom");
    return device();
}

std::string makeMatchCode() {
    const std::uint64_t bits = (std::uint64_t{osRandom32()} << 32) | osRandom32();
    std::string code;
    for (int i = 0; i < 8; ++i) {
        if (i == 4) code += '-';
        code += codeAlphabet[(bits >> (5 * i)) & 31u];
    }
    return code;
}

std::string normaliseMatchCode(const std::string& typed) {
    std::string symbols;
    for (const char c : typed) {
        if (c == '-' || c == ' ') continue;
        char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (u == 'O') u = '0';
        if (u == 'I' || u == 'L') u = '1';
        symbols += u;
    }
    if (symbols.size() != 8) return symbols;
    return symbols.substr(0, 4) + "-" + symbols.substr(4);
}

std::string makeSeatToken() {
    static constexpr char hex[] = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t word = osRandom32();
        for (int nibble = 0; nibble < 8; ++nibble) token += hex[(word >> (4 * nibble)) & 15u];
    }
    return token;
}

// ---------------------------------------------------------------- one connection

class Connection : public Peer, public std::enable_shared_from_this<Connection> {
public:
    Connection(Server& server, tcp::socket socket)
        : server_(server),
          socket_(std::move(socket)),
          wake_(socket_.get_executor()),
          idle_(socket_.get_executor()),
          closeDeadline_(socket_.get_executor()) {}

    void start() {
        auto self = shared_from_this();
        asio::co_spawn(socket_.get_executor(), reader(self), asio::detached);
        asio::co_spawn(socket_.get_executor(), writer(self), asio::detached);
        armIdle();
    }

    void send(const ServerMessage& message) override { sendLine(write(message)); }

    void seatLost() override {
        match_.reset();
        seat_ = -1;
        sendLine(write(Error{"your seat was resumed on another connection"}));
    }

    // The last words of the connection: sent, then the connection closes.
    void closeWith(const std::string& message) {
        sendLine(write(Error{message}));
        closeAfterFlush();
    }

    bool inMatch() const { return match_ && !match_->over(); }
    const std::string& name() const { return name_; }
    void hold(std::shared_ptr<Match> match, std::int32_t seat) {
        match_ = std::move(match);
        seat_ = seat;
    }
    void release() {
        match_.reset();
        seat_ = -1;
    }

    void refuse(const std::string& message) {
        sendLine(write(Error{message}));
        if (++refusals_ >= maxRefusals) closeWith("too many refused messages: disconnecting");
    }

private:
    void sendLine(std::string line) {
        if (closing_) return;
        if (queuedBytes_ + line.size() > maxQueuedBytes) {
            // A client that stops reading must not make the server hold its messages forever.
            server_.err_ << "connection " << peerName()
                         << ": more than 4 MiB unread by the client; dropping it" << std::endl;
            closing_ = true;
            queue_.clear();
            queuedBytes_ = 0;
            boost::system::error_code ignored;
            socket_.close(ignored);
            wake_.cancel();
            return;
        }
        queuedBytes_ += line.size();
        queue_.push_back(std::move(line));
        wake_.cancel();
    }

    void closeAfterFlush() {
        if (!closing_) {
            // A client that neither reads nor hangs up must not hold the socket (or a
            // shutting-down server) forever.
            closeDeadline_.expires_after(closeTime);
            closeDeadline_.async_wait([self = weak_from_this()](boost::system::error_code error) {
                const auto connection = self.lock();
                if (error || !connection) return;
                boost::system::error_code ignored;
                connection->socket_.close(ignored);
            });
        }
        closing_ = true;
        wake_.cancel();
    }

    std::string peerName() const {
        boost::system::error_code error;
        const auto endpoint = socket_.remote_endpoint(error);
        if (error) return "(closed)";
        return endpoint.address().to_string() + ":" + std::to_string(endpoint.port());
    }

    void armIdle() {
        idle_.expires_after(server_.config_.idle);
        idle_.async_wait([self = weak_from_this()](boost::system::error_code error) {
            const auto connection = self.lock();
            if (error || !connection || connection->closing_) return;
            // A seated player's silence is the match's business (its idle rule).
            if (connection->inMatch()) {
                connection->armIdle();
                return;
            }
            connection->closeWith("silent for too long: disconnecting");
        });
    }

    awaitable<void> reader(std::shared_ptr<Connection> self) {
        asio::streambuf buffer(maxLineBytes);
        for (;;) {
            boost::system::error_code error;
            const std::size_t n = co_await asio::async_read_until(
                socket_, buffer, '\n', asio::redirect_error(use_awaitable, error));
            if (error == asio::error::not_found) {
                // The line filled the whole buffer without ending.
                buffer.consume(buffer.size());
                if (!closing_) {
                    server_.err_ << "connection " << peerName() << ": line longer than "
                                 << maxLineBytes - 1 << " bytes; disconnecting" << std::endl;
                    closeWith("line longer than " + std::to_string(maxLineBytes - 1) +
                              " bytes: disconnecting");
                }
                continue;
            }
            if (error) break;
            const auto begin = asio::buffers_begin(buffer.data());
            std::string line(begin, begin + static_cast<std::ptrdiff_t>(n - 1));
            buffer.consume(n);
            // After the last words only the end of the stream is awaited.
            if (closing_) continue;
            armIdle();
            handle(line);
        }
        readerDone_ = true;
        closeAfterFlush();
        idle_.cancel();
        server_.closed(this);
        if (match_) match_->dropped(seat_, this);
        match_.reset();
        (void)self;
    }

    awaitable<void> writer(std::shared_ptr<Connection> self) {
        for (;;) {
            if (queue_.empty()) {
                if (closing_ || !socket_.is_open()) break;
                wake_.expires_at(asio::steady_timer::time_point::max());
                boost::system::error_code ignored;
                co_await wake_.async_wait(asio::redirect_error(use_awaitable, ignored));
                continue;
            }
            boost::system::error_code error;
            co_await asio::async_write(socket_, asio::buffer(queue_.front()),
                                       asio::redirect_error(use_awaitable, error));
            if (error) break;
            queuedBytes_ -= queue_.front().size();
            queue_.pop_front();
        }
        // Half-close so the client reads everything sent, then give it a moment to
        // hang up itself before the socket goes (the reader's end cancels the wait).
        boost::system::error_code ignored;
        if (socket_.is_open() && !readerDone_) {
            socket_.shutdown(tcp::socket::shutdown_send, ignored);
            wake_.expires_after(lingerTime);
            co_await wake_.async_wait(asio::redirect_error(use_awaitable, ignored));
        }
        socket_.close(ignored);
        closeDeadline_.cancel();
        (void)self;
    }

    void handle(const std::string& line) {
        auto read = readClient(line);
        if (const auto* bad = std::get_if<ReadError>(&read)) {
            refuse(bad->message);
            return;
        }
        const ClientMessage& message = std::get<ClientMessage>(read);
        if (name_.empty() && !std::holds_alternative<Hello>(message)) {
            refuse("send hello first");
            return;
        }
        auto self = shared_from_this();
        if (match_ && match_->over()) {
            if (std::holds_alternative<Rematch>(message))
                return server_.rematch(self, match_, seat_);
            // A move or resignation that crossed the end on the wire is refused below; a
            // request for another match moves on from this one: no rematch with it.
            if (!std::holds_alternative<Move>(message) &&
                !std::holds_alternative<Resign>(message)) {
                match_->leave(seat_);
                release();
            }
        }
        std::visit(Overloaded{
                       [&](const Hello& hello) {
                           if (!name_.empty()) return refuse("hello was already sent");
                           if (hello.protocol != version)
                               return closeWith("protocol " + std::to_string(hello.protocol) +
                                                " is not spoken here (this server speaks " +
                                                std::to_string(version) + ")");
                           name_ = hello.name;
                       },
                       [&](const NewMatch& request) {
                           if (inMatch()) return refuse("you already hold a seat");
                           server_.newMatch(self, request.computer);
                       },
                       [&](const Join& request) {
                           if (inMatch()) return refuse("you already hold a seat");
                           server_.join(self, request.code);
                       },
                       [&](const Resume& request) {
                           if (inMatch()) return refuse("you already hold a seat");
                           server_.resume(self, request.code, request.token);
                       },
                       [&](const Move& move) {
                           if (match_ && match_->over())
                               return refuse(std::string(matchOverRefusal));
                           if (!inMatch()) return refuse("you hold no seat");
                           if (auto error = match_->move(seat_, move)) refuse(*error);
                       },
                       [&](const Resign&) {
                           if (match_ && match_->over())
                               return refuse(std::string(matchOverRefusal));
                           if (!inMatch()) return refuse("you hold no seat");
                           match_->resign(seat_);
                       },
                       [&](const Rematch&) {
                           refuse(inMatch() ? "the match is not over yet"
                                            : "no ended match to play again");
                       },
                   },
                   message);
    }

    Server& server_;
    tcp::socket socket_;
    asio::steady_timer wake_;  // the writer waits on it; cancel() wakes it
    asio::steady_timer idle_;
    asio::steady_timer closeDeadline_;
    std::deque<std::string> queue_;
    std::size_t queuedBytes_ = 0;
    bool closing_ = false;
    bool readerDone_ = false;  // the client hung up (or the socket failed)
    int refusals_ = 0;
    std::string name_;
    std::shared_ptr<Match> match_;
    std::int32_t seat_ = -1;
};

// ---------------------------------------------------------------- the server

Server::Server(asio::io_context& io, ServerConfig config, RuleOptions rules, std::ostream& out,
               std::ostream& err)
    : io_(io),
      config_(std::move(config)),
      rules_(std::move(rules)),
      rulesJson_(rulesToJson(rules_)),
      out_(out),
      err_(err),
      acceptor_(io, tcp::endpoint(asio::ip::make_address(config_.bind), config_.port)) {}

Server::~Server() = default;

std::uint16_t Server::port() const {
    return acceptor_.local_endpoint().port();
}

void Server::start() {
    asio::co_spawn(
        io_,
        [this]() -> awaitable<void> {
            for (;;) {
                boost::system::error_code error;
                tcp::socket socket =
                    co_await acceptor_.async_accept(asio::redirect_error(use_awaitable, error));
                if (stopping_ || error == asio::error::operation_aborted) break;
                if (error) {
                    // Out of descriptors and the like: this connection is lost, the server is not.
                    err_ << "accept failed: " << error.message() << std::endl;
                    continue;
                }
                // Every message is one small write that the other side waits for.
                socket.set_option(tcp::no_delay(true), error);
                auto connection = std::make_shared<Connection>(*this, std::move(socket));
                connections_.insert(connection.get());
                connection->start();
                if (connections_.size() > 2 * static_cast<std::size_t>(config_.maxMatches) + 16)
                    connection->closeWith("the server is full");
            }
        },
        asio::detached);
}

void Server::shutdown() {
    if (stopping_) return;
    stopping_ = true;
    boost::system::error_code ignored;
    acceptor_.close(ignored);
    out_ << "shutting down" << std::endl;
    // Copies: ending a match and closing a connection both change these containers.
    const auto matches = matches_;
    for (const auto& [code, match] : matches) match->abandon();
    const auto connections = connections_;
    for (Connection* connection : connections) connection->closeWith("server shutting down");
}

std::shared_ptr<Match> Server::findMatch(const std::string& code) const {
    const auto it = matches_.find(normaliseMatchCode(code));
    return it == matches_.end() ? nullptr : it->second;
}

std::string Server::newCode() const {
    std::string code;
    do code = makeMatchCode();
    while (matches_.contains(code));
    return code;
}

std::string Server::cannotOpen() const {
    if (stopping_) return "server shutting down";
    if (matches_.size() >= static_cast<std::size_t>(config_.maxMatches))
        return "the server is full: " + std::to_string(config_.maxMatches) + " matches are running";
    return "";
}

std::shared_ptr<Match> Server::openMatch() {
    MatchEvents events;
    events.started = [this](const Match& match) {
        out_ << "match " << match.code() << " started: " << match.seat(0).name << " vs "
             << match.seat(1).name << std::endl;
        startRecord(match);
    };
    events.moved = [this](const Match& match, const MoveMade& move) {
        recordMove(match, move);
        if (onMove) onMove(match, move);
    };
    events.ended = [this](Match& match) { matchEnded(match); };
    const std::string code = newCode();
    auto match = std::make_shared<Match>(code, rules_, rulesJson_, osRandom32(), io_.get_executor(),
                                         MatchTimes{config_.resume, config_.idle}, events);
    matches_.emplace(code, match);
    return match;
}

void Server::newMatch(const std::shared_ptr<Connection>& connection, bool computer) {
    if (const std::string refusal = cannotOpen(); !refusal.empty())
        return connection->refuse(refusal);
    const auto match = openMatch();
    out_ << "match " << match->code() << " created against "
         << (computer ? "the computer" : "a human") << " by " << connection->name() << std::endl;
    connection->hold(match, 0);
    match->create(connection->name(), connection, computer, makeSeatToken());
}

void Server::rematch(const std::shared_ptr<Connection>& connection, std::shared_ptr<Match> ended,
                     std::int32_t seat) {
    if (ended->rematchAsked(seat)) return connection->refuse("you already asked for a rematch");
    const Match::Seat& opponent = ended->seat(1 - seat);
    if (opponent.computer) {
        // The computer always plays again; its seat is 1 in every match.
        connection->release();
        return newMatch(connection, true);
    }
    if (!opponent.peer) {
        connection->release();
        return connection->refuse("opponent left");
    }
    ended->askRematch(seat);
    out_ << "match " << ended->code() << ": seat " << seat << " asks for a rematch" << std::endl;
    // The asker just waits: its answer is the new match, or "opponent left".
    if (!ended->rematchAsked(1 - seat)) return;
    std::array<std::shared_ptr<Connection>, 2> players;
    for (std::int32_t s = 0; s < 2; ++s)
        players[static_cast<std::size_t>(s)] =
            std::dynamic_pointer_cast<Connection>(ended->seat(s).peer);
    ended->releasePeers();
    for (const auto& player : players) player->release();
    if (const std::string refusal = cannotOpen(); !refusal.empty()) {
        for (const auto& player : players) player->refuse(refusal);
        return;
    }
    // Each keeps its seat and colour, so the first move stays with seat 0 as in every match.
    const auto match = openMatch();
    out_ << "match " << match->code() << " created as a rematch of " << ended->code() << std::endl;
    players[0]->hold(match, 0);
    match->create(players[0]->name(), players[0], false, makeSeatToken());
    players[1]->hold(match, 1);
    if (auto error = match->join(players[1]->name(), players[1], makeSeatToken())) {
        players[1]->release();
        players[1]->refuse(*error);
    }
}

void Server::join(const std::shared_ptr<Connection>& connection, const std::string& code) {
    const auto match = findMatch(code);
    if (!match) return connection->refuse("no match " + normaliseMatchCode(code));
    connection->hold(match, 1);
    if (auto error = match->join(connection->name(), connection, makeSeatToken())) {
        connection->release();
        connection->refuse(*error);
    }
}

void Server::resume(const std::shared_ptr<Connection>& connection, const std::string& code,
                    const std::string& token) {
    const auto match = findMatch(code);
    if (!match) return connection->refuse("no match " + normaliseMatchCode(code));
    const std::int32_t seat = match->resume(token, connection);
    if (seat < 0) return connection->refuse("that token holds no seat of match " + match->code());
    connection->hold(match, seat);
    out_ << "match " << match->code() << ": seat " << seat << " resumed" << std::endl;
}

void Server::closed(Connection* connection) {
    connections_.erase(connection);
}

void Server::matchEnded(Match& match) {
    const std::string path = finishRecord(match);
    out_ << "match " << match.code() << " ended: " << endResultName(*match.endReason());
    if (match.winner() >= 0) out_ << ", seat " << match.winner() << " wins";
    const auto& players = match.referee().state.players;
    out_ << ", " << players.at(0).score << "-" << players.at(1).score << " after "
         << match.referee().movesMade() << " moves";
    if (!path.empty()) out_ << ", record " << path;
    out_ << std::endl;
    // The match is in the middle of its own call: it leaves the table afterwards.
    asio::post(io_, [this, code = match.code()] { matches_.erase(code); });
}

}  // namespace Veltrix::Server
