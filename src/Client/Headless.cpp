#include "Headless.h"

#include "LineClient.h"
#include "Records/RulesJson.h"
#include "SeatPlayer.h"

#include <memory>
#include <stdexcept>

namespace Veltrix::Client {

using namespace Protocol;

HeadlessResult playHeadless(const HeadlessSeat& seat,
                            const std::function<void(const std::string& line)>& onLine) {
    HeadlessResult result;
    const auto sendTimeout = std::chrono::seconds(10);
    std::optional<LineClient> client;
    try {
        client.emplace(seat.host, seat.port, std::chrono::seconds(10));
    } catch (const std::exception& e) {
        result.failure = e.what();
        return result;
    }
    ClientMessage request = NewMatch{seat.mode == HeadlessSeat::Mode::newComputer};
    if (seat.mode == HeadlessSeat::Mode::join) request = Join{seat.code};
    if (!client->send(write(Hello{version, seat.name}), sendTimeout) ||
        !client->send(write(request), sendTimeout)) {
        result.failure = "connection lost while saying hello";
        return result;
    }

    std::unique_ptr<SeatPlayer> player;
    for (;;) {
        const auto line = client->readLine(seat.patience);
        if (!line) {
            result.failure = client->closed() ? "the server closed the connection"
                                              : "no message from the server in time";
            return result;
        }
        if (onLine) onLine(*line);
        auto read = readServer(*line);
        if (const auto* bad = std::get_if<ReadError>(&read)) {
            result.failure = "unreadable message from the server: " + bad->message;
            return result;
        }
        const ServerMessage& message = std::get<ServerMessage>(read);
        if (const auto* match = std::get_if<MatchSeat>(&message)) {
            result.code = match->code;
            result.seat = match->seat;
        } else if (const auto* start = std::get_if<Start>(&message)) {
            try {
                player = std::make_unique<SeatPlayer>(
                    rulesFromJson(nlohmann::ordered_json(start->rules), "start message"),
                    start->seat, seat.seed);
            } catch (const std::exception& e) {
                result.failure = std::string("rules of the start message: ") + e.what();
                return result;
            }
        } else if (const auto* view = std::get_if<View>(&message)) {
            if (!player) continue;
            std::optional<Move> move;
            try {
                move = player->choose(*view);
            } catch (const std::exception& e) {
                result.failure = std::string("view from the server: ") + e.what();
                return result;
            }
            if (!move) continue;
            if (!client->send(write(*move), sendTimeout)) {
                result.failure = "connection lost while sending a move";
                return result;
            }
            if (seat.onMoveSent) seat.onMoveSent();
        } else if (const auto* end = std::get_if<End>(&message)) {
            result.end = *end;
            if (++result.ended >= seat.matches) return result;
            player.reset();
            if (!client->send(write(Rematch{}), sendTimeout)) {
                result.failure = "connection lost while asking for a rematch";
                return result;
            }
        } else if (const auto* error = std::get_if<Error>(&message)) {
            if (!player && result.ended > 0 && error->message == matchOverRefusal) continue;
            result.failure = "server: " + error->message;
            return result;
        }
    }
}

}  // namespace Veltrix::Client
