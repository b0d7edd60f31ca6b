#include "Manager/TextManager/TextManager.h"

#include "Shader/CheckPoint.h"
#include "Shader/ShaderStore.h"
#include "Veltrix3D/RenderState.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace VX3D {

namespace {

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open the font descriptor " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TextManager::TextManager(const std::string& directory) {
    const std::string metricsPath = directory + "/" + metricsFile;
    {
        std::ifstream metrics(metricsPath);
        if (!metrics) {
            // Without metrics no text could ever be laid out; say so at start-up instead.
            throw std::runtime_error("cannot open the font metrics " + metricsPath);
        }
        font_.metrics = readFontMetrics(metrics, metricsPath);
    }
    font_.line = computeLineBox(font_.metrics, metricsPath);

    program_ = std::make_shared<GLutil::ShaderProgram>("TextShader");
    program_->attatch(GLutil::ShaderStore::getShader(directory + "/almag.vert"));
    program_->attatch(GLutil::ShaderStore::getShader(directory + "/almag.frag"));
    program_->bindAttributeLocation(0, "vVertex");
    program_->bindAttributeLocation(1, "vTexCoord0");
    program_->link();
    program_->validate();
    GLutil::ShaderProgram::unuse();

    texture_ = GLutil::Texture(directory + "/" + fontName + ".png", 0);

    const std::string descriptorPath = directory + "/" + fontName + ".txt";
    const std::vector<GlyphDescriptor> glyphs = parseFontDescriptor(
        readWholeFile(descriptorPath), texture_.width(), texture_.height(), descriptorPath);
    if (glyphs.empty()) {
        throw std::logic_error("No font infos extracted (" + descriptorPath + ")");
    }
    for (const GlyphDescriptor& g : glyphs) {
        if (g.x < 0 || g.y < 0 || g.width < 0 || g.height < 0 ||
            static_cast<std::uint32_t>(g.x + g.width) > texture_.width() ||
            static_cast<std::uint32_t>(g.y + g.height) > texture_.height()) {
            throw std::runtime_error("font descriptor " + descriptorPath +
                                     ": the rectangle of char id=" + std::to_string(g.id) +
                                     " lies outside the " + std::to_string(texture_.width()) +
                                     " x " + std::to_string(texture_.height()) + " atlas");
        }
        font_.descriptors[g.id] = g;
    }
}

void TextManager::addText(int anchor, glm::vec2 position, float size, const std::string& text,
                          double duration) {
    const TextGeometry geometry = layoutText(font_, anchor, position, size, text);

    TextBlock block;
    block.remaining = duration;
    block.text = text;
    block.boxMin = geometry.boxMin;
    block.boxMax = geometry.boxMax;
    block.vao = std::make_unique<GLutil::DrawableVAO>();
    block.vao->mode = GL_TRIANGLES;
    if (!geometry.positions.empty()) {
        block.vao->addBuffer(0, geometry.positions, GL_DYNAMIC_DRAW);
        block.vao->addBuffer(1, geometry.texCoords);
    }
    blocks_.push_back(std::move(block));
}

void TextManager::update(const FrameClock& clock) {
    update(clock.current - clock.previous);
}

void TextManager::update(double frameTime) {
    for (TextBlock& block : blocks_) {
        block.remaining -= frameTime;
    }
    std::erase_if(blocks_, [](const TextBlock& block) { return block.remaining < 0; });
}

void TextManager::Draw() {
    if (blocks_.empty()) {
        return;
    }
    RenderState::setDepthTest(false);
    RenderState::setCullFace(false);
    program_->use();
    glUniform4f(program_->uniformLocation("textColour"), 1.0f, 0.0f, 0.0f, 1.0f);
    glUniform4f(program_->uniformLocation("outlineColour"), 0.0f, 1.0f, 0.0f, 1.0f);
    glUniform3f(program_->uniformLocation("glowColour"), 0.0f, 0.0f, 1.0f);
    glUniform2f(program_->uniformLocation("glowOffset"), -0.001f, -0.001f);
    glUniform1i(program_->uniformLocation("textMap"), 0);
    texture_.bind();
    for (const TextBlock& block : blocks_) {
        if (block.visible && block.vao->vertexCount() > 0) {
            block.vao->draw();
        }
    }
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    GLutil::ShaderProgram::unuse();
    RenderState::setDepthTest(true);
    RenderState::setCullFace(true);
    GLUTIL_CHECKPOINT("VX3D::TextManager::Draw");
}

}  // namespace VX3D
