#pragma once
// The process-wide texture cache of the model loader. Models that name the same
// texture file (with the same unit and blend factor) share one texture object.
//
// Paths compare equal character by character with '\' and '/' counted as the same
// character, so a model written on Windows and one written elsewhere still share.
// Every equality test prints "texopt cmp 1" or "texopt cmp 0". The hash treats the
// two separators alike as well, so keys that compare equal always meet in one bucket.
//
// Entries are reference-counted through the textures' handles: once no model holds
// a texture any more, the next cache operation drops it.
#include "Texture/Texture.h"

#include <GL/glew.h>

#include <cstddef>
#include <string>

namespace GLutil {

struct TextureOpt {
    std::string path;
    GLint unit = 0;
    float blend = 1.0f;
};

bool operator==(const TextureOpt& a, const TextureOpt& b);

struct TextureOptHash {
    std::size_t operator()(const TextureOpt& key) const;
};

class TextureCache {
public:
    // The cached texture for the key, loading it (GLutil::Texture) when there is none, from the
    // path with every '\' turned into '/'.
    // A file that fails to load throws the texture's std::logic_error; nothing is cached.
    static Texture get(const TextureOpt& key);
    // Number of textures still held (after dropping the unused ones).
    static std::size_t size();
    // Drops the textures that no model holds any more.
    static void sweep();
};

}  // namespace GLutil
