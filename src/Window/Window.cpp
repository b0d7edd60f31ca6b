#include "Window/Window.h"

#include <GLFW/glfw3.h>

#include <array>
#include <cmath>
#include <exception>
#include <iostream>
#include <utility>

namespace VX3D::window {
namespace {

GLFWwindow* theWindow = nullptr;
bool initialised = false;
CloseCallback closeCallback;
KeyCallback keyCallback = nullptr;
KeyCallback mouseButtonCallback = nullptr;
PositionCallback positionCallback = nullptr;

// GLFW is C: an exception must not unwind through its event processing. A callback's
// exception is kept here and raised again once GLFW has returned; later events of the same
// poll are dropped, as the program is on its way to the error handler.
std::exception_ptr pendingException;

template <typename Call>
void guarded(Call&& call) {
    if (pendingException) return;
    try {
        call();
    } catch (...) {
        pendingException = std::current_exception();
    }
}

void raisePending() {
    if (pendingException) {
        std::exception_ptr raised = pendingException;
        pendingException = nullptr;
        std::rethrow_exception(raised);
    }
}

// GLFW 3 numbers the printable keys by their US-layout character, which is the game's code
// already; every other key is listed here with the game's code for it.
constexpr std::pair<int, int> specialKeys[] = {
    {GLFW_KEY_ESCAPE, key::escape},
    {GLFW_KEY_ENTER, key::enter},
    {GLFW_KEY_TAB, key::tab},
    {GLFW_KEY_BACKSPACE, key::backspace},
    {GLFW_KEY_INSERT, key::insert},
    {GLFW_KEY_DELETE, key::del},
    {GLFW_KEY_RIGHT, key::right},
    {GLFW_KEY_LEFT, key::left},
    {GLFW_KEY_DOWN, key::down},
    {GLFW_KEY_UP, key::up},
    {GLFW_KEY_PAGE_UP, key::pageUp},
    {GLFW_KEY_PAGE_DOWN, key::pageDown},
    {GLFW_KEY_HOME, key::home},
    {GLFW_KEY_END, key::end},
    {GLFW_KEY_CAPS_LOCK, key::capsLock},
    {GLFW_KEY_SCROLL_LOCK, key::scrollLock},
    {GLFW_KEY_NUM_LOCK, key::numLock},
    {GLFW_KEY_PAUSE, key::pause},
    {GLFW_KEY_KP_DECIMAL, key::keypadDecimal},
    {GLFW_KEY_KP_DIVIDE, key::keypadDivide},
    {GLFW_KEY_KP_MULTIPLY, key::keypadMultiply},
    {GLFW_KEY_KP_SUBTRACT, key::keypadSubtract},
    {GLFW_KEY_KP_ADD, key::keypadAdd},
    {GLFW_KEY_KP_ENTER, key::keypadEnter},
    {GLFW_KEY_KP_EQUAL, key::keypadEqual},
    {GLFW_KEY_LEFT_SHIFT, key::leftShift},
    {GLFW_KEY_LEFT_CONTROL, key::leftControl},
    {GLFW_KEY_LEFT_ALT, key::leftAlt},
    {GLFW_KEY_LEFT_SUPER, key::leftSuper},
    {GLFW_KEY_RIGHT_SHIFT, key::rightShift},
    {GLFW_KEY_RIGHT_CONTROL, key::rightControl},
    {GLFW_KEY_RIGHT_ALT, key::rightAlt},
    {GLFW_KEY_RIGHT_SUPER, key::rightSuper},
    {GLFW_KEY_MENU, key::menu},
};

// The inverse table, filled once, so the sticky-key test can ask GLFW for a game code.
const std::array<int, codeCount>& glfwKeysByCode() {
    static const std::array<int, codeCount> table = [] {
        std::array<int, codeCount> keys{};
        keys.fill(-1);
        for (int glfwKey = 0; glfwKey <= GLFW_KEY_LAST; ++glfwKey) {
            const int code = codeForGlfwKey(glfwKey);
            if (code >= 0) keys[static_cast<std::size_t>(code)] = glfwKey;
        }
        return keys;
    }();
    return table;
}

// Game code -> GLFW key on the active layout, for the sticky-key test. Filled when the window
// opens and again at every key event, so a layout switched while the game runs is followed
// from the next key on.
std::array<int, codeCount> layoutKeys;
bool layoutKeysFilled = false;

bool isPrintable(int glfwKey) {
    const int code = codeForGlfwKey(glfwKey);
    return code > key::space && code < key::special;
}

void fillLayoutKeys() {
    layoutKeys = glfwKeysByCode();
    for (int glfwKey = 0; glfwKey <= GLFW_KEY_LAST; ++glfwKey)
        if (isPrintable(glfwKey))
            layoutKeys[static_cast<std::size_t>(codeForGlfwKey(glfwKey))] = -1;
    for (int glfwKey = 0; glfwKey <= GLFW_KEY_LAST; ++glfwKey)
        if (isPrintable(glfwKey))
            layoutKeys[static_cast<std::size_t>(codeForKey(glfwKey, 0))] = glfwKey;
    layoutKeysFilled = true;
}

void onGlfwError(int code, const char* description) {
    std::cerr << "GLFW Error " << code << ": " << description << "\n";
}

void onGlfwKey(GLFWwindow*, int glfwKey, int scancode, int action, int) {
    fillLayoutKeys();
    // Repeats of a held key are not events of the game: a press is one press.
    if (action == GLFW_REPEAT || keyCallback == nullptr) return;
    const int code = codeForKey(glfwKey, scancode);
    if (code < 0) return;
    guarded([&] { keyCallback(code, action == GLFW_PRESS ? press : release); });
}

void onGlfwMouseButton(GLFWwindow*, int button, int action, int) {
    if (mouseButtonCallback == nullptr || button < 0 || button >= codeCount) return;
    guarded([&] { mouseButtonCallback(button, action == GLFW_PRESS ? press : release); });
}

void onGlfwCursor(GLFWwindow*, double x, double y) {
    if (positionCallback != nullptr)
        guarded([&] {
            positionCallback(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
        });
}

void onGlfwClose(GLFWwindow* window) {
    // Without a callback the request stands and the window closes as usual.
    bool mayClose = true;
    guarded([&] { mayClose = !closeCallback || closeCallback(); });
    if (!mayClose) glfwSetWindowShouldClose(window, GLFW_FALSE);
}

}  // namespace

int codeForGlfwKey(int glfwKey) {
    if (glfwKey >= GLFW_KEY_SPACE && glfwKey <= GLFW_KEY_WORLD_2) {
        // Only the keys GLFW 3 names; the gaps between them are no keys.
        switch (glfwKey) {
            case GLFW_KEY_SPACE:
            case GLFW_KEY_APOSTROPHE:
            case GLFW_KEY_COMMA:
            case GLFW_KEY_MINUS:
            case GLFW_KEY_PERIOD:
            case GLFW_KEY_SLASH:
            case GLFW_KEY_SEMICOLON:
            case GLFW_KEY_EQUAL:
            case GLFW_KEY_LEFT_BRACKET:
            case GLFW_KEY_BACKSLASH:
            case GLFW_KEY_RIGHT_BRACKET:
            case GLFW_KEY_GRAVE_ACCENT:
            case GLFW_KEY_WORLD_1:
            case GLFW_KEY_WORLD_2:
                return glfwKey;
            default:
                if ((glfwKey >= GLFW_KEY_0 && glfwKey <= GLFW_KEY_9) ||
                    (glfwKey >= GLFW_KEY_A && glfwKey <= GLFW_KEY_Z))
                    return glfwKey;
                return -1;
        }
    }
    if (glfwKey >= GLFW_KEY_F1 && glfwKey <= GLFW_KEY_F25) return key::f1 + (glfwKey - GLFW_KEY_F1);
    if (glfwKey >= GLFW_KEY_KP_0 && glfwKey <= GLFW_KEY_KP_9)
        return key::keypad0 + (glfwKey - GLFW_KEY_KP_0);
    for (const auto& [glfw, code] : specialKeys)
        if (glfw == glfwKey) return code;
    return -1;  // GLFW_KEY_UNKNOWN, print screen, and anything outside GLFW's list
}

int glfwKeyForCode(int code) {
    if (code < 0 || code >= codeCount) return -1;
    return glfwKeysByCode()[static_cast<std::size_t>(code)];
}

int codeForKeyName(const char* name) {
    if (name == nullptr) return -1;
    const auto* bytes = reinterpret_cast<const unsigned char*>(name);
    int character = -1;
    if (bytes[0] >= 0x21 && bytes[0] < 0x7f && bytes[1] == 0) {
        character = bytes[0];
    } else if ((bytes[0] == 0xc2 || bytes[0] == 0xc3) && (bytes[1] & 0xc0) == 0x80 &&
               bytes[2] == 0) {
        // Two-byte UTF-8 below U+0100; control characters U+0080..U+009F have no key.
        character = ((bytes[0] & 0x1f) << 6) | (bytes[1] & 0x3f);
        if (character < 0xa0) return -1;
    } else {
        return -1;
    }
    if (character >= 'a' && character <= 'z') return character - 'a' + 'A';
    // Latin-1's small letters à..þ sit 32 above their capitals, except the division sign.
    if (character >= 0xe0 && character <= 0xfe && character != 0xf7) return character - 0x20;
    return character;
}

int codeForKey(int glfwKey, int scancode) {
    // A key this keyboard lacks (no scancode) has no name to ask for.
    if (!isPrintable(glfwKey) || !initialised || (scancode <= 0 && glfwGetKeyScancode(glfwKey) < 0))
        return codeForGlfwKey(glfwKey);
    const int code = codeForKeyName(glfwGetKeyName(glfwKey, scancode));
    return code >= 0 ? code : codeForGlfwKey(glfwKey);
}

bool initialise() {
    if (initialised) return true;
    glfwSetErrorCallback(&onGlfwError);
    initialised = glfwInit() == GLFW_TRUE;
    return initialised;
}

bool isInitialised() {
    return initialised;
}

bool openWindow(const WindowSettings& settings) {
    if (!initialised || theWindow != nullptr) return false;
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_COMPAT_PROFILE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    GLFWmonitor* monitor = settings.fullscreen ? glfwGetPrimaryMonitor() : nullptr;
    theWindow = glfwCreateWindow(settings.width, settings.height, "", monitor, nullptr);
    if (theWindow == nullptr) return false;
    glfwMakeContextCurrent(theWindow);
    glfwSetInputMode(theWindow, GLFW_STICKY_KEYS, GLFW_TRUE);
    glfwSetWindowCloseCallback(theWindow, &onGlfwClose);
    glfwSetKeyCallback(theWindow, &onGlfwKey);
    glfwSetMouseButtonCallback(theWindow, &onGlfwMouseButton);
    glfwSetCursorPosCallback(theWindow, &onGlfwCursor);
    fillLayoutKeys();
    return true;
}

bool isOpen() {
    return theWindow != nullptr;
}

void setTitle(const std::string& title) {
    if (theWindow != nullptr) glfwSetWindowTitle(theWindow, title.c_str());
}

void setCloseCallback(CloseCallback callback) {
    closeCallback = std::move(callback);
}

void enableMouseCursor() {
    if (theWindow != nullptr) glfwSetInputMode(theWindow, GLFW_CURSOR, GLFW_CURSOR_NORMAL);
}

void setKeyCallback(KeyCallback callback) {
    keyCallback = callback;
}

void setMouseButtonCallback(KeyCallback callback) {
    mouseButtonCallback = callback;
}

void setMousePositionCallback(PositionCallback callback) {
    positionCallback = callback;
    // GLFW 3 reports nothing until the cursor moves; the game expects to know where it is.
    if (positionCallback != nullptr && theWindow != nullptr) {
        double x = 0.0;
        double y = 0.0;
        glfwGetCursorPos(theWindow, &x, &y);
        onGlfwCursor(theWindow, x, y);
        raisePending();
    }
}

bool keyPressed(int code) {
    if (theWindow == nullptr || code < 0 || code >= codeCount) return false;
    if (!layoutKeysFilled) fillLayoutKeys();
    const int glfwKey = layoutKeys[static_cast<std::size_t>(code)];
    if (glfwKey < 0) return false;
    return glfwGetKey(theWindow, glfwKey) == GLFW_PRESS;
}

void swapBuffers() {
    if (theWindow == nullptr) return;
    glfwSwapBuffers(theWindow);
    glfwPollEvents();
    raisePending();
}

void pollEvents() {
    if (!initialised) return;
    glfwPollEvents();
    raisePending();
}

double time() {
    return initialised ? glfwGetTime() : 0.0;
}

int width() {
    int w = 0;
    if (theWindow != nullptr) glfwGetWindowSize(theWindow, &w, nullptr);
    return w;
}

int height() {
    int h = 0;
    if (theWindow != nullptr) glfwGetWindowSize(theWindow, nullptr, &h);
    return h;
}

GLFWwindow* handle() {
    return theWindow;
}

void terminate() {
    if (theWindow != nullptr) glfwDestroyWindow(theWindow);
    theWindow = nullptr;
    if (initialised) glfwTerminate();
    initialised = false;
    layoutKeysFilled = false;
    keyCallback = nullptr;
    mouseButtonCallback = nullptr;
    positionCallback = nullptr;
    closeCallback = nullptr;
    pendingException = nullptr;
}

}  // namespace VX3D::window
