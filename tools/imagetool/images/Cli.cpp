#include "images/Cli.h"

#include "images/Registry.h"

#include <filesystem>
#include <set>

namespace vximg {

namespace {

constexpr const char* kUsage =
    "usage: veltrix-imagetool OUTDIR [NAME...]\n"
    "       veltrix-imagetool --list\n";

std::string knownNames() {
    std::string names;
    for (const Recipe& r : recipes()) names += (names.empty() ? "" : ", ") + r.name;
    return names;
}

}  // namespace

int runImageTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << "veltrix-imagetool: no output directory given\n" << kUsage;
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        out << kUsage;
        return 0;
    }
    if (args[0] == "--list") {
        if (args.size() > 1) {
            err << "veltrix-imagetool: --list takes no further arguments\n" << kUsage;
            return 2;
        }
        for (const Recipe& r : recipes())
            out << r.name << "  " << r.file << "  " << r.width << " x " << r.height << "\n";
        return 0;
    }
    for (const std::string& a : args)
        if (a.starts_with("-")) {
            err << "veltrix-imagetool: unknown option '" << a << "'\n" << kUsage;
            return 2;
        }

    // Every name is checked before anything is painted, so a typo writes nothing.
    std::vector<const Recipe*> chosen;
    std::set<std::string> seen;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const Recipe* r = findRecipe(args[i]);
        if (r == nullptr) {
            err << "veltrix-imagetool: unknown image '" << args[i] << "' (known: " << knownNames()
                << ")\n";
            return 2;
        }
        if (seen.insert(r->name).second) chosen.push_back(r);
    }
    if (chosen.empty())
        for (const Recipe& r : recipes()) chosen.push_back(&r);

    const std::filesystem::path dir(args[0]);
    std::error_code ec;
    if (std::filesystem::exists(dir, ec) && !std::filesystem::is_directory(dir, ec)) {
        err << "veltrix-imagetool: output directory '" << args[0]
            << "' exists and is not a directory\n";
        return 2;
    }
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        err << "veltrix-imagetool: cannot create output directory '" << args[0]
            << "': " << ec.message() << "\n";
        return 1;
    }

    for (const Recipe* r : chosen) {
        const std::string path = (dir / r->file).string();
        try {
            writePng(path, r->make(r->width, r->height), r->png);
        } catch (const std::exception& e) {
            err << "veltrix-imagetool: making " << r->name << " failed: " << e.what() << "\n";
            return 1;
        }
        out << "wrote " << path << " (" << r->width << " x " << r->height << ")\n";
    }
    return 0;
}

}  // namespace vximg
