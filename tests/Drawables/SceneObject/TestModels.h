#pragma once
// Small COLLADA files written by the tests themselves, so each test states the
// exact input it reads.
#include <string>

namespace SceneObjectTest {

// A triangle geometry with the given id and three corners "x y z" each.
std::string triangleGeometry(const std::string& id, const std::string& a, const std::string& b,
                             const std::string& c);

// A node with a matrix (16 numbers, row-major) and optionally an instanced geometry.
std::string node(const std::string& name, const std::string& geometry,
                 const std::string& children = "",
                 const std::string& matrix = "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1");

// A matrix animation of "<node>/transform": key times and 16 numbers per key.
std::string matrixAnimation(const std::string& nodeName, const std::string& times,
                            const std::string& matrices, int keys);

// The whole document around the given library contents and top-level nodes; every
// geometry uses the one material "TestMaterial", whose <phong> body is `phong`.
std::string document(const std::string& geometries, const std::string& nodes,
                     const std::string& animations = "",
                     const std::string& phong = "<diffuse><color>0.2 0.4 0.6 0.5</color></diffuse>",
                     const std::string& effectParams = "", const std::string& images = "");

// Pieces for a material with a diffuse texture read from `path`.
std::string texturedPhong();
std::string textureParams();
std::string image(const std::string& path);

// Writes text to a file in the test's scratch directory and returns its path.
std::string writeScratch(const std::string& fileName, const std::string& text);

}  // namespace SceneObjectTest
