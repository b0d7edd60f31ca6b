#include "Shader/ShaderStore.h"

#include "Shader/ShaderProgram.h"

#include <iostream>
#include <unordered_map>

namespace GLutil::ShaderStore {

namespace {

std::unordered_map<std::string, std::shared_ptr<Shader>>& shaders() {
    static std::unordered_map<std::string, std::shared_ptr<Shader>> store;
    return store;
}

std::unordered_map<std::string, std::weak_ptr<ShaderProgram>>& programs() {
    static std::unordered_map<std::string, std::weak_ptr<ShaderProgram>> store;
    return store;
}

}  // namespace

std::shared_ptr<ShaderProgram> sharedProgram(
    const std::string& name, const std::function<std::shared_ptr<ShaderProgram>()>& make) {
    auto& store = programs();
    if (const auto found = store.find(name); found != store.end())
        if (auto program = found->second.lock()) return program;
    auto program = make();
    store[name] = program;
    return program;
}

std::shared_ptr<Shader> getShader(const std::string& path) {
    auto& store = shaders();
    if (const auto found = store.find(path); found != store.end()) {
        return found->second;
    }
    // Built before it is stored, so a failing build leaves no entry behind.
    auto shader = std::make_shared<Shader>(path);
    store.emplace(path, shader);
    return shader;
}

void purge() {
    auto& store = shaders();
    std::cout << "Purging ShaderStore knowledge of " << store.size() << " shaders\n";
    store.clear();
}

std::size_t size() {
    return shaders().size();
}

}  // namespace GLutil::ShaderStore
