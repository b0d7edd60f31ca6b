// The fog of war in a real frame of the game: the default start view (the game's own start-up
// at 640 × 480, player 0's camera), drawn by the game's frame body once with the fog and once
// without. Where the rules say the player sees nothing now, no grass may show through; the
// cells right around the player's ants must look as if there were no fog at all.
//
// Each pixel is assigned to the cell whose ground it shows (its view ray followed down to the
// relief); pixels that show no grass without the fog (mountains, sky, ants) tell nothing
// about the cover and are left out of it. VX_TEST_PICTURES=DIR saves both frames.
#include "Shader/ShaderStore.h"
#include "Veltrix3D/Session.h"

#include <glm/glm.hpp>
#include <gtest/gtest.h>
#include <lodepng.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int width = 640;
constexpr int height = 480;

// The window's back buffer, bottom row first.
std::vector<std::uint8_t> frame(VX3D::Session& session) {
    VX3D::drawScreen(session);
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void save(const std::vector<std::uint8_t>& pixels, const std::string& name) {
    const char* dir = std::getenv("VX_TEST_PICTURES");
    if (!dir) return;
    std::vector<std::uint8_t> topFirst;
    for (int y = height - 1; y >= 0; --y)
        topFirst.insert(topFirst.end(), pixels.begin() + std::ptrdiff_t(y) * width * 4,
                        pixels.begin() + std::ptrdiff_t(y + 1) * width * 4);
    lodepng::encode(std::string(dir) + "/" + name, topFirst, width, height);
}

// How green a pixel is: green above the larger of red and blue. The fog is grey.
int greenness(const std::uint8_t* p) {
    return int(p[1]) - std::max(int(p[0]), int(p[2]));
}

// The field cell whose ground the pixel (x, y from the bottom) shows, if any: the view ray from
// the top of the relief down to where it passes below the ground.
std::optional<Veltrix::Position> cellUnder(const glm::mat4& inverseViewProjection,
                                           const VX3D::Floor& floor, int x, int y) {
    const glm::vec2 ndc((float(x) + 0.5f) / width * 2.0f - 1.0f,
                        (float(y) + 0.5f) / height * 2.0f - 1.0f);
    glm::vec4 nearPoint = inverseViewProjection * glm::vec4(ndc, -1.0f, 1.0f);
    glm::vec4 farPoint = inverseViewProjection * glm::vec4(ndc, 1.0f, 1.0f);
    const glm::vec3 from = glm::vec3(nearPoint) / nearPoint.w;
    const glm::vec3 ray = glm::normalize(glm::vec3(farPoint) / farPoint.w - from);
    if (ray.y >= -1e-4f) return std::nullopt;
    // The relief stays below 0.3: start there and step down the ray until under the ground.
    const float top = 0.3f;
    if (from.y < top) return std::nullopt;
    glm::vec3 above = from + ray * ((top - from.y) / ray.y);
    glm::vec3 below = above;
    bool found = false;
    for (int step = 0; step < 400 && !found; ++step) {
        below = above + ray * 0.02f;
        if (below.y <= floor.groundHeight(below))
            found = true;
        else
            above = below;
    }
    if (!found) return std::nullopt;
    const glm::vec3 hit = (above + below) * 0.5f;
    const int cx = int(std::floor(hit.x)), cy = int(std::floor(-hit.z));
    if (cx < 0 || cy < 0 || cx >= floor.width() || cy >= floor.height()) return std::nullopt;
    return Veltrix::Position{cx, cy};
}

TEST(FogFrame, StartView_UnseenCellsShowNoGrass_CellsAroundTheAntsUntouched) {
    // A scratch working directory that borrows the game's resources, so that nothing the run
    // leaves (the record of its game) lands in the source tree.
    const fs::path scratch =
        fs::temp_directory_path() / ("vx_fog_frame_" + std::to_string(::getpid()));
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    for (const char* entry : {"Shader", "res", "sound"})
        fs::create_directory_symlink(fs::path(VX_GAME_DIR) / entry, scratch / entry);
    fs::copy_file(fs::path(VX_GAME_DIR) / "VX.conf", scratch / "VX.conf");
    std::ofstream(scratch / "VX3D.conf") << "width=" << width << "\nheight=" << height << "\n";
    fs::current_path(scratch);
    VX3D::Session session;
    VX3D::startUp(session);
    VX3D::Game& game = *session.game;
    ASSERT_EQ(game.viewingPlayer(), 0);
    // The first frames place the camera behind the ant, as the player first sees the game.
    for (int i = 0; i < 2; ++i) VX3D::runFrame(session);

    VX3D::RenderState::fog = true;
    const auto fogged = frame(session);
    VX3D::RenderState::fog = false;
    const auto clear = frame(session);
    VX3D::RenderState::fog = true;
    save(fogged, "fog-frame-on.png");
    save(clear, "fog-frame-off.png");

    const auto& player = game.rules().state.players.at(0);
    const auto nearAnAnt = [&](Veltrix::Position cell) {
        for (const auto& [id, ant] : player.ants)
            if (std::abs(ant.x - cell.x) <= 1 && std::abs(ant.y - cell.y) <= 1) return true;
        return false;
    };
    VX3D::PlayerView& view = game.view(0);
    const glm::mat4 inverse = glm::inverse(session.projection * view.camera.view);
    int coveredPixels = 0, grassShowing = 0, nearPixels = 0, nearUnchanged = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto cell = cellUnder(inverse, *view.floor, x, y);
            if (!cell) continue;
            const std::size_t i = (std::size_t(y) * width + x) * 4;
            if (!player.visible.contains(*cell)) {
                // A clearly green pixel without the fog: with it, at most a quarter of that
                // green may be left.
                const int green = greenness(&clear[i]);
                if (green < 24) continue;
                ++coveredPixels;
                grassShowing += greenness(&fogged[i]) * 4 > green ? 1 : 0;
            } else if (nearAnAnt(*cell)) {
                ++nearPixels;
                int difference = 0;
                for (int c = 0; c < 3; ++c)
                    difference = std::max(difference, std::abs(int(fogged[i + c]) - clear[i + c]));
                nearUnchanged += difference <= 4 ? 1 : 0;
            }
        }
    // The start view shows most of the unknown field and the ants' surroundings.
    ASSERT_GT(coveredPixels, width * height / 10);
    ASSERT_GT(nearPixels, 2000);
    EXPECT_LE(grassShowing, coveredPixels / 50)
        << grassShowing << " of " << coveredPixels << " pixels of unseen cells show the grass";
    EXPECT_GE(nearUnchanged * 10, nearPixels * 9)
        << nearUnchanged << " of " << nearPixels << " pixels near the ants are unchanged";

    session.game.reset();
    GLutil::ShaderStore::purge();
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(scratch);
}

}  // namespace
