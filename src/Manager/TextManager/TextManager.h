#pragma once
// Short-lived screen texts drawn over the finished frame with a signed-distance-field font:
// the score lines, "AI moves", the help overlay and the frame-rate line.
//
// Every text is laid out once when it is added, transformed to screen space on the CPU and
// kept as its own vertex array until its display time runs out; Draw is one draw call per
// text. Producers that want a text to stay add it again before it expires.
//
// Files, in the text directory ("./res/text" from the game's working directory):
//   FreeSans.ttf_sdf.png   the distance-field atlas      FreeSans.txt  the layout metrics
//   FreeSans.ttf_sdf.txt   the BMFont descriptor         almag.vert, almag.frag  the shader
#include "Manager/TextManager/FontData.h"
#include "Shader/ShaderProgram.h"
#include "Texture/Texture.h"
#include "VAO/DrawableVAO.h"
#include "Window/FrameClock.h"

#include <glm/glm.hpp>

#include <memory>
#include <string>
#include <vector>

namespace VX3D {

class TextManager {
public:
    // One text on screen.
    struct TextBlock {
        double remaining = 0;                      // display time left, seconds
        std::unique_ptr<GLutil::DrawableVAO> vao;  // positions at slot 0, texture coordinates at 1
        bool visible = true;
        std::string text;        // kept for diagnostics and tests
        glm::vec2 boxMin{0.0f};  // its line box on screen
        glm::vec2 boxMax{0.0f};
    };

    static constexpr const char* fontName = "FreeSans.ttf_sdf";
    static constexpr const char* metricsFile = "FreeSans.txt";

    // Loads metrics, shader, atlas and descriptor from the directory. Missing or corrupt files
    // raise an exception naming the file; a descriptor without glyphs raises
    // std::logic_error "No font infos extracted" (followed by the file in parentheses).
    explicit TextManager(const std::string& directory = "./res/text");
    TextManager(const TextManager&) = delete;
    TextManager& operator=(const TextManager&) = delete;

    // Adds a text: anchor 0..8 (see layoutText), position in normalised device coordinates,
    // size = the height of one line in the same units, UTF-8 text, duration in seconds.
    // On any error (unknown glyph, malformed UTF-8) no text is added.
    void addText(int anchor, glm::vec2 position, float size, const std::string& text,
                 double duration);

    // Ages the texts by the frame time and drops those whose time fell below 0, keeping order.
    void update(const FrameClock& clock);
    void update(double frameTime);

    // Draws all live texts, depth test and culling off, then turns both back on.
    void Draw();

    const std::vector<TextBlock>& blocks() const { return blocks_; }
    const FontTables& font() const { return font_; }
    const GLutil::Texture& texture() const { return texture_; }
    const std::shared_ptr<GLutil::ShaderProgram>& program() const { return program_; }

private:
    std::shared_ptr<GLutil::ShaderProgram> program_;
    GLutil::Texture texture_;
    FontTables font_;
    std::vector<TextBlock> blocks_;
};

}  // namespace VX3D
