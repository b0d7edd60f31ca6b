#include "Drawables/SceneObject/TextureCache.h"

#include <functional>
#include <iostream>
#include <mutex>
#include <unordered_map>

namespace GLutil {
namespace {

char canonical(char c) {
    return c == '\\' ? '/' : c;
}

struct Store {
    std::mutex lock;
    std::unordered_map<TextureOpt, Texture, TextureOptHash> textures;
};

Store& store() {
    static Store s;
    return s;
}

void sweepLocked(Store& s) {
    for (auto it = s.textures.begin(); it != s.textures.end();) {
        if (!it->second.handle() || it->second.handle().use_count() <= 1)
            it = s.textures.erase(it);
        else
            ++it;
    }
}

}  // namespace

bool operator==(const TextureOpt& a, const TextureOpt& b) {
    bool equal = a.unit == b.unit && a.blend == b.blend && a.path.size() == b.path.size();
    for (std::size_t i = 0; equal && i < a.path.size(); ++i)
        equal = canonical(a.path[i]) == canonical(b.path[i]);
    std::cout << "texopt cmp " << (equal ? 1 : 0) << "\n";
    return equal;
}

std::size_t TextureOptHash::operator()(const TextureOpt& key) const {
    std::size_t h = 1469598103934665603ull;
    auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
    for (char c : key.path) mix(static_cast<unsigned char>(canonical(c)));
    mix(std::hash<GLint>{}(key.unit));
    mix(std::hash<float>{}(key.blend));
    return h;
}

Texture TextureCache::get(const TextureOpt& key) {
    Store& s = store();
    std::lock_guard<std::mutex> guard(s.lock);
    sweepLocked(s);
    const auto found = s.textures.find(key);
    if (found != s.textures.end()) return found->second;
    // The key already counts '\\' and '/' alike; the file must be found the same way, or a
    // model written on Windows loads only after one naming the same file with '/'.
    std::string path = key.path;
    for (char& c : path) c = canonical(c);
    Texture texture(path, key.unit);
    s.textures.emplace(key, texture);
    return texture;
}

std::size_t TextureCache::size() {
    Store& s = store();
    std::lock_guard<std::mutex> guard(s.lock);
    sweepLocked(s);
    return s.textures.size();
}

void TextureCache::sweep() {
    Store& s = store();
    std::lock_guard<std::mutex> guard(s.lock);
    sweepLocked(s);
}

}  // namespace GLutil
