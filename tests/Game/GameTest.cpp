// The game controller against a real context and window on the test display, driven the way
// the window drives it: scripted button, key and cursor events through the input manager, and
// a frame clock the test moves by hand. Covers the turn flow with its 3 s and 0.2 s windows,
// the computer's move in the frame its turn begins, picking and drags (short, cancelled, on an
// enemy or the ground, above the horizon), the automatic null move of a stuck player with its
// skipped sounds, the uncovered enemy, the end of a game, the score lines, and the rules the
// client refuses.
#include "Game/Game.h"
#include "Game/GameFlags.h"
#include "Veltrix3D/ClientOptions.h"
#include "Veltrix3D/FrameBeat.h"
#include "Veltrix3D/RenderState.h"
#include "Window/Window.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace fs = std::filesystem;
using namespace VX3D;
using Veltrix::Position;

namespace {

constexpr int width = 640;
constexpr int height = 480;

// The scene around the games of the suite, as the frame loop keeps it across new games.
struct Scene {
    TextManager text{"./res/text"};
    Skybox skybox{"res/Textures/CubeMap.png"};
    Fog fog{1.0f};
    Sun sun{32};
    Environment environment{0};
};

fs::path scratch;
Scene* scene = nullptr;

// The shipped rules with some keys replaced, as a file in the working directory.
std::string writeRules(const std::string& name, const std::map<std::string, std::string>& changes) {
    std::ifstream in(fs::path(VX_GAME_DIR) / "VX.conf");
    std::ostringstream out;
    for (std::string line; std::getline(in, line);) {
        const auto eq = line.find('=');
        if (eq != std::string::npos && changes.count(line.substr(0, eq))) continue;
        out << line << "\n";
    }
    for (const auto& [key, value] : changes) out << key << "=" << value << "\n";
    std::ofstream(name) << out.str();
    return name;
}

std::string key(const char* name) {
    return std::string("Problem.Veltrix.") + name;
}

class GameTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        scratch = fs::temp_directory_path() / ("vx_game_tests_" + std::to_string(::getpid()));
        fs::remove_all(scratch);
        fs::create_directories(scratch);
        for (const char* entry : {"Shader", "res", "sound"})
            fs::create_directory_symlink(fs::path(VX_GAME_DIR) / entry, scratch / entry);
        fs::current_path(scratch);
        ASSERT_TRUE(window::initialise());
        ASSERT_TRUE(window::openWindow({width, height, false}));
        ASSERT_EQ(glewInit(), GLEW_OK);
        glGetError();
        RenderState::applyInitialState(ClientOptions{});
        scene = new Scene;
    }

    static void TearDownTestSuite() {
        delete scene;
        scene = nullptr;
        window::terminate();
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(scratch);
    }

    void SetUp() override {
        GameFlags::enemyUncovered = false;
        RenderState::cheatView = false;
        scene->text.update(1000.0);  // no texts of an earlier test
    }

    void TearDown() override {
        game.reset();
        input.reset();
    }

    void start(const std::string& rules, bool computer) {
        game.reset();
        input.reset();
        input = std::make_unique<InputManager>(width, height);
        const Veltrix::RuleOptions options(rules);
        game = std::make_unique<Game>(input.get(), nullptr, &scene->text, &scene->sun,
                                      &scene->environment, &scene->skybox, &scene->fog, &clock,
                                      projection, &random, computer, options.movesPerAnt, rules);
        frame(0.016);  // the cameras aim at their ants
    }

    // One frame of the loop as far as the controller sees it.
    void frame(double seconds) {
        clock.update(clock.current + seconds);
        scene->text.update(clock);
        game->update(clock, *input);
        input->resetFrame();
    }

    // Frames until the shown move has ended (the frame that ends it included).
    void waitForTurn() {
        const double end = game->moveEndTime;
        ASSERT_GE(end, 0.0);
        while (clock.current < end) frame(std::min(0.25, end - clock.current));
    }

    glm::ivec2 pixelOf(const glm::vec3& world) const {
        const glm::vec4 clip =
            projection * game->view(game->currentPlayer).camera.view * glm::vec4(world, 1.0f);
        const glm::vec3 ndc = glm::vec3(clip) / clip.w;
        return {static_cast<int>((ndc.x + 1.0f) * 0.5f * width),
                static_cast<int>(height - (ndc.y + 1.0f) * 0.5f * height)};
    }

    glm::vec3 antCentre(Veltrix::PlayerId player, Veltrix::AntId ant) {
        const auto [lo, hi] = game->view(player).ant(ant).pickBox();
        return (lo + hi) * 0.5f;
    }

    void cursorAt(const glm::ivec2 pixel) { input->onMousePosition(pixel.x, pixel.y); }
    void pressAt(const glm::vec3& world) {
        cursorAt(pixelOf(world));
        input->onKeyOrButton(Game::selectButton, window::press);
    }
    void release() { input->onKeyOrButton(Game::selectButton, window::release); }

    // A human move of the current player by mouse: press on the ant, drag to the ground point
    // one cell away in the direction, release.
    std::string dragMove(Veltrix::AntId ant, glm::vec2 direction) {
        const Veltrix::PlayerId player = game->currentPlayer;
        const Position cell = game->rules().state.players.at(player).ants.at(ant).position();
        testing::internal::CaptureStdout();
        pressAt(antCentre(player, ant));
        cursorAt(pixelOf(cellCentre(cell) + glm::vec3(direction.x, 0.0f, -direction.y)));
        release();
        return testing::internal::GetCapturedStdout();
    }

    bool textShown(const std::string& text) const {
        for (const auto& block : scene->text.blocks())
            if (block.text == text) return true;
        return false;
    }

    FrameClock clock{100.0};
    Veltrix::GameRandom random{42};
    glm::mat4 projection = projectionMatrix(width, height);
    std::unique_ptr<InputManager> input;
    std::unique_ptr<Game> game;
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(GameTest, HumanDrag_MovesForThreeSecondsThenTheComputerMovesInTheFrameItsTurnBegins) {
    start(writeRules("default.conf", {}), true);
    EXPECT_TRUE(textShown("Player 0 Score: 0"));
    const std::string out = dragMove(0, {1.0f, 0.0f});
    EXPECT_TRUE(contains(out, "Selecting Ant 0 of player 0\n")) << out;
    EXPECT_TRUE(contains(out, "Moving in Human Mode\nMoving ant 0 of player 0 in direction 1,0\n"))
        << out;
    EXPECT_EQ(game->rules().state.players.at(0).ants.at(0).position(), (Position{1, 5}));
    EXPECT_TRUE(game->view(0).ant(0).animating());
    EXPECT_FALSE(game->selection);
    EXPECT_FALSE(game->inputAllowed);
    EXPECT_NEAR(game->moveEndTime - game->moveStartTime, 3.0, 1e-9);

    // While the move is shown a press on the other ant selects nothing.
    testing::internal::CaptureStdout();
    pressAt(antCentre(0, 1));
    release();
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("Selecting"), std::string::npos);
    EXPECT_FALSE(game->selection);
    EXPECT_EQ(game->rules().movesMade(), 1);

    frame(2.9);
    EXPECT_EQ(game->currentPlayer, 0);
    testing::internal::CaptureStdout();
    frame(0.11);
    const std::string computer = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(contains(computer, "Moving in AI Mode\nMoving ant ")) << computer;
    EXPECT_EQ(game->currentPlayer, 1);
    EXPECT_EQ(game->rules().movesMade(), 2);
    EXPECT_DOUBLE_EQ(game->moveStartTime, clock.current);
    EXPECT_TRUE(textShown("AI moves"));
    EXPECT_TRUE(
        textShown("Player 1 Score: " + std::to_string(game->rules().state.players.at(1).score)));
    waitForTurn();
    EXPECT_EQ(game->currentPlayer, 0);
    EXPECT_TRUE(game->inputAllowed);
}

TEST_F(GameTest, ShortDrag_AsksTheRulesForTheNullMoveWithoutAnimation) {
    start(writeRules("default.conf", {}), true);
    const std::string out = dragMove(1, {0.3f, 0.3f});
    EXPECT_TRUE(contains(out, "Moving ant 1 of player 0 in direction 0,0\n")) << out;
    EXPECT_EQ(game->rules().movesMade(), 1);
    EXPECT_EQ(game->rules().state.players.at(0).ants.at(1).movesLeft, 39);
    EXPECT_FALSE(game->view(0).ant(1).animating());
    EXPECT_EQ(game->lastMoveSounds, std::vector<std::string>{});
}

TEST_F(GameTest, QWhileDragging_DropsTheSelectionAndTheReleaseDoesNothing) {
    start(writeRules("default.conf", {}), true);
    pressAt(antCentre(0, 0));
    ASSERT_TRUE(game->selection);
    EXPECT_EQ(game->selection->antId, 0);
    cursorAt(pixelOf(cellCentre({1, 6})));
    input->onKeyOrButton(Game::unselectKey, window::press);
    EXPECT_FALSE(game->selection);
    release();
    EXPECT_EQ(game->rules().movesMade(), 0);
    EXPECT_TRUE(game->inputAllowed);

    // Tab drops it too, and moves the camera's focus to the other ant: the eye keeps its offset.
    pressAt(antCentre(0, 0));
    ASSERT_TRUE(game->selection);
    const glm::vec3 eye(game->view(0).camera.eye);
    input->onKeyOrButton(Game::tabKey, window::press);
    frame(0.016);
    EXPECT_FALSE(game->selection);
    EXPECT_EQ(game->view(0).focusedAnt, 1);
    const glm::vec3 shift = game->view(0).ant(1).position - game->view(0).ant(0).position;
    EXPECT_NEAR(glm::length(glm::vec3(game->view(0).camera.eye) - (eye + shift)), 0.0f, 1e-4f);
}

TEST_F(GameTest, RightButtonDrag_TurnsTheCameraOnlyWhileTheButtonIsHeld) {
    start(writeRules("default.conf", {}), true);
    Camera& camera = game->view(0).camera;
    const glm::vec3 before(camera.eye);
    input->onMousePosition(300, 200);
    frame(0.016);
    input->onKeyOrButton(Game::cameraButton, window::press);
    input->onMousePosition(340, 200);
    frame(0.016);
    const glm::vec3 turned(camera.eye);
    EXPECT_GT(glm::length(turned - before), 1.0f) << "40 pixels turn the eye by 40 degrees";
    EXPECT_NEAR(glm::length(turned - camera.target), glm::length(before - camera.target), 1e-3f);
    input->onKeyOrButton(Game::cameraButton, window::release);
    input->onMousePosition(400, 200);
    frame(0.016);
    EXPECT_NEAR(glm::length(glm::vec3(camera.eye) - turned), 0.0f, 1e-5f);
}

TEST_F(GameTest, PressOnAnEnemyAntOrTheGround_SelectsNothing) {
    start(writeRules("default.conf", {}), false);
    testing::internal::CaptureStdout();
    pressAt(antCentre(1, 0));
    release();
    pressAt(cellCentre({3, 3}));
    release();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(contains(out, "Selecting")) << out;
    EXPECT_FALSE(game->selection);
    EXPECT_EQ(game->rules().movesMade(), 0);
}

TEST_F(GameTest, CursorAboveTheHorizon_KeepsTheIndicatorsLastGroundPoint) {
    start(writeRules("default.conf", {}), true);
    game->view(0).camera.followPitch = -90.0f;  // the eye as low as it goes: sky above the middle
    frame(0.016);
    pressAt(antCentre(0, 0));
    ASSERT_TRUE(game->selection);
    cursorAt(pixelOf(cellCentre({0, 6})));
    const std::vector<float> before = game->selection->vertices;
    EXPECT_EQ(game->selection->quantisedDirection(), glm::ivec2(0, 1));
    for (const int y : {0, 5, height / 4}) {
        input->onMousePosition(width / 2, y);  // sky: the ray never meets the ground ahead
        EXPECT_EQ(game->selection->vertices, before) << y;
    }
    release();
    EXPECT_EQ(game->rules().state.players.at(0).ants.at(0).position(), (Position{0, 6}));
}

// Two humans: player 0 walks both ants off the field. From then on it cannot move: its last
// move and its automatic null moves are silent and end after 0.2 s, the enemy is uncovered
// once, and covered again when the game is over.
TEST_F(GameTest, StuckPlayer_MakesSilentNullMovesUntilTheEnd) {
    start(writeRules("short.conf", {{key("movesPerAnt"), "3"}}), false);
    auto humanMove = [&](Veltrix::AntId ant, glm::vec2 direction) {
        const std::string out = dragMove(ant, direction);
        waitForTurn();
        return out;
    };
    EXPECT_TRUE(
        contains(humanMove(0, {-1.0f, 0.0f}), "Moving ant 0 of player 0 in direction -1,0\n"));
    EXPECT_FALSE(game->view(0).ant(0).alive);
    EXPECT_EQ(game->lastMoveSounds, std::vector<std::string>{"sound/brz.mp3"})
        << "the other ant can still move";
    EXPECT_EQ(game->currentPlayer, 1);
    EXPECT_TRUE(
        contains(humanMove(0, {0.0f, 0.0f}), "Moving ant 0 of player 1 in direction 0,0\n"));

    const std::string lastMove = dragMove(1, {-1.0f, 0.0f});
    EXPECT_TRUE(contains(lastMove, "Enemy uncovered\n")) << lastMove;
    EXPECT_TRUE(GameFlags::enemyUncovered);
    EXPECT_EQ(game->lastMoveSounds, std::vector<std::string>{})
        << "brz is skipped when the player is done";
    EXPECT_NEAR(game->moveEndTime - game->moveStartTime, 0.2, 1e-9);
    waitForTurn();

    // Player 1 moves, then player 0's turn passes by itself in the frame it begins.
    dragMove(0, {0.0f, 0.0f});
    testing::internal::CaptureStdout();
    waitForTurn();
    const std::string automatic = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(
        contains(automatic, "Moving in Human Mode\nMoving ant 0 of player 0 in direction 0,0\n"))
        << automatic;
    EXPECT_EQ(game->lastMoveSounds, std::vector<std::string>{}) << "sleep is skipped";
    EXPECT_NEAR(game->moveEndTime - game->moveStartTime, 0.2, 1e-9);
    EXPECT_EQ(game->viewingPlayer(), 0);

    // Player 1 plays on until its moves run out; each player-0 turn passes by itself.
    std::string rest;
    for (int guard = 0; guard < 20 && !game->gameOverShown; ++guard) {
        testing::internal::CaptureStdout();
        waitForTurn();
        rest += testing::internal::GetCapturedStdout();
        if (game->currentPlayer == 1 && game->inputAllowed) {
            const auto& ants = game->rules().state.players.at(1).ants;
            rest += dragMove(ants.at(0).canMove() ? 0 : 1, {0.0f, 0.0f});
        }
    }
    EXPECT_TRUE(game->gameOverShown);
    EXPECT_EQ(game->rules().movesMade(), 12);
    EXPECT_FALSE(contains(rest, "Enemy uncovered")) << "printed once";
    EXPECT_TRUE(contains(rest, "Enemy covered\n")) << rest;
    EXPECT_FALSE(GameFlags::enemyUncovered);

    // The splash is up: no move is taken any more.
    dragMove(0, {1.0f, 0.0f});
    EXPECT_EQ(game->rules().movesMade(), 12);
}

TEST_F(GameTest, ScoreAboveHalfTheFood_EndsTheGameAfterTheMove) {
    start(writeRules("default.conf", {}), true);
    game->rules().state.players.at(0).score = 17;  // 32 pieces: more than 16 wins
    dragMove(0, {0.0f, 0.0f});
    EXPECT_TRUE(game->gameOver);
    EXPECT_FALSE(game->gameOverShown) << "the move is shown first";
    EXPECT_TRUE(textShown("Player 0 Score: 17"));
    testing::internal::CaptureStdout();
    waitForTurn();
    EXPECT_FALSE(contains(testing::internal::GetCapturedStdout(), "AI Mode"))
        << "nobody moves after the end";
    EXPECT_TRUE(game->gameOverShown);
    // Under the splash a press on an ant picks nothing and reports nothing.
    EXPECT_EQ(dragMove(0, {1.0f, 0.0f}), "");
    EXPECT_FALSE(game->selection);
}

// "L" after "Enemy uncovered": the new game hides the computer's side again.
TEST_F(GameTest, NewGameAfterTheEnemyWasUncovered_HidesTheComputerAgain) {
    GameFlags::enemyUncovered = true;  // as the game left with "L" had it
    start(writeRules("default.conf", {}), true);
    EXPECT_FALSE(GameFlags::enemyUncovered);
    dragMove(0, {0.0f, 0.0f});
    waitForTurn();  // the computer moves in the frame its turn begins
    EXPECT_EQ(game->currentPlayer, 1);
    EXPECT_EQ(game->viewingPlayer(), 0);
}

TEST_F(GameTest, ScoreLines_PlayerOneBelowPlayerZero) {
    start(writeRules("default.conf", {}), false);
    dragMove(0, {0.0f, 0.0f});
    waitForTurn();
    dragMove(0, {0.0f, 0.0f});
    const TextManager::TextBlock* lines[2] = {nullptr, nullptr};
    for (const auto& block : scene->text.blocks())
        for (int p = 0; p < 2; ++p)
            if (block.text == "Player " + std::to_string(p) + " Score: 0") lines[p] = &block;
    ASSERT_TRUE(lines[0] && lines[1]);
    EXPECT_NEAR(lines[0]->boxMax.y, 1.0f, 1e-5f);
    EXPECT_NEAR(lines[0]->boxMax.y - lines[1]->boxMax.y, 0.1f, 1e-5f);
    EXPECT_NEAR(lines[1]->boxMin.x, -1.0f, 1e-5f);
}

// Between two humans player 1 is watched as closely as player 0: its events are heard.
TEST_F(GameTest, TwoHumans_PlayerOnesDeathOffTheFieldIsHeard) {
    start(writeRules("default.conf", {}), false);
    dragMove(0, {0.0f, 0.0f});
    waitForTurn();
    ASSERT_EQ(game->viewingPlayer(), 1);
    EXPECT_TRUE(contains(dragMove(0, {1.0f, 0.0f}), "Moving ant 0 of player 1 in direction 1,0\n"));
    EXPECT_FALSE(game->view(1).ant(0).alive);
    EXPECT_EQ(game->lastMoveSounds, std::vector<std::string>{"sound/brz.mp3"});
}

// Two humans with the hand-over screen: after player 0's move player 1's turn waits for Space;
// until then player 0's view stays drawn and a press picks nothing.
TEST_F(GameTest, TwoHumansWithTheHandoverScreen_TheNextViewWaitsForSpace) {
    start(writeRules("default.conf", {}), false);
    game->handoverScreen = true;
    dragMove(0, {0.0f, 0.0f});
    waitForTurn();
    EXPECT_EQ(game->currentPlayer, 1);
    EXPECT_TRUE(game->handoverPending);
    EXPECT_EQ(game->viewingPlayer(), 0);
    EXPECT_EQ(dragMove(0, {1.0f, 0.0f}), "");
    input->onKeyOrButton(Game::handoverKey, window::press);
    input->onKeyOrButton(Game::handoverKey, window::release);
    EXPECT_FALSE(game->handoverPending);
    EXPECT_EQ(game->viewingPlayer(), 1);
    EXPECT_TRUE(contains(dragMove(0, {0.0f, 0.0f}), "Moving ant 0 of player 1 in direction 0,0\n"));
}

TEST_F(GameTest, ComputerWhoseGuardFired_MakesTheNullMoveOfAntZero) {
    start(writeRules("default.conf", {}), true);
    game->opponent()->chooseAnt = [](auto&&...) -> Veltrix::AntId {
        throw std::runtime_error("no choice");
    };
    dragMove(0, {0.0f, 0.0f});
    testing::internal::CaptureStdout();
    waitForTurn();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(contains(out, "Moving ant 0 of player 1 in direction 0,0\n")) << out;
    EXPECT_EQ(game->rules().movesMade(), 2);
    EXPECT_EQ(game->rules().state.players.at(1).ants.at(0).movesLeft, 39);
}

TEST_F(GameTest, RulesForOtherPlayerOrAntCounts_AreRefusedNamingKeyAndValue) {
    for (const auto& [name, value] : {std::pair{"players", "3"}, std::pair{"antsPerPlayer", "1"}}) {
        const std::string file = writeRules("refused.conf", {{key(name), value}});
        input = std::make_unique<InputManager>(width, height);
        try {
            Game refused(input.get(), nullptr, &scene->text, &scene->sun, &scene->environment,
                         &scene->skybox, &scene->fog, &clock, projection, &random, true, 40, file);
            ADD_FAILURE() << name << " accepted";
        } catch (const std::logic_error& e) {
            const std::string message = e.what();
            EXPECT_TRUE(contains(message, "refused.conf")) << message;
            EXPECT_TRUE(contains(message, key(name) + " = " + value)) << message;
        }
        input.reset();
    }
}

// An attacked ant turns to where its attacker will stand: the end of the attacker's walk, or
// where the attacker stands when it has no walk (not the world's origin).
TEST_F(GameTest, AttackerPose_IsTheWalksEndOrWhereTheAntStands) {
    start(writeRules("default.conf", {}), true);
    Ant& mover = game->view(0).ant(0);
    const glm::vec3 start = mover.position;
    const auto [standing, facing] = attackerPose(mover);
    EXPECT_EQ(standing, mover.position);
    EXPECT_EQ(facing, glm::vec3(1.0f, 0.0f, 0.0f));
    mover.startMove({1, 6}, clock, true, false, nullptr, glm::vec3(0.0f), Fog::clearedHalfSide(2));
    const auto [end, heading] = attackerPose(mover);
    EXPECT_EQ(end, mover.plannedEnd()->first);
    EXPECT_NEAR(glm::length(end - cellCentre({1, 6})), 0.252f, 1e-5f);
    const glm::vec3 towards = glm::normalize(cellCentre({1, 6}) - start);
    EXPECT_NEAR(glm::length(heading - towards), 0.0f, 1e-5f);
}

// A new input manager reports the cursor where it is, without a movement: a right-button drag
// in the first frame of a game must not turn the camera by the whole cursor position.
TEST_F(GameTest, NewInputManager_StartsWithoutMouseMovement) {
    glfwSetCursorPos(window::handle(), 400.0, 300.0);
    InputManager fresh(width, height);
    EXPECT_EQ(fresh.currentMouse(), glm::ivec2(400, 300));
    EXPECT_EQ(fresh.frameMouseMovement(), glm::ivec2(0, 0));
}

}  // namespace
