#pragma once
// veltrix-arena --connect: one seat of a match on a server, played with the
// computer opponent's choices from the views the server sends.

#include <cstdint>
#include <iosfwd>
#include <string>

namespace Veltrix {

struct ConnectRequest {
    std::string address;   // HOST:PORT
    std::string newMatch;  // "human" or "computer", or empty with a code to join
    std::string joinCode;
    std::string name = "headless";
    std::uint32_t seed = 42;
};

// Prints every message the server sends as the JSON line it came as (the first
// is the "match" line with the code to give the other player). Returns 0 when the
// match ended, 1 when it could not be played (said on `err`), 2 for a request
// that cannot be made (a bad address, neither or both of new and join).
int runConnect(const ConnectRequest& request, std::ostream& out, std::ostream& err);

}  // namespace Veltrix
