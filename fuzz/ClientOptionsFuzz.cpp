// The client options file ("VX3D.conf"): any text gives either options the window can be
// opened with or std::invalid_argument naming the file.
#include "FuzzCheck.h"
#include "Veltrix3D/ClientOptions.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
        const VX3D::ClientOptions options = VX3D::readClientOptions(in, "VX3D.conf");
        VXFuzz::require(options.width >= 1 && options.height >= 1,
                        "a window size below 1 was accepted");
    } catch (const std::invalid_argument& e) {
        VXFuzz::require(std::string(e.what()).find("(file \"VX3D.conf\")") != std::string::npos,
                        std::string("the error does not name the file: ") + e.what());
    }
    return 0;
}
