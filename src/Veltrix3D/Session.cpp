#include "Veltrix3D/Session.h"

#include "Manager/TextManager/HelpOverlay.h"
#include "Shader/CheckPoint.h"
#include "Shader/ContextObjects.h"
#include "Shader/ProgramRegistry.h"
#include "Veltrix3D/BlurBlendPass.h"
#include "Veltrix3D/PostProcessing.h"
#include "Veltrix3D/RenderFrame.h"
#include "Veltrix3D/Screenshot.h"
#include "Window/Window.h"

#include <malloc.h>

#include <csignal>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace VX3D {
namespace {

constexpr int reloadKey = 'R';
constexpr int newGameKey = 'L';
constexpr int screenshotKey = 'P';
constexpr int replayPauseKey = window::key::enter;
constexpr int replayNextKey = window::key::right;
constexpr int replayViewKey = 'V';

// The hand-over screen: the player's colour, with a dark band across the middle under the
// centred texts (the text colour would vanish on the red player's screen).
constexpr float handoverShade = 0.55f;
constexpr float handoverBandTop = 0.3f;  // normalised device coordinates
constexpr float handoverBandBottom = -0.25f;
constexpr float handoverBandGrey = 0.08f;
constexpr int handoverAnchor = 4;

// Set by the window's close button. The window stays open; the loop ends after the frame.
bool closeRequested = false;

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void onStopSignal(int signal) {
    stopSignal = signal;
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

void stopIfSignalled() {
    if (stopSignal != 0) throw StopDuringStartUp{};
}

// A full-window picture, uploaded for as long as it is on the screen (see releasePictures).
void drawPicture(GLutil::Texture& picture) {
    picture.makeResident();
    drawTextureOnScreen(picture.handle());
}

// Once the field is shown again the pictures go back to their files' bytes: together they would
// hold about 17 MB of graphics memory through every game.
void releasePictures(Session& s) {
    for (auto* picture : {&s.loadingScreen, &s.winSplash, &s.loseSplash, &s.drawSplash})
        if (*picture) (*picture)->release();
}

// The loading screen stays visible while the rest of the start-up (or a new game) is built.
void showLoadingScreen(Session& s) {
    drawPicture(*s.loadingScreen);
    window::swapBuffers();
}

// The input manager and the objects that register with it, created in this order and
// released in the reverse one (the input manager allows one instance at a time).
void createInteraction(Session& s) {
    s.input = std::make_shared<InputManager>(s.options.width, s.options.height);
    s.renderState = std::make_shared<RenderState>(*s.input);
}

// Who sits at each seat, as the record's header names them.
std::vector<Veltrix::RecordSide> sides(const ClientOptions& options) {
    return {{"Player 0", "human"},
            options.aiopponent ? Veltrix::RecordSide{"Computer", "computer"}
                               : Veltrix::RecordSide{"Player 1", "human"}};
}

void applyReplayView(Session& s) {
    RenderState::cheatView = s.replayView == 2;
    s.game->fixViewer(s.replayView < 2 ? std::optional<Veltrix::PlayerId>(s.replayView)
                                       : std::nullopt);
}

void createGame(Session& s) {
    ++s.gamesStarted;
    GameSetup setup;
    if (s.replay) {
        // The record's own random source, set where its game began: the set-up and every
        // portal shuffle come out as they did.
        const Veltrix::RecordHeader& header = s.replay->header;
        s.random.emplace(header.seed);
        s.random->advanceTo(header.random.draws, header.random.realDraws);
        setup.rules = header.rules;
        s.replayMoves = std::make_shared<ReplayMoves>(s.replay);
        setup.moves = s.replayMoves;
        s.replayEndReported = false;
    } else if (s.serverSeat) {
        setup.rules = s.serverSeat->rules;
        setup.server = s.serverSeat;
    } else {
        setup.recording = GameRecording{"records", static_cast<std::uint32_t>(s.options.seed),
                                        s.gamesStarted, sides(s.options)};
    }
    s.game = std::make_shared<Game>(s.input.get(), &*s.sound, &*s.text, &*s.sun, &*s.environment,
                                    &*s.skybox, &*s.fog, &*s.clock, s.projection, &*s.random,
                                    s.options.aiopponent && !s.replay && !s.serverSeat,
                                    s.rules->movesPerAnt, s.rulesFile, std::move(setup));
    // A replay shows both sides as recorded, and a server's match only this window's seat:
    // nobody is there to hand over to.
    s.game->handoverScreen = s.options.handover && !s.replay && !s.serverSeat;
    if (s.replay) applyReplayView(s);
}

void releaseInteraction(Session& s) {
    s.game.reset();
    s.renderState.reset();
    s.input.reset();
}

// The render sequence binds them and checks their status every frame.
void createTargets(Session& s) {
    s.shadowTarget.emplace(shadowTargetWidth, shadowTargetHeight, false);
    s.shadowTarget->attatchTexture(GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_DEPTH_ATTACHMENT);
    s.sceneTarget.emplace(s.options.width, s.options.height, true);
    s.sceneTarget->attatchDepthBuffer();
    for (const GLenum attachment :
         {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2})
        s.sceneTarget->attatchTexture(GL_RGBA8, GL_RGBA, attachment);
    pass::limitMipmaps(*s.sceneTarget);
}

// "P": the finished frame, before the swap, as a PNG under screenshots/. A file that cannot
// be written is reported and the game goes on.
void saveRequestedScreenshot(Session& s) {
    if (!s.screenshotRequested) return;
    s.screenshotRequested = false;
    try {
        std::cout << "Screenshot saved to " << saveScreenshot(s.options.width, s.options.height)
                  << std::endl;
    } catch (const std::exception& e) {
        std::cerr << "WARNING: " << e.what() << std::endl;
    }
}

// Twice a second: report missed beats and refresh the frame-rate line and the help overlay,
// each of which lives exactly one beat.
void onBeat(Session& s, const Beat& beat) {
    if (beat.missed > 0) std::cerr << missedBeatsText(beat.missed) << std::endl;
    if (RenderState::showFPS)
        showFrameRateLine(*s.text, frameRateText(beat.frames, s.primitives->count()));
    if (RenderState::showHelp) showHelpOverlay(*s.text, FrameBeat::period);
    if (RenderState::showHelp && s.replay) showReplayHelp(*s.text, FrameBeat::period);
    if (RenderState::showHelp && !s.replay) showNetworkHelp(*s.text, FrameBeat::period);
}

// Between two humans' turns: the next player's colour, its name and what to do, and nothing
// of the field. The texts live one frame and are added again while the screen is up.
void drawHandoverScreen(TextManager& text, Veltrix::PlayerId next, int width, int height) {
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    const glm::vec4 colour = playerColour(next) * handoverShade;
    glClearColor(colour.r, colour.g, colour.b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const auto row = [height](float y) {
        return static_cast<GLint>((y + 1.0f) * 0.5f * static_cast<float>(height));
    };
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, row(handoverBandBottom), width, row(handoverBandTop) - row(handoverBandBottom));
    glClearColor(handoverBandGrey, handoverBandGrey, handoverBandGrey, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    text.addText(handoverAnchor, {0.0f, 0.12f}, 0.16f, next == 0 ? "Red's turn" : "Blue's turn",
                 0.0);
    text.addText(handoverAnchor, {0.0f, -0.12f}, 0.07f, "Press Space when ready", 0.0);
}

}  // namespace

GLutil::Texture& endSplash(Session& s, int balance) {
    if (balance < 0) return *s.winSplash;
    if (balance > 0) return *s.loseSplash;
    return *s.drawSplash;
}

// ---- primitive counter ----

PrimitiveCounter::PrimitiveCounter() {
    glGenQueries(1, &query_);
}

PrimitiveCounter::~PrimitiveCounter() {
    glDeleteQueries(1, &query_);
}

void PrimitiveCounter::readPrevious() {
    if (counted_) glGetQueryObjectuiv(query_, GL_QUERY_RESULT, &count_);
}

void PrimitiveCounter::begin() {
    glBeginQuery(GL_PRIMITIVES_GENERATED, query_);
}

void PrimitiveCounter::end() {
    glEndQuery(GL_PRIMITIVES_GENERATED);
    counted_ = true;
}

// ---- start-up ----

void openWindow(const ClientOptions& options) {
    if (window::initialise())
        window::openWindow({options.width, options.height, options.fullscreen});
    if (window::isInitialised() && window::isOpen()) {
        window::setCloseCallback([] {
            requestClose();
            return false;
        });
        window::enableMouseCursor();
        window::setTitle("Veltrix 3D: Orbanix");
    }
    const GLenum status = glewInit();
    if (status != GLEW_OK) {
        std::cerr << "GLEW Error: " << reinterpret_cast<const char*>(glewGetErrorString(status));
        std::cerr.flush();
        window::terminate();
        std::exit(1);
    }
    glGetError();  // GLEW's initialisation may leave an error flag set
}

std::shared_ptr<const Veltrix::GameRecord> loadReplay(const std::string& file) {
    try {
        auto record = std::make_shared<Veltrix::GameRecord>(Veltrix::readRecord(file));
        const Veltrix::Verification check = Veltrix::verifyRecord(*record);
        if (!check.ok) throw std::runtime_error(check.message);
        checkClientRules(record->header.rules, file);
        return record;
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string("cannot replay ") + e.what());
    }
}

void startUp(Session& s, const SessionFiles& files) {
    s.options = readClientOptions(files.clientOptions);
    // A record that cannot be shown is refused before any window opens.
    if (!files.replay.empty()) s.replay = loadReplay(files.replay);
    // So is a seat to resume whose token is not here.
    if (files.server) prepareServerMatch(s, *files.server);
    stopIfSignalled();
    openWindow(s.options);
    GLUTIL_CHECKPOINT("main");
    s.random.emplace(static_cast<std::uint32_t>(s.options.seed));  // seeded once, never again
    constexpr auto whenShown = GLutil::Texture::Residency::whenShown;
    constexpr auto dropped = GLutil::Texture::Pixels::dropped;
    s.loadingScreen.emplace("res/Textures/Veltrix3DLoadingScreen.png", 0, dropped, whenShown);
    showLoadingScreen(s);
    stopIfSignalled();
    s.winSplash.emplace("res/Textures/PlayerWinSplash.png", 0, dropped, whenShown);
    s.loseSplash.emplace("res/Textures/PlayerLoseSplash.png", 0, dropped, whenShown);
    s.drawSplash.emplace("res/Textures/PlayerDrawSplash.png", 0, dropped, whenShown);
    stopIfSignalled();
    if (s.replay) {
        s.rules.emplace(s.replay->header.rules);
        s.rulesFile = files.replay;
    } else {
        s.rules.emplace(files.rules);
        s.rulesFile = files.rules;
    }
    checkClientRules(*s.rules, s.rulesFile);
    // Its set-up advances the random source, so the first game starts from the advanced state.
    s.startupReferee.emplace(Veltrix::makePlayerId(0, *s.rules), *s.rules, *s.random);
    s.sound.emplace();
    stopIfSignalled();
    s.text.emplace("./res/text");
    s.clock.emplace();
    createInteraction(s);
    RenderState::applyInitialState(s.options);
    stopIfSignalled();
    s.skybox.emplace("res/Textures/CubeMap.png");
    s.fog.emplace(1.0f);
    s.sun.emplace(s.rules->foodPieces);
    s.environment.emplace(s.options.envTessLevel);
    stopIfSignalled();
    s.projection = projectionMatrix(s.options.width, s.options.height);
    // A server's match begins once the server has sent the seat's first view.
    if (s.serverMatch)
        connectToServer(s);
    else
        createGame(s);
    s.objectShader = std::make_shared<GLutil::ShaderProgram>("ObjectShader");
    createTargets(s);
    s.primitives.emplace();
}

// ---- the frame loop ----

GLutil::Texture& matchSplash(Session& s, const std::string& result) {
    if (result == "win") return *s.winSplash;
    if (result == "lose") return *s.loseSplash;
    return *s.drawSplash;
}

void drawScreen(Session& s) {
    if (!s.game) {  // waiting for the server's match to begin
        drawPicture(*s.loadingScreen);
        return;
    }
    if (s.game->seat() && s.game->gameOverShown) {
        drawPicture(matchSplash(s, s.game->matchResult()));
        return;
    }
    if (s.game->gameOverShown) {
        drawPicture(endSplash(s, s.game->sun()->balance));
        return;
    }
    releasePictures(s);
    if (s.game->handoverPending)
        drawHandoverScreen(*s.text, s.game->currentPlayer, s.options.width, s.options.height);
    else
        renderFrame(*s.game, *s.clock, *s.shadowTarget, *s.sceneTarget, s.options.width,
                    s.options.height);
}

void newServerMatch(Session& s) {
    const bool rematch = canAskForRematch(s);
    if (rematch) askForRematch(s);  // before the game goes: it knows whom to wait for
    std::cout << (rematch ? "Rematch asked for" : "New match on the server") << std::endl;
    releaseInteraction(s);  // the finished game lets go of its seat here
    s.sun.emplace(s.rules->foodPieces);
    createInteraction(s);
    if (!rematch) reconnectForNewMatch(s);
}

void newGame(Session& s) {
    std::cout << "Reinitializing game!" << std::endl;
    showLoadingScreen(s);
    releaseInteraction(s);
    // The sun keeps the score balance of the whole run; a replay starting again must end on
    // its record's splash, whatever part of it was shown before.
    if (s.replay) s.sun.emplace(s.rules->foodPieces);
    createInteraction(s);
    createGame(s);
}

void runFrame(Session& s) {
    s.primitives->readPrevious();  // blocks until the previous frame's count is in
    s.primitives->begin();
    s.clock->update();
    s.text->update(*s.clock);  // ages the texts, so a beat's texts last exactly one beat
    if (auto beat = s.beat.frame(s.clock->frameTime())) onBeat(s, *beat);
    s.sound->update();
    if (s.link) {
        pollServerMatch(s);  // never waits: what has come is taken, the rest next frame
        if (s.serverSeat && !s.game) createGame(s);
    }
    if (s.game)
        s.game->update(*s.clock, *s.input);  // animations, cameras, turns, the computer's move
    GLUTIL_CHECKPOINT("main");
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawScreen(s);
    s.text->Draw();
    saveRequestedScreenshot(s);
    s.input->resetFrame();
    window::swapBuffers();  // every input callback runs in here
    if (s.input->wasPressedThisFrame(reloadKey)) {
        std::cout << "Init Reloading of Shaders!" << std::endl;
        GLutil::ProgramRegistry::reloadAll();
    }
    if (s.input->wasPressedThisFrame(screenshotKey)) s.screenshotRequested = true;
    if (s.replay) handleReplayKeys(s);
    if (s.input->wasPressedThisFrame(newGameKey)) {
        if (!s.link)
            newGame(s);
        else if (serverMatchOver(s))
            newServerMatch(s);
    }
    s.primitives->end();
}

void handleReplayKeys(Session& s) {
    if (s.input->wasPressedThisFrame(replayPauseKey)) {
        s.replayMoves->togglePause();
        std::cout << (s.replayMoves->paused() ? "Replay paused" : "Replay resumed") << std::endl;
    }
    if (s.input->wasPressedThisFrame(replayNextKey)) {
        s.game->finishShownMoveNow(*s.clock);
        s.replayMoves->allowOneStep();
    }
    if (s.input->wasPressedThisFrame(replayViewKey)) {
        s.replayView = (s.replayView + 1) % 3;
        applyReplayView(s);
        std::cout << "Replay view: "
                  << (s.replayView == 2 ? std::string("the whole field")
                                        : "player " + std::to_string(s.replayView))
                  << std::endl;
    }
    if (!s.replayEndReported && s.replayMoves->exhausted() && s.game->moveEndTime < 0.0) {
        s.replayEndReported = true;
        const Veltrix::RecordEnd& end = s.replay->end;
        std::cout << "Replay finished: " << Veltrix::endResultName(end.result) << " after "
                  << end.moves << " moves" << std::endl;
    }
}

bool endRequested() {
    const bool escape =
        window::isInitialised() && window::isOpen() && window::keyPressed(window::key::escape);
    return escape || closeRequested || stopSignal != 0;
}

void runLoop(Session& s) {
    do {
        runFrame(s);
    } while (!endRequested());
}

void requestClose() {
    closeRequested = true;
}

void keepLargeBlocksApart() {
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
}

void installStopSignals() {
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
}

int guarded(const std::function<void()>& step) {
    try {
        step();
    } catch (const StopDuringStartUp&) {
        std::cout << "Stopped by signal during start-up" << std::endl;
    } catch (const std::exception& e) {
        std::cerr << "caught exception: " << e.what() << std::endl;
        return 1;
    } catch (...) {
        std::cerr << "caught unknown exception" << std::endl;
        return 1;
    }
    return 0;
}

void finishProcess() {
    // The passes and shared programs kept in statics go while the context is still there.
    GLutil::ContextObjects::releaseAll();
    window::terminate();
    std::cout << "ShaderPrograms in use at exit: " << GLutil::ProgramRegistry::count() << std::endl;
    GLutil::ProgramRegistry::printAll();
}

}  // namespace VX3D
