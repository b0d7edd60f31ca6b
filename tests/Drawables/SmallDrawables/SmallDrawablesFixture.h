#pragma once
// One hidden context for the whole test process, in the game's working directory. It is kept
// until exit: the shared programs of cubes, food and move indicators live that long too and
// are deleted (static destruction runs in reverse) while it still exists.
#include "GLTestContext.h"
#include "Veltrix3D/RenderState.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>

namespace SmallDrawablesTest {

constexpr int kSize = 384;

// Keeps standard output quiet (the reload's progress lines) for its lifetime.
class Silence {
public:
    Silence() : old_(std::cout.rdbuf(buffer_.rdbuf())) {}
    ~Silence() { std::cout.rdbuf(old_); }
    Silence(const Silence&) = delete;
    Silence& operator=(const Silence&) = delete;

private:
    std::ostringstream buffer_;
    std::streambuf* old_;
};

class SceneFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static std::unique_ptr<VX3DTest::GLTestContext> context;
        if (!context) {
            context = std::make_unique<VX3DTest::GLTestContext>(kSize, kSize);
        }
        std::filesystem::current_path(VX_GAME_DIR);
    }

    void SetUp() override {
        // The graphics library as the render state's cache believes it to be.
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glViewport(0, 0, kSize, kSize);
        glClearColor(0.25f, 0.3f, 0.35f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        VX3D::RenderState::frustumCulling = true;
        VX3D::RenderState::boundingBoxes = false;
        VX3D::RenderState::wireframe = false;
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    static glm::mat4 projection() {
        return glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f);
    }
    static glm::mat4 view(const glm::vec3& eye, const glm::vec3& target) {
        return glm::lookAt(eye, target, glm::vec3(0.0f, 1.0f, 0.0f));
    }

    // Writes the frame to a PNG in the temporary directory, or to $VX_SMALL_DRAWABLES_PNG_DIR.
    static void keepPicture(const std::string& name) {
        const char* dir = std::getenv("VX_SMALL_DRAWABLES_PNG_DIR");
        const std::filesystem::path path =
            std::filesystem::path(dir ? dir : std::filesystem::temp_directory_path().string()) /
            name;
        VX3DTest::writePng(path.string(), VX3DTest::readPixels(0, 0, kSize, kSize), kSize, kSize);
        std::cout << "picture: " << path.string() << "\n";
    }

    static std::vector<unsigned char> pixel(int x, int y) {
        return VX3DTest::readPixels(x, y, 1, 1);
    }
};

}  // namespace SmallDrawablesTest
