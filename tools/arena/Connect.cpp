#include "Connect.h"

#include "Client/Headless.h"

#include <charconv>
#include <ostream>

namespace Veltrix {

int runConnect(const ConnectRequest& request, std::ostream& out, std::ostream& err) {
    Client::HeadlessSeat seat;
    const auto colon = request.address.rfind(':');
    int port = 0;
    const char* digits = request.address.data() + colon + 1;
    const char* end = request.address.data() + request.address.size();
    if (colon == std::string::npos || colon == 0 || std::from_chars(digits, end, port).ptr != end ||
        port < 1 || port > 65535) {
        err << "veltrix-arena: --connect wants HOST:PORT, not '" << request.address << "'\n";
        return 2;
    }
    seat.host = request.address.substr(0, colon);
    seat.port = static_cast<std::uint16_t>(port);
    if (request.newMatch.empty() == request.joinCode.empty()) {
        err << "veltrix-arena: --connect wants either --new human|computer or --join CODE\n";
        return 2;
    }
    if (!request.newMatch.empty() && request.newMatch != "human" &&
        request.newMatch != "computer") {
        err << "veltrix-arena: --new wants human or computer, not '" << request.newMatch << "'\n";
        return 2;
    }
    seat.mode = request.joinCode.empty()
                    ? (request.newMatch == "computer" ? Client::HeadlessSeat::Mode::newComputer
                                                      : Client::HeadlessSeat::Mode::newHuman)
                    : Client::HeadlessSeat::Mode::join;
    seat.code = request.joinCode;
    seat.name = request.name;
    seat.seed = request.seed;
    // Flushed line by line: a script pairing two clients reads the code while this one waits.
    const auto result =
        Client::playHeadless(seat, [&](const std::string& line) { out << line << std::endl; });
    if (!result.end) {
        err << "veltrix-arena: " << request.address << ": " << result.failure << "\n";
        return 1;
    }
    return 0;
}

}  // namespace Veltrix
