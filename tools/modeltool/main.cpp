// modeltool GAME_DIR: writes the game's models and their material textures into the
// game's working directory (res/*.DAE and res/Models/*.png) and prints a summary.
#include "Collada.h"
#include "Models.h"
#include "Textures.h"

#include <exception>
#include <filesystem>
#include <iostream>

namespace {

void report(const modelkit::Scene& s, const std::string& path) {
    std::cout << path << ": " << modelkit::nodeCount(s.root) << " nodes, "
              << modelkit::triangleCount(s.root) << " triangles\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: modeltool GAME_DIR\n";
        return 2;
    }
    try {
        const std::filesystem::path game = argv[1];
        std::filesystem::create_directories(game / "res" / "Models");
        using namespace modelkit;
        writePng(antSkinTexture(), (game / "res/Models/AntSkin.png").string());
        writePng(strawberryTexture(), (game / "res/Models/Strawberry.png").string());
        writePng(portalStoneTexture(), (game / "res/Models/PortalStone.png").string());
        writePng(portalEnergyTexture(), (game / "res/Models/PortalEnergy.png").string());

        // Texture paths inside the models are relative to the game's working directory.
        const Scene red =
            buildAnt({"Red", {0.78f, 0.1f, 0.06f}, {0.42f, 0.06f, 0.04f}, {0.28f, 0.05f, 0.03f}},
                     "res/Models/AntSkin.png");
        const Scene blue =
            buildAnt({"Blue", {0.1f, 0.24f, 0.85f}, {0.06f, 0.1f, 0.42f}, {0.04f, 0.06f, 0.26f}},
                     "res/Models/AntSkin.png");
        const Scene food = buildFood("res/Models/Strawberry.png");
        const Scene portal =
            buildPortal("res/Models/PortalStone.png", "res/Models/PortalEnergy.png");
        const std::pair<const Scene*, const char*> outputs[] = {{&red, "res/AntAnim1.DAE"},
                                                                {&blue, "res/AntAnim1B.DAE"},
                                                                {&food, "res/Food.DAE"},
                                                                {&portal, "res/Portal.DAE"}};
        for (const auto& [scene, name] : outputs) {
            writeCollada(*scene, (game / name).string());
            report(*scene, name);
        }
    } catch (const std::exception& e) {
        std::cerr << "modeltool: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
