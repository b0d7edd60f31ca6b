#pragma once
// The two programs every loaded model of the scene is drawn with: the lit program (five
// "./Shader/testshader1" stages) and the depth program of the sun's shadow pass (five
// "Shader/shadow" stages). Food and portals get theirs here: one program per name, shared by
// every drawable that asks for that name while one of them lives (see ShaderStore).
#include "Shader/ShaderProgram.h"

#include <memory>
#include <string>

namespace VX3D {

// Attributes "vertexPosition" 0, "vertex_normal_in" 1, "uv_coordinates" 2; samplers
// "textureMap" 0 and "shadowMap" 4 set as constants (kept across the reload key), then
// validated, which needs the two samplers on different units.
std::shared_ptr<GLutil::ShaderProgram> makeLitModelProgram(const std::string& name);

// Attributes "vertex" 0, "UV" 2.
std::shared_ptr<GLutil::ShaderProgram> makeModelShadowProgram(const std::string& name);

}  // namespace VX3D
