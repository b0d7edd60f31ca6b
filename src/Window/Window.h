#pragma once
// The program's one window, over GLFW 3.
//
// The game was designed around a single-window library with a global window, automatic event
// processing inside the buffer swap, sticky keys and a close callback whose result decides
// whether the window closes. This layer gives exactly those semantics, and delivers keys and
// mouse buttons in the game's own code space 0..325: mouse buttons from 0, printable keys as
// the upper-case character they carry on the active keyboard layout (so the key labelled Y
// is 'Y' on a German keyboard too), special keys from 256 (Escape 257, F1 258 .. F12 269,
// left Shift 287, Tab 293, the last code 325 for the menu key).
#include <functional>
#include <string>

struct GLFWwindow;

namespace VX3D::window {

// The number of distinct codes keys and mouse buttons are delivered in.
inline constexpr int codeCount = 326;

// Codes of the special keys (printable keys are their upper-case character).
namespace key {
inline constexpr int space = 32;
inline constexpr int special = 256;
inline constexpr int escape = 257;
inline constexpr int f1 = 258;  // F1 .. F25 are 258 .. 282
inline constexpr int up = 283;
inline constexpr int down = 284;
inline constexpr int left = 285;
inline constexpr int right = 286;
inline constexpr int leftShift = 287;
inline constexpr int rightShift = 288;
inline constexpr int leftControl = 289;
inline constexpr int rightControl = 290;
inline constexpr int leftAlt = 291;
inline constexpr int rightAlt = 292;
inline constexpr int tab = 293;
inline constexpr int enter = 294;
inline constexpr int backspace = 295;
inline constexpr int insert = 296;
inline constexpr int del = 297;
inline constexpr int pageUp = 298;
inline constexpr int pageDown = 299;
inline constexpr int home = 300;
inline constexpr int end = 301;
inline constexpr int keypad0 = 302;  // keypad 0 .. 9 are 302 .. 311
inline constexpr int keypadDivide = 312;
inline constexpr int keypadMultiply = 313;
inline constexpr int keypadSubtract = 314;
inline constexpr int keypadAdd = 315;
inline constexpr int keypadDecimal = 316;
inline constexpr int keypadEqual = 317;
inline constexpr int keypadEnter = 318;
inline constexpr int numLock = 319;
inline constexpr int capsLock = 320;
inline constexpr int scrollLock = 321;
inline constexpr int pause = 322;
inline constexpr int leftSuper = 323;
inline constexpr int rightSuper = 324;
inline constexpr int menu = 325;
}  // namespace key

// Actions delivered with a key or mouse-button event.
inline constexpr int release = 0;
inline constexpr int press = 1;

// The game's code for a GLFW 3 key by its position (a printable key as its character on a US
// keyboard), or -1 for a key the game has no code for.
int codeForGlfwKey(int glfwKey);
// The GLFW 3 key at the US position of a game code, or -1 when no GLFW 3 key carries it.
int glfwKeyForCode(int code);
// The game's code for a key's character as the layout names it (UTF-8, as glfwGetKeyName
// gives it): one Latin-1 character, upper-cased, from 33 on; -1 for anything else (no name,
// several characters, a control character, a character beyond Latin-1).
int codeForKeyName(const char* name);
// The game's code for a key on the active layout: its layout character where codeForKeyName
// gives one, else its position code. Needs the library initialised for printable keys.
int codeForKey(int glfwKey, int scancode);

struct WindowSettings {
    int width = 640;
    int height = 480;
    bool fullscreen = false;
};

using KeyCallback = void (*)(int code, int action);
using PositionCallback = void (*)(int x, int y);
// Returns whether the window may close; false keeps it open (the program closes it itself).
using CloseCallback = std::function<bool()>;

// Initialises the window library and enables sticky keys for the window to come. Returns false
// when the library cannot start (no display); the program then has no window at all.
bool initialise();
bool isInitialised();

// Opens the window: OpenGL 4.0 compatibility profile, not resizable, default colour bits,
// 24 depth and 8 stencil bits, windowed or fullscreen on the primary monitor. Makes its context
// current. Returns false when the window cannot be opened.
bool openWindow(const WindowSettings& settings);
bool isOpen();

void setTitle(const std::string& title);
void setCloseCallback(CloseCallback callback);
// A visible cursor that moves freely (not captured by the window).
void enableMouseCursor();

// Keys and mouse buttons both arrive in the code space above; key repeats are not delivered,
// and keys without a code are dropped.
void setKeyCallback(KeyCallback callback);
void setMouseButtonCallback(KeyCallback callback);
// Reports the current cursor position once at once, then every movement, in window pixels
// with y downwards.
void setMousePositionCallback(PositionCallback callback);

// Whether the key is down now or was pressed since the last test of it (sticky keys: a press
// already released still counts once, and this test consumes it). A printable code is the
// key that carries the character on the active layout.
bool keyPressed(int code);

// Shows the frame and then processes the pending window events, so that every input callback
// runs inside this call.
void swapBuffers();
// Processes pending window events without a swap.
void pollEvents();

// Seconds since the library was initialised.
double time();

// Window size in pixels as the window system reports it.
int width();
int height();

// The GLFW window underneath, for tests and diagnostics; nullptr when none is open.
GLFWwindow* handle();

// Closes the window and shuts the library down; safe to call when nothing is open.
void terminate();

}  // namespace VX3D::window
