// veltrix-framebench: how long the game's frame takes, and where the time goes.
//
//   veltrix-framebench [--width W] [--height H] [--frames N] [--select] [--whole]
//
// Run in the game's working directory with an X display. Builds the run through the game's
// own start-up (the window at W × H, other client options from "VX3D.conf"), renders 10
// unmeasured frames and then N measured ones (default 100) with the game's frame body, each
// ended by glFinish. With --select ant 0 of player 0 is selected, so the glow passes run.
// Prints one JSON line last on standard output:
//   {"width":W,"height":H,"frames":N,"select":B,"msPerFrame":{"median":M,"p90":P},
//    "passes":{"update":…,"shadow":…,"scene":…,"fog":…,"shadowBlur":…,"glow":…,"composite":…,
//              "text":…},
//    "primitives":K}
//    "cpuMsPerFrame":{"median":…},"cpuPasses":{…}}
// With --whole the stages are not ended one by one: only the whole frame is finished and
// timed, as the game runs it (the renderer's threads then overlap one stage's drawing with
// the next stage's set-up), and "passes" and "cpuPasses" are empty.
// Pass figures are medians in milliseconds, each pass bounded by glFinish. "update" is the
// frame's work before the render sequence (clock, texts, sounds, the controller, the clear);
// "text" the work after it (the texts, the buffer swap with its event processing); "fog" is the
// fog's own pass (its movement, the scene's depth copied down and the particles drawn), while
// laying the fog over the scene is part of "composite". The "cpu"
// figures are the processor time of the whole process (the renderer's threads included) over
// the same spans: on a machine loaded by other work they move much less than the wall clock.
#include "Shader/ShaderStore.h"
#include "ToolSupport.h"
#include "Veltrix3D/RenderFrame.h"
#include "Veltrix3D/Session.h"

#include <GL/glew.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

struct Arguments {
    int width = 640;
    int height = 480;
    int frames = 100;
    bool select = false;
    bool whole = false;
};

constexpr int warmUpFrames = 10;

int positive(const std::string& option, const char* value) {
    std::size_t used = 0;
    int number = 0;
    try {
        number = std::stoi(value, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || value[used] != '\0' || number < 1)
        throw std::invalid_argument(option + " needs a whole number above 0, not \"" + value +
                                    "\"");
    return number;
}

Arguments parse(int argc, char** argv) {
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--select" || option == "--whole") {
            (option == "--select" ? a.select : a.whole) = true;
            continue;
        }
        if (option != "--width" && option != "--height" && option != "--frames")
            throw std::invalid_argument("unknown option \"" + option + "\"");
        if (i + 1 == argc) throw std::invalid_argument(option + " needs a value");
        const int value = positive(option, argv[++i]);
        (option == "--width" ? a.width : option == "--height" ? a.height : a.frames) = value;
    }
    return a;
}

// The game's client options with the window size replaced, as a file of its own.
fs::path clientOptionsAt(int width, int height) {
    std::ostringstream text;
    if (std::ifstream game{"VX3D.conf"}) {
        for (std::string line; std::getline(game, line);) {
            const auto start = line.find_first_not_of(" \t");
            const std::string name =
                start == std::string::npos ? "" : line.substr(start, line.find('=') - start);
            const auto end = name.find_last_not_of(" \t");
            const std::string trimmed = end == std::string::npos ? "" : name.substr(0, end + 1);
            if (trimmed != "width" && trimmed != "height") text << line << "\n";
        }
    }
    text << "width=" << width << "\nheight=" << height << "\n";
    const fs::path path =
        fs::temp_directory_path() / ("veltrix-framebench-" + std::to_string(::getpid()) + ".conf");
    std::ofstream(path) << text.str();
    return path;
}

// ---- timing ----

enum Pass { update, shadow, scene, fog, shadowBlur, glow, composite, text, passCount };
constexpr std::array<const char*, passCount> passNames = {
    "update", "shadow", "scene", "fog", "shadowBlur", "glow", "composite", "text"};

std::array<std::vector<double>, passCount> passTimes, passCpuTimes;
Clock::time_point stamp;
double cpuStamp = 0.0;

double millisecondsSince(Clock::time_point& since) {
    glFinish();
    const Clock::time_point now = Clock::now();
    const double ms = std::chrono::duration<double, std::milli>(now - since).count();
    since = now;
    return ms;
}

double cpuMillisecondsSince(double& since) {
    const double now = VX3DTools::processorMilliseconds();
    const double ms = now - since;
    since = now;
    return ms;
}

void record(Pass pass, double wallMs) {
    passTimes[pass].push_back(wallMs);
    passCpuTimes[pass].push_back(cpuMillisecondsSince(cpuStamp));
}

// Each stage of the render sequence ends with the graphics work finished; the time since the
// previous mark is the stage's.
void onStage(VX3D::FrameStage stage) {
    static constexpr std::array<Pass, 7> passOf = {update,     shadow, scene,    fog,
                                                   shadowBlur, glow,   composite};
    const Pass pass = passOf[static_cast<std::size_t>(stage)];
    record(pass, millisecondsSince(stamp));
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// ---- the run ----

// As a click on it would: ant 0 of player 0, the indicator resting on its own cell.
void selectFirstAnt(VX3D::Session& session) {
    VX3D::Game& game = *session.game;
    const Veltrix::Position cell = game.rules().state.players.at(0).ants.at(0).position();
    game.selection =
        std::make_shared<VX3D::MoveIndicator>(0, cell, glm::vec4(VX3D::cellCentre(cell), 1.0f));
}

std::string measure(VX3D::Session& session, const Arguments& a) {
    if (a.select) selectFirstAnt(session);
    VX3D::frameStageObserver = a.whole ? nullptr : onStage;
    std::vector<double> frames, cpuFrames;
    for (int i = 0; i < warmUpFrames + a.frames; ++i) {
        if (i == warmUpFrames) {
            for (auto& times : passTimes) times.clear();
            for (auto& times : passCpuTimes) times.clear();
        }
        glFinish();
        const Clock::time_point start = Clock::now();
        stamp = start;
        const double cpuStart = VX3DTools::processorMilliseconds();
        cpuStamp = cpuStart;
        const std::size_t composites = passTimes[composite].size();
        VX3D::runFrame(session);
        if (!a.whole) {
            const double textMs = millisecondsSince(stamp);
            // Without the render sequence (a game over) the whole frame counts as update.
            record(passTimes[composite].size() > composites ? text : update, textMs);
        }
        Clock::time_point from = start;
        frames.push_back(millisecondsSince(from));
        cpuFrames.push_back(VX3DTools::processorMilliseconds() - cpuStart);
    }
    VX3D::frameStageObserver = nullptr;
    frames.erase(frames.begin(), frames.begin() + warmUpFrames);
    cpuFrames.erase(cpuFrames.begin(), cpuFrames.begin() + warmUpFrames);

    std::ostringstream json;
    json << "{\"width\":" << a.width << ",\"height\":" << a.height << ",\"frames\":" << a.frames
         << ",\"select\":" << (a.select ? "true" : "false")
         << ",\"msPerFrame\":{\"median\":" << number(percentile(frames, 0.5))
         << ",\"p90\":" << number(percentile(frames, 0.9)) << "},\"passes\":{";
    for (int p = 0; p < passCount && !a.whole; ++p)
        json << (p ? "," : "") << "\"" << passNames[p]
             << "\":" << number(percentile(passTimes[p], 0.5));
    json << "},\"cpuMsPerFrame\":{\"median\":" << number(percentile(cpuFrames, 0.5))
         << "},\"cpuPasses\":{";
    for (int p = 0; p < passCount && !a.whole; ++p)
        json << (p ? "," : "") << "\"" << passNames[p]
             << "\":" << number(percentile(passCpuTimes[p], 0.5));
    json << "},\"primitives\":" << session.primitives->count() << "}";
    return json.str();
}

// Printed when the process ends, after the passes kept until then have said goodbye, so that
// the result is the last line.
std::string result;

void printResult() {
    if (!result.empty()) std::cout << result << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    try {
        arguments = parse(argc, argv);
    } catch (const std::invalid_argument& e) {
        std::cerr << "veltrix-framebench: " << e.what() << "\n"
                  << "usage: veltrix-framebench [--width W] [--height H] [--frames N] [--select] "
                     "[--whole]\n";
        return 2;
    }
    std::atexit(printResult);  // before any pass exists, so it runs after they are gone
    VX3D::installStopSignals();
    int status = 0;
    {
        VX3D::Session session;
        const fs::path options = clientOptionsAt(arguments.width, arguments.height);
        status = VX3D::guarded([&] {
            VX3D::SessionFiles files;
            files.clientOptions = options.string();
            VX3D::startUp(session, files);
            fs::remove(options);
            result = measure(session, arguments);
        });
        fs::remove(options);
        status = std::max(status, VX3D::guarded([] { GLutil::ShaderStore::purge(); }));
    }
    VX3D::finishProcess();
    return status;
}
