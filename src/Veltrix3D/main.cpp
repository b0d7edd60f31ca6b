// Veltrix 3D: Orbanix. The whole life of the process: read the options, open the window,
// build the long-lived objects of the run, run the frame loop until Escape or the close
// button, and tear everything down in reverse order.
#include "Manager/InputManager/InputManager.h"
#include "Manager/SoundManager/Soundmanager.h"
#include "Manager/TextManager/HelpOverlay.h"
#include "Manager/TextManager/TextManager.h"
#include "Shader/CheckPoint.h"
#include "Shader/ProgramRegistry.h"
#include "Shader/ShaderProgram.h"
#include "Shader/ShaderStore.h"
#include "Texture/Texture.h"
#include "Veltrix/GameRandom.h"
#include "Veltrix/Referee.h"
#include "Veltrix/RuleOptions.h"
#include "Veltrix3D/ClientOptions.h"
#include "Veltrix3D/FrameBeat.h"
#include "Veltrix3D/PostProcessing.h"
#include "Veltrix3D/RenderState.h"
#include "Window/FrameClock.h"
#include "Window/Window.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>

namespace {

namespace window = VX3D::window;

constexpr int reloadKey = 'R';
constexpr int newGameKey = 'L';

// Set by the window's close button. The window stays open; the loop ends after the frame.
bool closeRequested = false;

// Ctrl+C and SIGTERM end the run like the close button: the frame completes and the shutdown
// runs in order. The handler puts both signals back to their default action, so a second one
// ends a stuck shutdown at once.
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void onStopSignal(int signal) {
    stopSignal = signal;
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

void installStopSignals() {
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
}

// Thrown between start-up steps once a stop signal has arrived: what was built is torn down
// as after the loop, and the process ends normally.
struct StopDuringStartUp {};

void stopIfSignalled() {
    if (stopSignal != 0) throw StopDuringStartUp{};
}

// Counts the primitives of one frame; the count is read at the start of the next frame, so
// the frame-rate line shows the previous frame's.
class PrimitiveCounter {
public:
    PrimitiveCounter() { glGenQueries(1, &query_); }
    ~PrimitiveCounter() { glDeleteQueries(1, &query_); }
    PrimitiveCounter(const PrimitiveCounter&) = delete;
    PrimitiveCounter& operator=(const PrimitiveCounter&) = delete;

    // Blocks until the previous frame's count is there. Before the first frame nothing was
    // counted, and the count stays 0.
    void readPrevious() {
        if (counted_) glGetQueryObjectuiv(query_, GL_QUERY_RESULT, &count_);
    }
    void begin() { glBeginQuery(GL_PRIMITIVES_GENERATED, query_); }
    void end() {
        glEndQuery(GL_PRIMITIVES_GENERATED);
        counted_ = true;
    }
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
    VX3D::ClientOptions options;
    std::optional<Veltrix::GameRandom> random;
    std::optional<GLutil::Texture> loadingScreen;
    std::optional<GLutil::Texture> winSplash;
    std::optional<GLutil::Texture> loseSplash;
    std::optional<GLutil::Texture> drawSplash;
    std::optional<Veltrix::RuleOptions> rules;
    std::optional<Veltrix::Referee> startupReferee;  // only its draws from the random source matter
    std::optional<Soundmanager> sound;
    std::optional<VX3D::TextManager> text;
    std::optional<VX3D::FrameClock> clock;
    // Replaced together on a new game: released controller first, input manager last.
    std::shared_ptr<VX3D::InputManager> input;
    std::shared_ptr<VX3D::RenderState> renderState;
    glm::mat4 projection{1.0f};
    std::shared_ptr<GLutil::ShaderProgram> objectShader;  // exists for the run, never linked
    std::optional<PrimitiveCounter> primitives;
    VX3D::FrameBeat beat;
};

// ---- start-up ----

// The window and its OpenGL context. Without a context nothing can be drawn: GLEW's failure
// ends the process at once.
void openWindow(const VX3D::ClientOptions& options) {
    if (window::initialise()) window::openWindow({options.width, options.height, options.fullscreen});
    if (window::isInitialised() && window::isOpen()) {
        window::setCloseCallback([] {
            closeRequested = true;
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

// The loading screen stays visible while the rest of the start-up (or a new game) is built.
void showLoadingScreen(Session& s) {
    VX3D::drawTextureOnScreen(s.loadingScreen->handle());
    window::swapBuffers();
}

// The input manager and the objects that register with it, created in this order and
// released in the reverse one (the input manager allows one instance at a time).
void createInteraction(Session& s) {
    s.input = std::make_shared<VX3D::InputManager>(s.options.width, s.options.height);
    s.renderState = std::make_shared<VX3D::RenderState>(*s.input);
}

void releaseInteraction(Session& s) {
    s.renderState.reset();
    s.input.reset();
}

void startUp(Session& s) {
    s.options = VX3D::readClientOptions("VX3D.conf");
    stopIfSignalled();
    openWindow(s.options);
    GLUTIL_CHECKPOINT("main");
    s.random.emplace(static_cast<std::uint32_t>(s.options.seed));  // seeded once, never again
    s.loadingScreen.emplace("res/Textures/Veltrix3DLoadingScreen.png", 0);
    showLoadingScreen(s);
    stopIfSignalled();
    s.winSplash.emplace("res/Textures/PlayerWinSplash.png", 0);
    s.loseSplash.emplace("res/Textures/PlayerLoseSplash.png", 0);
    s.drawSplash.emplace("res/Textures/PlayerDrawSplash.png", 0);
    stopIfSignalled();
    s.rules.emplace("VX.conf");
    // Its set-up advances the random source, so the first game starts from the advanced state.
    s.startupReferee.emplace(Veltrix::makePlayerId(0, *s.rules), *s.rules, *s.random);
    s.sound.emplace();
    stopIfSignalled();
    s.text.emplace("./res/text");
    s.clock.emplace();
    createInteraction(s);
    VX3D::RenderState::applyInitialState(s.options);
    stopIfSignalled();
    s.projection = VX3D::projectionMatrix(s.options.width, s.options.height);
    s.objectShader = std::make_shared<GLutil::ShaderProgram>("ObjectShader");
    s.primitives.emplace();
}

// ---- the frame loop ----

// Twice a second: report missed beats and refresh the frame-rate line and the help overlay,
// each of which lives exactly one beat.
void onBeat(Session& s, const VX3D::Beat& beat) {
    if (beat.missed > 0) std::cerr << VX3D::missedBeatsText(beat.missed) << std::endl;
    if (VX3D::RenderState::showFPS)
        VX3D::showFrameRateLine(*s.text, VX3D::frameRateText(beat.frames, s.primitives->count()));
    if (VX3D::RenderState::showHelp) VX3D::showHelpOverlay(*s.text, VX3D::FrameBeat::period);
}

// The end splash for a score balance: below 0 player 0 is ahead.
[[maybe_unused]] const GLutil::Texture& endSplash(const Session& s, int balance) {
    if (balance < 0) return *s.winSplash;
    if (balance > 0) return *s.loseSplash;
    return *s.drawSplash;
}

// What the window shows this frame.
void drawScreen(Session& s) {
    // Until a game is played the loading screen stays up.
    VX3D::drawTextureOnScreen(s.loadingScreen->handle());
}

// "L": the game is thrown away and a new one begins from the current random state.
void newGame(Session& s) {
    std::cout << "Reinitializing game!" << std::endl;
    showLoadingScreen(s);
    releaseInteraction(s);
    createInteraction(s);
}

void runFrame(Session& s) {
    s.primitives->readPrevious();  // blocks until the previous frame's count is in
    s.primitives->begin();
    s.clock->update();
    s.text->update(*s.clock);  // ages the texts, so a beat's texts last exactly one beat
    if (auto beat = s.beat.frame(s.clock->frameTime())) onBeat(s, *beat);
    s.sound->update();
    GLUTIL_CHECKPOINT("main");
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawScreen(s);
    s.text->Draw();
    s.input->resetFrame();
    window::swapBuffers();  // every input callback runs in here
    if (s.input->wasPressedThisFrame(reloadKey)) {
        std::cout << "Init Reloading of Shaders!" << std::endl;
        GLutil::ProgramRegistry::reloadAll();
    }
    if (s.input->wasPressedThisFrame(newGameKey)) newGame(s);
    s.primitives->end();
}

// Escape (also a press already released: the sticky test consumes it) or the close button.
bool endRequested() {
    const bool escape = window::isInitialised() && window::isOpen() &&
                        window::keyPressed(window::key::escape);
    return escape || closeRequested || stopSignal != 0;
}

void runLoop(Session& s) {
    do {
        runFrame(s);
    } while (!endRequested());
}

}  // namespace

int main() {
    // Progress lines reach a log or a pipe as they happen, not when a buffer fills or the
    // process ends (and not lost when it dies).
    std::cout << std::unitbuf;
    std::cout << "starting, loading options" << std::endl;
    installStopSignals();
    int status = 0;
    {
        Session session;
        try {
            startUp(session);
            runLoop(session);
        } catch (const StopDuringStartUp&) {
            std::cout << "Stopped by signal during start-up" << std::endl;
        } catch (const std::exception& e) {
            std::cerr << "caught exception: " << e.what() << std::endl;
            status = 1;
        } catch (...) {
            std::cerr << "caught unknown exception" << std::endl;
            status = 1;
        }
        // Also after an error: the stored shaders are deleted while the context still exists.
        try {
            GLutil::ShaderStore::purge();
        } catch (const std::exception& e) {
            std::cerr << "caught exception: " << e.what() << std::endl;
            status = 1;
        }
    }  // the session's objects go here, in reverse order of creation
    window::terminate();
    std::cout << "ShaderPrograms in use at exit: " << GLutil::ProgramRegistry::count() << std::endl;
    GLutil::ProgramRegistry::printAll();
    return status;
}
