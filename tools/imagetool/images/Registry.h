// The table of everything the image tool makes: one entry per output file,
// with its production size and the function that paints it. The functions
// take the size so that tests can paint small copies quickly.
#pragma once

#include "imagecore/Image.h"
#include "imagecore/Png.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vximg {

struct Recipe {
    std::string name;  // what the command line calls it: the file's stem
    std::string file;  // file name under the output directory
    int width = 0;
    int height = 0;
    bool powerOfTwo = false;  // mipmapped scene textures keep power-of-two sizes
    bool tiles = false;       // continues seamlessly left-right and top-bottom
    PngOptions png;
    std::function<Image(int width, int height)> make;
};

const std::vector<Recipe>& recipes();
// nullptr when there is no image of that name.
const Recipe* findRecipe(std::string_view name);

}  // namespace vximg
