// veltrix-scene: renders the default field off-screen the way the game's frame does
// (a shadow pass into a 3000 × 2000 depth map, the scene pass into three colour targets)
// and writes the composite (colour darkened by the shadow term) as a PNG.
//
//   veltrix-scene OUT.png [--width W] [--height H] [--eye X,Y,Z] [--target X,Y,Z]
//                 [--wireframe] [--boxes] [--env-level L] [--bench N] [--ants] [--fog]
//                 [--hide PART,PART...]
//
// Run it in the game's working directory (game/). Without --eye it looks from where the
// game puts player 0's camera. --bench N renders N more frames and prints the median
// time of each pass (each ended by glFinish) and the primitives each pass generated.
// --hide leaves parts out (sky, floor, mountains, sun, food, portals, marks, ants, fog).
// --ants adds a walking, a fighting and a dead ant at player 0's start. --fog adds the fog
// of war, cleared around player 0's ants.
#include "FBO/FBO.h"
#include "Scene.h"
#include "Texture/Texture.h"
#include "ToolSupport.h"
#include "Veltrix3D/BlurBlendPass.h"
#include "Veltrix3D/ClientOptions.h"
#include "Veltrix3D/PostProcessing.h"
#include "Veltrix3D/RenderState.h"

#include <GL/glew.h>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Args {
    std::string out;
    int width = 1280;
    int height = 720;
    std::optional<glm::vec3> eye, target;
    bool wireframe = false;
    bool boxes = false;
    int envLevel = 0;
    int bench = 0;
    bool ants = false;
    bool fog = false;
    std::set<std::string> hidden;
};

constexpr const char* kUsage =
    "usage: veltrix-scene OUT.png [--width W] [--height H] [--eye X,Y,Z] [--target X,Y,Z] "
    "[--wireframe] [--boxes] "
    "[--env-level L] [--bench N] [--ants] [--fog] [--hide PART,PART...]\n";

glm::vec3 parseVec3(const std::string& option, const std::string& text) {
    std::istringstream in(text);
    glm::vec3 v;
    char c1 = 0, c2 = 0;
    if (!(in >> v.x >> c1 >> v.y >> c2 >> v.z) || c1 != ',' || c2 != ',' || !in.eof())
        throw std::invalid_argument(option + " wants X,Y,Z, got \"" + text + "\"");
    return v;
}

int parseInt(const std::string& option, const std::string& text, int least) {
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value < least)
        throw std::invalid_argument(option + " wants a whole number of at least " +
                                    std::to_string(least) + ", got \"" + text + "\"");
    return value;
}

Args parse(int argc, char** argv) {
    Args a;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--width")
            a.width = parseInt(arg, value(), 1);
        else if (arg == "--height")
            a.height = parseInt(arg, value(), 1);
        else if (arg == "--eye")
            a.eye = parseVec3(arg, value());
        else if (arg == "--target")
            a.target = parseVec3(arg, value());
        else if (arg == "--wireframe")
            a.wireframe = true;
        else if (arg == "--boxes")
            a.boxes = true;
        else if (arg == "--env-level")
            a.envLevel = parseInt(arg, value(), 0);
        else if (arg == "--bench")
            a.bench = parseInt(arg, value(), 1);
        else if (arg == "--ants")
            a.ants = true;
        else if (arg == "--fog")
            a.fog = true;
        else if (arg == "--hide") {
            std::istringstream parts(value());
            for (std::string part; std::getline(parts, part, ',');) a.hidden.insert(part);
        } else if (!arg.empty() && arg[0] == '-')
            throw std::invalid_argument("unknown option " + arg);
        else if (a.out.empty())
            a.out = arg;
        else
            throw std::invalid_argument("more than one output file: " + arg);
    }
    if (a.out.empty()) throw std::invalid_argument("no output file");
    return a;
}

double milliseconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from)
        .count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// The two passes of the game's frame, on targets made once.
class Renderer {
public:
    Renderer(int width, int height)
        : width_(width),
          height_(height),
          shadowTarget_(3000, 2000, false),
          sceneTarget_(width, height, true) {
        shadowTarget_.attatchTexture(GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_DEPTH_ATTACHMENT);
        sceneTarget_.attatchDepthBuffer();
        for (GLenum attachment : {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2})
            sceneTarget_.attatchTexture(GL_RGBA8, GL_RGBA, attachment);
        VX3D::pass::limitMipmaps(sceneTarget_);
        glGenQueries(1, &query_);
    }
    ~Renderer() { glDeleteQueries(1, &query_); }
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    struct Timing {
        double shadowMs, sceneMs;
        double shadowCpuMs, sceneCpuMs;
        GLuint shadowPrimitives, scenePrimitives;
    };

    Timing frame(VX3DScene::Scene& scene, const glm::mat4& view, const glm::mat4& projection,
                 const glm::vec3& eye) {
        const VX3D::FrameClock clock(0.0);
        Timing t{};
        glFinish();
        auto start = std::chrono::steady_clock::now();
        double cpu = VX3DTools::processorMilliseconds();
        glBeginQuery(GL_PRIMITIVES_GENERATED, query_);
        glBindFramebuffer(GL_FRAMEBUFFER, shadowTarget_.id());
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
        GLutil::FBO::checkStatus();
        glViewport(0, 0, 3000, 2000);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        VX3D::RenderState::setPolygonOffsetFill(true);
        VX3D::RenderState::setPolygonOffset(1.1f, 4.0f);
        scene.drawShadow(scene.sun.lightMatrix(), eye, clock);
        VX3D::RenderState::setPolygonOffsetFill(false);
        shadowTarget_.finish(true);
        glEndQuery(GL_PRIMITIVES_GENERATED);
        glFinish();
        t.shadowMs = milliseconds(start);
        t.shadowCpuMs = VX3DTools::processorMilliseconds() - cpu;
        glGetQueryObjectuiv(query_, GL_QUERY_RESULT, &t.shadowPrimitives);

        const VX3D::ShadowMap shadowMap = shadowTarget_.getTexture(0);
        start = std::chrono::steady_clock::now();
        cpu = VX3DTools::processorMilliseconds();
        glBeginQuery(GL_PRIMITIVES_GENERATED, query_);
        glViewport(0, 0, width_, height_);
        glBindFramebuffer(GL_FRAMEBUFFER, sceneTarget_.id());
        GLutil::FBO::checkStatus();
        glViewport(0, 0, width_, height_);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const GLenum buffers[3] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1,
                                   GL_COLOR_ATTACHMENT2};
        glDrawBuffers(3, buffers);
        scene.drawScene(view, projection, eye, clock, shadowMap);
        sceneTarget_.finish(false);
        // The fog as the frame draws it: into its reduced target, over the scene's depth.
        GLutil::FBO& fogTarget = VX3D::beginFogLayer(sceneTarget_, width_, height_);
        fogLayer_ = VX3D::endFogLayer(fogTarget, scene.drawFog(projection * view, clock));
        glEndQuery(GL_PRIMITIVES_GENERATED);
        glFinish();
        t.sceneMs = milliseconds(start);
        t.sceneCpuMs = VX3DTools::processorMilliseconds() - cpu;
        glGetQueryObjectuiv(query_, GL_QUERY_RESULT, &t.scenePrimitives);
        return t;
    }

    // The scene colour darkened where the shadow term says so and the fog laid over it, by
    // the frame's own compositing pass (without the shadow's blur): top row first.
    std::vector<std::uint8_t> composite() const {
        const auto result = VX3D::blendTexture(
            sceneTarget_.getTexture(0), sceneTarget_.getTexture(1), width_, height_, fogLayer_);
        const auto rowBytes = static_cast<std::size_t>(width_) * 4;
        std::vector<std::uint8_t> upward(rowBytes * static_cast<std::size_t>(height_)), out;
        glBindTexture(GL_TEXTURE_2D, result->id());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, upward.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        out.reserve(upward.size());
        for (auto row = static_cast<std::size_t>(height_); row-- > 0;)
            out.insert(out.end(), upward.begin() + static_cast<std::ptrdiff_t>(row * rowBytes),
                       upward.begin() + static_cast<std::ptrdiff_t>((row + 1) * rowBytes));
        return out;
    }

private:
    int width_, height_;
    GLutil::FBO shadowTarget_;
    GLutil::FBO sceneTarget_;
    VX3D::FogLayer fogLayer_;
    GLuint query_ = 0;
};

int run(const Args& args) {
    // What the render state's constructor pushes in the game: the graphics library must
    // hold what the state cache assumes, or the cached setters would skip real changes.
    using VX3D::RenderState;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_BLEND);
    glBlendFunc(RenderState::blendSource, RenderState::blendDestination);
    glEnable(GL_CULL_FACE);
    glFrontFace(RenderState::frontFace);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(RenderState::polygonOffsetFactor, RenderState::polygonOffsetUnits);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(RenderState::depthFunc);
    VX3D::ClientOptions options;
    options.width = args.width;
    options.height = args.height;
    RenderState::applyInitialState(options);
    VX3D::RenderState::boundingBoxes = args.boxes;

    const Veltrix::RuleOptions rules("VX.conf");
    VX3DScene::Scene scene(rules, 42, args.envLevel);
    if (args.ants) scene.addAnts();
    if (args.fog) scene.addFog();
    scene.hidden = args.hidden;
    const glm::vec3 eye = args.eye.value_or(scene.playerEye());
    const glm::vec3 target = args.target.value_or(scene.playerTarget());
    const glm::vec3 forward = glm::normalize(target - eye);
    const glm::vec3 up =
        std::abs(forward.y) > 0.999f ? glm::vec3(0.0f, 0.0f, -1.0f) : glm::vec3(0.0f, 1.0f, 0.0f);
    const glm::mat4 view = glm::lookAt(eye, target, up);
    const glm::mat4 projection = glm::perspective(
        glm::radians(45.0f), static_cast<float>(args.width) / static_cast<float>(args.height), 0.1f,
        100.0f);

    Renderer renderer(args.width, args.height);
    if (args.wireframe) VX3D::RenderState::setWireframe(true);
    Renderer::Timing first = renderer.frame(scene, view, projection, eye);
    if (args.wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    const auto png = renderer.composite();
    GLutil::writePng(args.out, {static_cast<std::uint32_t>(args.width),
                                static_cast<std::uint32_t>(args.height), png});
    std::cout << "wrote " << args.out << " (" << args.width << "x" << args.height << ", eye "
              << eye.x << "," << eye.y << "," << eye.z << ")\n";

    if (args.bench > 0) {
        if (args.wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        std::vector<double> shadow, sceneMs, shadowCpu, sceneCpu;
        for (int i = 0; i < args.bench; ++i) {
            first = renderer.frame(scene, view, projection, eye);
            shadow.push_back(first.shadowMs);
            sceneMs.push_back(first.sceneMs);
            shadowCpu.push_back(first.shadowCpuMs);
            sceneCpu.push_back(first.sceneCpuMs);
        }
        std::cout << "bench " << args.width << "x" << args.height << ", " << args.bench
                  << " frames: shadow pass " << median(shadow) << " ms (" << first.shadowPrimitives
                  << " primitives), scene pass " << median(sceneMs) << " ms ("
                  << first.scenePrimitives << " primitives), sum "
                  << median(shadow) + median(sceneMs) << " ms; processor time " << median(shadowCpu)
                  << " + " << median(sceneCpu) << " ms\n";
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Args args;
    try {
        args = parse(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "veltrix-scene: " << e.what() << "\n" << kUsage;
        return 2;
    }
    return VX3DTools::withHiddenContext("veltrix-scene", [&] { return run(args); });
}
