// The real program, started in a scratch working directory on the test display: the window
// it opens (title, size with and without "VX3D.conf"), the loading screen as it appears on
// screen, the reload, new-game and Escape keys sent with xdotool, the close button, Ctrl+C and
// SIGTERM, the start and exit lines on standard output and the exit status; and a broken
// "VX3D.conf" that must end the program with its message on standard error and a non-zero status.
//
// The screenshots stay in the build tree (screenshots/) for a person to look at.
#include "ProgramUnderTest.h"

#include <X11/Xlib.h>
#undef None
#undef Bool

using namespace e2e;

TEST(EndToEnd, WithoutConfig_OpensTheDefaultWindowShowsTheLoadingScreenAndEndsOnEscape) {
    Program program("defaults", true);
    program.start();
    const std::string window = program.window();
    ASSERT_FALSE(window.empty()) << program.stderrText();
    EXPECT_EQ(geometry(window), std::make_pair(640, 480));

    // The loading screen fills the window the right way up while the rest of the start-up
    // runs. The splash textures are read right after it is shown; the program is held there
    // for the screenshot, since the scene replaces the screen as soon as start-up is done.
    ASSERT_TRUE(program.waitForOutput("res/Textures/PlayerWinSplash.png"));
    program.signal(SIGSTOP);
    unsigned w = 0, h = 0;
    const auto pixels = screenshot(window, "loading-screen-quadrants", w, h);
    program.signal(SIGCONT);
    ASSERT_TRUE(program.waitForOutput("INIT SHADER PROG ObjectShader"));
    ASSERT_EQ(w, 640u);
    ASSERT_EQ(h, 480u);
    auto at = [&](unsigned x, unsigned y) { return &pixels[(y * w + x) * 4]; };
    EXPECT_TRUE(near(at(160, 120), 255, 0, 0));
    EXPECT_TRUE(near(at(480, 300), 255, 255, 255) || near(at(480, 360), 255, 255, 255));
    EXPECT_TRUE(near(at(160, 360), 0, 0, 255));
    EXPECT_TRUE(near(at(480, 200), 0, 255, 0));

    program.key(window, "r");
    EXPECT_TRUE(program.waitForOutput("Init Reloading of Shaders!\n"));
    EXPECT_TRUE(program.waitForOutput("Reloading ShaderProgram TextureOnlyShader\n"));
    program.key(window, "l");
    EXPECT_TRUE(program.waitForOutput("Reinitializing game!\n"));
    program.key(window, "Escape");
    expectOrderlyEnd(program);
}

TEST(EndToEnd, WithConfig_OpensTheWindowAtTheSizeFromTheFile) {
    Program program("sized", false);
    program.writeConfig("width=800\nheight=600\n");
    program.start();
    const std::string window = program.window();
    ASSERT_FALSE(window.empty()) << program.stderrText();
    EXPECT_EQ(geometry(window), std::make_pair(800, 600));
    ASSERT_TRUE(program.waitForOutput("INIT SHADER PROG ObjectShader"));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    unsigned w = 0, h = 0;
    const auto pixels = screenshot(window, "loading-screen", w, h);
    EXPECT_EQ(w, 800u);
    // Not a black window: the loading screen, or the scene once the start-up is done.
    std::size_t lit = 0;
    for (std::size_t i = 0; i + 3 < pixels.size(); i += 4)
        if (pixels[i] + pixels[i + 1] + pixels[i + 2] > 60) ++lit;
    EXPECT_GT(lit, pixels.size() / 4 / 2);
    program.key(window, "Escape");
    expectOrderlyEnd(program);
}

TEST(EndToEnd, CloseButton_EndsTheLoopInOrder) {
    Program program("close", true);
    program.start();
    const std::string window = program.window();
    ASSERT_FALSE(window.empty()) << program.stderrText();
    ASSERT_TRUE(program.waitForOutput("INIT SHADER PROG ObjectShader"));
    // What a window manager sends when its close button is pressed.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::stoul(window);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, std::stoul(window), False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    expectOrderlyEnd(program);
}

TEST(EndToEnd, BrokenConfig_EndsWithTheMessageAndANonZeroStatus) {
    Program program("broken", true);
    program.writeConfig("width=wide\n");
    program.start();
    const auto status = program.wait();
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, 1);
    const std::string err = program.stderrText();
    EXPECT_NE(err.find("caught exception: the argument ('wide') for option 'width' is invalid"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("VX3D.conf"), std::string::npos) << err;
    const std::string out = program.stdoutText();
    EXPECT_EQ(out.rfind("starting, loading options\n", 0), 0u) << out;
    EXPECT_NE(out.find("ShaderPrograms in use at exit: 0\n"), std::string::npos) << out;
}

// Ctrl+C in the terminal and SIGTERM (timeout, logout) end the game like the close button.
TEST(EndToEnd, InterruptAndTerminateSignals_EndTheLoopInOrder) {
    for (const int number : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(number);
        Program program("signal" + std::to_string(number), true);
        program.start();
        ASSERT_FALSE(program.window().empty()) << program.stderrText();
        ASSERT_TRUE(program.waitForOutput("INIT SHADER PROG ObjectShader"));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a few frames
        program.signal(number);
        expectOrderlyEnd(program);
    }
}
