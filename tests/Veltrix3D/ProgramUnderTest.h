#pragma once
// The real program in a scratch working directory on the test display, as the end-to-end
// tests drive it: its output files, its window, keys and mouse through xdotool, screenshots of
// the window as the X server shows it, and its exit.
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
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

namespace fs = std::filesystem;

inline const char* const title = "Veltrix 3D: Orbanix";
// Start-up under the sanitizers and llvmpipe can take a while; waits poll up to this long.
inline constexpr auto patience = std::chrono::seconds(90);

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string run(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        std::array<char, 256> buffer{};
        while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) output += buffer.data();
        ::pclose(pipe);
    }
    return output;
}

// A PNG of four flat quadrants, stored bottom row first as the game's screens are, so that
// on screen red is top-left, green top-right, blue bottom-left and white bottom-right.
inline void writeQuadrantScreen(const fs::path& path) {
    const unsigned w = 64, h = 48;
    std::vector<unsigned char> pixels(w * h * 4);
    for (unsigned row = 0; row < h; ++row) {
        const bool top = row >= h / 2;  // stored bottom row first
        for (unsigned x = 0; x < w; ++x) {
            const bool left = x < w / 2;
            unsigned char* p = &pixels[(row * w + x) * 4];
            const std::array<unsigned char, 3> colour =
                top ? (left ? std::array<unsigned char, 3>{255, 0, 0}
                            : std::array<unsigned char, 3>{0, 255, 0})
                    : (left ? std::array<unsigned char, 3>{0, 0, 255}
                            : std::array<unsigned char, 3>{255, 255, 255});
            p[0] = colour[0];
            p[1] = colour[1];
            p[2] = colour[2];
            p[3] = 255;
        }
    }
    ASSERT_EQ(lodepng::encode(path.string(), pixels, w, h), 0u);
}

class Program {
public:
    // A scratch working directory with the game's shaders, sounds and resources linked in.
    // Screens the game does not ship yet (or all of them, with ownScreens) are made here.
    explicit Program(const std::string& name, bool ownScreens) {
        dir_ = fs::temp_directory_path() / ("vx_e2e_" + std::to_string(::getpid()) + "_" + name);
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "res" / "Textures");
        const fs::path game = VX_GAME_DIR;
        for (const char* entry : {"Shader", "sound"})
            if (fs::exists(game / entry)) fs::create_directory_symlink(game / entry, dir_ / entry);
        for (const auto& entry : fs::directory_iterator(game / "res"))
            if (entry.path().filename() != "Textures")
                fs::create_symlink(entry.path(), dir_ / "res" / entry.path().filename());
        if (fs::exists(game / "res" / "Textures"))
            for (const auto& entry : fs::directory_iterator(game / "res" / "Textures")) {
                const std::string file = entry.path().filename().string();
                const bool screen = file.find("Splash") != std::string::npos ||
                                    file == "Veltrix3DLoadingScreen.png";
                if (!ownScreens || !screen)
                    fs::create_symlink(entry.path(),
                                       dir_ / "res" / "Textures" / entry.path().filename());
            }
        for (const char* screen : {"Veltrix3DLoadingScreen.png", "PlayerWinSplash.png",
                                   "PlayerLoseSplash.png", "PlayerDrawSplash.png"})
            if (!fs::exists(dir_ / "res" / "Textures" / screen))
                writeQuadrantScreen(dir_ / "res" / "Textures" / screen);
        fs::copy_file(game / "VX.conf", dir_ / "VX.conf");
    }

    ~Program() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        fs::remove_all(dir_);
    }

    void signal(int number) { ASSERT_EQ(::kill(pid_, number), 0); }

    void writeConfig(const std::string& text) { std::ofstream(dir_ / "VX3D.conf") << text; }
    void writeRules(const std::string& text) { std::ofstream(dir_ / "VX.conf") << text; }

    // Replaces one of the screens (for example "PlayerWinSplash.png") by a flat colour.
    void writeFlatScreen(const std::string& file, unsigned char r, unsigned char g,
                         unsigned char b) {
        const unsigned w = 32, h = 24;
        std::vector<unsigned char> pixels;
        for (unsigned i = 0; i < w * h; ++i) pixels.insert(pixels.end(), {r, g, b, 255});
        const fs::path path = dir_ / "res" / "Textures" / file;
        fs::remove(path);
        ASSERT_EQ(lodepng::encode(path.string(), pixels, w, h), 0u);
    }

    const fs::path& dir() const { return dir_; }

    void start(const std::vector<std::string>& arguments = {}) {
        pid_ = ::fork();
        if (pid_ == 0) {
            if (::chdir(dir_.c_str()) != 0) ::_exit(126);
            const int out = ::open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
            ::dup2(err, 2);
            // Under the sanitizers the graphics driver's JIT code leaves allocations that no
            // suppression can name; leaks are still reported on standard error, but only real
            // errors may change the exit status this test checks.
            std::string lsan = std::getenv("LSAN_OPTIONS") ? std::getenv("LSAN_OPTIONS") : "";
            ::setenv("LSAN_OPTIONS", (lsan + (lsan.empty() ? "" : ":") + "exitcode=0").c_str(), 1);
            const std::string binary = std::string(VX_BIN_DIR) + "/veltrix3d";
            std::vector<char*> argv{const_cast<char*>(binary.c_str())};
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(binary.c_str(), argv.data());
            ::_exit(127);
        }
        ASSERT_GT(pid_, 0);
    }

    // The exit status, or nullopt when the program did not end in time.
    std::optional<int> wait() {
        const auto until = std::chrono::steady_clock::now() + patience;
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return std::nullopt;
    }

    // The X window id of the game's window, once it is mapped.
    std::string window() {
        const auto until = std::chrono::steady_clock::now() + patience;
        while (std::chrono::steady_clock::now() < until) {
            // This program's window only: a test may run two games side by side.
            std::string id =
                run("xdotool search --all --onlyvisible --pid " + std::to_string(pid_) +
                    " --name '^" + std::string(title) + "$' 2>/dev/null");
            if (!id.empty()) return id.substr(0, id.find('\n'));
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return {};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return {};
    }

    // Waits until standard output holds the text.
    bool waitForOutput(const std::string& text) {
        const auto until = std::chrono::steady_clock::now() + patience;
        while (std::chrono::steady_clock::now() < until) {
            if (stdoutText().find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // Waits until standard output holds the text at least count times.
    bool waitForOutputCount(const std::string& text, std::size_t count) {
        const auto until = std::chrono::steady_clock::now() + patience;
        while (std::chrono::steady_clock::now() < until) {
            if (outputCount(text) >= count) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    std::size_t outputCount(const std::string& text) const {
        const std::string out = stdoutText();
        std::size_t n = 0;
        for (auto at = out.find(text); at != std::string::npos;
             at = out.find(text, at + text.size()))
            ++n;
        return n;
    }

    // xdotool commands after focusing the window, e.g. "mousemove --window W 10 20 mousedown 1".
    void xdotool(const std::string& window, const std::string& commands) {
        ASSERT_EQ(std::system(("xdotool windowfocus --sync " + window + " " + commands).c_str()),
                  0);
    }

    void key(const std::string& window, const std::string& keys) {
        ASSERT_EQ(std::system(("xdotool windowfocus --sync " + window + " key " + keys).c_str()),
                  0);
    }

    std::string stdoutText() const { return readFile(dir_ / "stdout.txt"); }
    std::string stderrText() const { return readFile(dir_ / "stderr.txt"); }

private:
    fs::path dir_;
    pid_t pid_ = -1;
};

// "WIDTH=640\nHEIGHT=480" as xdotool reports it.
inline std::pair<int, int> geometry(const std::string& window) {
    const std::string text = run("xdotool getwindowgeometry --shell " + window);
    auto value = [&](const std::string& key) {
        const auto at = text.find(key + "=");
        return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + key.size() + 1);
    };
    return {value("WIDTH"), value("HEIGHT")};
}

// The window's pixels as the X server shows them, kept under the build tree.
inline std::vector<unsigned char> screenshot(const std::string& window, const std::string& name,
                                             unsigned& width, unsigned& height) {
    const fs::path dir = fs::path(VX_BIN_DIR).parent_path() / "screenshots";
    fs::create_directories(dir);
    const fs::path file = dir / (name + ".png");
    fs::remove(file);
    run("import -window " + window + " " + file.string() + " 2>&1");
    std::vector<unsigned char> pixels;
    if (lodepng::decode(pixels, width, height, file.string()) != 0) pixels.clear();
    return pixels;
}

inline bool near(const unsigned char* p, int r, int g, int b) {
    return std::abs(p[0] - r) < 16 && std::abs(p[1] - g) < 16 && std::abs(p[2] - b) < 16;
}

// Ends the program the way a player does and checks the orderly exit.
inline void expectOrderlyEnd(Program& program) {
    const auto status = program.wait();
    ASSERT_TRUE(status) << "the program did not end after Escape";
    EXPECT_EQ(*status, 0) << program.stderrText();
    const std::string out = program.stdoutText();
    EXPECT_EQ(out.rfind("starting, loading options\n", 0), 0u) << out;
    EXPECT_NE(out.find("Purging ShaderStore knowledge of "), std::string::npos) << out;
    // Every program is deleted while the context exists, the passes kept in statics included.
    EXPECT_NE(out.find("ShaderPrograms in use at exit: 0\n"), std::string::npos) << out;
    EXPECT_EQ(program.stderrText().find("caught"), std::string::npos) << program.stderrText();
    EXPECT_EQ(program.stderrText().find("ERROR: AddressSanitizer"), std::string::npos);
}

}  // namespace e2e
