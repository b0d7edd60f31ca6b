#include "images/Registry.h"

#include "images/Images.h"

namespace vximg {

namespace {

PngOptions gray() {
    return {PngChannels::Gray, false};
}
PngOptions color() {
    return {PngChannels::Rgb, false};
}
PngOptions colorAlpha() {
    return {PngChannels::Rgba, false};
}
PngOptions smoothColor() {
    return {PngChannels::Rgb, true};
}

std::vector<Recipe> buildTable() {
    return {
        {"grass", "grass.png", 512, 512, true, true, color(), makeGrass},
        {"grass_spec", "grass_spec.png", 512, 512, true, true, gray(), makeGrassSpecular},
        {"displacement_map3", "displacement_map3.png", 256, 256, true, true, gray(),
         makeGroundDisplacement},
        {"Mountain", "Mountain.png", 1024, 512, true, false, color(), makeMountain},
        {"MountainDisplacement", "MountainDisplacement.png", 512, 256, true, false, gray(),
         makeMountainDisplacement},
        {"CubeMap", "CubeMap.png", 2048, 1536, false, false, color(), makeCubeMap},
        {"Sun", "Sun.png", 256, 256, true, false, colorAlpha(), makeSun},
        {"Fog", "Fog.png", 128, 128, true, false, colorAlpha(), makeFog},
        {"EnergyG", "EnergyG.png", 256, 256, true, true, colorAlpha(), makeEnergyGreen},
        {"EnergyM", "EnergyM.png", 256, 256, true, true, colorAlpha(), makeEnergyMagenta},
        {"EnergyT", "EnergyT.png", 256, 256, true, true, colorAlpha(), makeEnergyTurquoise},
        {"Veltrix3DLoadingScreen", "Veltrix3DLoadingScreen.png", 1024, 768, false, false,
         smoothColor(), makeLoadingScreen},
        {"PlayerWinSplash", "PlayerWinSplash.png", 1024, 768, false, false, smoothColor(),
         makeWinSplash},
        {"PlayerLoseSplash", "PlayerLoseSplash.png", 1024, 768, false, false, smoothColor(),
         makeLoseSplash},
        {"PlayerDrawSplash", "PlayerDrawSplash.png", 1024, 768, false, false, smoothColor(),
         makeDrawSplash},
    };
}

}  // namespace

const std::vector<Recipe>& recipes() {
    static const std::vector<Recipe> table = buildTable();
    return table;
}

const Recipe* findRecipe(std::string_view name) {
    for (const Recipe& r : recipes())
        if (r.name == name) return &r;
    return nullptr;
}

}  // namespace vximg
