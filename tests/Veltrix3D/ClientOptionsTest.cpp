// Reading "VX3D.conf": defaults, overrides, names outside the group, and the refusals (a value
// of the wrong type, a repeated option, a size below 1) with messages naming file and key.
// The shipped file must read back as exactly the defaults.
#include "Veltrix3D/ClientOptions.h"
#include "Veltrix3D/CommandLine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

class ClientOptionsFile : public testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("vx_client_options_" + std::to_string(::getpid()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        path = (dir / "VX3D.conf").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void write(const std::string& text) { std::ofstream(path) << text; }

    std::string errorOf(const std::string& text) {
        write(text);
        try {
            VX3D::readClientOptions(path);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "no error";
    }

    std::filesystem::path dir;
    std::string path;
};

void expectDefaults(const VX3D::ClientOptions& options) {
    EXPECT_EQ(options.width, 640);
    EXPECT_EQ(options.height, 480);
    EXPECT_FALSE(options.fullscreen);
    EXPECT_TRUE(options.aiopponent);
    EXPECT_EQ(options.seed, 42);
    EXPECT_EQ(options.envTessLevel, 0);
    EXPECT_TRUE(options.handover);
}

}  // namespace

TEST_F(ClientOptionsFile, MissingFile_GivesTheDefaults) {
    expectDefaults(VX3D::readClientOptions((dir / "absent.conf").string()));
}

TEST_F(ClientOptionsFile, EmptyFile_GivesTheDefaults) {
    write("");
    expectDefaults(VX3D::readClientOptions(path));
}

TEST_F(ClientOptionsFile, EveryOption_OverridesItsDefault) {
    write(
        "# a comment\nwidth=1024\nheight=768\nfullscreen=yes\naiopponent=false\nseed=-7\n"
        "envTessLevel=3\nhandover=false\nname=Ann Lee\n");
    const auto options = VX3D::readClientOptions(path);
    EXPECT_EQ(options.width, 1024);
    EXPECT_EQ(options.height, 768);
    EXPECT_TRUE(options.fullscreen);
    EXPECT_FALSE(options.aiopponent);
    EXPECT_EQ(options.seed, -7);
    EXPECT_EQ(options.envTessLevel, 3);
    EXPECT_FALSE(options.handover);
    EXPECT_EQ(options.name, "Ann Lee");
}

TEST_F(ClientOptionsFile, NamesOutsideTheGroupAndSections_AreSkipped) {
    write("colour=blue\nwidth=800\n[Problem.Veltrix]\nheight=10\n");
    const auto options = VX3D::readClientOptions(path);
    EXPECT_EQ(options.width, 800);
    EXPECT_EQ(options.height, 480);  // "Problem.Veltrix.height" is not ours
}

TEST_F(ClientOptionsFile, WrongType_NamesTheValueTheKeyAndTheFile) {
    const std::string message = errorOf("width=wide\n");
    EXPECT_NE(message.find("the argument ('wide') for option 'width' is invalid"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find(path), std::string::npos) << message;
}

TEST_F(ClientOptionsFile, RepeatedOption_IsRefused) {
    const std::string message = errorOf("seed=1\nseed=2\n");
    EXPECT_NE(message.find("seed"), std::string::npos) << message;
    EXPECT_NE(message.find(path), std::string::npos) << message;
}

TEST_F(ClientOptionsFile, SizeBelowOne_IsRefusedWithKeyAndFile) {
    for (const char* text : {"width=0\n", "height=-5\n"}) {
        const std::string message = errorOf(text);
        const std::string key = std::string(text).substr(0, std::string(text).find('='));
        EXPECT_NE(message.find("'" + key + "'"), std::string::npos) << message;
        EXPECT_NE(message.find("at least 1"), std::string::npos) << message;
        EXPECT_NE(message.find(path), std::string::npos) << message;
    }
    write("width=1\nheight=1\n");
    EXPECT_EQ(VX3D::readClientOptions(path).width, 1);
}

// A name the match server would refuse is refused here, naming the key and the file; the
// command line's match options are refused with the usage status unless complete.
TEST_F(ClientOptionsFile, BadNameAndMatchOptions_AreRefused) {
    for (const std::string& text :
         {std::string("name=\n"), "name=" + std::string(41, 'x') + "\n"}) {
        const std::string message = errorOf(text);
        EXPECT_NE(message.find("'name'"), std::string::npos) << message;
        EXPECT_NE(message.find(path), std::string::npos) << message;
    }
    const auto parse = [](std::vector<const char*> arguments, std::string& err) {
        arguments.insert(arguments.begin(), "veltrix3d");
        std::ostringstream out, errors;
        const VX3D::CommandLine line = VX3D::readCommandLine(static_cast<int>(arguments.size()),
                                                             arguments.data(), out, errors);
        err = errors.str();
        return line;
    };
    std::string err;
    for (const std::vector<const char*>& bad :
         {std::vector<const char*>{"--join", "K7QX-2M9P"},
          {"--server", "127.0.0.1"},
          {"--server", "127.0.0.1:70000"},
          {"--server", "127.0.0.1:7311", "--computer", "--join", "X"}}) {
        EXPECT_EQ(parse(bad, err).exitStatus, 2) << bad.back();
        EXPECT_EQ(err.rfind("veltrix3d: ", 0), 0u) << err;
    }
    const VX3D::CommandLine line =
        parse({"--server", "127.0.0.1:7311", "--join", "k7qx-2m9p"}, err);
    ASSERT_TRUE(line.server);
    EXPECT_FALSE(line.exitStatus);
    EXPECT_EQ(line.server->host, "127.0.0.1");
    EXPECT_EQ(line.server->port, 7311);
    EXPECT_EQ(line.server->mode, VX3D::ServerMatch::Mode::join);
    EXPECT_EQ(line.server->code, "k7qx-2m9p");
}

TEST(ClientOptionsShipped, GameFile_HoldsExactlyTheDefaults) {
    const std::string shipped = std::string(VX_GAME_DIR) + "/VX3D.conf";
    ASSERT_TRUE(std::filesystem::exists(shipped));
    expectDefaults(VX3D::readClientOptions(shipped));
}
