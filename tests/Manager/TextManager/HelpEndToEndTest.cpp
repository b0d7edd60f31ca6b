// The game itself on the test display, as a player sees the overlay: the frame-rate line in
// the top-right corner from the start, the help text after F1 (compared with a screenshot
// without it), both wireframe lines after F3 twice, and Escape ending the program. The
// screenshots stay in the build's bin directory for a person to look at.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <sys/wait.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string run(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        std::array<char, 256> buffer{};
        while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) {
            output += buffer.data();
        }
        ::pclose(pipe);
    }
    return output;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Shot {
    std::vector<unsigned char> rgba;  // top row first
    unsigned width = 0, height = 0;

    // Pixels in the text colour (the red inside of the glyphs) within a rectangle.
    int textPixels(unsigned x0, unsigned y0, unsigned x1, unsigned y1) const {
        int count = 0;
        for (unsigned y = y0; y < std::min(y1, height); ++y) {
            for (unsigned x = x0; x < std::min(x1, width); ++x) {
                const unsigned char* p = &rgba[(y * width + x) * 4];
                count += p[0] > 170 && p[1] < 70 && p[2] < 70 ? 1 : 0;
            }
        }
        return count;
    }
};

Shot screenshot(const std::string& window, const std::string& name) {
    const std::string path = std::string(VX_BIN_DIR) + "/" + name;
    EXPECT_EQ(std::system(("import -window " + window + " " + path).c_str()), 0);
    Shot shot;
    EXPECT_EQ(lodepng::decode(shot.rgba, shot.width, shot.height, path), 0u) << path;
    return shot;
}

class Game {
public:
    Game() {
        dir_ = fs::temp_directory_path() / ("vx_text_e2e_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        for (const auto& entry : fs::directory_iterator(VX_GAME_DIR)) {
            if (entry.path().filename() != "VX3D.conf" && entry.path().extension() != ".log") {
                fs::create_symlink(entry.path(), dir_ / entry.path().filename());
            }
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            if (::chdir(dir_.c_str()) != 0) {
                ::_exit(126);
            }
            const int out = ::open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
            ::dup2(err, 2);
            const std::string binary = std::string(VX_BIN_DIR) + "/veltrix3d";
            ::execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~Game() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        fs::remove_all(dir_);
    }

    std::string window() {
        for (auto until = std::chrono::steady_clock::now() + 90s;
             std::chrono::steady_clock::now() < until;) {
            const std::string id =
                run("xdotool search --onlyvisible --name '^Veltrix 3D: Orbanix$' 2>/dev/null");
            if (!id.empty()) {
                return id.substr(0, id.find('\n'));
            }
            std::this_thread::sleep_for(100ms);
        }
        return {};
    }

    bool waitForOutput(const std::string& text) {
        for (auto until = std::chrono::steady_clock::now() + 60s;
             std::chrono::steady_clock::now() < until;) {
            if (readFile(dir_ / "stdout.txt").find(text) != std::string::npos) {
                return true;
            }
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    void key(const std::string& window, const std::string& keys) {
        ASSERT_EQ(std::system(("xdotool windowfocus --sync " + window + " key " + keys).c_str()),
                  0);
    }

    int exitStatus() {
        for (auto until = std::chrono::steady_clock::now() + 60s;
             std::chrono::steady_clock::now() < until;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(50ms);
        }
        return -1;
    }

    std::string stderrText() const { return readFile(dir_ / "stderr.txt"); }

private:
    fs::path dir_;
    pid_t pid_ = -1;
};

}  // namespace

TEST(HelpEndToEnd, F1ShowsHelpF3TogglesWireframeEscapeEnds) {
    Game game;
    const std::string window = game.window();
    ASSERT_FALSE(window.empty()) << game.stderrText();
    // The whole scene is built before the first frame; under the sanitizers that and the first
    // beats can take many seconds, so look until the frame-rate line is up.
    ASSERT_TRUE(game.waitForOutput("INIT SHADER PROG ObjectShader"));
    Shot plain = screenshot(window, "text_e2e_without_help.png");
    for (auto until = std::chrono::steady_clock::now() + 60s;
         plain.textPixels(400, 0, 640, 40) <= 40 && std::chrono::steady_clock::now() < until;) {
        std::this_thread::sleep_for(500ms);
        plain = screenshot(window, "text_e2e_without_help.png");
    }
    ASSERT_EQ(plain.width, 640u);
    ASSERT_EQ(plain.height, 480u);
    EXPECT_GT(plain.textPixels(400, 0, 640, 40), 40)
        << "the frame-rate line belongs in the top-right corner";

    game.key(window, "F1");
    ASSERT_TRUE(game.waitForOutput("Using Help Display: on\n"));
    std::this_thread::sleep_for(1200ms);  // the next beat adds the help lines
    const Shot help = screenshot(window, "text_e2e_with_help.png");
    const int before = plain.textPixels(0, 40, 400, 480);
    const int after = help.textPixels(0, 40, 400, 480);
    EXPECT_GT(after, before + 2000) << "the help text must cover the left of the window";
    EXPECT_GT(help.textPixels(400, 0, 640, 40), 40);

    game.key(window, "F3");
    EXPECT_TRUE(game.waitForOutput("Wireframe Mode turned on\n"));
    game.key(window, "F3");
    EXPECT_TRUE(game.waitForOutput("Wireframe Mode turned on\nWireframe Mode turned off\n"));

    game.key(window, "Escape");
    EXPECT_EQ(game.exitStatus(), 0) << game.stderrText();
}
