// The window layer against a real X server: the translation of every GLFW 3 key into the
// game's code space, the window it opens (4.0 compatibility context, fixed size, title), the
// cursor report at installation, a close request that leaves the window open, sticky keys and
// key events sent with xdotool, a callback's exception surfacing after the event processing,
// and printable keys reported by their label on a German layout.
#include "Window/Window.h"

#include <gtest/gtest.h>

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>
#include <X11/Xlib.h>
#undef None
#undef Bool

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace window = VX3D::window;

TEST(KeyCodes, SpecialKeys_LandOnTheGameCodes) {
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_ESCAPE), 257);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_F1), 258);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_F12), 269);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_F25), 282);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_UP), 283);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_RIGHT), 286);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_LEFT_SHIFT), 287);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_RIGHT_SHIFT), 288);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_TAB), 293);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_ENTER), 294);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_DELETE), 297);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_KP_0), 302);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_KP_9), 311);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_KP_ENTER), 318);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_CAPS_LOCK), 320);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_MENU), 325);
}

TEST(KeyCodes, PrintableKeys_AreTheirUpperCaseCharacter) {
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_SPACE), 32);
    for (char c = 'A'; c <= 'Z'; ++c) EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_A + (c - 'A')), c);
    for (char c = '0'; c <= '9'; ++c) EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_0 + (c - '0')), c);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_COMMA), ',');
}

TEST(KeyCodes, KeysWithoutACode_AreDropped) {
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_UNKNOWN), -1);
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_PRINT_SCREEN), -1);
    EXPECT_EQ(window::codeForGlfwKey(33), -1);  // between GLFW's named keys
    EXPECT_EQ(window::codeForGlfwKey(GLFW_KEY_LAST + 1), -1);
}

TEST(KeyCodes, EveryGlfwKey_HasADistinctCodeInRangeAndTranslatesBack) {
    std::set<int> codes;
    int translated = 0;
    for (int glfwKey = 0; glfwKey <= GLFW_KEY_LAST; ++glfwKey) {
        const int code = window::codeForGlfwKey(glfwKey);
        if (code < 0) continue;
        ++translated;
        EXPECT_LT(code, window::codeCount) << glfwKey;
        EXPECT_TRUE(codes.insert(code).second) << "code " << code << " given twice";
        EXPECT_EQ(window::glfwKeyForCode(code), glfwKey);
        // Mouse buttons own the lowest codes; no key may collide with a button.
        EXPECT_GE(code, 32) << glfwKey;
    }
    // GLFW 3.3 names 120 keys; all but print screen and "unknown" reach the game.
    EXPECT_EQ(translated, 119);
    EXPECT_EQ(window::glfwKeyForCode(0), -1);
    EXPECT_EQ(window::glfwKeyForCode(326), -1);
}

TEST(KeyCodes, KeyNames_AreOneLatin1CharacterUpperCased) {
    EXPECT_EQ(window::codeForKeyName("y"), 'Y');
    EXPECT_EQ(window::codeForKeyName("Q"), 'Q');
    EXPECT_EQ(window::codeForKeyName(","), ',');
    EXPECT_EQ(window::codeForKeyName("\xc3\xb6"), 0xd6);  // ö -> Ö
    EXPECT_EQ(window::codeForKeyName("\xc3\x9f"), 0xdf);  // ß has no capital in Latin-1
    EXPECT_EQ(window::codeForKeyName("\xc3\xb7"), 0xf7);  // the division sign stays
    EXPECT_EQ(window::codeForKeyName("\xc2\xb4"), 0xb4);  // acute accent
    for (const char* none : {static_cast<const char*>(nullptr), "", " ", "ab", "\x01", "\xc2\x85",
                             "\xe2\x82\xac" /* euro sign */, "\xc3", "\xc3\xb6x"})
        EXPECT_EQ(window::codeForKeyName(none), -1) << (none ? none : "null");
}

namespace {

std::vector<std::pair<int, int>> keyEvents;
std::vector<std::pair<int, int>> buttonEvents;
std::vector<std::pair<int, int>> positions;
int closeRequests = 0;

void recordKey(int code, int action) {
    keyEvents.emplace_back(code, action);
}
void recordButton(int code, int action) {
    buttonEvents.emplace_back(code, action);
}
void recordPosition(int x, int y) {
    positions.emplace_back(x, y);
}
void throwingKey(int, int) {
    throw std::runtime_error("from a key callback");
}

const char* const testTitle = "VX3D window layer test";

// Processes events until the condition holds or two seconds passed.
template <typename Condition>
bool pollUntil(Condition condition) {
    for (int i = 0; i < 200; ++i) {
        window::pollEvents();
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int xdotool(const std::string& arguments) {
    const std::string command = "xdotool search --name '^" + std::string(testTitle) +
                                "$' windowfocus --sync " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str());
}

}  // namespace

class WindowLayer : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(window::initialise());
        ASSERT_TRUE(window::openWindow({320, 200, false}));
        window::setTitle(testTitle);
        window::enableMouseCursor();
        window::setCloseCallback([] {
            ++closeRequests;
            return false;
        });
        ASSERT_EQ(glewInit(), static_cast<GLenum>(GLEW_OK));
        while (glGetError() != GL_NO_ERROR) {
        }
        // Let the server map the window before anything is sent to it.
        pollUntil([] { return glfwGetWindowAttrib(window::handle(), GLFW_VISIBLE) == GLFW_TRUE; });
    }
    static void TearDownTestSuite() { window::terminate(); }

    void SetUp() override {
        keyEvents.clear();
        buttonEvents.clear();
        positions.clear();
        window::setKeyCallback(&recordKey);
        window::setMouseButtonCallback(&recordButton);
    }
};

TEST_F(WindowLayer, Opened_IsACompatibilityContextOfAtLeastFourAtTheAskedSize) {
    EXPECT_TRUE(window::isInitialised());
    EXPECT_TRUE(window::isOpen());
    GLint major = 0;
    GLint mask = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &mask);
    EXPECT_GE(major, 4);
    EXPECT_NE(mask & GL_CONTEXT_COMPATIBILITY_PROFILE_BIT, 0);
    EXPECT_EQ(window::width(), 320);
    EXPECT_EQ(window::height(), 200);
    EXPECT_EQ(glfwGetWindowAttrib(window::handle(), GLFW_RESIZABLE), GLFW_FALSE);
    EXPECT_EQ(glfwGetInputMode(window::handle(), GLFW_STICKY_KEYS), GLFW_TRUE);
    EXPECT_EQ(glfwGetInputMode(window::handle(), GLFW_CURSOR), GLFW_CURSOR_NORMAL);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 24);
}

TEST_F(WindowLayer, Title_IsWhatTheX11WindowCarries) {
    Display* display = glfwGetX11Display();
    char* name = nullptr;
    ASSERT_NE(XFetchName(display, glfwGetX11Window(window::handle()), &name), 0);
    EXPECT_STREQ(name, testTitle);
    XFree(name);
}

TEST_F(WindowLayer, PositionCallback_ReportsTheCursorOnceWhenInstalled) {
    glfwSetCursorPos(window::handle(), 40.0, 30.0);
    for (int i = 0; i < 5; ++i) window::pollEvents();  // let the warp settle
    window::setMousePositionCallback(&recordPosition);
    ASSERT_EQ(positions.size(), 1u);
    EXPECT_EQ(positions[0], std::make_pair(40, 30));
    window::setMousePositionCallback(nullptr);
}

TEST_F(WindowLayer, CloseRequest_CallsTheCallbackAndTheWindowStaysOpen) {
    Display* display = glfwGetX11Display();
    const Window xWindow = glfwGetX11Window(window::handle());
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = xWindow;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const int before = closeRequests;
    XSendEvent(display, xWindow, False, NoEventMask, &event);
    XFlush(display);
    EXPECT_TRUE(pollUntil([&] { return closeRequests > before; }));
    EXPECT_EQ(glfwWindowShouldClose(window::handle()), GLFW_FALSE);
    EXPECT_TRUE(window::isOpen());
}

TEST_F(WindowLayer, KeyTap_ArrivesAsGameCodesAndStaysStickyForOneTest) {
    window::keyPressed(window::key::escape);  // consume anything left over
    ASSERT_EQ(xdotool("key Escape"), 0);
    ASSERT_TRUE(pollUntil([] { return keyEvents.size() >= 2; }));
    EXPECT_EQ(keyEvents[0], std::make_pair(257, window::press));
    EXPECT_EQ(keyEvents[1], std::make_pair(257, window::release));
    // Released already, but the press still counts once.
    EXPECT_TRUE(window::keyPressed(window::key::escape));
    EXPECT_FALSE(window::keyPressed(window::key::escape));

    keyEvents.clear();
    ASSERT_EQ(xdotool("key F12 r"), 0);
    ASSERT_TRUE(pollUntil([] { return keyEvents.size() >= 4; }));
    EXPECT_EQ(keyEvents[0].first, 269);
    EXPECT_EQ(keyEvents[2], std::make_pair(static_cast<int>('R'), window::press));
}

TEST_F(WindowLayer, MouseButtons_CountFromZero) {
    ASSERT_EQ(xdotool("mousemove --window %1 10 10 click 1 click 3"), 0);
    ASSERT_TRUE(pollUntil([] { return buttonEvents.size() >= 4; }));
    EXPECT_EQ(buttonEvents[0], std::make_pair(0, window::press));
    EXPECT_EQ(buttonEvents[1], std::make_pair(0, window::release));
    EXPECT_EQ(buttonEvents[2],
              std::make_pair(1, window::press));  // xdotool's 3 is the right button
}

TEST_F(WindowLayer, CallbackException_SurfacesAfterTheEventProcessing) {
    window::setKeyCallback(&throwingKey);
    ASSERT_EQ(xdotool("key q"), 0);
    bool raised = false;
    for (int i = 0; i < 200 && !raised; ++i) {
        try {
            window::pollEvents();
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "from a key callback");
            raised = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(raised);
    window::setKeyCallback(&recordKey);
    // Once raised, it is gone: the next processing is quiet.
    EXPECT_NO_THROW(window::pollEvents());
}

TEST_F(WindowLayer, Timer_RunsForward) {
    const double first = window::time();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GT(window::time(), first + 0.015);
}

namespace {

// The layout the display had before the suite switched it, to put back.
std::string layoutBefore = "us";

std::string currentLayout() {
    std::string layout;
    if (FILE* query = popen("setxkbmap -query 2>/dev/null", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, query) != nullptr) {
            const std::string text = line;
            if (text.rfind("layout:", 0) == 0) {
                const auto first = text.find_first_not_of(" \t", 7);
                const auto last = text.find_last_not_of(" \t\n");
                if (first != std::string::npos && last != std::string::npos)
                    layout = text.substr(first, last - first + 1);
            }
        }
        pclose(query);
    }
    return layout;
}

}  // namespace

// A German keyboard: the key labelled Y sits where a US keyboard has Z. The game must see the
// label, in the key event and in the held-key test. The layout is switched after the window
// library has started (as a player may switch it while the game runs; the open connection also
// keeps a resetting server from dropping the switch) and put back afterwards: the display is
// shared with the other tests, which the display lock keeps out meanwhile.
class KeyboardLayout : public testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string before = currentLayout();
        if (!before.empty()) layoutBefore = before;
        ASSERT_TRUE(window::initialise());
        ASSERT_EQ(std::system("setxkbmap -layout de"), 0);
        ASSERT_TRUE(window::openWindow({320, 200, false}));
        window::setTitle(testTitle);
        pollUntil([] { return glfwGetWindowAttrib(window::handle(), GLFW_VISIBLE) == GLFW_TRUE; });
    }
    static void TearDownTestSuite() {
        window::terminate();
        EXPECT_EQ(std::system(("setxkbmap -layout '" + layoutBefore + "'").c_str()), 0);
    }
    void SetUp() override {
        keyEvents.clear();
        window::setKeyCallback(&recordKey);
    }
};

TEST_F(KeyboardLayout, KeysArriveAsTheirLabel_AndHeldKeysAreFoundByIt) {
    ASSERT_EQ(currentLayout(), "de");
    // xdotool sends the key that carries the keysym on the active layout.
    ASSERT_EQ(xdotool("key y z"), 0);
    ASSERT_TRUE(pollUntil([] { return keyEvents.size() >= 4; }));
    EXPECT_EQ(keyEvents[0], std::make_pair(static_cast<int>('Y'), window::press));
    EXPECT_EQ(keyEvents[2], std::make_pair(static_cast<int>('Z'), window::press));
    EXPECT_EQ(window::codeForKey(GLFW_KEY_Z, 0), 'Y');           // by position the key is US-Z
    EXPECT_EQ(window::codeForKey(GLFW_KEY_SEMICOLON, 0), 0xd6);  // Ö
    EXPECT_EQ(window::codeForKey(GLFW_KEY_ESCAPE, 0), window::key::escape);
    window::keyPressed('Y');  // consume the taps' sticky presses
    window::keyPressed('Z');

    ASSERT_EQ(xdotool("keydown y"), 0);
    EXPECT_TRUE(pollUntil([] { return window::keyPressed('Y'); }));
    EXPECT_FALSE(window::keyPressed('Z'));
    ASSERT_EQ(xdotool("keyup y"), 0);
}
