// veltrix-arena: plays the rules headless. With --script it replays a script of
// moves through one referee and prints every state as JSON Lines; without it,
// the computer plays itself for a number of games and the throughput is printed.
//
//   veltrix-arena [--rules FILE] [--seed N] [--script FILE|-] [--games N]

#include "Arena.h"

#include "Veltrix/RuleOptions.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

using namespace Veltrix;

namespace {

// ---------------------------------------------------------------- arguments

struct Arguments {
    std::string rules = "VX.conf";
    std::uint32_t seed = 42;
    std::optional<std::string> script;
    std::optional<std::int32_t> games;
};

struct UsageError {
    std::string message;
};

template <class T>
T number(const std::string& option, const std::string& text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        throw UsageError{"invalid value '" + text + "' for " + option};
    return value;
}

Arguments parseArguments(int argc, char** argv) {
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option != "--rules" && option != "--seed" && option != "--script" &&
            option != "--games")
            throw UsageError{"unknown argument '" + option + "'"};
        if (i + 1 >= argc) throw UsageError{"missing value for " + option};
        const std::string value = argv[++i];
        if (option == "--rules")
            a.rules = value;
        else if (option == "--seed")
            a.seed = number<std::uint32_t>(option, value);
        else if (option == "--script")
            a.script = value;
        else {
            a.games = number<std::int32_t>(option, value);
            if (*a.games < 0) throw UsageError{"invalid value '" + value + "' for --games"};
        }
    }
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    try {
        arguments = parseArguments(argc, argv);
    } catch (const UsageError& e) {
        std::cerr
            << "veltrix-arena: " << e.message
            << " (usage: veltrix-arena [--rules FILE] [--seed N] [--script FILE|-] [--games N])\n";
        return 2;
    }

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
                return runScript(*options, arguments.seed, std::cin, std::cout);
            std::ifstream script(*arguments.script);
            if (!script) {
                std::cerr << "veltrix-arena: cannot read script file '" << *arguments.script
                          << "'\n";
                return 2;
            }
            return runScript(*options, arguments.seed, script, std::cout);
        }
        return runSelfPlay(*options, arguments.seed,
                           arguments.games.value_or(options->gamesPerMatch), std::cout);
    } catch (const std::exception& e) {
        // Set-up errors (no room for the food) and errors inside self-play.
        std::cerr << "veltrix-arena: " << e.what() << "\n";
        return 1;
    }
}
