// The run's side of a match through a server: the seat asked for, the connection, the wait for
// an opponent, and the line the window shows about the match and its trouble. The game itself
// plays the seat (Game/ServerPlay.cpp).
#include "Records/RulesJson.h"
#include "Veltrix3D/Session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <iostream>
#include <stdexcept>

namespace VX3D {
namespace {

using namespace Veltrix::Protocol;
using Veltrix::Client::SeatLink;

constexpr int statusAnchor = 4;
constexpr float statusSize = 0.09f;

// As the server writes codes: upper case with the dash after four characters, so that a code
// typed "k7qx2m9p" finds the file "seat-K7QX-2M9P.token".
std::string canonicalCode(std::string code) {
    std::string plain;
    for (const char c : code)
        if (c != '-') plain += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (plain.size() == 8) return plain.substr(0, 4) + "-" + plain.substr(4);
    return plain;
}

// The token resumes the seat: nobody else on this machine may read it.
void keepSeatToken(const std::string& code, const std::string& token) {
    const std::string file = seatTokenFile(code);
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const std::string text = token + "\n";
    const bool written = fd >= 0 && ::fchmod(fd, 0600) == 0 &&
                         ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0) ::close(fd);
    if (written)
        std::cout << "Seat token kept in " << file << " (--resume " << code
                  << " takes the seat back)" << std::endl;
    else
        std::cerr << "WARNING: cannot write the seat token to " << file
                  << "; this seat cannot be resumed after the window closes" << std::endl;
}

std::string readSeatToken(const std::string& code) {
    const std::string file = seatTokenFile(code);
    std::ifstream in(file);
    std::string token;
    if (!(in >> token) || token.size() != 32 ||
        token.find_first_not_of("0123456789abcdef") != std::string::npos)
        throw std::runtime_error("cannot resume match " + code + ": " + file +
                                 (in ? " holds no seat token" : " cannot be read"));
    return token;
}

// Until the first view: the code, the start message, then the game.
void takeLobbyMessages(Session& s) {
    while (!s.serverSeat) {
        std::optional<ServerMessage> message = s.link->take();
        if (!message) return;
        if (const auto* seat = std::get_if<MatchSeat>(&*message)) {
            s.matchCode = seat->code;
            std::cout << "Match code: " << seat->code << ", seat " << seat->seat << std::endl;
            keepSeatToken(seat->code, seat->token);
        } else if (const auto* start = std::get_if<Start>(&*message)) {
            s.serverStart = *start;
        } else if (const auto* view = std::get_if<View>(&*message)) {
            if (!s.serverStart) continue;
            const std::string source = "the start message of " + s.link->where();
            auto seat = std::make_shared<ServerSeat>();
            seat->link = s.link;
            seat->start = *s.serverStart;
            seat->rules =
                Veltrix::rulesFromJson(nlohmann::ordered_json(s.serverStart->rules), source);
            checkClientRules(seat->rules, source);
            seat->view = *view;
            s.serverSeat = seat;
            s.rematchWith.clear();
            std::cout << "Match begins: " << seat->start.names[0] << " (Red) against "
                      << seat->start.names[1] << " (Blue)" << std::endl;
            return;  // the game takes the messages from here on
        } else if (const auto* error = std::get_if<Error>(&*message)) {
            if (!s.rematchWith.empty() && error->message == matchOverRefusal) continue;
            // Refused: an unknown code, a full match, another protocol version...
            s.serverError = error->message;
            std::cerr << "server " << s.link->where() << ": " << error->message << std::endl;
            s.link->finish();
            // "opponent left" and the like: the rematch is off, "L" creates a new match.
            if (!s.rematchWith.empty()) s.serverError += " \u2014 L creates a new match";
            s.rematchWith.clear();
        } else if (const auto* end = std::get_if<End>(&*message)) {
            s.serverError = "the match ended before it began (" + end->reason + ")";
            std::cerr << "server " << s.link->where() << ": " << s.serverError << std::endl;
        }
    }
}

// What the window says about the match now; empty while there is nothing to say.
std::string statusLine(const Session& s) {
    const SeatLink& link = *s.link;
    if (link.state() == SeatLink::State::failed) return link.trouble();
    std::string error = s.serverError;
    if (s.game && !s.game->serverError().empty()) error = s.game->serverError();
    if (!error.empty()) return "Server: " + error;
    if (link.state() == SeatLink::State::reconnecting) return "Connection lost \u2014 reconnecting";
    if (link.state() == SeatLink::State::connecting)
        return "Connecting to " + link.where() + "\u2026";
    if (!s.game) {
        if (!s.rematchWith.empty())
            return "Waiting for " + s.rematchWith + " to accept the rematch\u2026";
        if (s.matchCode.empty()) return "";
        return "Match code: " + s.matchCode + " \u2014 waiting for an opponent";
    }
    if (s.game->gameOver && !s.game->gameOverShown) return "Match abandoned";
    if (s.game->waitingForOpponent())
        return std::string("Waiting for ") + seatColour(1 - *s.game->seat()) + "\u2026";
    return "";
}

}  // namespace

std::string seatTokenFile(const std::string& code) {
    return "seat-" + canonicalCode(code) + ".token";
}

void prepareServerMatch(Session& s, const ServerMatch& match) {
    s.serverMatch = match;
    if (match.mode == ServerMatch::Mode::resume) s.serverMatch->code = canonicalCode(match.code);
    if (match.mode == ServerMatch::Mode::resume) readSeatToken(s.serverMatch->code);
}

void connectToServer(Session& s) {
    using Kind = Veltrix::Client::SeatRequest::Kind;
    Veltrix::Client::SeatRequest request;
    request.host = s.serverMatch->host;
    request.port = s.serverMatch->port;
    request.name = s.options.name;
    request.code = s.serverMatch->code;
    switch (s.serverMatch->mode) {
        case ServerMatch::Mode::create:
            request.kind = Kind::newHuman;
            break;
        case ServerMatch::Mode::computer:
            request.kind = Kind::newComputer;
            break;
        case ServerMatch::Mode::join:
            request.kind = Kind::join;
            break;
        case ServerMatch::Mode::resume:
            request.kind = Kind::resume;
            request.token = readSeatToken(request.code);
            s.matchCode = request.code;
            break;
    }
    std::cout << "Connecting to " << request.host << ":" << request.port << " as " << request.name
              << std::endl;
    s.link = std::make_shared<SeatLink>(request);
}

bool serverMatchOver(const Session& s) {
    const SeatLink::State state = s.link->state();
    return (s.game && s.game->gameOver) || state == SeatLink::State::failed ||
           state == SeatLink::State::closed;
}

bool canAskForRematch(const Session& s) {
    // The computer's matches start anew as they always did; a rematch needs the link that
    // played the match, still open.
    return s.serverMatch->mode != ServerMatch::Mode::computer && s.game && s.game->seat() &&
           s.game->gameOverShown && s.link->state() == SeatLink::State::open;
}

void askForRematch(Session& s) {
    s.rematchWith = seatColour(1 - *s.game->seat());
    s.serverSeat.reset();
    s.serverStart.reset();
    s.serverError.clear();
    s.reportedTrouble.clear();
    s.link->send(Rematch{});
}

void reconnectForNewMatch(Session& s) {
    s.rematchWith.clear();
    s.link.reset();
    s.serverSeat.reset();
    s.serverStart.reset();
    s.matchCode.clear();
    s.serverError.clear();
    s.reportedTrouble.clear();
    if (s.serverMatch->mode != ServerMatch::Mode::computer)
        s.serverMatch->mode = ServerMatch::Mode::create;
    connectToServer(s);
}

void pollServerMatch(Session& s) {
    s.link->poll();
    if (!s.serverSeat) {
        try {
            takeLobbyMessages(s);
        } catch (const std::exception& e) {
            s.serverError = e.what();
            std::cerr << s.serverError << std::endl;
            s.link->finish();
        }
    }
    if (!s.rematchWith.empty() && s.link->state() != SeatLink::State::open) {
        // The server went away while the other side was deciding.
        s.serverError = "connection closed before the rematch began \u2014 L creates a new match";
        std::cerr << s.serverError << std::endl;
        s.rematchWith.clear();
    }
    if (s.link->state() == SeatLink::State::failed && !s.link->everConnected()) s.exitStatus = 1;
    const std::string line = statusLine(s);
    if (line.empty()) return;
    // Trouble goes to standard error once; the waiting lines only to the window.
    const bool trouble = s.link->state() == SeatLink::State::failed ||
                         s.link->state() == SeatLink::State::reconnecting || !s.serverError.empty();
    if (trouble && line != s.reportedTrouble) {
        if (s.link->state() != SeatLink::State::failed || s.serverError.empty())
            std::cerr << line << std::endl;
        s.reportedTrouble = line;
    }
    // Lives one frame: drawn this frame, replaced by the next frame's line. Before the match
    // it sits on the loading screen's dark sky, below the title; in the match above the field.
    s.text->addText(statusAnchor, {0.0f, s.game ? 0.6f : 0.2f}, statusSize, line, 0.0);
}

}  // namespace VX3D
