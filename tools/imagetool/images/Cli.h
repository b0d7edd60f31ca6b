// The command line of veltrix-imagetool, as a function so tests can run it:
//   veltrix-imagetool OUTDIR [NAME...]   paint all images, or the named ones, into OUTDIR
//   veltrix-imagetool --list             name every image with its file and size
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vximg {

// args excludes the program name. Returns the process exit status:
// 0 done, 1 an image could not be made or written, 2 bad arguments.
int runImageTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vximg
