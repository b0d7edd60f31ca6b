// veltrix-imagetool: paints the game's textures and screens reproducibly.
#include "images/Cli.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return vximg::runImageTool(args, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "veltrix-imagetool: " << e.what() << "\n";
        return 1;
    }
}
