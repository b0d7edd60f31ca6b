#pragma once
// "P" in the running game: the finished frame as a PNG file.
#include <string>

namespace VX3D {

// Reads the bound frame buffer's width × height pixels (the back buffer before the swap),
// turns them top row first and writes them as the first free "veltrix-NNNN.png" in the
// directory, which is made when missing. Returns the file's path; raises std::runtime_error
// naming the file when it cannot be written.
std::string saveScreenshot(int width, int height, const std::string& directory = "screenshots");

}  // namespace VX3D
