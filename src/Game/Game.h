#pragma once
// The controller of one game: joins the rules engine to the scene, the input, the sounds and
// the screen texts. It owns the referee, one view per player (camera, floor, ants), the food
// and portal drawables, the selection and the computer opponent's data; it runs the turns
// (human against the computer, two humans at one machine, or one seat of a server's match, where
// the server's views replace the referee's state and its outcomes the referee's moves), turns
// each move's outcome into animations, sounds and score lines, and draws the scene as the
// viewing player sees it.
//
// The frame loop owns one Game and replaces it for a new game. Everything here runs on the
// frame-loop thread; the input handlers run inside the buffer swap's event processing.
#include "Drawables/Ant3D/Ant.h"
#include "Drawables/Environment/Environment.h"
#include "Drawables/Floor/Floor.h"
#include "Drawables/Fog/Fog.h"
#include "Drawables/Food/Food.h"
#include "Drawables/MoveIndicator/MoveIndicator.h"
#include "Drawables/Portal/Portal.h"
#include "Drawables/Skybox/Skybox.h"
#include "Drawables/Sun/Sun.h"
#include "Game/Camera.h"
#include "Game/MoveSource.h"
#include "Game/ServerSeat.h"
#include "Manager/InputManager/InputManager.h"
#include "Manager/SoundManager/Soundmanager.h"
#include "Manager/TextManager/TextManager.h"
#include "Texture/Texture.h"
#include "Records/GameRecord.h"
#include "Texture/TextureHandle.h"
#include "Veltrix/ComputerOpponent.h"
#include "Veltrix/GameRandom.h"
#include "Veltrix/Referee.h"
#include "Veltrix/RuleOptions.h"
#include "Window/FrameClock.h"

#include <glm/glm.hpp>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace VX3D {

// The client shows two players with two ants each (the cameras, the fog and the animations
// follow pairs of ants). Raises std::logic_error naming the file, the key and its value for
// rules with other counts; the rules engine and the match runner accept them.
void checkClientRules(const Veltrix::RuleOptions& rules, const std::string& file);

// Player 0 red, player 1 blue: the ants (the colour also picks the model) and the hand-over
// screen.
glm::vec4 playerColour(Veltrix::PlayerId player);

// Facing sign (+1 or −1 along world x) of a new ant at cell (x, y): towards the farther edge.
int initialFacing(Veltrix::Position cell, int fieldWidth, int fieldHeight);

// Where an attacker will stand and face when its move is shown: the end of its running move
// or portal move, else (it did not walk) where it stands now.
std::pair<glm::vec3, glm::vec3> attackerPose(const Ant& attacker);

// One player's view of the game: the camera that follows one of its ants, the floor and the
// player's animated ants. The floor is the same field for every view: the game makes one and
// all views share it (its textures and relief cost megabytes).
class PlayerView {
public:
    PlayerView(Veltrix::PlayerId player, const Veltrix::RuleOptions& options,
               const Veltrix::GameState& state, int movesPerAnt, std::shared_ptr<Floor> floor);
    PlayerView(const PlayerView&) = delete;
    PlayerView& operator=(const PlayerView&) = delete;

    // Advances the ants; with handleTab a Tab press moves the focus to the next ant and the
    // camera keeps its offset to the followed ant. Then the camera follows the focused ant and
    // applies the frame's mouse and the keys and buttons that keyDown reports held.
    void update(const FrameClock& clock, const InputManager& input, bool handleTab,
                const Camera::KeyDown& keyDown);

    Ant& ant(Veltrix::AntId id) { return *ants.at(id); }
    const Ant& ant(Veltrix::AntId id) const { return *ants.at(id); }

    std::map<Veltrix::AntId, std::unique_ptr<Ant>> ants;
    int antCount;
    const Veltrix::RuleOptions* options;
    Camera camera;
    std::shared_ptr<Floor> floor;
    int focusedAnt = 0;
};

// Where a game's record goes and what its header says about the run.
struct GameRecording {
    std::filesystem::path directory = "records";
    std::uint32_t seed = 0;
    std::int64_t game = 1;  // 1 for the first game of the run, 2 after one "L", ...
    std::vector<Veltrix::RecordSide> sides;
};

// How a game is played beyond the rules file and the opponent setting.
struct GameSetup {
    std::optional<Veltrix::RuleOptions> rules;  // instead of the rules file's (a replay's)
    std::shared_ptr<MoveSource> moves;          // instead of the mouse and the computer
    std::optional<GameRecording> recording;     // not recorded without one
    // Instead of the referee: a seat of a match refereed by a server. The game plays from
    // that seat's views alone and sends its moves there.
    std::shared_ptr<ServerSeat> server;
};

class Game {
public:
    static constexpr int selectButton = 0;  // left mouse button
    static constexpr int cameraButton = 1;  // right mouse button
    static constexpr int unselectKey = 'Q';
    static constexpr int tabKey = 293;
    static constexpr int handoverKey = 32;  // Space
    static constexpr double moveDuration = 3.0;
    static constexpr double doneMoveDuration = 0.2;  // the last move of a player who is done

    Game(InputManager* input, Soundmanager* sounds, TextManager* text, Sun* sun,
         Environment* environment, Skybox* skybox, Fog* fog, FrameClock* clock,
         const glm::mat4& projection, Veltrix::GameRandom* random, bool aiOpponent, int movesPerAnt,
         const std::string& rulesFile = "VX.conf", GameSetup setup = {});
    // A game destroyed before its end ("L", the window closed, a stop signal) closes its
    // record as abandoned.
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Once per frame before drawing: views and cameras, the end of a shown move, the turn
    // change and the computer's move.
    void update(const FrameClock& clock, InputManager& input);

    void drawShadow(const FrameClock& clock);
    void drawScene(const FrameClock& clock);
    // Moves the fog and draws it into the bound target, seen by the viewing player; returns
    // the cover the compositing lays beneath it.
    FogCover drawFog(const FrameClock& clock);
    // Draws the selected ant alone in its colour; returns its distance to the eye, 0 without
    // a selection.
    float drawSelected(const FrameClock& clock);

    glm::mat4 currentViewMatrix() const;
    Sun* sun() const { return sun_; }

    // One move of the current player: the selection's (human) or the computer's.
    void executeMove();

    // The input handlers, registered at construction.
    void selectAnt();
    void updateMoveIndicator();
    void moveSelectedAnt();
    void unselectAnt();
    // Space on the hand-over screen: the next player's view comes up and takes commands.
    void takeDownHandover();

    // The player whose view is drawn: the fixed viewer where one is set (a replay's V) and
    // the cheat view is off; player 0 against the computer (unless the cheat view or the
    // uncovered enemy shows all); else whoever moves.
    Veltrix::PlayerId viewingPlayer() const;
    // Fixes the view on one player (the walks of its ants clear the fog), or with nothing
    // returns to the rule above.
    void fixViewer(std::optional<Veltrix::PlayerId> player);

    // Ends the move being shown now: the clock skips to its end, so walks, clips and texts
    // finish as they would have (the replay's "next move at once").
    void finishShownMoveNow(FrameClock& clock);

    // Closes the record (if a move was made and it is still open) as abandoned.
    void abandon();
    // The record being written or last closed; empty before the first move or unrecorded.
    std::filesystem::path recordPath() const;
    // A server's match: the seat this window plays, the server's verdict once the match
    // ended ("win", "lose", "draw"; empty before, and for an abandoned match), and the last
    // error the server sent.
    std::optional<Veltrix::PlayerId> seat() const;
    const std::string& matchResult() const { return matchResult_; }
    const std::string& serverError() const { return serverError_; }
    // Where the seat's own record of a server's match goes: records/match-CODE-seatN.jsonl.
    const std::filesystem::path& matchRecordPath() const { return matchRecordPath_; }
    // The other seat thinks: the server's match is on, nothing is being shown, it is not
    // this seat's turn.
    bool waitingForOpponent() const;
    const Veltrix::Referee& rules() const { return referee; }
    // The referee itself, for tools and tests that set up a position.
    Veltrix::Referee& rules() { return referee; }
    PlayerView& view(Veltrix::PlayerId player) { return *views.at(player); }
    // The computer opponent's data; nullptr in a game of two humans.
    AIData* opponent() const { return ai.get(); }
    const Food* food(Veltrix::Position cell) const;

    // How many fog visibility updates the periodic step still makes: the fog's two buffers
    // both need one after a restart. Shared by all games of the process.
    inline static int fogRefreshCount = 0;

    // ---- the frame loop reads / writes these ----
    bool gameOverShown = false;
    // Two humans at one machine: when the turn passes to the other one, a screen hides the
    // field until Space, so that neither sees what the other's ants see. Off: the view
    // switches at once.
    bool handoverScreen = false;
    // The hand-over screen is up, waiting for currentPlayer.
    bool handoverPending = false;
    std::shared_ptr<MoveIndicator> selection;
    std::shared_ptr<GLutil::TextureHandle> shadowMap;

    // ---- turn state (read by tests and tools) ----
    Veltrix::PlayerId currentPlayer = 0;
    Veltrix::PlayerId nextPlayer = 0;
    double moveStartTime = -1.0;
    double moveEndTime = -1.0;
    bool inputAllowed = true;
    bool gameOver = false;
    // The effects the last move played, in order (skipped ones are not listed).
    std::vector<std::string> lastMoveSounds;

private:
    InputManager* input_;
    Soundmanager* sounds_;
    TextManager* text_;
    Sun* sun_;
    Environment* environment_;
    Skybox* skybox_;
    Fog* fog_;
    FrameClock* clock_;
    Veltrix::GameRandom* random_;
    glm::mat4 projection_;
    // Where the random source stood before the referee's set-up drew from it: the record's
    // header needs it, and only the constructor sees it.
    Veltrix::RandomPosition startRandom_;
    Veltrix::RuleOptions options_;
    Veltrix::Referee referee;
    std::shared_ptr<MoveSource> moves_;
    std::optional<GameRecording> recording_;
    std::unique_ptr<Veltrix::RecordWriter> record_;
    std::optional<Veltrix::PlayerId> fixedViewer_;
    std::shared_ptr<ServerSeat> server_;
    std::optional<Veltrix::Protocol::Moved> serverMove_;  // shown once its view is in
    std::string matchResult_;
    std::string serverError_;
    // The seat's own record of a server's match: the start, every move as the seat learnt of
    // it, and the end, each line as the server sent it.
    std::unique_ptr<std::ofstream> matchRecord_;
    std::filesystem::path matchRecordPath_;
    void keepInMatchRecord(const std::string& line);

    std::array<KeyActionRegistration, 4> keyRegistrations_;
    MouseMovementRegistration mouseRegistration_;

    std::map<Veltrix::PlayerId, std::unique_ptr<PlayerView>> views;
    std::map<Veltrix::Position, std::unique_ptr<Food>> foods;
    std::vector<GLutil::Texture> portalTextures_;
    std::map<Veltrix::Position, std::unique_ptr<Portal>> portals;
    std::shared_ptr<AIData> ai;
    // The human whose view is on screen, in a game of two humans with the hand-over screen.
    Veltrix::PlayerId revealedPlayer_ = 0;
    // The Space that took the hand-over screen down is still held: the cameras ignore it.
    bool handoverSpaceHeld_ = false;

    // Where the cursor's ray meets the ground, or nothing when it meets it behind the eye or
    // not at all (cursor on or above the horizon).
    std::optional<glm::vec4> groundUnderCursor(const glm::mat4& viewProjection) const;
    glm::mat4 viewProjection(Veltrix::PlayerId player) const;

    void updateFogVisibility();
    // Half the side of the square the fog clears around an ant: the rules' square of cells.
    float fogRange() const { return Fog::clearedHalfSide(options_.antVisibilityRadius); }
    void periodicFogUpdate();
    void finishShownMove();
    void takeSourcedMove();
    // A server's match: the messages in order, each move shown before the next is taken.
    void takeServerMessages();
    void sendMove(Veltrix::AntId antId, Veltrix::Direction direction);
    // The board as the seat knows it: its own player, the enemy ants where last seen, the
    // food and portals of the cells it has seen.
    Veltrix::GameState boardFromView(const Veltrix::Protocol::View& view) const;
    void applyView(const Veltrix::Protocol::View& view);
    void showServerMove(const Veltrix::Protocol::Moved& moved, const Veltrix::Protocol::View& view);
    // Applies one move of the current player, whatever chose it.
    void makeMove(Veltrix::AntId antId, Veltrix::Direction direction);
    void recordMove(Veltrix::AntId antId, Veltrix::Direction direction,
                    Veltrix::RandomPosition before, const Veltrix::MoveOutcome& outcome);
    void closeRecord(const Veltrix::RecordEnd& end);
    void startAnimations(Veltrix::AntId antId, Veltrix::Direction direction,
                         Veltrix::Position oldCell, const Veltrix::MoveOutcome& outcome);
    void playOutcome(Veltrix::AntId antId, const Veltrix::MoveOutcome& outcome, bool playerDone);
    void testEndOfGame();
    void showScoreLine(Veltrix::PlayerId player);
    void play(const std::string& file);

    bool cellVisible(Veltrix::PlayerId viewer, Veltrix::Position cell) const;
};

}  // namespace VX3D
