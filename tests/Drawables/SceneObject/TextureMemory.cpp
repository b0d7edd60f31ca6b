// Resident memory of loading the game's models several times over, as a scene with many ants,
// food pieces and portals does: shows what the texture cache's hits cost. Not a test; run by
// hand from the game directory under a display:
//   cd game && xvfb-run -a ../build/bin/sceneobject_texture_memory [COPIES]
#include "Drawables/SceneObject/SceneObject.h"
#include "GLTestContext.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    const int copies = argc > 1 ? std::stoi(argv[1]) : 8;
    VX3DTest::GLTestContext context;
    std::ostringstream quiet;
    auto* const saved = std::cout.rdbuf(quiet.rdbuf());
    std::vector<GLutil::drawableObjects::SceneObject> models;
    // One of each first, so the cache holds every texture before the copies are counted.
    const char* const files[] = {"res/AntAnim1.DAE", "res/AntAnim1B.DAE", "res/Food.DAE",
                                 "res/Portal.DAE"};
    for (const char* file : files)
        models.emplace_back(GLutil::drawableObjects::SceneObjectOpt{file, glm::mat4(1.0f)});
    const long first = residentKiB();
    for (int n = 1; n < copies; ++n)
        for (const char* file : files)
            models.emplace_back(GLutil::drawableObjects::SceneObjectOpt{file, glm::mat4(1.0f)});
    const long all = residentKiB();
    std::cout.rdbuf(saved);
    std::cout << "VmRSS after one of each model: " << first << " KiB; after " << copies
              << " of each: " << all << " KiB; per further set of four: "
              << (copies > 1 ? (all - first) / (copies - 1) : 0) << " KiB\n";
}
