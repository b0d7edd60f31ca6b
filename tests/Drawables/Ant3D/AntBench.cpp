// Measures the ants (not a test): the median time of drawing four walking ants into a
// 3000 x 2000 shadow map and then lit at 1280 x 720 (each frame ends with glFinish), and the
// median CPU time of one ant's update while it walks. Needs DISPLAY and runs in game/.
//
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bin/ant_bench [frames]
//
// For a picture of ants on the field: veltrix-scene OUT.png --ants (tools/scene).
#include "Drawables/Ant3D/Ant.h"
#include "Drawables/Sun/Sun.h"
#include "Drawables/ViewVolume/ViewVolume.h"
#include "FBO/FBO.h"
#include "GLTestContext.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <vector>

using namespace VX3D;
using Clock = std::chrono::steady_clock;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

std::size_t triangles(const GLutil::drawableObjects::SceneObject& m) {
    std::size_t n = m.hasMesh ? m.indices.size() / 3 : 0;
    for (const auto& c : m.children) n += triangles(c);
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
    constexpr int width = 1280, height = 720;
    VX3DTest::GLTestContext context(width, height);
    std::filesystem::current_path(VX_GAME_DIR);

    // The game's chatter (program banners, move records) would drown the figures.
    std::ostringstream quiet;
    std::streambuf* const out = std::cout.rdbuf(quiet.rdbuf());
    Sun sun(10);
    auto floor = std::make_shared<Floor>(20, 13);
    std::vector<std::unique_ptr<Ant>> ants;
    const Veltrix::Position cells[] = {{3, 5}, {3, 7}, {16, 5}, {16, 7}};
    for (int i = 0; i < 4; ++i)
        ants.push_back(std::make_unique<Ant>(cells[i], i < 2 ? 1 : -1,
                                             i < 2 ? glm::vec4(1, 0, 0, 1) : glm::vec4(0, 0, 1, 1),
                                             floor, 40, i < 2 ? 0 : 1));

    GLutil::FBO shadow(3000, 2000, false);
    shadow.attatchTexture(GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_DEPTH_ATTACHMENT);
    GLutil::FBO scene(width, height, false);
    scene.attatchDepthBuffer();
    for (GLenum a : {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2})
        scene.attatchTexture(GL_RGBA8, GL_RGBA, a);

    // From behind player 0's ants, as the game's camera starts.
    const glm::vec3 eye(-2.5f, 4.0f, -6.0f), target(9.5f, 0.0f, -6.0f);
    const glm::mat4 view = glm::lookAt(eye, target, glm::vec3(0, 1, 0));
    const glm::mat4 projection =
        glm::perspective(glm::radians(45.0f), float(width) / height, 0.1f, 100.0f);
    extractPlanes(projection * view);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glPatchParameteri(GL_PATCH_VERTICES, 3);

    FrameClock clock(0.0);
    auto startWalks = [&] {
        for (int i = 0; i < 4; ++i)
            ants[i]->startMove({cells[i].x + (i < 2 ? 1 : -1), cells[i].y}, clock, false, false,
                               nullptr, {}, 2.6f);
    };
    std::vector<double> drawMs, shadowMs, emptyMs;
    // The same two passes without ants first: the clears' share of the figure.
    for (int f = 0; f < 2 * (frames + 3); ++f) {
        const bool withAnts = f >= frames + 3;
        if (withAnts && f % 50 == 0) startWalks();
        clock.update(clock.current + 1.0 / 60.0);
        for (auto& ant : ants) ant->update(clock);
        glFinish();
        const auto t0 = Clock::now();
        glBindFramebuffer(GL_FRAMEBUFFER, shadow.id());
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
        glViewport(0, 0, 3000, 2000);
        glClear(GL_DEPTH_BUFFER_BIT);
        if (withAnts)
            for (auto& ant : ants) ant->drawShadow(sun.lightMatrix(), eye, clock);
        shadow.finish(true);
        glFinish();
        if (withAnts && f >= frames + 6) shadowMs.push_back(msSince(t0));
        glBindFramebuffer(GL_FRAMEBUFFER, scene.id());
        const GLenum buffers[] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2};
        glDrawBuffers(3, buffers);
        glViewport(0, 0, width, height);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (withAnts)
            for (auto& ant : ants)
                ant->draw(projection * view, eye, sun, clock, shadow.getTexture(0), projection,
                          view);
        scene.finish(true);
        glFinish();
        // The first frames of each run warm the caches.
        if (withAnts && f >= frames + 6) drawMs.push_back(msSince(t0));
        if (!withAnts && f >= 3) emptyMs.push_back(msSince(t0));
    }

    // One ant's update while walking: interpolation, fog condition, ground height, matrix.
    std::vector<double> updateUs;
    Ant& ant = *ants[0];
    for (int round = 0; round < 200; ++round) {
        FrameClock c(100.0 * round);
        ant.startMove({ant.position.x < 10 ? 5 : 3, 5}, c, false, false, nullptr, {}, 2.6f);
        c.update(c.current + 0.5);  // past the turn, walking
        const auto t0 = Clock::now();
        for (int k = 0; k < 100; ++k) {
            c.update(c.current + 1e-5);
            ant.update(c);
        }
        updateUs.push_back(msSince(t0) * 1000.0 / 100.0);
        c.update(c.current + 5.0);
        ant.update(c);
    }
    std::cout.rdbuf(out);
    std::printf(
        "four ants, shadow 3000x2000 + lit 1280x720: median %.2f ms over %d frames (min %.2f, max "
        "%.2f)\n",
        median(drawMs), frames, *std::min_element(drawMs.begin(), drawMs.end()),
        *std::max_element(drawMs.begin(), drawMs.end()));
    std::printf("  the same passes without ants (clears only): median %.2f ms\n", median(emptyMs));
    std::printf(
        "  of which the shadow pass (with its clear): median %.2f ms; the model has %zu "
        "triangles\n",
        median(shadowMs), triangles(ants[0]->model()));
    std::printf("one ant's update while walking: median %.3f us\n", median(updateUs));
    return 0;
}
