// modelpreview: draws a model of the game through its loader and model shaders into
// an off-screen target and writes a PNG.
//
//   modelpreview [--game DIR] MODEL OUT.png [--clip N] [--time T] [--yaw DEG]
//                [--pitch DEG] [--distance D] [--size WxH] [--pass lit|solid|shadow]
//                [--no-ground]
//
// MODEL is relative to the game's working directory (default: the current one), for
// example res/AntAnim1.DAE. --clip plays clip N (0 fight, 1 walk, 2 left turn,
// 3 right turn) at --time T clip units (0..2); without --clip the rest pose is drawn.
// Needs a display (Xvfb will do); the picture is rendered at twice the size and
// filtered down.
#include "PreviewRenderer.h"
#include "ToolSupport.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

struct Args {
    std::string game = ".";
    std::string model;
    std::string out;
    int clip = -1;
    double time = 0.0;
    VX3DPreview::View view;
    int width = 640, height = 480;
    VX3DPreview::Pass pass = VX3DPreview::Pass::Lit;
};

[[noreturn]] void usage(const std::string& why) {
    std::cerr << "modelpreview: " << why << "\n"
              << "usage: modelpreview [--game DIR] MODEL OUT.png [--clip N] [--time T] [--yaw DEG] "
                 "[--pitch DEG]"
                 " [--distance D] [--size WxH] [--pass lit|solid|shadow] [--no-ground]\n";
    std::exit(2);
}

double number(const std::string& option, const std::string& text) {
    try {
        std::size_t used = 0;
        const double v = std::stod(text, &used);
        if (used == text.size()) return v;
    } catch (const std::exception&) {
    }
    usage("option " + option + " wants a number, got \"" + text + "\"");
}

Args parse(int argc, char** argv) {
    Args a;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) usage("option " + arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--game")
            a.game = value();
        else if (arg == "--clip")
            a.clip = static_cast<int>(number(arg, value()));
        else if (arg == "--time")
            a.time = number(arg, value());
        else if (arg == "--yaw")
            a.view.yawDegrees = static_cast<float>(number(arg, value()));
        else if (arg == "--pitch")
            a.view.pitchDegrees = static_cast<float>(number(arg, value()));
        else if (arg == "--distance")
            a.view.distance = static_cast<float>(number(arg, value()));
        else if (arg == "--no-ground")
            a.view.ground = false;
        else if (arg == "--size") {
            const std::string v = value();
            const auto x = v.find('x');
            if (x == std::string::npos) usage("option --size wants WxH, got \"" + v + "\"");
            a.width = static_cast<int>(number(arg, v.substr(0, x)));
            a.height = static_cast<int>(number(arg, v.substr(x + 1)));
            if (a.width < 16 || a.height < 16 || a.width > 2048 || a.height > 2048)
                usage("option --size wants 16..2048 on each side, got \"" + v + "\"");
        } else if (arg == "--pass") {
            const std::string v = value();
            if (v == "lit")
                a.pass = VX3DPreview::Pass::Lit;
            else if (v == "solid")
                a.pass = VX3DPreview::Pass::Solid;
            else if (v == "shadow")
                a.pass = VX3DPreview::Pass::ShadowDepth;
            else
                usage("option --pass wants lit, solid or shadow, got \"" + v + "\"");
        } else if (!arg.empty() && arg[0] == '-')
            usage("unknown option " + arg);
        else if (positional == 0) {
            a.model = arg;
            ++positional;
        } else if (positional == 1) {
            a.out = std::filesystem::absolute(arg).string();
            ++positional;
        } else
            usage("too many arguments");
    }
    if (positional != 2) usage("MODEL and OUT.png are required");
    if (a.clip > 3) usage("option --clip wants 0..3");
    return a;
}

// Box filter from twice the size.
VX3DPreview::Image downsample(const VX3DPreview::Image& big) {
    VX3DPreview::Image out;
    out.width = big.width / 2;
    out.height = big.height / 2;
    out.rgba.resize(static_cast<std::size_t>(out.width * out.height * 4));
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        sum += big.rgba[(static_cast<std::size_t>(2 * y + dy) * big.width + 2 * x +
                                         dx) *
                                            4 +
                                        c];
                out.rgba[(static_cast<std::size_t>(y) * out.width + x) * 4 + c] =
                    static_cast<std::uint8_t>((sum + 2) / 4);
            }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const Args args = parse(argc, argv);
    return VX3DTools::withHiddenContext("modelpreview", [&] {
        std::filesystem::current_path(args.game);
        VX3DPreview::PreviewRenderer renderer(args.width * 2, args.height * 2);
        auto model = VX3DPreview::PreviewRenderer::loadModel(args.model);
        if (!model.valid()) throw std::runtime_error("model " + args.model + " could not be read");
        const auto image = renderer.render(model, VX3DPreview::kindOf(args.model), args.clip,
                                           args.time, args.view, args.pass);
        VX3DPreview::writePng(downsample(image), args.out);
        std::cout << "wrote " << args.out << "\n";
        return 0;
    });
}
