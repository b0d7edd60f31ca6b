// The rules file ("VX.conf", both passes): any text gives either rules the engine can set a
// game up with, or the options library's error or std::logic_error. Accepted rules must pass
// their own check again, a game must set up on them (or say there is no room for the food)
// and take a few computer moves with no error but the opponent's clear std::logic_error.
#include "FuzzCheck.h"
#include "Veltrix/GameRandom.h"
#include "Veltrix/Referee.h"
#include "Veltrix/RuleOptions.h"
#include "Veltrix/SelfPlay.h"

#include <boost/program_options/errors.hpp>

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

// Keeps "Problem.Veltrix.help=1" and the duplicate-key note from flooding the run's output.
struct Quiet {
    Quiet() : out(std::cout.rdbuf(nullptr)), err(std::cerr.rdbuf(nullptr)) {}
    ~Quiet() {
        std::cout.rdbuf(out);
        std::cerr.rdbuf(err);
    }
    std::streambuf* out;
    std::streambuf* err;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    Quiet quiet;
    Veltrix::RuleOptions options;
    try {
        options = Veltrix::RuleOptions(in, "VX.conf");
    } catch (const boost::program_options::error& e) {
        // The message is what the player reads: it must come out, and say something.
        VXFuzz::require(std::string(e.what()).size() > 0, "an empty options error");
        return 0;
    } catch (const std::logic_error& e) {
        VXFuzz::require(std::string(e.what()).size() > 0, "an empty rules error");
        return 0;
    }
    try {
        options.validate("VX.conf");
    } catch (const std::exception& e) {
        VXFuzz::broken(std::string("accepted rules fail their own check: ") + e.what());
    }
    Veltrix::GameRandom random(7);
    std::optional<Veltrix::Referee> referee;
    try {
        referee.emplace(0, options, random);
    } catch (const std::logic_error& e) {
        // Rules that pass the reader but leave no room for the food are refused at set-up;
        // any other refusal there is a check the reader lacks.
        VXFuzz::require(std::string(e.what()).rfind("cannot place ", 0) == 0,
                        std::string("accepted rules fail at set-up: ") + e.what());
        return 0;
    }
    try {
        auto opponents = VX3D::makeOpponents(options);
        for (int move = 0; move < 8 && !referee->state.isOver(); ++move) {
            const auto [ant, direction] = VX3D::computerMove(opponents, *referee, random);
            VX3D::makeMove(*referee, referee->currentPlayer(), ant, direction, random);
        }
    } catch (const std::logic_error&) {
        // The computer opponent plays two ants against two: other counts get its clear
        // "invalid id" error.
    }
    return 0;
}
