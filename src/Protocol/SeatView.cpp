#include "Protocol/SeatView.h"

#include <stdexcept>
#include <string>

namespace Veltrix::Protocol {

View makeView(const Referee& referee, PlayerId seat) {
    const GameState& state = referee.state;
    const Player& player = state.players.at(seat);
    View view;
    view.seat = seat;
    view.move = referee.movesMade();
    view.turn = referee.currentPlayer();
    for (const auto& [id, p] : state.players)
        if (id >= 0 && id < 2) view.scores[static_cast<std::size_t>(id)] = p.score;
    view.moveCount = player.moveCount;
    for (const auto& [id, ant] : player.ants) view.ants.push_back({id, ant});
    view.visible.assign(player.visible.begin(), player.visible.end());
    for (std::size_t y = 0; y < player.knowledge.size(); ++y)
        for (std::size_t x = 0; x < player.knowledge[y].size(); ++x)
            if (player.knowledge[y][x].seen)
                view.known.push_back({{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)},
                                      player.knowledge[y][x]});
    for (const auto& [enemy, sightings] : player.seenEnemies)
        for (const auto& [id, seen] : sightings) view.enemies.push_back({enemy, seen});
    return view;
}

namespace {

void checkCell(Position p, const RuleOptions& options, const char* what) {
    if (p.x < 0 || p.y < 0 || p.x >= options.fieldWidth || p.y >= options.fieldHeight)
        throw std::out_of_range(std::string(what) + " (" + std::to_string(p.x) + ", " +
                                std::to_string(p.y) + ") is outside the field");
}

}  // namespace

Player playerFromView(const View& view, const RuleOptions& options) {
    Player player;
    player.knowledge.assign(
        static_cast<std::size_t>(options.fieldHeight),
        std::vector<CellKnowledge>(static_cast<std::size_t>(options.fieldWidth)));
    for (const SeatAnt& a : view.ants) {
        // An ant that left the field keeps the cell it tried to leave, which is on it.
        checkCell(a.ant.position(), options, "ant");
        player.ants[a.id] = a.ant;
    }
    for (const Position p : view.visible) {
        checkCell(p, options, "visible cell");
        player.visible.insert(p);
    }
    for (const KnownCell& k : view.known) {
        checkCell(k.cell, options, "known cell");
        player.knowledge[static_cast<std::size_t>(k.cell.y)][static_cast<std::size_t>(k.cell.x)] =
            k.knowledge;
    }
    for (const Sighting& s : view.enemies) player.seenEnemies[s.player][s.ant.id] = s.ant;
    player.moveCount = view.moveCount;
    player.score =
        view.seat >= 0 && view.seat < 2 ? view.scores[static_cast<std::size_t>(view.seat)] : 0;
    return player;
}

}  // namespace Veltrix::Protocol
