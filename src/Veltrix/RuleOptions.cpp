#include "Veltrix/RuleOptions.h"

#include <boost/program_options.hpp>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

namespace po = boost::program_options;

namespace Veltrix {

void throwMissingKey() {
    throw std::out_of_range("invalid map<K, T> key");
}

namespace {

// The floor mesh indexes its vertices with 16 bits; a larger field cannot be drawn.
constexpr std::int64_t maxFieldCells = 16384;

const std::string prefix = "Problem.Veltrix.";

std::string startKey(std::int32_t player, std::int32_t ant, const char* axis) {
    return prefix + "startPosition_p" + std::to_string(player) + "a" + std::to_string(ant) + axis;
}

std::string portalKey(std::int32_t portal, const char* end) {
    return prefix + "portalPos_p" + std::to_string(portal) + end;
}

Position defaultStart(std::int32_t player, std::int32_t ant) {
    if (player == 0 && ant == 0) return {0, 5};
    if (player == 0 && ant == 1) return {0, 7};
    if (player == 1 && ant == 0) return {19, 5};
    if (player == 1 && ant == 1) return {19, 7};
    return {0, 0};
}

[[noreturn]] void refuse(const std::string& source, const std::string& key,
                         const std::string& value, const std::string& why) {
    throw std::logic_error("rules file " + source + ": " + key + " = " + value +
                           " is invalid: " + why);
}

void requireAtLeast(const std::string& source, const char* key, std::int32_t value,
                    std::int32_t least) {
    if (value < least)
        refuse(source, prefix + key, std::to_string(value),
               "must be at least " + std::to_string(least));
}

// The counts decide how many indexed keys exist and how large every grid is, so
// they are checked before anything is sized from them.
void validateCounts(const RuleOptions& o, const std::string& source) {
    requireAtLeast(source, "fieldWidth", o.fieldWidth, 1);
    requireAtLeast(source, "fieldHeight", o.fieldHeight, 1);
    requireAtLeast(source, "players", o.players, 1);
    requireAtLeast(source, "antsPerPlayer", o.antsPerPlayer, 1);
    requireAtLeast(source, "noOfPortals", o.noOfPortals, 0);
    if (std::int64_t{o.fieldWidth} * o.fieldHeight > maxFieldCells)
        refuse(source, prefix + "fieldWidth x " + prefix + "fieldHeight",
               std::to_string(o.fieldWidth) + " x " + std::to_string(o.fieldHeight),
               "the field may have at most " + std::to_string(maxFieldCells) + " cells");
    // Every ant starts on a cell and every portal end is a cell of its own: more of either
    // than the field has cells cannot be placed, and the second pass would register keys for
    // each of them first (two hundred million portals asked for gigabytes).
    const std::int64_t cells = std::int64_t{o.fieldWidth} * o.fieldHeight;
    if (std::int64_t{o.players} * o.antsPerPlayer > cells)
        refuse(source, prefix + "players x " + prefix + "antsPerPlayer",
               std::to_string(o.players) + " x " + std::to_string(o.antsPerPlayer),
               "there are more ants than the " + std::to_string(cells) + " cells of the field");
    if (std::int64_t{o.noOfPortals} * 2 > cells)
        refuse(
            source, prefix + "noOfPortals", std::to_string(o.noOfPortals),
            "the portal ends need more than the " + std::to_string(cells) + " cells of the field");
}

// Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on
// "literal" + std::string temporaries.
std::string cellText(Position p) {
    std::string text = "(";
    text += std::to_string(p.x);
    text += ", ";
    text += std::to_string(p.y);
    text += ")";
    return text;
}

// An ant or portal end off the field would index the knowledge grids out of range.
void requireOnField(const RuleOptions& o, const std::string& source, const std::string& keys,
                    Position p) {
    if (p.x < 0 || p.y < 0 || p.x >= o.fieldWidth || p.y >= o.fieldHeight)
        refuse(source, keys, cellText(p),
               "the cell is outside the " + std::to_string(o.fieldWidth) + " x " +
                   std::to_string(o.fieldHeight) + " field");
}

void parsePass(const std::string& text, const po::options_description& description) {
    std::istringstream in(text);
    po::variables_map values;
    try {
        // A missing file reads as an empty one: every key keeps its default.
        po::store(po::parse_config_file(in, description, true), values);
    } catch (const po::multiple_occurrences& e) {
        std::cerr << e.what() << " from option: " << e.get_option_name() << "\n";
        throw;
    }
    po::notify(values);
}

}  // namespace

RuleOptions::RuleOptions() : startPositions{{{0, 5}, {0, 7}}, {{19, 5}, {19, 7}}}, noOfPortals(0) {}

RuleOptions::RuleOptions(const std::string& path)
    : RuleOptions(*std::make_unique<std::ifstream>(path), path) {}

RuleOptions::RuleOptions(std::istream& in, const std::string& path) {
    // Both passes read the same text. Boost 1.74 builds its error texts by replacing
    // placeholders such as "%value%" until none is left, so a value holding its own
    // placeholder makes what() loop for ever; no option here takes a '%', so swapping it
    // out changes no outcome, only how such a value is echoed in the error.
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::replace(text.begin(), text.end(), '%', '?');
    bool help = false;
    po::options_description description("Veltrix Game Options", 80, 40);
    description.add_options()("Problem.Veltrix.fieldWidth",
                              po::value<std::int32_t>(&fieldWidth)->default_value(20),
                              "Width of playing field")(
        "Problem.Veltrix.fieldHeight", po::value<std::int32_t>(&fieldHeight)->default_value(13),
        "Height of playing field")("Problem.Veltrix.movesPerAnt",
                                   po::value<std::int32_t>(&movesPerAnt)->default_value(40),
                                   "Moves per Ant")(
        "Problem.Veltrix.foodPieces", po::value<std::int32_t>(&foodPieces)->default_value(32),
        "FoodPieces available on playing field")(
        "Problem.Veltrix.players", po::value<std::int32_t>(&players)->default_value(2),
        "Number of Players")(
        "Problem.Veltrix.antsPerPlayer", po::value<std::int32_t>(&antsPerPlayer)->default_value(2),
        "Ants per Player")("Problem.Veltrix.antVisibilityRadius",
                           po::value<std::int32_t>(&antVisibilityRadius)->default_value(2),
                           "Visibility Radius of Ant")(
        "Problem.Veltrix.battleRounds", po::value<std::int32_t>(&battleRounds)->default_value(5),
        "Rounds a Battle lasts")("Problem.Veltrix.gamesPerMatch",
                                 po::value<std::int32_t>(&gamesPerMatch)->default_value(5),
                                 "Games per Match")(
        "Problem.Veltrix.noOfPortals", po::value<std::int32_t>(&noOfPortals)->default_value(3),
        "Number of Portals")("Problem.Veltrix.help", po::value<bool>(&help)->default_value(false),
                             "Display Veltrix Game Options");

    parsePass(text, description);
    validateCounts(*this, path);

    // The indexed keys exist only now that the counts are known.
    startPositions.assign(static_cast<std::size_t>(players),
                          std::vector<Position>(static_cast<std::size_t>(antsPerPlayer)));
    std::vector<std::vector<Position>> starts = startPositions;
    for (std::int32_t i = 0; i < players; ++i) {
        for (std::int32_t j = 0; j < antsPerPlayer; ++j) {
            Position& cell = starts[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
            const Position fallback = defaultStart(i, j);
            const std::string n = std::to_string(i) + " ant " + std::to_string(j);
            description.add_options()(
                startKey(i, j, "x").c_str(),
                po::value<std::int32_t>(&cell.x)->default_value(fallback.x),
                ("Sets the starting postion of player " + n + " x coordinate").c_str())(
                startKey(i, j, "y").c_str(),
                po::value<std::int32_t>(&cell.y)->default_value(fallback.y),
                ("Sets the starting postion of player " + n + " y coordinate").c_str());
        }
    }
    std::vector<Position> left(static_cast<std::size_t>(noOfPortals));
    std::vector<Position> right(static_cast<std::size_t>(noOfPortals));
    for (std::int32_t i = 0; i < noOfPortals; ++i) {
        const std::string n = "Sets the portal position of portal " + std::to_string(i);
        const auto k = static_cast<std::size_t>(i);
        description.add_options()(portalKey(i, "lx").c_str(),
                                  po::value<std::int32_t>(&left[k].x)->required(),
                                  (n + "(left x)").c_str())(
            portalKey(i, "ly").c_str(), po::value<std::int32_t>(&left[k].y)->required(),
            (n + "(left y)").c_str())(portalKey(i, "rx").c_str(),
                                      po::value<std::int32_t>(&right[k].x)->required(),
                                      (n + "(right x)").c_str())(
            portalKey(i, "ry").c_str(), po::value<std::int32_t>(&right[k].y)->required(),
            (n + "(right y)").c_str());
    }

    parsePass(text, description);

    if (help) {
        std::cout << "Requested Veltrix Option Help:\n"
                  << description << "\n"
                  << "Help end\n";
    }

    startPositions = starts;
    portalLeft = left;
    portalRight = right;
    validate(path);
}

void RuleOptions::validate(const std::string& source) const {
    validateCounts(*this, source);
    if (startPositions.size() != static_cast<std::size_t>(players))
        refuse(source, prefix + "players", std::to_string(players),
               "there are start cells for " + std::to_string(startPositions.size()) + " players");
    for (std::int32_t i = 0; i < players; ++i) {
        const auto& ants = startPositions[static_cast<std::size_t>(i)];
        if (ants.size() != static_cast<std::size_t>(antsPerPlayer))
            refuse(source, prefix + "antsPerPlayer", std::to_string(antsPerPlayer),
                   "player " + std::to_string(i) + " has " + std::to_string(ants.size()) +
                       " start cells");
        for (std::int32_t j = 0; j < antsPerPlayer; ++j)
            requireOnField(*this, source, startKey(i, j, "x") + ", " + startKey(i, j, "y"),
                           ants[static_cast<std::size_t>(j)]);
    }
    if (portalLeft.size() != static_cast<std::size_t>(noOfPortals) ||
        portalRight.size() != static_cast<std::size_t>(noOfPortals))
        refuse(source, prefix + "noOfPortals", std::to_string(noOfPortals),
               "there are " + std::to_string(portalLeft.size()) + " left and " +
                   std::to_string(portalRight.size()) + " right portal ends");
    for (std::int32_t i = 0; i < noOfPortals; ++i) {
        const auto k = static_cast<std::size_t>(i);
        requireOnField(*this, source, portalKey(i, "lx") + ", " + portalKey(i, "ly"),
                       portalLeft[k]);
        requireOnField(*this, source, portalKey(i, "rx") + ", " + portalKey(i, "ry"),
                       portalRight[k]);
    }
    // Two portal ends on one cell would make one pair overwrite the other in the
    // portal maps: a portal silently lost and the two directions out of step.
    std::vector<std::pair<Position, std::string>> ends;
    for (std::int32_t i = 0; i < noOfPortals; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const std::pair<Position, std::string> mine[] = {
            {portalLeft[k], portalKey(i, "lx") + ", " + portalKey(i, "ly")},
            {portalRight[k], portalKey(i, "rx") + ", " + portalKey(i, "ry")}};
        for (const auto& end : mine) {
            for (const auto& [cell, keys] : ends)
                if (cell == end.first)
                    refuse(source, end.second, cellText(end.first),
                           "the cell is already a portal end (" + keys + ")");
            ends.push_back(end);
        }
    }
}

PlayerId makePlayerId(std::int32_t i, const RuleOptions& options) {
    if (i < 0 || i >= options.players)
        throw std::logic_error("invalid id for player creation: " + std::to_string(i));
    return i;
}

AntId makeAntId(std::int32_t j, const RuleOptions& options) {
    if (j < 0 || j >= options.antsPerPlayer)
        throw std::logic_error("invalid id for ant-creation: " + std::to_string(j));
    return j;
}

}  // namespace Veltrix
