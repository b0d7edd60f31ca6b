#pragma once
// The command line of veltrix-server, read with Boost.program_options.

#include "Server.h"

#include <optional>
#include <string>

namespace Veltrix::Server {

struct ServerCommandLine {
    ServerConfig config;
    std::string rules = "VX.conf";
    std::optional<std::string> help;  // the option list, when --help was asked for
};

// Raises std::invalid_argument with a message naming the option for anything
// the server cannot run with (unknown option, a value that is not a number or
// out of range).
ServerCommandLine parseServerCommandLine(int argc, const char* const* argv);

// The rules file as the server plays it; raises std::runtime_error naming the
// file for a missing or unreadable file, and for rules other than two players
// with two ants each (what the computer opponent and the messages are made for).
RuleOptions readServerRules(const std::string& path);

}  // namespace Veltrix::Server
