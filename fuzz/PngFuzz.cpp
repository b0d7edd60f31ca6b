// The texture decoder (any PNG under res/ can be replaced): any bytes give an image whose
// pixels fill exactly width × height RGBA within the texture limits, or std::logic_error
// naming the file. Built with FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION, the decoder skips its
// checksums so the fuzzer reaches the chunk contents.
#include "FuzzCheck.h"
#include "Texture/PngImage.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const GLutil::PngImage image = GLutil::decodePng(data, size, "res/Textures/fuzz.png");
        VXFuzz::require(image.width >= 1 && image.height >= 1 &&
                            image.width <= GLutil::maxPngSide &&
                            image.height <= GLutil::maxPngSide &&
                            std::uint64_t{image.width} * image.height <= GLutil::maxPngPixels,
                        "an image outside the texture limits was accepted");
        VXFuzz::require(image.pixels.size() == std::size_t{image.width} * image.height * 4,
                        "the pixels do not fill the image");
    } catch (const std::logic_error& e) {
        VXFuzz::require(
            std::string(e.what()).rfind("decoding png res/Textures/fuzz.png gave error: ", 0) == 0,
            std::string("the error does not name the file: ") + e.what());
    }
    return 0;
}
