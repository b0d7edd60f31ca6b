#include "Records/RulesJson.h"

#include <cstdint>
#include <limits>
#include <sstream>
#include <stdexcept>

namespace Veltrix {
namespace {

const std::string prefix = "Problem.Veltrix.";

}  // namespace

nlohmann::ordered_json rulesToJson(const RuleOptions& r) {
    nlohmann::ordered_json o;
    o[prefix + "fieldWidth"] = r.fieldWidth;
    o[prefix + "fieldHeight"] = r.fieldHeight;
    o[prefix + "movesPerAnt"] = r.movesPerAnt;
    o[prefix + "foodPieces"] = r.foodPieces;
    o[prefix + "players"] = r.players;
    o[prefix + "antsPerPlayer"] = r.antsPerPlayer;
    o[prefix + "antVisibilityRadius"] = r.antVisibilityRadius;
    o[prefix + "battleRounds"] = r.battleRounds;
    o[prefix + "gamesPerMatch"] = r.gamesPerMatch;
    o[prefix + "noOfPortals"] = r.noOfPortals;
    for (std::size_t i = 0; i < r.startPositions.size(); ++i)
        for (std::size_t j = 0; j < r.startPositions[i].size(); ++j) {
            const std::string key =
                prefix + "startPosition_p" + std::to_string(i) + "a" + std::to_string(j);
            o[key + "x"] = r.startPositions[i][j].x;
            o[key + "y"] = r.startPositions[i][j].y;
        }
    for (std::size_t i = 0; i < r.portalLeft.size() && i < r.portalRight.size(); ++i) {
        const std::string key = prefix + "portalPos_p" + std::to_string(i);
        o[key + "lx"] = r.portalLeft[i].x;
        o[key + "ly"] = r.portalLeft[i].y;
        o[key + "rx"] = r.portalRight[i].x;
        o[key + "ry"] = r.portalRight[i].y;
    }
    return o;
}

RuleOptions rulesFromJson(const nlohmann::ordered_json& object, const std::string& source) {
    if (!object.is_object())
        throw std::logic_error("rules in " + source + ": expected an object of rule keys");
    // The rules file reader does the checking; the object becomes the file it would read.
    std::ostringstream text;
    for (const auto& [key, value] : object.items()) {
        // The reader's help key would print its option list into the caller's output.
        if (key.rfind(prefix, 0) != 0 || key == prefix + "help")
            throw std::logic_error(source + ": " + key + " is not a rule of this game");
        const bool fits = value.is_number_integer() &&
                          value.get<std::int64_t>() >= std::numeric_limits<std::int32_t>::min() &&
                          value.get<std::int64_t>() <= std::numeric_limits<std::int32_t>::max();
        if (!fits)
            throw std::logic_error(source + ": " + key + " = " + value.dump() +
                                   " is invalid: expected a 32-bit integer");
        text << key << '=' << value.get<std::int64_t>() << '\n';
    }
    std::istringstream in(text.str());
    RuleOptions rules(in, source);
    // The file reader lets unknown keys pass (a file may hold other settings); here every key
    // must be a rule, or a value the writer meant would be silently dropped.
    const nlohmann::ordered_json known = rulesToJson(rules);
    for (const auto& [key, value] : object.items())
        if (!known.contains(key))
            throw std::logic_error(
                source + ": " + key +
                " is not a rule of this game (or its index is beyond the counts)");
    return rules;
}

}  // namespace Veltrix
