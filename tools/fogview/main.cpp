// fogview: draws the fog of war off-screen over a plain checkered ground and writes a PNG,
// or measures the fog's three passes.
//
//   fogview [--game DIR] [--size WxH] [--view player|above] [--eye X,Y,Z] [--drift SECONDS]
//           [--out OUT.png] [--bench FRAMES]
//
// The scene is the start of a default game: the ants of player 0 at their start cells from
// the rules file, the fog cleared around them (the rules' squares of cells), seen from the player's
// eye behind ant 0 (--view player), from another eye looking at ant 0 (--eye, through the same
// camera, so its limits apply) or from straight above the field (--view above). --drift
// lets the particles move for that many seconds of 60 Hz frames first. --bench draws that
// many frames and prints the median milliseconds of the movement pass, the visibility pass
// and the draw, each timed between glFinish calls. Needs a display (Xvfb will do).
#include "Drawables/Fog/Fog.h"
#include "FBO/FBO.h"
#include "Game/Camera.h"
#include "Shader/ShaderProgram.h"
#include "Shader/ShaderStore.h"
#include "Texture/Texture.h"
#include "ToolSupport.h"
#include "Veltrix/RuleOptions.h"
#include "Veltrix3D/PostProcessing.h"
#include "Veltrix3D/RenderState.h"

#include <GL/glew.h>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Args {
    std::string game = ".";
    int width = 640, height = 480;
    bool above = false;
    double drift = 0.0;
    std::string out;
    int bench = 0;
    bool eyeGiven = false;
    glm::vec3 eye{0.0f};
};

[[noreturn]] void usage(const std::string& why) {
    std::cerr << "fogview: " << why << "\n"
              << "usage: fogview [--game DIR] [--size WxH] [--view player|above] [--drift SECONDS]"
                 " [--eye X,Y,Z] [--out OUT.png] [--bench FRAMES]\n";
    std::exit(2);
}

Args parse(int argc, char** argv) {
    Args a;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) usage("option " + arg + " wants a value");
            return argv[++i];
        };
        try {
            if (arg == "--game")
                a.game = value();
            else if (arg == "--size") {
                const std::string v = value();
                const auto x = v.find('x');
                if (x == std::string::npos) usage("--size wants WxH, got \"" + v + "\"");
                a.width = std::stoi(v.substr(0, x));
                a.height = std::stoi(v.substr(x + 1));
            } else if (arg == "--view") {
                const std::string v = value();
                if (v != "player" && v != "above")
                    usage("--view wants player or above, got \"" + v + "\"");
                a.above = v == "above";
            } else if (arg == "--eye") {
                const std::string v = value();
                const auto c1 = v.find(','), c2 = v.rfind(',');
                if (c1 == std::string::npos || c1 == c2)
                    usage("--eye wants X,Y,Z, got \"" + v + "\"");
                a.eye = {std::stof(v.substr(0, c1)), std::stof(v.substr(c1 + 1, c2 - c1 - 1)),
                         std::stof(v.substr(c2 + 1))};
                a.eyeGiven = true;
            } else if (arg == "--drift")
                a.drift = std::stod(value());
            else if (arg == "--out")
                a.out = value();
            else if (arg == "--bench")
                a.bench = std::stoi(value());
            else
                usage("unknown option " + arg);
        } catch (const std::logic_error&) {
            usage("option " + arg + " wants a number");
        }
    }
    if (a.width < 1 || a.height < 1) usage("--size must be at least 1x1");
    if (a.out.empty() && a.bench <= 0) usage("nothing to do: give --out or --bench");
    return a;
}

// Where a new ant stands: 0.252 behind its cell centre along its initial facing, which
// points along world x towards the farther side of the field.
glm::vec3 antStart(Veltrix::Position cell, const Veltrix::RuleOptions& rules, float& facing) {
    const int dx = std::max(cell.x, rules.fieldWidth - cell.x);
    const int dy = std::max(cell.y, rules.fieldHeight - cell.y);
    if (dx > dy)
        facing = cell.x > rules.fieldWidth - cell.x ? -1.0f : 1.0f;
    else
        facing = cell.y > rules.fieldHeight - cell.y ? -1.0f : 1.0f;
    return {float(cell.x) + 0.5f - 0.252f * facing, 0.0f, -(float(cell.y) + 0.5f)};
}

// A checkered ground over the rules' field and a marker post at each ant, flat coloured.
class Ground {
public:
    Ground(int width, int height, std::vector<glm::vec3> ants)
        : width_(width), height_(height), ants_(std::move(ants)) {
        program_ = std::make_shared<GLutil::ShaderProgram>("FogviewGround");
        program_->attatch(GLutil::ShaderStore::getShader("Shader/Solid.vert"));
        program_->attatch(GLutil::ShaderStore::getShader("Shader/Solid.frag"));
        program_->bindAttributeLocation(0, "vertex");
        program_->link();
        mvp_ = program_->uniformLocation("mvpMatrix");
        colour_ = program_->uniformLocation("color");
        glGenBuffers(1, &buffer_);
        glGenVertexArrays(1, &vao_);
    }
    ~Ground() {
        glDeleteBuffers(1, &buffer_);
        glDeleteVertexArrays(1, &vao_);
    }
    void draw(const glm::mat4& vp) {
        program_->use();
        glUniformMatrix4fv(mvp_, 1, GL_FALSE, &vp[0][0]);
        glBindVertexArray(vao_);
        glBindBuffer(GL_ARRAY_BUFFER, buffer_);
        glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(0);
        VX3D::RenderState::setCullFace(false);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                const bool dark = (x + y) % 2 == 0;
                quad({float(x), 0.0f, -float(y)}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -1.0f},
                     dark ? glm::vec4(0.24f, 0.36f, 0.16f, 1.0f)
                          : glm::vec4(0.31f, 0.44f, 0.2f, 1.0f));
            }
        for (const auto& ant : ants_) {
            const glm::vec4 red(0.85f, 0.1f, 0.08f, 1.0f);
            quad(ant + glm::vec3(-0.15f, 0.0f, 0.0f), {0.3f, 0.0f, 0.0f}, {0.0f, 0.5f, 0.0f}, red);
            quad(ant + glm::vec3(0.0f, 0.0f, 0.15f), {0.0f, 0.0f, -0.3f}, {0.0f, 0.5f, 0.0f}, red);
        }
        VX3D::RenderState::setCullFace(true);
        glDisableVertexAttribArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindVertexArray(0);
        GLutil::ShaderProgram::unuse();
    }

private:
    void quad(glm::vec3 corner, glm::vec3 u, glm::vec3 v, glm::vec4 colour) {
        const glm::vec4 points[4] = {glm::vec4(corner, 1.0f), glm::vec4(corner + u, 1.0f),
                                     glm::vec4(corner + u + v, 1.0f), glm::vec4(corner + v, 1.0f)};
        glBufferData(GL_ARRAY_BUFFER, sizeof(points), points, GL_STREAM_DRAW);
        glUniform4f(colour_, colour.r, colour.g, colour.b, colour.a);
        glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
    }

    int width_, height_;
    std::vector<glm::vec3> ants_;
    std::shared_ptr<GLutil::ShaderProgram> program_;
    GLint mvp_ = -1, colour_ = -1;
    GLuint buffer_ = 0, vao_ = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

int run(const Args& args) {
    std::filesystem::current_path(args.game);
    const Veltrix::RuleOptions rules("VX.conf");
    float facing = 1.0f, ignored = 1.0f;
    const glm::vec3 ant0 = antStart(rules.startPositions.at(0).at(0), rules, facing);
    const glm::vec3 ant1 = antStart(rules.startPositions.at(0).at(1), rules, ignored);

    // Off-screen targets as the game's frame has them: the scene's colour and depth (here the
    // ground alone), the fog's reduced layer over the scene's depth, and the compositing pass
    // that lays the fog over the scene. The picture is the composite.
    GLutil::FBO scene(args.width, args.height, false);
    scene.attatchDepthBuffer();
    scene.attatchTexture(GL_RGBA8, GL_RGBA, GL_COLOR_ATTACHMENT0);
    // The ground is never in shadow: a lit shadow mask of one texel.
    const std::uint8_t white[4] = {255, 255, 255, 255};
    auto lit = std::make_shared<GLutil::TextureHandle>();
    glBindTexture(GL_TEXTURE_2D, lit->id());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    const auto beginScene = [&] {
        glBindFramebuffer(GL_FRAMEBUFFER, scene.id());
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
        GLutil::FBO::checkStatus();
        glViewport(0, 0, args.width, args.height);
    };
    beginScene();

    // The game's initial pipeline state, as the render state's cache assumes it.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glClearColor(0.55f, 0.68f, 0.82f, 1.0f);

    const glm::mat4 projection =
        glm::perspective(glm::radians(45.0f), float(args.width) / float(args.height), 0.1f, 100.0f);
    glm::mat4 view;
    if (args.above) {
        const glm::vec3 centre(float(rules.fieldWidth) / 2.0f, 0.0f,
                               -float(rules.fieldHeight) / 2.0f);
        view = glm::lookAt(centre + glm::vec3(0.0f, 25.0f, 0.01f), centre,
                           glm::vec3(0.0f, 0.0f, -1.0f));
    } else {
        VX3D::Camera camera;
        camera.placeAt(args.eyeGiven ? args.eye : glm::vec3(ant0.x - 6.0f * facing, 4.0f, ant0.z));
        camera.target = ant0 + glm::vec3(0.0f, 0.4f, 0.0f);
        camera.following = true;
        camera.rebuild();
        view = camera.view;
    }
    const glm::mat4 vp = projection * view;

    Ground ground(rules.fieldWidth, rules.fieldHeight, {ant0, ant1});
    VX3D::Fog fog(1.0f);
    // As the game clears it: the rules' squares around the centres of the ants' cells.
    const float range = VX3D::Fog::clearedHalfSide(rules.antVisibilityRadius);
    const auto centre = [](Veltrix::Position cell) {
        return glm::vec3(float(cell.x) + 0.5f, 0.0f, -(float(cell.y) + 0.5f));
    };
    const glm::vec3 seen0 = centre(rules.startPositions.at(0).at(0));
    const glm::vec3 seen1 = centre(rules.startPositions.at(0).at(1));
    fog.updateVisible(seen0, seen1, range);

    VX3D::FrameClock clock(0.0);
    for (double t = 0.0; t < args.drift; t += 1.0 / 60.0) {
        clock.update(t + 1.0 / 60.0);
        fog.update(clock);
        fog.current = 1 - fog.current;  // what draw's swap does
    }
    fog.updateVisible(seen0, seen1, range);

    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double, std::milli>(b - a).count();
    };
    // Process CPU time (all of the renderer's threads) as well: steadier than wall time
    // when other work shares the machine, so better for comparing variants.
    const auto cpuMs = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
    };
    std::vector<double> moveTimes, visibleTimes, drawTimes, blendTimes, plainBlendTimes, fogCpu,
        drawCpu;
    std::shared_ptr<GLutil::TextureHandle> picture;
    const int frames = std::max(1, args.bench);
    for (int frame = 0; frame < frames; ++frame) {
        beginScene();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        ground.draw(vp);
        scene.finish(false);
        clock.update(clock.current + 1.0 / 60.0);
        glFinish();
        const double c0 = cpuMs();
        const auto t0 = Clock::now();
        fog.update(clock);
        glFinish();
        const auto t1 = Clock::now();
        fog.updateVisible(seen0, seen1, range);
        glFinish();
        const auto t2 = Clock::now();
        const double c2 = cpuMs();
        GLutil::FBO& layer = VX3D::beginFogLayer(scene, args.width, args.height);
        fog.draw(vp);
        const VX3D::FogLayer fogLayer = VX3D::endFogLayer(layer, fog.cover(vp));
        glFinish();
        const auto t3 = Clock::now();
        drawCpu.push_back(cpuMs() - c2);
        fogCpu.push_back(cpuMs() - c0);
        // The same pass without a fog layer first, for the share the fog adds to it (the
        // pass has one target: the call with the fog must come last for the picture).
        VX3D::blendTexture(scene.getTexture(0), lit, args.width, args.height);
        glFinish();
        const auto t4 = Clock::now();
        const double c4 = cpuMs();
        picture = VX3D::blendTexture(scene.getTexture(0), lit, args.width, args.height, fogLayer);
        glFinish();
        const auto t5 = Clock::now();
        fogCpu.back() += cpuMs() - c4;
        moveTimes.push_back(ms(t0, t1));
        visibleTimes.push_back(ms(t1, t2));
        drawTimes.push_back(ms(t2, t3));
        plainBlendTimes.push_back(ms(t3, t4));
        blendTimes.push_back(ms(t4, t5));
    }
    if (args.bench > 0) {
        const double composite = median(blendTimes) - median(plainBlendTimes);
        std::cout << "fog " << args.width << "x" << args.height << " (" << frames
                  << " frames, median ms): move " << median(moveTimes) << ", visibility "
                  << median(visibleTimes) << ", draw " << median(drawTimes) << ", composite "
                  << composite << " (" << median(blendTimes) << " with the fog, "
                  << median(plainBlendTimes) << " without), sum "
                  << median(moveTimes) + median(visibleTimes) + median(drawTimes) + composite
                  << "; processor time: draw " << median(drawCpu)
                  << ", the four with the whole compositing pass " << median(fogCpu) << "\n";
    }

    if (!args.out.empty()) {
        const std::string target = std::filesystem::absolute(args.out).string();
        try {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
            GLutil::FBO readBack(args.width, args.height, false);
            glBindFramebuffer(GL_FRAMEBUFFER, readBack.id());
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                   picture->id(), 0);
            glReadBuffer(GL_COLOR_ATTACHMENT0);
            GLutil::writePng(args.out, GLutil::readFramePixels(args.width, args.height, true));
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
        } catch (const std::runtime_error& e) {
            std::cerr << "fogview: " << e.what() << "\n";
            return 1;
        }
        std::cout << "wrote " << target << "\n";
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Args args = parse(argc, argv);
    if (!args.out.empty()) args.out = std::filesystem::absolute(args.out).string();
    return VX3DTools::withHiddenContext("fogview", [&] { return run(args); });
}
