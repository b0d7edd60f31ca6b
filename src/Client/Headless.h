#pragma once
// A whole seat played headless: connect, say hello, create or join a match, then
// answer every view on the seat's turn with the computer opponent's choice until
// the match ends (or as many matches as asked for, each a rematch of the one before). Every line
// the server sends is handed to the caller as it comes.

#include "Protocol/Messages.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace Veltrix::Client {

struct HeadlessSeat {
    std::string host = "127.0.0.1";
    std::uint16_t port = 7311;
    std::string name = "headless";
    enum class Mode { newHuman, newComputer, join } mode = Mode::newComputer;
    std::string code;  // with join
    std::uint32_t seed = 1;
    // The longest wait for the next line (the other seat thinking included).
    std::chrono::milliseconds patience{std::chrono::minutes(11)};
    // Matches played on the one connection: after each end but the last it asks for a
    // rematch against the same opponent.
    int matches = 1;
    // Called right after each move is sent (the load benchmark times the answer).
    std::function<void()> onMoveSent;
};

struct HeadlessResult {
    std::string code;  // of the last match
    std::int32_t seat = -1;
    std::optional<Protocol::End> end;  // of the last match
    int ended = 0;                     // matches played to their end
    std::string failure;  // why there is no end: the server's error, a lost connection, ...
};

HeadlessResult playHeadless(const HeadlessSeat& seat,
                            const std::function<void(const std::string& line)>& onLine);

}  // namespace Veltrix::Client
