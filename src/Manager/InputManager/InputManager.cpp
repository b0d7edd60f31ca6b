#include "Manager/InputManager/InputManager.h"

#include "Window/Window.h"

#include <iostream>
#include <stdexcept>

namespace VX3D {
namespace {

InputManager* currentInstance = nullptr;
std::uint64_t nextInstanceId = 1;

const char* const subscriptError = "invalid vector<bool> subscript";
const char* const invalidTokenWarning = "WARNING: ignoring unregistering of invalid token";

void checkCode(int code) {
    if (code < 0 || code >= InputManager::codeCount) throw std::out_of_range(subscriptError);
}

// The window layer calls plain functions; they reach whichever manager lives now.
void forwardKeyOrButton(int code, int action) {
    if (currentInstance != nullptr) currentInstance->onKeyOrButton(code, action);
}

void forwardMousePosition(int x, int y) {
    if (currentInstance != nullptr) currentInstance->onMousePosition(x, y);
}

}  // namespace

InputManager::InputManager(int windowWidth, int windowHeight)
    : windowWidth_(windowWidth), windowHeight_(windowHeight), instanceId_(nextInstanceId) {
    if (currentInstance != nullptr)
        throw std::logic_error("only one instance of inputstate is allowed to exist");
    ++nextInstanceId;
    currentInstance = this;
    resetFrame();
    if (window::isInitialised() && window::isOpen()) {
        window::setKeyCallback(&forwardKeyOrButton);
        window::setMouseButtonCallback(&forwardKeyOrButton);
        // Reports the cursor once at once, so currentMouse starts at the real position.
        window::setMousePositionCallback(&forwardMousePosition);
        // That first report is where the cursor is, not a movement: counted as one, a drag
        // with the right button in the first frame would spin the camera by the whole cursor
        // position.
        previousMouse_ = currentMouse_;
        frameMovement_ = {0, 0};
    }
}

InputManager::~InputManager() {
    if (currentInstance == this) currentInstance = nullptr;
}

InputManager* InputManager::current() {
    return currentInstance;
}

InputManager::KeyTable& InputManager::keyTable(int type, const char* message) {
    switch (type) {
        case pressAction:
            return pressActions_;
        case releaseAction:
            return releaseActions_;
        case changeAction:
            return changeActions_;
        default:
            throw std::logic_error(message);
    }
}

const InputManager::KeyTable* InputManager::keyTableOrNull(int type) const {
    switch (type) {
        case pressAction:
            return &pressActions_;
        case releaseAction:
            return &releaseActions_;
        case changeAction:
            return &changeActions_;
        default:
            return nullptr;
    }
}

std::shared_ptr<CallbackKBToken> InputManager::registerKeyAction(int type, int code,
                                                                 KeyCallback callback,
                                                                 std::string description) {
    auto& list = keyTable(type, "wrong kb action type")[code];
    list.push_back({std::move(callback), std::move(description), true});
    auto token = std::make_shared<CallbackKBToken>();
    token->code = code;
    token->type = type;
    token->valid = true;
    token->position = std::prev(list.end());
    token->manager = instanceId_;
    return token;
}

std::shared_ptr<CallbackMouseToken> InputManager::registerMouseMovement(MouseCallback callback,
                                                                        std::string description) {
    relativeMovements_.push_back({std::move(callback), std::move(description), true});
    auto token = std::make_shared<CallbackMouseToken>();
    token->type = relativeMovement;
    token->valid = true;
    token->position = std::prev(relativeMovements_.end());
    token->manager = instanceId_;
    return token;
}

void InputManager::unregisterKeyAction(const std::shared_ptr<CallbackKBToken>& token) {
    // A token of another (earlier) manager points into tables that are gone.
    if (!token || !token->valid || token->manager != instanceId_) {
        std::cout << invalidTokenWarning << std::endl;
        return;
    }
    auto& list = keyTable(token->type, "wrong kb action type in unregister callback")[token->code];
    if (dispatchDepth_ > 0) {
        token->position->alive = false;
        deadKeys_.emplace_back(&list, token->position);
    } else {
        list.erase(token->position);
    }
    token->valid = false;
}

void InputManager::unregisterMouseMovement(const std::shared_ptr<CallbackMouseToken>& token) {
    if (!token || !token->valid || token->manager != instanceId_) {
        std::cout << invalidTokenWarning << std::endl;
        return;
    }
    std::list<detail::MouseEntry>* list = nullptr;
    if (token->type == relativeMovement)
        list = &relativeMovements_;
    else if (token->type == absoluteMovement)
        list = &absoluteMovements_;
    else
        throw std::logic_error("wrong mouse action type in unregister callback");
    if (dispatchDepth_ > 0) {
        token->position->alive = false;
        deadMice_.emplace_back(list, token->position);
    } else {
        list->erase(token->position);
    }
    token->valid = false;
}

void InputManager::runKeyList(KeyTable& table, int code) {
    const auto found = table.find(code);
    if (found == table.end()) return;
    auto& list = found->second;
    if (list.empty()) return;
    // Entries a callback registers now belong to the next event, not to this one.
    const auto last = std::prev(list.end());
    ++dispatchDepth_;
    try {
        for (auto it = list.begin();; ++it) {
            if (it->alive && it->callback) it->callback();
            if (it == last) break;
        }
    } catch (...) {
        --dispatchDepth_;
        sweep();
        throw;
    }
    --dispatchDepth_;
    sweep();
}

void InputManager::runMouseList(std::list<detail::MouseEntry>& list, glm::ivec2 value) {
    if (list.empty()) return;
    const auto last = std::prev(list.end());
    ++dispatchDepth_;
    try {
        for (auto it = list.begin();; ++it) {
            if (it->alive && it->callback) it->callback(value);
            if (it == last) break;
        }
    } catch (...) {
        --dispatchDepth_;
        sweep();
        throw;
    }
    --dispatchDepth_;
    sweep();
}

void InputManager::sweep() {
    if (dispatchDepth_ > 0) return;
    for (auto& [list, it] : deadKeys_) list->erase(it);
    for (auto& [list, it] : deadMice_) list->erase(it);
    deadKeys_.clear();
    deadMice_.clear();
}

void InputManager::onKeyOrButton(int code, int action) {
    checkCode(code);
    if (action == 1) {
        down_.set(static_cast<std::size_t>(code));
        pressedThisFrame_.set(static_cast<std::size_t>(code));
        runKeyList(pressActions_, code);
    } else {
        down_.reset(static_cast<std::size_t>(code));
        releasedThisFrame_.set(static_cast<std::size_t>(code));
        runKeyList(releaseActions_, code);
    }
    runKeyList(changeActions_, code);
}

void InputManager::onMousePosition(int x, int y) {
    previousMouse_ = currentMouse_;
    currentMouse_ = {x, y};
    const glm::ivec2 change = currentMouse_ - previousMouse_;
    frameMovement_ += change;
    runMouseList(absoluteMovements_, currentMouse_);
    runMouseList(relativeMovements_, change);
}

bool InputManager::wasPressedThisFrame(int code) const {
    checkCode(code);
    return pressedThisFrame_.test(static_cast<std::size_t>(code));
}

bool InputManager::isDown(int code) const {
    checkCode(code);
    return down_.test(static_cast<std::size_t>(code));
}

bool InputManager::wasReleasedThisFrame(int code) const {
    checkCode(code);
    return releasedThisFrame_.test(static_cast<std::size_t>(code));
}

std::vector<std::string> InputManager::keyActionDescriptions(int type, int code) const {
    std::vector<std::string> descriptions;
    const KeyTable* table = keyTableOrNull(type);
    if (table == nullptr) return descriptions;
    const auto found = table->find(code);
    if (found == table->end()) return descriptions;
    for (const auto& entry : found->second)
        if (entry.alive) descriptions.push_back(entry.description);
    return descriptions;
}

std::vector<std::string> InputManager::mouseMovementDescriptions(int type) const {
    std::vector<std::string> descriptions;
    const auto& list = type == relativeMovement ? relativeMovements_ : absoluteMovements_;
    for (const auto& entry : list)
        if (entry.alive) descriptions.push_back(entry.description);
    return descriptions;
}

void InputManager::resetFrame() {
    pressedThisFrame_.reset();
    releasedThisFrame_.reset();
    previousMouse_ = currentMouse_;
    frameMovement_ = {0, 0};
}

ScreenRay InputManager::screenRay(const glm::mat4& viewProjection) const {
    const float w = static_cast<float>(windowWidth_);
    const float h = static_cast<float>(windowHeight_);
    const float u = 2.0f * static_cast<float>(currentMouse_.x) / w - 1.0f;
    const float v = 2.0f * (h - static_cast<float>(currentMouse_.y)) / h - 1.0f;
    const glm::mat4 inverse = glm::inverse(viewProjection);
    glm::vec4 nearPoint = inverse * glm::vec4(u, v, 0.0f, 1.0f);
    nearPoint /= nearPoint.w;
    glm::vec4 farPoint = inverse * glm::vec4(u, v, 1.0f, 1.0f);
    farPoint /= farPoint.w;
    const glm::vec4 span = farPoint - nearPoint;
    const float length = glm::length(span);
    return {nearPoint, span / length, length};
}

glm::vec4 InputManager::intersectPlane(const glm::mat4& viewProjection, const glm::vec4& p,
                                       const glm::vec4& a, const glm::vec4& b) const {
    const ScreenRay ray = screenRay(viewProjection);
    const glm::mat3 system(-glm::vec3(ray.direction), glm::vec3(a - p), glm::vec3(b - p));
    const glm::vec3 solution = glm::inverse(system) * glm::vec3(ray.origin - p);
    return ray.origin + solution.x * ray.direction;
}

void detail::reportWithdrawFailure(const char* holder, const std::exception& e) {
    std::cerr << "Caught exception in " << holder << " Destructor: " << e.what() << "\n";
}

}  // namespace VX3D
