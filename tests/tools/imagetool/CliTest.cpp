// The command line: which images it paints, where, and the messages and exit
// statuses for bad arguments (nothing is written when a name is wrong).
#include "images/Cli.h"

#include "imagecore/Png.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vximg;

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = runImageTool(args, out, err);
    return {status, out.str(), err.str()};
}

std::filesystem::path scratch(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() / ("vx_imagetool_cli_" + name);
    std::filesystem::remove_all(dir);
    return dir;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(ImageToolCli, NoArguments_PrintsUsageAndFails) {
    const ToolRun r = run({});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains(r.err, "no output directory")) << r.err;
    EXPECT_TRUE(contains(r.err, "usage: veltrix-imagetool OUTDIR [NAME...]")) << r.err;
}

TEST(ImageToolCli, UnknownImage_IsNamedAndNothingIsWritten) {
    const auto dir = scratch("unknown");
    const ToolRun r = run({dir.string(), "Sun", "Grass"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains(r.err, "unknown image 'Grass'")) << r.err;
    EXPECT_TRUE(contains(r.err, "grass_spec")) << "the message lists the known names: " << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "Sun.png"));
}

TEST(ImageToolCli, UnknownOption_IsRefused) {
    const ToolRun r = run({"--fast", "out"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains(r.err, "unknown option '--fast'")) << r.err;
    EXPECT_EQ(run({"--list", "extra"}).status, 2);
}

TEST(ImageToolCli, OutputPathThatIsAFile_IsRefused) {
    const auto dir = scratch("file");
    std::filesystem::create_directories(dir);
    const auto file = dir / "plain";
    { std::ofstream(file) << "x"; }
    const ToolRun r = run({file.string(), "Fog"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains(r.err, "is not a directory")) << r.err;
    EXPECT_TRUE(contains(r.err, file.string())) << r.err;
}

TEST(ImageToolCli, List_NamesEveryImageWithItsSize) {
    const ToolRun r = run({"--list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains(r.out, "CubeMap  CubeMap.png  2048 x 1536")) << r.out;
    EXPECT_TRUE(contains(r.out, "Veltrix3DLoadingScreen")) << r.out;
    EXPECT_EQ(run({"--help"}).status, 0);
}

TEST(ImageToolCli, NamedImages_AreWrittenOnceIntoANewDirectory) {
    const auto dir = scratch("named") / "deeper";
    const ToolRun r = run({dir.string(), "Fog", "Sun", "Fog"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << r.out;
    const PngPixels fog = readPng((dir / "Fog.png").string());
    EXPECT_EQ(fog.width, 128u);
    EXPECT_TRUE(std::filesystem::exists(dir / "Sun.png"));
    EXPECT_FALSE(std::filesystem::exists(dir / "grass.png"));
}

TEST(ImageToolCli, Executable_ExitsWithTheStatusOfItsArguments) {
    const std::string tool = std::string(VX_BIN_DIR) + "/veltrix-imagetool";
    const auto dir = scratch("exe");
    const int bad = std::system((tool + " " + dir.string() + " NoSuchImage 2>/dev/null").c_str());
    ASSERT_TRUE(WIFEXITED(bad));
    EXPECT_EQ(WEXITSTATUS(bad), 2);
    const int good = std::system((tool + " " + dir.string() + " Sun >/dev/null").c_str());
    ASSERT_TRUE(WIFEXITED(good));
    EXPECT_EQ(WEXITSTATUS(good), 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "Sun.png"));
}
