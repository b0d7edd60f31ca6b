#pragma once
// The end of a game as the game controller applies it after every move; the
// match runner uses the same function so that replays and the game agree.

#include "Veltrix/Referee.h"

namespace Veltrix {

// The game is over when
//  - the number of moves made reaches movesPerAnt x players x antsPerPlayer, or
//  - the state's isOver() holds (no food left, or no ant anywhere can move), or
//  - some player's score exceeds foodPieces / 2, or
//  - a player can no longer move and is behind: with two players, player i
//    stuck with a lower score than player 1 - i. With more players the rule
//    generalises to: every player but one is stuck, each behind that one.
bool isGameOver(const Referee& referee);

// The player with the highest score, or -1 when the highest score is shared (a draw).
PlayerId gameWinner(const GameState& state);

}  // namespace Veltrix
