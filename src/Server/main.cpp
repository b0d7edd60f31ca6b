// veltrix-server: referees matches of two players over TCP, each seat seeing
// only what its own ants see. Progress on standard output, problems on standard
// error; SIGINT or SIGTERM ends every match as abandoned and exits 0.

// Asio 1.74's awaitable.hpp uses std::exchange without including <utility>.
#include <utility>

#include "ServerOptions.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/signal_set.hpp>

#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>

using namespace Veltrix::Server;

int main(int argc, char** argv) {
    // The command line and the rules: a mistake in either is the caller's, status 2.
    ServerCommandLine commandLine;
    std::optional<Veltrix::RuleOptions> rules;
    try {
        commandLine = parseServerCommandLine(argc, argv);
        if (commandLine.help) {
            std::cout << *commandLine.help;
            return 0;
        }
        rules.emplace(readServerRules(commandLine.rules));
        std::filesystem::create_directories(commandLine.config.records);
    } catch (const std::exception& e) {
        std::cerr << "veltrix-server: " << e.what() << "\n";
        return 2;
    }

    // The listening socket: a port in use or an address not of this machine ends it here.
    boost::asio::io_context io;
    std::optional<Server> server;
    try {
        server.emplace(io, commandLine.config, *rules, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "veltrix-server: cannot listen on " << commandLine.config.bind << ":"
                  << commandLine.config.port << ": " << e.what() << "\n";
        return 1;
    }

    // A stop signal ends the matches in order instead of killing the process.
    boost::asio::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&](boost::system::error_code error, int) {
        if (!error) server->shutdown();
    });

    // Serve until the shutdown has said goodbye to everyone.
    server->start();
    std::cout << "listening on " << commandLine.config.bind << ":" << server->port() << std::endl;
    io.run();
    return 0;
}
