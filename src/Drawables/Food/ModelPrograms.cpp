#include "Drawables/Food/ModelPrograms.h"

#include "Shader/ShaderStore.h"

namespace VX3D {

namespace {

std::shared_ptr<GLutil::ShaderProgram> buildLitModelProgram(const std::string& name) {
    const std::string base = "./Shader/testshader1";
    auto program = GLutil::ShaderProgram::build(
        name, {base + ".vert", base + ".tesC", base + ".tesE", base + ".geom", base + ".frag"},
        {{0, "vertexPosition"}, {1, "vertex_normal_in"}, {2, "uv_coordinates"}});
    program->setConstant("shadowMap", 4);
    program->setConstant("textureMap", 0);
    GLutil::ShaderProgram::unuse();
    // Validation fails while both samplers still share unit 0, so it comes after them.
    program->validate();
    program->use();
    GLutil::ShaderProgram::unuse();
    return program;
}

std::shared_ptr<GLutil::ShaderProgram> buildModelShadowProgram(const std::string& name) {
    const std::string base = "Shader/shadow";
    auto program = GLutil::ShaderProgram::build(
        name, {base + ".vert", base + ".tesC", base + ".tesE", base + ".geom", base + ".frag"},
        {{0, "vertex"}, {2, "UV"}});
    program->validate();
    program->use();
    GLutil::ShaderProgram::unuse();
    return program;
}

}  // namespace

std::shared_ptr<GLutil::ShaderProgram> makeLitModelProgram(const std::string& name) {
    return GLutil::ShaderStore::sharedProgram(name, [&] { return buildLitModelProgram(name); });
}

std::shared_ptr<GLutil::ShaderProgram> makeModelShadowProgram(const std::string& name) {
    return GLutil::ShaderStore::sharedProgram(name, [&] { return buildModelShadowProgram(name); });
}

}  // namespace VX3D
