#pragma once
// Shared pieces of the GLutil tests: one context per suite, a scratch directory for
// the shader and image files a test writes, and capture of standard output and error.
#include "GLTestContext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

namespace GLutilTest {

class GLFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { context() = std::make_unique<VX3DTest::GLTestContext>(64, 64); }
    static void TearDownTestSuite() { context().reset(); }

    void SetUp() override {
        scratch_ = std::filesystem::temp_directory_path() /
                   ("glutil_" + std::to_string(::getpid()) + "_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(scratch_);
        std::filesystem::create_directories(scratch_);
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override { std::filesystem::remove_all(scratch_); }

    // Writes text to a file in the scratch directory and returns its path.
    std::string write(const std::string& name, const std::string& text) const {
        const auto path = scratch_ / name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
        return path.string();
    }
    std::string pathOf(const std::string& name) const { return (scratch_ / name).string(); }

    static std::unique_ptr<VX3DTest::GLTestContext>& context() {
        static std::unique_ptr<VX3DTest::GLTestContext> ctx;
        return ctx;
    }

private:
    std::filesystem::path scratch_;
};

// Redirects a standard stream into a string for the capture's lifetime.
class Capture {
public:
    explicit Capture(std::ostream& stream) : stream_(stream), old_(stream.rdbuf(buffer_.rdbuf())) {}
    ~Capture() { stream_.rdbuf(old_); }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;
    std::string text() const { return buffer_.str(); }

private:
    std::ostream& stream_;
    std::ostringstream buffer_;
    std::streambuf* old_;
};

}  // namespace GLutilTest
