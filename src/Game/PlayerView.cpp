#include "Game/Game.h"

#include "Window/Window.h"

#include <algorithm>
#include <utility>

namespace VX3D {

glm::vec4 playerColour(Veltrix::PlayerId player) {
    return player == 0 ? glm::vec4(1.0f, 0.0f, 0.0f, 1.0f) : glm::vec4(0.0f, 0.0f, 1.0f, 1.0f);
}

int initialFacing(Veltrix::Position cell, int fieldWidth, int fieldHeight) {
    const int dx = std::max(cell.x, fieldWidth - cell.x);
    const int dy = std::max(cell.y, fieldHeight - cell.y);
    if (dx > dy) return cell.x > fieldWidth - cell.x ? -1 : 1;
    return cell.y > fieldHeight - cell.y ? -1 : 1;
}

PlayerView::PlayerView(Veltrix::PlayerId player, const Veltrix::RuleOptions& rules,
                       const Veltrix::GameState& state, int movesPerAnt,
                       std::shared_ptr<Floor> sharedFloor)
    : antCount(rules.antsPerPlayer), options(&rules), floor(std::move(sharedFloor)) {
    const auto& playerState = state.players.at(player);
    for (Veltrix::AntId a = 0; a < antCount; ++a) {
        const Veltrix::Position cell = playerState.ants.at(a).position();
        ants.emplace(
            a, std::make_unique<Ant>(cell, initialFacing(cell, rules.fieldWidth, rules.fieldHeight),
                                     playerColour(player), floor, movesPerAnt, player));
    }
    // Behind ant 0, looking along its facing.
    const Ant& first = ant(0);
    const float s = first.facing.x;
    camera.placeAt({first.position.x - 6.0f * s, 4.0f, first.position.z});
    camera.target = first.position;
    camera.following = true;
}

void PlayerView::update(const FrameClock& clock, const InputManager& input, bool handleTab,
                        const Camera::KeyDown& keyDown) {
    for (auto& [id, a] : ants) a->update(clock);
    if (handleTab && input.wasPressedThisFrame(Game::tabKey)) {
        const glm::vec3 before = ant(focusedAnt).position;
        focusedAnt = (focusedAnt + 1) % antCount;
        // The camera keeps its offset to the ant it follows.
        camera.placeAt(glm::vec3(camera.eye) + (ant(focusedAnt).position - before));
    }
    camera.target = ant(focusedAnt).position + glm::vec3(0.0f, 0.4f, 0.0f);
    camera.following = true;
    camera.handleInput(clock, input.frameMouseMovement(), keyDown, keyDown(Game::cameraButton));
}

}  // namespace VX3D
