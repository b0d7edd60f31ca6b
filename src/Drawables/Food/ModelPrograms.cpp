#include "Drawables/Food/ModelPrograms.h"

#include "Shader/ShaderStore.h"

namespace VX3D {

std::shared_ptr<GLutil::ShaderProgram> makeLitModelProgram(const std::string& name) {
    auto program = std::make_shared<GLutil::ShaderProgram>(name);
    for (const char* stage : {".vert", ".tesC", ".tesE", ".geom", ".frag"}) {
        program->attatch(
            GLutil::ShaderStore::getShader(std::string("./Shader/testshader1") + stage));
    }
    program->bindAttributeLocation(0, "vertexPosition");
    program->bindAttributeLocation(1, "vertex_normal_in");
    program->bindAttributeLocation(2, "uv_coordinates");
    program->link();
    program->setConstant("shadowMap", 4);
    program->setConstant("textureMap", 0);
    GLutil::ShaderProgram::unuse();
    // Validation fails while both samplers still share unit 0, so it comes after them.
    program->validate();
    program->use();
    GLutil::ShaderProgram::unuse();
    return program;
}

std::shared_ptr<GLutil::ShaderProgram> makeModelShadowProgram(const std::string& name) {
    auto program = std::make_shared<GLutil::ShaderProgram>(name);
    for (const char* stage : {".vert", ".tesC", ".tesE", ".geom", ".frag"}) {
        program->attatch(GLutil::ShaderStore::getShader(std::string("Shader/shadow") + stage));
    }
    program->bindAttributeLocation(0, "vertex");
    program->bindAttributeLocation(2, "UV");
    program->link();
    program->validate();
    program->use();
    GLutil::ShaderProgram::unuse();
    return program;
}

}  // namespace VX3D
