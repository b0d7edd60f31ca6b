#pragma once
// The run of the game: everything it owns, the start-up that builds it, the body of one frame
// and the end of the run. The game's entry point and the measuring tools build their runs
// through these same steps, so that what a tool measures is what the game does.
#include "Drawables/Environment/Environment.h"
#include "Drawables/Fog/Fog.h"
#include "Drawables/Skybox/Skybox.h"
#include "Drawables/Sun/Sun.h"
#include "FBO/FBO.h"
#include "Game/Game.h"
#include "Client/SeatLink.h"
#include "Game/ReplayMoves.h"
#include "Game/ServerSeat.h"
#include "Manager/InputManager/InputManager.h"
#include "Manager/SoundManager/Soundmanager.h"
#include "Manager/TextManager/TextManager.h"
#include "Shader/ShaderProgram.h"
#include "Records/GameRecord.h"
#include "Texture/Texture.h"
#include "Veltrix/GameRandom.h"
#include "Veltrix/Referee.h"
#include "Veltrix/RuleOptions.h"
#include "Veltrix3D/ClientOptions.h"
#include "Veltrix3D/CommandLine.h"
#include "Veltrix3D/FrameBeat.h"
#include "Veltrix3D/RenderState.h"
#include "Window/FrameClock.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace VX3D {

// Counts the primitives of one frame; the count is read at the start of the next frame, so
// the frame-rate line shows the previous frame's.
class PrimitiveCounter {
public:
    PrimitiveCounter();
    ~PrimitiveCounter();
    PrimitiveCounter(const PrimitiveCounter&) = delete;
    PrimitiveCounter& operator=(const PrimitiveCounter&) = delete;

    // Blocks until the previous frame's count is there. Before the first frame nothing was
    // counted, and the count stays 0.
    void readPrevious();
    void begin();
    void end();
    std::uint32_t count() const { return count_; }

private:
    GLuint query_ = 0;
    GLuint count_ = 0;
    bool counted_ = false;
};

// Everything the run owns, in the order of creation, so that it is destroyed in reverse.
// Objects that a later step makes are optional until then: after an error only what was
// built is destroyed.
struct Session {
    ClientOptions options;
    std::optional<Veltrix::GameRandom> random;
    std::optional<GLutil::Texture> loadingScreen;
    std::optional<GLutil::Texture> winSplash;
    std::optional<GLutil::Texture> loseSplash;
    std::optional<GLutil::Texture> drawSplash;
    std::optional<Veltrix::RuleOptions> rules;
    std::optional<Veltrix::Referee> startupReferee;  // only its draws from the random source matter
    std::optional<Soundmanager> sound;
    std::optional<TextManager> text;
    std::optional<FrameClock> clock;
    // Replaced together on a new game: released controller first, input manager last.
    std::shared_ptr<InputManager> input;
    std::shared_ptr<RenderState> renderState;
    // The scene around the game, kept across new games.
    std::optional<Skybox> skybox;
    std::optional<Fog> fog;
    std::optional<Sun> sun;
    std::optional<Environment> environment;
    glm::mat4 projection{1.0f};
    std::shared_ptr<Game> game;  // replaced on a new game, with the input manager and render state
    std::shared_ptr<GLutil::ShaderProgram> objectShader;  // exists for the run, never linked
    std::optional<GLutil::FBO> shadowTarget;
    std::optional<GLutil::FBO> sceneTarget;
    std::optional<PrimitiveCounter> primitives;
    FrameBeat beat;
    std::string rulesFile = "VX.conf";
    bool screenshotRequested = false;  // "P": the next finished frame is saved
    std::int64_t gamesStarted = 0;     // the number of the current game in the run, from 1
    // A replay instead of a game: the record (checked before the window opened), its moves as
    // the controller's move source, the view V chose (0, 1: that player's; 2: the whole field).
    std::shared_ptr<const Veltrix::GameRecord> replay;
    std::shared_ptr<ReplayMoves> replayMoves;
    int replayView = 0;
    bool replayEndReported = false;
    // A match through a server instead of a local game: what was asked for, the link (polled
    // every frame), the start message until the first view comes, then the seat the game
    // plays; the match's code, the server's last error and the trouble last reported.
    std::optional<ServerMatch> serverMatch;
    std::shared_ptr<Veltrix::Client::SeatLink> link;
    std::optional<Veltrix::Protocol::Start> serverStart;
    std::shared_ptr<ServerSeat> serverSeat;
    std::string matchCode;
    std::string serverError;
    std::string reportedTrouble;
    // The opponent's colour while this seat waits for it to accept a rematch; empty otherwise.
    std::string rematchWith;
    // 1 when the server was never reached: Escape then ends the process with it.
    int exitStatus = 0;
};

// The shadow target (3000 × 2000, one depth texture) and the scene target (window size,
// mipmaps, a depth buffer and three colour textures: colour, shadow mask, normals).
inline constexpr int shadowTargetWidth = 3000;
inline constexpr int shadowTargetHeight = 2000;

// Where a run reads its two files; the game uses the working directory's.
struct SessionFiles {
    std::string clientOptions = "VX3D.conf";
    std::string rules = "VX.conf";
    std::string replay;                 // a game record to show instead of a new game
    std::optional<ServerMatch> server;  // a match through a server instead of a local game
};

// Reads a game record for the window and replays it through the rules before anything is
// opened; raises std::runtime_error ("cannot replay " + why) for a record that is damaged,
// of a newer format version, does not replay, or is not of two players with two ants.
std::shared_ptr<const Veltrix::GameRecord> loadReplay(const std::string& file);

// Opens the window with its OpenGL context. Without a context nothing can be drawn: GLEW's
// failure ends the process at once with status 1.
void openWindow(const ClientOptions& options);

// Reads the options (and the record to replay), opens the window and builds every object of
// the run in order. Raises whatever a step raises; what was built stays in the session for
// the orderly shutdown.
void startUp(Session& session, const SessionFiles& files = {});

// One frame of the loop, input and the keys "R" and "L" included.
void runFrame(Session& session);

// What the window shows this frame (between clearing and the texts): the end splash by the
// sun's balance once the game is over, else the scene through the render sequence.
void drawScreen(Session& session);

// The splash for a score balance: the win splash while player 0 is ahead (below 0), the lose
// splash while player 1 is, the draw splash at 0.
GLutil::Texture& endSplash(Session& session, int balance);

// The splash for the server's verdict on this window's seat ("win", "lose", else the draw).
GLutil::Texture& matchSplash(Session& session, const std::string& result);

// A match through a server. Before the window opens: the request, and for --resume the seat's
// token from its file in the working directory (std::runtime_error naming the file when it
// cannot be read). In place of the first game: the connection, made in the background.
void prepareServerMatch(Session& session, const ServerMatch& match);
void connectToServer(Session& session);
// Every frame: the link's messages until the game begins (the code, the start, the first
// view), then the game takes them; the line the window shows about the match and its trouble,
// also written once to standard error.
void pollServerMatch(Session& session);
// "L" in a server's match, once it ended (or the server refused or dropped it). Against a human
// still connected: a rematch, which begins once the opponent presses "L" too. Otherwise a new
// match on the same server, created as the first was (a joined or resumed seat creates one),
// its code shown for the opponent to join.
bool serverMatchOver(const Session& session);
void newServerMatch(Session& session);
bool canAskForRematch(const Session& session);
void askForRematch(Session& session);
void reconnectForNewMatch(Session& session);
// Where --resume finds the seat's token: "seat-" + the code + ".token", readable only by the
// owner.
std::string seatTokenFile(const std::string& code);

// "L": the game is thrown away and a new one begins from the current random state (a replay
// starts again from its first move).
void newGame(Session& session);

// The replay's keys: Enter pauses and resumes, the right arrow shows the next move at once,
// V switches between player 0's view, player 1's view and the whole field.
void handleReplayKeys(Session& session);

// Escape (also a press already released: the sticky test consumes it) or a close request.
bool endRequested();

// The close button ends the loop after the current frame.
void requestClose();

// Blocks of a megabyte and more (decoded images, textures, render targets, most of them
// Mesa's) get memory mapped for themselves and go back to the system when freed. The C
// library would otherwise raise that limit each time such a block is freed, so that later
// ones stay in its heap and leave holes there: about 10 MiB more resident in play.
void keepLargeBlocksApart();

// Ctrl+C (SIGINT) and SIGTERM end the run like the close button: the frame completes and the
// shutdown runs in order. The handler puts both signals back to their default action, so a
// second one ends a stuck shutdown at once.
void installStopSignals();

// Thrown between start-up steps once a stop signal has arrived: what was built is torn down as
// after the loop, and the process ends normally.
struct StopDuringStartUp {};

// Runs the loop until Escape, the close button or a stop signal.
void runLoop(Session& session);

// Runs the step; a standard exception prints "caught exception: " + its message on standard
// error, anything else "caught unknown exception", a stop during start-up "Stopped by signal
// during start-up" on standard output. Returns 0, or 1 after an error.
int guarded(const std::function<void()>& step);

// After the session's objects are gone: closes the window library and reports the shader
// programs that are still alive.
void finishProcess();

}  // namespace VX3D
