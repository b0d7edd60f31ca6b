// The font descriptor (BMFont text) and the metrics file: any pair of texts gives tables or
// std::runtime_error naming the file; tables that were accepted lay out a line of text or
// refuse a glyph with std::logic_error (or utfcpp's error for broken UTF-8 in the line).
// The input is the descriptor, a NUL byte, the metrics, a NUL byte and the line of text.
#include "FuzzCheck.h"
#include "Manager/TextManager/FontData.h"

#include <utf8.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

std::string_view nextPart(std::string_view& rest) {
    const std::size_t end = rest.find('\0');
    const std::string_view part = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return part;
}

void requireNamed(const std::exception& e, const char* file) {
    VXFuzz::require(std::string(e.what()).find(file) != std::string::npos,
                    std::string("the error does not name ") + file + ": " + e.what());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view descriptor = nextPart(rest);
    const std::string_view metricsText = nextPart(rest);
    const std::string_view line = rest;

    VX3D::FontTables font;
    try {
        for (const VX3D::GlyphDescriptor& d :
             VX3D::parseFontDescriptor(descriptor, 512, 512, "font.fnt")) {
            VXFuzz::require(std::isfinite(d.uMin) && std::isfinite(d.uMax) &&
                                std::isfinite(d.vMin) && std::isfinite(d.vMax),
                            "a glyph rectangle that is not finite");
            font.descriptors.emplace(d.id, d);
        }
    } catch (const std::runtime_error& e) {
        requireNamed(e, "font.fnt");
        return 0;
    }
    try {
        std::istringstream in{std::string(metricsText)};
        font.metrics = VX3D::readFontMetrics(in, "font.metrics");
        font.line = VX3D::computeLineBox(font.metrics, "font.metrics");
        VXFuzz::require(font.line.top > font.line.bottom, "an empty line box was accepted");
    } catch (const std::runtime_error& e) {
        requireNamed(e, "font.metrics");
        return 0;
    }
    try {
        const VX3D::TextGeometry geometry = VX3D::layoutText(font, 4, {0.0f, 0.0f}, 0.1f, line);
        VXFuzz::require(geometry.positions.size() == geometry.texCoords.size() &&
                            geometry.positions.size() % 6 == 0,
                        "positions and texture coordinates out of step");
    } catch (const std::logic_error&) {
    } catch (const utf8::exception&) {
    }
    return 0;
}
