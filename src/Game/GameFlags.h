#pragma once
// Game-wide flags that outlive a single game and are read by drawables that have no
// pointer to the controller.
namespace VX3D {

struct GameFlags {
    // Set by the controller once player 0 can no longer move but is not behind: from then
    // on player 1's ants, their energy bars and their walks' fog updates are shown.
    inline static bool enemyUncovered = false;
    // The player whose ants' walks clear the fog and show their energy bars: player 0, the
    // player at this machine, except in a replay fixed on player 1's view.
    inline static int viewedPlayer = 0;
};

}  // namespace VX3D
