// The game played through the real window, as a player plays it: the real veltrix3d in a
// scratch copy of game/, the mouse and keys sent with xdotool, the window read back as the X
// server shows it. A press on the red ant where it is drawn (its start position projected with
// the camera the game places behind it), a drag and a release move it; the computer answers;
// short games played by mouse to the end splash, against the computer and between two humans;
// "P", "L", "R" and Escape; the records the games leave and their replay; and rules the client
// refuses.
#include "ProgramUnderTest.h"

#include "Drawables/Ant3D/AntMotion.h"
#include "Game/Camera.h"
#include "Veltrix3D/FrameBeat.h"

#include <glm/glm.hpp>

#include <cmath>
#include <regex>

using namespace e2e;

namespace {

constexpr int width = 640;
constexpr int height = 480;

// The shipped rules with one key replaced.
std::string rulesWith(const std::string& key, const std::string& value) {
    std::istringstream shipped(readFile(fs::path(VX_GAME_DIR) / "VX.conf"));
    std::string text;
    for (std::string line; std::getline(shipped, line);)
        if (line.rfind(key + "=", 0) != 0) text += line + "\n";
    return text + key + "=" + value + "\n";
}

// The camera the game places behind ant 0 of a player before anything has moved, aimed 0.4
// above the ant: the view its picking and drawing use.
glm::mat4 startViewProjection(int player) {
    const int facing = player == 0 ? 1 : -1;
    const glm::vec3 ant = VX3D::initialPosition({player == 0 ? 0 : 19, 5}, facing);
    VX3D::Camera camera;
    camera.placeAt({ant.x - 6.0f * static_cast<float>(facing), 4.0f, ant.z});
    camera.target = ant + glm::vec3(0.0f, 0.4f, 0.0f);
    camera.following = true;
    camera.rebuild();
    return VX3D::projectionMatrix(width, height) * camera.view;
}

glm::ivec2 pixelOf(const glm::mat4& viewProjection, const glm::vec3& world) {
    const glm::vec4 clip = viewProjection * glm::vec4(world, 1.0f);
    return {static_cast<int>(std::lround((clip.x / clip.w + 1.0f) * 0.5f * width)),
            static_cast<int>(std::lround(height - (clip.y / clip.w + 1.0f) * 0.5f * height))};
}

std::string at(const std::string& window, glm::ivec2 pixel) {
    return "mousemove --window " + window + " " + std::to_string(pixel.x) + " " +
           std::to_string(pixel.y);
}

// Presses on the ant standing on its start cell (trying a few heights above the ground, as
// the relief raises it), and once it is selected drags one cell in the direction and releases.
// A press while a move is still shown selects nothing and is tried again.
void mouseMove(Program& program, const std::string& window, int player, int ant,
               glm::ivec2 direction) {
    const glm::mat4 vp = startViewProjection(player);
    const Veltrix::Position cell{player == 0 ? 0 : 19, 5 + 2 * ant};
    const glm::vec3 standing = VX3D::initialPosition(cell, player == 0 ? 1 : -1);
    const std::string selected =
        "Selecting Ant " + std::to_string(ant) + " of player " + std::to_string(player);
    const std::size_t before = program.outputCount(selected);
    const auto until = std::chrono::steady_clock::now() + patience;
    while (program.outputCount(selected) == before && std::chrono::steady_clock::now() < until) {
        for (const float lift : {0.2f, 0.1f, 0.3f}) {
            program.xdotool(
                window,
                at(window, pixelOf(vp, standing + glm::vec3(0.0f, lift, 0.0f))) + " mousedown 1");
            const auto wait = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
            while (program.outputCount(selected) == before &&
                   std::chrono::steady_clock::now() < wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (program.outputCount(selected) > before) break;
            program.xdotool(window, "mouseup 1");
        }
    }
    ASSERT_GT(program.outputCount(selected), before) << "the ant was not selected";
    const glm::vec3 target = VX3D::cellCentre(cell) + glm::vec3(direction.x, 0.0f, -direction.y);
    program.xdotool(window, at(window, pixelOf(vp, target)) + " sleep 0.3 mouseup 1");
}

std::string moveLine(int player, int ant, glm::ivec2 direction) {
    return "Moving ant " + std::to_string(ant) + " of player " + std::to_string(player) +
           " in direction " + std::to_string(direction.x) + "," + std::to_string(direction.y) +
           "\n";
}

std::size_t differingPixels(const std::vector<unsigned char>& a,
                            const std::vector<unsigned char>& b) {
    std::size_t n = 0;
    for (std::size_t i = 0; i + 3 < std::min(a.size(), b.size()); i += 4)
        if (std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]) >
            30)
            ++n;
    return n;
}

// The three end splashes as flat colours, so that the screen tells which one is up.
struct Splash {
    const char* file;
    int r, g, b;
};
constexpr Splash win{"PlayerWinSplash.png", 0, 200, 0};
constexpr Splash lose{"PlayerLoseSplash.png", 200, 0, 0};
constexpr Splash draw{"PlayerDrawSplash.png", 0, 0, 200};

void useFlatSplashes(Program& program) {
    for (const Splash& s : {win, lose, draw})
        program.writeFlatScreen(s.file, static_cast<unsigned char>(s.r),
                                static_cast<unsigned char>(s.g), static_cast<unsigned char>(s.b));
}

// The splash the sun's last balance line asks for: below 0 player 0 is ahead.
const Splash& expectedSplash(const std::string& out) {
    int balance = 0;
    const std::regex line("ScoreBalance: (-?[0-9]+)");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator();
         ++it)
        balance = std::stoi((*it)[1]);
    return balance < 0 ? win : balance > 0 ? lose : draw;
}

// Waits until the window shows the splash (or, with showing false, the scene again: neither
// the splash nor the loading screen).
bool waitForSplash(const std::string& window, const Splash& splash, bool showing,
                   const std::string& name) {
    const auto until = std::chrono::steady_clock::now() + patience;
    while (std::chrono::steady_clock::now() < until) {
        unsigned w = 0, h = 0;
        const auto pixels = screenshot(window, name, w, h);
        if (w == width && h == height) {
            const bool shown =
                near(&pixels[(h / 2 * w + w / 2) * 4], splash.r, splash.g, splash.b) &&
                near(&pixels[(h / 4 * w + w / 4) * 4], splash.r, splash.g, splash.b);
            // The loading screen's red quadrant is up while a new game is built.
            const bool loading = near(&pixels[(h / 4 * w + w / 4) * 4], 255, 0, 0);
            if (showing ? shown : !shown && !loading) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    return false;
}

// The records the game reported saving, in order, as paths inside its working directory.
std::vector<fs::path> savedRecords(const Program& program) {
    std::vector<fs::path> files;
    const std::string out = program.stdoutText();
    const std::regex line("Game record saved to (records/[^\n]+\\.jsonl)\n");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator();
         ++it)
        files.push_back(program.dir() / (*it)[1].str());
    return files;
}

// The match runner's verdict on a record: its one line.
std::string verified(const fs::path& record) {
    return run("'" + std::string(VX_BIN_DIR) + "/veltrix-arena' --verify '" + record.string() +
               "' 2>&1");
}

std::string lastLine(const fs::path& file) {
    std::istringstream in(readFile(file));
    std::string line, last;
    while (std::getline(in, line)) last = line;
    return last;
}

// Between two humans' turns the hand-over screen hides the field: the next player's colour
// (darkened) above and below, a dark band with the texts across the middle. Space takes it
// down and the field comes back.
bool waitForHandover(const std::string& window, int player, bool showing, const std::string& name) {
    const int r = player == 0 ? 140 : 0, b = player == 1 ? 140 : 0;
    const auto until = std::chrono::steady_clock::now() + patience;
    while (std::chrono::steady_clock::now() < until) {
        unsigned w = 0, h = 0;
        const auto pixels = screenshot(window, name, w, h);
        if (w == width && h == height) {
            auto at = [&](unsigned x, unsigned y) { return &pixels[(y * w + x) * 4]; };
            const bool shown = near(at(w / 4, h / 8), r, 0, b) &&
                               near(at(3 * w / 4, 7 * h / 8), r, 0, b) &&
                               near(at(w / 8, h / 2), 20, 20, 20);
            if (shown == showing) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    return false;
}

void handOver(Program& program, const std::string& window, int player, const std::string& name) {
    ASSERT_TRUE(waitForHandover(window, player, true, name))
        << "no hand-over screen for " << player;
    program.key(window, "space");
    ASSERT_TRUE(waitForHandover(window, player, false, name + "-taken-down"));
}

// After the first frame the composite pass exists: the scene is on screen.
void startGame(Program& program, std::string& window,
               const std::vector<std::string>& arguments = {}) {
    program.start(arguments);
    window = program.window();
    ASSERT_FALSE(window.empty()) << program.stderrText();
    ASSERT_TRUE(program.waitForOutput("INIT SHADER PROG BlendTextureShader"))
        << program.stderrText();
}

}  // namespace

TEST(GameEndToEnd, DragOnTheRedAnt_WalksItAndTheComputerAnswers) {
    Program program("game-move", false);
    std::string window;
    startGame(program, window);
    unsigned w = 0, h = 0;
    const auto before = screenshot(window, "game-before-move", w, h);

    mouseMove(program, window, 0, 0, {1, 0});
    ASSERT_TRUE(program.waitForOutput("Moving in Human Mode\n" + moveLine(0, 0, {1, 0})))
        << program.stdoutText();
    ASSERT_TRUE(program.waitForOutput("starting move animation"));
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    const auto walking = screenshot(window, "game-walking", w, h);
    EXPECT_GT(differingPixels(before, walking), before.size() / 4 / 100)
        << "the scene did not change";

    ASSERT_TRUE(program.waitForOutput("Moving in AI Mode\nMoving ant ")) << program.stdoutText();
    EXPECT_TRUE(std::regex_search(program.stdoutText(),
                                  std::regex("Moving ant [01] of player 1 in direction ")));

    program.key(window, "p");
    ASSERT_TRUE(program.waitForOutput("Screenshot saved to screenshots/veltrix-0001.png\n"));
    EXPECT_TRUE(fs::exists(program.dir() / "screenshots" / "veltrix-0001.png"));
    program.key(window, "Escape");
    expectOrderlyEnd(program);
}

// Two moves per ant: four human moves by mouse, each answered by the computer, end the game
// (or the computer's lead ends it earlier); the splash follows the sun's balance. "L" starts a
// new game from the splash, "R" reloads the shaders, Escape ends the program.
TEST(GameEndToEnd, ShortGameAgainstTheComputer_PlayedByMouseToTheSplash) {
    Program program("game-short", true);
    program.writeRules(rulesWith("Problem.Veltrix.movesPerAnt", "2"));
    useFlatSplashes(program);
    std::string window;
    startGame(program, window);
    for (int k = 0; k < 4; ++k) {
        mouseMove(program, window, 0, k % 2, {0, 0});
        ASSERT_TRUE(
            program.waitForOutputCount("Moving in Human Mode\n", static_cast<std::size_t>(k + 1)));
        if (k < 3) {
            ASSERT_TRUE(
                program.waitForOutputCount("Moving in AI Mode\n", static_cast<std::size_t>(k + 1)));
        }
    }
    const std::string out = program.stdoutText();
    const Splash& result = expectedSplash(out);
    ASSERT_TRUE(waitForSplash(window, result, true, "game-end-splash")) << out;
    EXPECT_LE(program.outputCount("Moving in AI Mode\n"), 4u);

    // The finished game's record is complete and replays headless.
    const std::vector<fs::path> records = savedRecords(program);
    ASSERT_EQ(records.size(), 1u) << out;
    EXPECT_NE(verified(records[0]).find("\"ok\":true}"), std::string::npos) << verified(records[0]);
    EXPECT_NE(lastLine(records[0]).find(&result == &draw ? "\"drawn\"" : "\"won\""),
              std::string::npos);

    program.key(window, "l");
    ASSERT_TRUE(program.waitForOutput("Reinitializing game!\n"));
    EXPECT_TRUE(waitForSplash(window, result, false, "game-new-after-splash"));
    program.key(window, "r");
    EXPECT_TRUE(program.waitForOutput("Init Reloading of Shaders!\n"));
    program.key(window, "Escape");
    expectOrderlyEnd(program);
    EXPECT_EQ(savedRecords(program).size(), 1u) << "a game without a move leaves no record";

    // The record replayed in the window, the right arrow hurrying it, ends on the same splash.
    Program replay("game-short-replay", true);
    useFlatSplashes(replay);
    fs::copy_file(records[0], replay.dir() / "game.jsonl");
    startGame(replay, window, {"--replay", "game.jsonl"});
    const auto until = std::chrono::steady_clock::now() + patience;
    while (replay.stdoutText().find("Replay finished: ") == std::string::npos &&
           std::chrono::steady_clock::now() < until) {
        replay.key(window, "Right");
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
    }
    EXPECT_EQ(replay.outputCount("Moving from the record\n"), program.outputCount("Moving ant "));
    EXPECT_TRUE(waitForSplash(window, result, true, "game-replay-splash")) << replay.stdoutText();
    replay.key(window, "Escape");
    expectOrderlyEnd(replay);
}

// A game left with "L" and a game ended by SIGTERM both leave a complete record that replays.
TEST(GameEndToEnd, AbandonedAndStoppedGames_LeaveCompleteRecords) {
    Program program("game-abandoned", true);
    std::string window;
    startGame(program, window);
    mouseMove(program, window, 0, 0, {1, 0});
    ASSERT_TRUE(program.waitForOutputCount("Moving in AI Mode\n", 1));
    program.key(window, "l");
    ASSERT_TRUE(program.waitForOutput("Game record saved to records/")) << program.stdoutText();

    ASSERT_TRUE(program.waitForOutput("Reinitializing game!\n"));
    mouseMove(program, window, 0, 1, {1, 0});
    ASSERT_TRUE(program.waitForOutputCount("Moving in AI Mode\n", 2));
    program.signal(SIGTERM);
    const auto status = program.wait();
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, 0) << program.stderrText();

    const std::vector<fs::path> records = savedRecords(program);
    ASSERT_EQ(records.size(), 2u) << program.stdoutText();
    for (const fs::path& record : records) {
        EXPECT_NE(verified(record).find("\"moves\":2,\"ok\":true}"), std::string::npos)
            << verified(record);
        EXPECT_NE(lastLine(record).find("\"result\":\"abandoned\""), std::string::npos)
            << lastLine(record);
    }
    EXPECT_NE(records[0].filename().string().find("-game1"), std::string::npos);
    EXPECT_NE(records[1].filename().string().find("-game2"), std::string::npos);
}

// Two humans at one machine: each sees the game through its own camera and moves by mouse;
// between the turns the hand-over screen waits for Space.
TEST(GameEndToEnd, ShortGameBetweenTwoHumans_BothPlayByMouse) {
    Program program("game-humans", true);
    program.writeConfig("aiopponent=false\n");
    program.writeRules(rulesWith("Problem.Veltrix.movesPerAnt", "2"));
    useFlatSplashes(program);
    std::string window;
    startGame(program, window);
    for (int k = 0; k < 8; ++k) {
        const int player = k % 2;
        const int ant = (k / 2) % 2;
        if (k > 0) handOver(program, window, player, "game-humans-handover-" + std::to_string(k));
        mouseMove(program, window, player, ant, {0, 0});
        ASSERT_TRUE(program.waitForOutput(moveLine(player, ant, {0, 0}))) << program.stdoutText();
    }
    const std::string out = program.stdoutText();
    EXPECT_EQ(out.find("AI Mode"), std::string::npos);
    EXPECT_TRUE(waitForSplash(window, draw, true, "game-humans-splash")) << "nobody ate: a draw";
    program.key(window, "Escape");
    expectOrderlyEnd(program);
}

TEST(GameEndToEnd, RulesForThreePlayers_AreRefusedAtStart) {
    Program program("game-three", true);
    program.writeRules(rulesWith("Problem.Veltrix.players", "3"));
    program.start();
    const auto status = program.wait();
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, 1);
    const std::string err = program.stderrText();
    EXPECT_NE(
        err.find("caught exception: rules file VX.conf: Problem.Veltrix.players = 3 is invalid"),
        std::string::npos)
        << err;
    EXPECT_NE(program.stdoutText().find("ShaderPrograms in use at exit: "), std::string::npos);
}

// ---- matches through a server ----

namespace {

// A real veltrix-server in its own scratch folder, on 127.0.0.1 and a port the system picks
// (read from its listening line), with its own rules and records.
class ServerProcess {
public:
    ServerProcess(const std::string& name, const std::string& rules) {
        dir_ = fs::temp_directory_path() /
               ("vx_e2e_" + std::to_string(::getpid()) + "_server_" + name);
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "records");
        std::ofstream(dir_ / "VX.conf") << rules;
        pid_ = ::fork();
        if (pid_ == 0) {
            if (::chdir(dir_.c_str()) != 0) ::_exit(126);
            const int out = ::open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
            ::dup2(err, 2);
            const std::string binary = std::string(VX_BIN_DIR) + "/veltrix-server";
            ::execl(binary.c_str(), binary.c_str(), "--bind", "127.0.0.1", "--port", "0", "--rules",
                    "VX.conf", "--records", "records", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        const std::regex listening("listening on 127\\.0\\.0\\.1:([0-9]+)\n");
        const auto until = std::chrono::steady_clock::now() + patience;
        std::smatch port;
        std::string out;
        while (std::chrono::steady_clock::now() < until &&
               !std::regex_search(out = readFile(dir_ / "stdout.txt"), port, listening))
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!port.empty()) address_ = "127.0.0.1:" + port[1].str();
    }
    ~ServerProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        fs::remove_all(dir_);
    }
    const std::string& address() const { return address_; }
    void stop(int signal) {
        ::kill(pid_, signal);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    std::vector<fs::path> records() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(dir_ / "records"))
            files.push_back(entry.path());
        return files;
    }

private:
    fs::path dir_;
    pid_t pid_ = -1;
    std::string address_;
};

// The match code the window printed when the server gave it its seat.
std::string matchCode(Program& program) {
    if (!program.waitForOutput("Match code: ")) return {};
    const std::string out = program.stdoutText();
    std::smatch code;
    std::regex_search(out, code, std::regex("Match code: ([0-9A-Z]{4}-[0-9A-Z]{4}), seat"));
    return code.empty() ? std::string() : code[1].str();
}

const Splash& splashFor(const std::string& out) {
    if (out.find("Match over: win ") != std::string::npos) return win;
    if (out.find("Match over: lose ") != std::string::npos) return lose;
    return draw;
}

}  // namespace

// Two moves per ant against the server's computer: four moves by mouse end the match, the
// splash is the server's verdict, and "L" begins the next match.
TEST(NetworkEndToEnd, WindowAgainstTheServersComputer_PlaysToTheSplash) {
    ServerProcess server("computer", rulesWith("Problem.Veltrix.movesPerAnt", "2"));
    ASSERT_FALSE(server.address().empty());
    Program program("net-computer", true);
    useFlatSplashes(program);
    std::string window;
    startGame(program, window, {"--server", server.address(), "--computer"});
    ASSERT_TRUE(program.waitForOutput("Match begins: ")) << program.stderrText();
    for (int k = 0; k < 4 && program.stdoutText().find("Match over: ") == std::string::npos; ++k) {
        mouseMove(program, window, 0, k % 2, {0, 0});
        ASSERT_TRUE(program.waitForOutput(moveLine(0, k % 2, {0, 0}))) << program.stdoutText();
    }
    ASSERT_TRUE(program.waitForOutput("Match over: ")) << program.stdoutText();
    EXPECT_TRUE(
        waitForSplash(window, splashFor(program.stdoutText()), true, "net-computer-splash"));
    ASSERT_EQ(server.records().size(), 1u);
    EXPECT_NE(verified(server.records()[0]).find("\"ok\":true}"), std::string::npos);
    // "L" after the end: a new match against the server's computer begins.
    program.key(window, "l");
    EXPECT_TRUE(program.waitForOutputCount("Match begins: ", 2)) << program.stdoutText();
    program.key(window, "Escape");
    expectOrderlyEnd(program);
}

// Two windows side by side play one match by mouse, each only its own seat; both end on the
// splash of their own result, the server's record of the match verifies, and "L" in both
// windows begins a rematch between them.
TEST(NetworkEndToEnd, TwoWindowsThroughAServer_PlayByMouseToTheSplash) {
    ServerProcess server("humans", rulesWith("Problem.Veltrix.movesPerAnt", "2"));
    ASSERT_FALSE(server.address().empty());
    Program red("net-red", true), blue("net-blue", true);
    useFlatSplashes(red);
    useFlatSplashes(blue);
    std::array<std::string, 2> windows;
    // Red's window waits for an opponent before it draws a scene.
    red.start({"--server", server.address()});
    windows[0] = red.window();
    ASSERT_FALSE(windows[0].empty()) << red.stderrText();
    const std::string code = matchCode(red);
    ASSERT_FALSE(code.empty()) << red.stdoutText() << red.stderrText();
    startGame(blue, windows[1], {"--server", server.address(), "--join", code});
    run("xdotool windowmove " + windows[1] + " " + std::to_string(width + 20) + " 0");
    ASSERT_TRUE(red.waitForOutput("Match begins: ")) << red.stderrText();
    ASSERT_TRUE(blue.waitForOutput("Match begins: ")) << blue.stderrText();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // both windows drawn apart
    unsigned w = 0, h = 0;
    screenshot(windows[0], "net-red-waiting", w, h);

    std::array<Program*, 2> seats{&red, &blue};
    for (int k = 0; k < 8; ++k) {
        const int seat = k % 2;
        const int ant = (k / 2) % 2;
        mouseMove(*seats[seat], windows[seat], seat, ant, {0, 0});
        ASSERT_TRUE(seats[seat]->waitForOutput(moveLine(seat, ant, {0, 0})))
            << seats[seat]->stdoutText();
        if (k == 0) {
            screenshot(windows[1], "net-blue-red-moved", w, h);
            // Red's move shown to its end: Red waits for Blue.
            std::this_thread::sleep_for(std::chrono::milliseconds(3500));
            screenshot(windows[0], "net-red-waiting-for-blue", w, h);
        }
    }
    for (int seat = 0; seat < 2; ++seat) {
        ASSERT_TRUE(seats[seat]->waitForOutput("Match over: ")) << seats[seat]->stdoutText();
        EXPECT_TRUE(waitForSplash(windows[seat], draw, true,
                                  seat == 0 ? "net-red-splash" : "net-blue-splash"))
            << "nobody ate: a draw in both windows";
        EXPECT_NE(seats[seat]->stdoutText().find("Match over: draw (drawn)"), std::string::npos);
        // The window's own record: its start, the eight moves as this seat learnt of them, the end.
        const fs::path record = seats[seat]->dir() / "records" /
                                ("match-" + code + "-seat" + std::to_string(seat) + ".jsonl");
        const std::string kept = readFile(record);
        std::size_t moves = 0;
        for (auto at = kept.find("\"type\":\"moved\""); at != std::string::npos;
             at = kept.find("\"type\":\"moved\"", at + 1))
            ++moves;
        EXPECT_EQ(moves, 8u) << kept;
        EXPECT_NE(kept.find("\"type\":\"start\""), std::string::npos) << kept;
        EXPECT_NE(lastLine(record).find("\"type\":\"end\""), std::string::npos) << kept;
    }
    ASSERT_EQ(server.records().size(), 1u);
    EXPECT_NE(verified(server.records()[0]).find("\"moves\":8,\"ok\":true}"), std::string::npos)
        << verified(server.records()[0]);

    // "L" in both windows: the same two players begin a new match, each in their own seat.
    red.key(windows[0], "l");
    ASSERT_TRUE(red.waitForOutput("Rematch asked for")) << red.stdoutText();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    screenshot(windows[0], "net-red-rematch-waiting", w, h);
    blue.key(windows[1], "l");
    for (int seat = 0; seat < 2; ++seat) {
        EXPECT_TRUE(seats[seat]->waitForOutputCount("Match begins: ", 2))
            << seats[seat]->stdoutText();
        seats[seat]->key(windows[seat], "Escape");
        expectOrderlyEnd(*seats[seat]);
    }
    EXPECT_EQ(server.records().size(), 2u);
}

// A window killed in the middle of a match takes its seat back with --resume and the token it
// kept (readable by its owner only); when the server then stops, the window says so and still
// ends in order on Escape.
TEST(NetworkEndToEnd, KilledWindowResumesItsSeat_ThenTheServerStops) {
    ServerProcess server("resume", rulesWith("Problem.Veltrix.movesPerAnt", "4"));
    ASSERT_FALSE(server.address().empty());
    Program program("net-resume", true);
    std::string window;
    startGame(program, window, {"--server", server.address(), "--computer"});
    const std::string code = matchCode(program);
    ASSERT_FALSE(code.empty()) << program.stdoutText();
    ASSERT_TRUE(program.waitForOutput("Match begins: "));
    mouseMove(program, window, 0, 0, {0, 0});
    ASSERT_TRUE(program.waitForOutput(moveLine(0, 0, {0, 0})));
    program.signal(SIGKILL);
    program.wait();
    const fs::path token = program.dir() / ("seat-" + code + ".token");
    ASSERT_TRUE(fs::exists(token));
    EXPECT_EQ(fs::status(token).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    startGame(program, window, {"--server", server.address(), "--resume", code});
    ASSERT_TRUE(program.waitForOutput("Match begins: ")) << program.stderrText();
    mouseMove(program, window, 0, 1, {0, 0});
    ASSERT_TRUE(program.waitForOutput(moveLine(0, 1, {0, 0}))) << program.stdoutText();

    server.stop(SIGTERM);
    const auto until = std::chrono::steady_clock::now() + patience;
    while (program.stderrText().find("server shutting down") == std::string::npos &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_NE(program.stderrText().find("server shutting down"), std::string::npos);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // a few frames with the message
    unsigned w = 0, h = 0;
    screenshot(window, "net-server-stopped", w, h);
    program.key(window, "Escape");
    expectOrderlyEnd(program);
}
