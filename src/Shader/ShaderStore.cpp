#include "Shader/ShaderStore.h"

#include <iostream>
#include <unordered_map>

namespace GLutil::ShaderStore {

namespace {

std::unordered_map<std::string, std::shared_ptr<Shader>>& shaders() {
    static std::unordered_map<std::string, std::shared_ptr<Shader>> store;
    return store;
}

}  // namespace

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
