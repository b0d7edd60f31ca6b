// The painting function of each image. Each is deterministic: fixed seeds, no
// clock, no global state.
#pragma once

#include "imagecore/Image.h"

namespace vximg {

// Ground of each field cell (every cell shows the whole texture, so they tile).
Image makeGrass(int width, int height);
Image makeGrassSpecular(int width, int height);
Image makeGroundDisplacement(int width, int height);

// The mountain ring: u runs along a strip (tiles), v across it from the outer
// crest (v = 0, first row, highest) down to the foot at the field's edge
// (v = 1, last row, height 0).
Image makeMountain(int width, int height);
Image makeMountainDisplacement(int width, int height);

// Sky as a 4 x 3 horizontal cross; width must be 4/3 of height.
Image makeCubeMap(int width, int height);
Image makeSun(int width, int height);
Image makeFog(int width, int height);
Image makeEnergyGreen(int width, int height);
Image makeEnergyMagenta(int width, int height);
Image makeEnergyTurquoise(int width, int height);

// Screens, stored bottom row first (see flippedVertically).
Image makeLoadingScreen(int width, int height);
Image makeWinSplash(int width, int height);
Image makeLoseSplash(int width, int height);
Image makeDrawSplash(int width, int height);

// The sky's cube faces in the cross: +x, -x, +y, -y, +z, -z.
enum class CubeFace { PosX, NegX, PosY, NegY, PosZ, NegZ };
// Column and row of a face's cell in the 4 x 3 cross.
glm::ivec2 cubeFaceCell(CubeFace face);
// Direction seen through the point (s, t) of a face's cell, s to the right and
// t down the image, both 0..1 across the cell (values outside extrapolate).
glm::vec3 cubeFaceDirection(CubeFace face, float s, float t);
// The sky's colour for a direction (need not be normalised).
glm::vec4 skyColor(glm::vec3 direction);

}  // namespace vximg
