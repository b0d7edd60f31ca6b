// veltrix-arena: plays the rules headless. With --script it replays a script of
// moves through one referee and prints every state as JSON Lines; without it,
// the computer plays itself for a number of games and the throughput is printed.
// --record DIR keeps a game record of every game played; --verify FILE... replays
// records through the rules and reports one line per file. --connect HOST:PORT
// plays one seat of a match on a server (--new human|computer or --join CODE).

#include "Arena.h"
#include "Connect.h"

#include "Veltrix/RuleOptions.h"

#include <boost/program_options.hpp>

#include <cstdint>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace Veltrix;
namespace po = boost::program_options;

namespace {

struct Arguments {
    bool help = false;
    std::string rules = "VX.conf";
    std::uint32_t seed = 42;
    std::optional<std::string> script;
    std::optional<std::int32_t> games;
    ArenaRecording recording;
    std::vector<std::string> verify;
    std::optional<ConnectRequest> connect;
};

struct UsageError {
    std::string message;
};

// One table of every option: a new mode adds its lines here and its branch in main.
po::options_description optionTable() {
    po::options_description table("veltrix-arena [options]");
    table.add_options()("help", "print this list and exit")(
        "rules", po::value<std::string>()->default_value("VX.conf"), "rules file to play by")(
        "seed", po::value<std::int64_t>()->default_value(42),
        "seed of the random source (0 to 4294967295)")(
        "script", po::value<std::string>(),
        "replay a script of moves (\"P A DX DY\" or \"ai\" a line; - reads standard input)")(
        "games", po::value<std::int32_t>(),
        "self-play: number of games (default: the rules' gamesPerMatch)")(
        "record", po::value<std::string>(),
        "write a game record of every game played into this folder (created when missing)")(
        "verify", po::value<std::vector<std::string>>()->multitoken(),
        "replay the game records given and check every outcome and the final scores; exit "
        "status 0 only when all agree")(
        "connect", po::value<std::string>(),
        "play one seat of a match on the server at HOST:PORT with the computer's choices, "
        "printing every message received")(
        "new", po::value<std::string>(),
        "with --connect: create a match against a \"human\" (the first line printed holds "
        "its code) or the \"computer\"")("join", po::value<std::string>(),
                                         "with --connect: join the match of this code")(
        "name", po::value<std::string>()->default_value("headless"),
        "with --connect: the name the other player sees");
    return table;
}

Arguments parseArguments(int argc, char** argv, const po::options_description& table) {
    po::variables_map values;
    try {
        po::store(po::command_line_parser(argc, argv).options(table).run(), values);
        po::notify(values);
    } catch (const po::error& e) {
        throw UsageError{e.what()};
    }
    Arguments a;
    a.help = values.count("help") > 0;
    a.rules = values["rules"].as<std::string>();
    const std::int64_t seed = values["seed"].as<std::int64_t>();
    if (seed < 0 || seed > UINT32_MAX)
        throw UsageError{"invalid value '" + std::to_string(seed) + "' for --seed"};
    a.seed = static_cast<std::uint32_t>(seed);
    if (values.count("script")) a.script = values["script"].as<std::string>();
    if (values.count("games")) {
        a.games = values["games"].as<std::int32_t>();
        if (*a.games < 0)
            throw UsageError{"invalid value '" + std::to_string(*a.games) + "' for --games"};
    }
    if (values.count("record")) a.recording.directory = values["record"].as<std::string>();
    if (values.count("verify")) {
        a.verify = values["verify"].as<std::vector<std::string>>();
        if (a.script || a.games || a.recording.directory)
            throw UsageError{"--verify takes no --script, --games or --record"};
    }
    if (values.count("connect")) {
        if (a.script || a.games || a.recording.directory || !a.verify.empty())
            throw UsageError{"--connect takes no --script, --games, --record or --verify"};
        ConnectRequest request;
        request.address = values["connect"].as<std::string>();
        if (values.count("new")) request.newMatch = values["new"].as<std::string>();
        if (values.count("join")) request.joinCode = values["join"].as<std::string>();
        request.name = values["name"].as<std::string>();
        request.seed = a.seed;
        a.connect = request;
    } else if (values.count("new") || values.count("join")) {
        throw UsageError{"--new and --join need --connect"};
    }
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    const po::options_description table = optionTable();
    Arguments arguments;
    try {
        arguments = parseArguments(argc, argv, table);
    } catch (const UsageError& e) {
        std::cerr << "veltrix-arena: " << e.message << " (--help lists the options)\n";
        return 2;
    }
    if (arguments.help) {
        std::cout << table;
        return 0;
    }
    if (!arguments.verify.empty()) return runVerify(arguments.verify, std::cout);
    if (arguments.connect) return runConnect(*arguments.connect, std::cout, std::cerr);

    // The options reader treats a missing file as an empty one; here a file
    // that cannot be read is a mistake in the command line.
    if (!std::ifstream(arguments.rules)) {
        std::cerr << "veltrix-arena: cannot read rules file '" << arguments.rules << "'\n";
        return 2;
    }
    std::optional<RuleOptions> options;
    try {
        options.emplace(arguments.rules);
    } catch (const std::exception& e) {
        std::cerr << "veltrix-arena: rules file '" << arguments.rules << "': " << e.what() << "\n";
        return 2;
    }

    try {
        if (arguments.script) {
            if (*arguments.script == "-")
                return runScript(*options, arguments.seed, std::cin, std::cout,
                                 arguments.recording);
            std::ifstream script(*arguments.script);
            if (!script) {
                std::cerr << "veltrix-arena: cannot read script file '" << *arguments.script
                          << "'\n";
                return 2;
            }
            return runScript(*options, arguments.seed, script, std::cout, arguments.recording);
        }
        return runSelfPlay(*options, arguments.seed,
                           arguments.games.value_or(options->gamesPerMatch), std::cout,
                           arguments.recording);
    } catch (const std::exception& e) {
        // Set-up errors (no room for the food), errors inside self-play and records that
        // cannot be written.
        std::cerr << "veltrix-arena: " << e.what() << "\n";
        return 1;
    }
}
