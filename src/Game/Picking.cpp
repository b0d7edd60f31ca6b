// Picking and the move command: the left button selects an ant of the player to move, a drag
// sets the move indicator's end on the ground, the release carries out the move; "Q" drops
// the selection.
#include "Game/Game.h"

#include <cmath>
#include <iostream>

namespace VX3D {

std::optional<glm::vec4> Game::groundUnderCursor(const glm::mat4& vp) const {
    const ScreenRay ray = input_->screenRay(vp);
    // The ground y = 0 lies ahead only when the ray runs towards it; a cursor on or above the
    // horizon would give a point behind the eye or none at all.
    if (!(ray.direction.y != 0.0f)) return std::nullopt;
    const float t = -ray.origin.y / ray.direction.y;
    if (!(t > 0.0f) || !std::isfinite(t)) return std::nullopt;
    const glm::vec4 hit = input_->intersectPlane(vp, glm::vec4(0, 0, 0, 1), glm::vec4(1, 0, 0, 1),
                                                 glm::vec4(0, 0, -1, 1));
    if (!std::isfinite(hit.x) || !std::isfinite(hit.z)) return std::nullopt;
    return hit;
}

void Game::selectAnt() {
    // While a move source plays (a replay), the mouse only looks; under the end splash or the
    // hand-over screen the field is hidden: nothing is picked, nothing reported.
    if (!inputAllowed || moves_ || gameOverShown || handoverPending) return;
    const glm::mat4 vp = viewProjection(currentPlayer);
    const ScreenRay ray = input_->screenRay(vp);
    // No early exit: when the ray hits several ants the highest id wins.
    for (auto& [id, a] : view(currentPlayer).ants) {
        if (!a->hitTest(ray.origin, ray.direction)) continue;
        std::cout << "Selecting Ant " << id << " of player " << currentPlayer << std::endl;
        const Veltrix::Position cell =
            referee.state.players.at(currentPlayer).ants.at(id).position();
        const glm::vec4 ground = groundUnderCursor(vp).value_or(glm::vec4(cellCentre(cell), 1.0f));
        selection = std::make_shared<MoveIndicator>(id, cell, ground);
    }
}

void Game::updateMoveIndicator() {
    if (!selection) return;
    // Above the horizon the indicator keeps its last good end.
    if (const auto ground = groundUnderCursor(viewProjection(currentPlayer)))
        selection->setTarget(*ground);
}

void Game::moveSelectedAnt() {
    executeMove();
}

void Game::unselectAnt() {
    selection.reset();
}

}  // namespace VX3D
