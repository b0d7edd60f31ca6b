#pragma once
// The single registry of keyboard, mouse-button and mouse-movement input.
//
// The window layer delivers its events to plain functions that forward to the one live
// manager. Client code registers named callbacks on a code (keys and mouse buttons share the
// codes 0..325) and gets a token back by which the registration is withdrawn; the holders below
// withdraw it when they are destroyed. For code that polls, the manager also keeps which codes
// went down or up during the current frame and how far the cursor moved.
#include <glm/glm.hpp>

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace VX3D {

class InputManager;

namespace detail {
struct KeyEntry {
    std::function<void()> callback;
    std::string description;
    bool alive = true;  // false once withdrawn while its list was being dispatched
};
struct MouseEntry {
    std::function<void(glm::ivec2)> callback;
    std::string description;
    bool alive = true;
};
}  // namespace detail

// A key or mouse-button registration: code, action type (0 press, 1 release, 2 change),
// whether it still stands, and where its entry is.
struct CallbackKBToken {
    int code = 0;
    int type = 0;
    bool valid = false;
    std::list<detail::KeyEntry>::iterator position;
    std::uint64_t manager = 0;  // the manager instance the entry lives in
};

// A mouse-movement registration: type 0 relative, 1 absolute.
struct CallbackMouseToken {
    int type = 0;
    bool valid = false;
    std::list<detail::MouseEntry>::iterator position;
    std::uint64_t manager = 0;
};

// The cursor's picking ray: origin (w = 1), unit direction (w = 0) and the distance from the
// near to the far plane along it.
struct ScreenRay {
    glm::vec4 origin;
    glm::vec4 direction;
    float length;
};

class InputManager {
public:
    using KeyCallback = std::function<void()>;
    using MouseCallback = std::function<void(glm::ivec2)>;

    static constexpr int codeCount = 326;
    static constexpr int pressAction = 0;
    static constexpr int releaseAction = 1;
    static constexpr int changeAction = 2;
    static constexpr int relativeMovement = 0;
    static constexpr int absoluteMovement = 1;

    // Raises std::logic_error while another manager lives. Installs the window's input
    // callbacks when a window is open.
    InputManager(int windowWidth, int windowHeight);
    ~InputManager();
    InputManager(const InputManager&) = delete;
    InputManager& operator=(const InputManager&) = delete;

    // The live manager, or nullptr.
    static InputManager* current();

    std::shared_ptr<CallbackKBToken> registerKeyAction(int type, int code, KeyCallback callback,
                                                       std::string description);
    std::shared_ptr<CallbackMouseToken> registerMouseMovement(MouseCallback callback,
                                                              std::string description);
    void unregisterKeyAction(const std::shared_ptr<CallbackKBToken>& token);
    void unregisterMouseMovement(const std::shared_ptr<CallbackMouseToken>& token);

    // Events, as the window layer delivers them: action 1 is a press, anything else a release.
    void onKeyOrButton(int code, int action);
    void onMousePosition(int x, int y);

    bool wasPressedThisFrame(int code) const;
    bool wasReleasedThisFrame(int code) const;
    // Whether the code went down in an event of this manager and has not come up since (the
    // camera turns while the right mouse button is held).
    bool isDown(int code) const;
    glm::ivec2 frameMouseMovement() const { return frameMovement_; }
    glm::ivec2 currentMouse() const { return currentMouse_; }
    glm::ivec2 previousMouse() const { return previousMouse_; }
    int windowWidth() const { return windowWidth_; }
    int windowHeight() const { return windowHeight_; }

    // The descriptions registered for a code and type, in registration order.
    std::vector<std::string> keyActionDescriptions(int type, int code) const;
    std::vector<std::string> mouseMovementDescriptions(int type) const;

    // Clears the frame's bits and movement; called once per frame before the buffer swap.
    void resetFrame();

    // Picking through the current cursor position with the given view-projection matrix.
    ScreenRay screenRay(const glm::mat4& viewProjection) const;
    // Where the cursor's ray meets the plane through p, a and b (w of the result is 1).
    glm::vec4 intersectPlane(const glm::mat4& viewProjection, const glm::vec4& p,
                             const glm::vec4& a, const glm::vec4& b) const;

    std::uint64_t instanceId() const { return instanceId_; }

private:
    using KeyTable = std::unordered_map<int, std::list<detail::KeyEntry>>;

    KeyTable& keyTable(int type, const char* message);
    const KeyTable* keyTableOrNull(int type) const;
    void runKeyList(KeyTable& table, int code);
    void runMouseList(std::list<detail::MouseEntry>& list, glm::ivec2 value);
    void sweep();

    int windowWidth_;
    int windowHeight_;
    glm::ivec2 previousMouse_{0, 0};
    glm::ivec2 currentMouse_{0, 0};
    glm::ivec2 frameMovement_{0, 0};
    std::bitset<codeCount> pressedThisFrame_;
    std::bitset<codeCount> releasedThisFrame_;
    std::bitset<codeCount> down_;
    KeyTable pressActions_;
    KeyTable releaseActions_;
    KeyTable changeActions_;
    std::list<detail::MouseEntry> relativeMovements_;
    std::list<detail::MouseEntry> absoluteMovements_;

    // Entries withdrawn while callbacks run are marked dead at once and erased afterwards, so
    // a callback may withdraw itself or another registration of the same event.
    int dispatchDepth_ = 0;
    std::vector<std::pair<std::list<detail::KeyEntry>*, std::list<detail::KeyEntry>::iterator>>
        deadKeys_;
    std::vector<std::pair<std::list<detail::MouseEntry>*, std::list<detail::MouseEntry>::iterator>>
        deadMice_;

    std::uint64_t instanceId_;
};

namespace detail {

// How each kind of registration is withdrawn, and the holder's name in its error line.
template <typename Token>
struct RegistrationKind;

template <>
struct RegistrationKind<CallbackKBToken> {
    static constexpr const char* name = "KeyActionRegistration";
    static void withdraw(InputManager& manager, const std::shared_ptr<CallbackKBToken>& token) {
        manager.unregisterKeyAction(token);
    }
};

template <>
struct RegistrationKind<CallbackMouseToken> {
    static constexpr const char* name = "MouseMovementRegistration";
    static void withdraw(InputManager& manager, const std::shared_ptr<CallbackMouseToken>& token) {
        manager.unregisterMouseMovement(token);
    }
};

// "Caught exception in <holder> Destructor: <what>" on the error stream.
void reportWithdrawFailure(const char* holder, const std::exception& e);

}  // namespace detail

// Owns one registration: destroying the holder withdraws it. A holder that outlives its
// manager does nothing (the manager's tables went with it). Movable, not copyable.
template <typename Token>
class Registration {
public:
    Registration() = default;
    Registration(InputManager* manager, std::shared_ptr<Token> token)
        : manager_(manager), token_(std::move(token)) {}
    ~Registration() { reset(); }
    Registration(Registration&& other) noexcept
        : manager_(std::exchange(other.manager_, nullptr)), token_(std::move(other.token_)) {}
    Registration& operator=(Registration&& other) noexcept {
        if (this != &other) {
            reset();
            manager_ = std::exchange(other.manager_, nullptr);
            token_ = std::move(other.token_);
        }
        return *this;
    }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

    const std::shared_ptr<Token>& token() const { return token_; }

    void reset() noexcept {
        // Only the manager that made the token can still hold its entry.
        if (manager_ != nullptr && token_ && token_->valid && InputManager::current() == manager_ &&
            manager_->instanceId() == token_->manager) {
            try {
                detail::RegistrationKind<Token>::withdraw(*manager_, token_);
            } catch (const std::exception& e) {
                detail::reportWithdrawFailure(detail::RegistrationKind<Token>::name, e);
            }
        }
        manager_ = nullptr;
        token_.reset();
    }

private:
    InputManager* manager_ = nullptr;
    std::shared_ptr<Token> token_;
};

using KeyActionRegistration = Registration<CallbackKBToken>;
using MouseMovementRegistration = Registration<CallbackMouseToken>;

}  // namespace VX3D
