#include "Drawables/SceneObject/SceneObject.h"

#include "Shader/CheckPoint.h"
#include "Veltrix3D/RenderState.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <iostream>
#include <stdexcept>

namespace GLutil::drawableObjects {
namespace {

// Post-processing by file extension (case-sensitive): COLLADA files come from tools
// with the other handedness and need the full clean-up; Wavefront files get their
// vertices joined and their graph flattened.
unsigned stepsFor(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const std::string ext = dot == std::string::npos ? std::string() : path.substr(dot);
    if (ext == ".DAE")
        return aiProcess_CalcTangentSpace | aiProcess_ConvertToLeftHanded | aiProcess_Triangulate |
               aiProcess_GenSmoothNormals | aiProcess_ValidateDataStructure |
               aiProcess_ImproveCacheLocality | aiProcess_FixInfacingNormals |
               aiProcess_FindInvalidData | aiProcess_GenUVCoords | aiProcess_FindInstances;
    if (ext == ".obj")
        return aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices |
               aiProcess_Triangulate | aiProcess_GenSmoothNormals |
               aiProcess_ValidateDataStructure | aiProcess_ImproveCacheLocality |
               aiProcess_FixInfacingNormals | aiProcess_FindDegenerates | aiProcess_GenUVCoords |
               aiProcess_FindInstances | aiProcess_OptimizeGraph;
    return aiProcess_CalcTangentSpace | aiProcess_Triangulate | aiProcess_GenSmoothNormals |
           aiProcess_GenUVCoords;
}

// Assimp matrices are row-major; glm's are column-major.
glm::mat4 toGlm(const aiMatrix4x4& m) {
    return glm::transpose(glm::make_mat4(&m.a1));
}

glm::vec4 colourOr(const aiMaterial& mat, const char* key, unsigned type, unsigned index) {
    aiColor4D c(0.0f, 0.0f, 0.0f, 1.0f);
    if (mat.Get(key, type, index, c) != AI_SUCCESS) c = aiColor4D(0.0f, 0.0f, 0.0f, 1.0f);
    return {c.r, c.g, c.b, 1.0f};
}

// Maps clip space -1..1 to texture space 0..1 for the shadow-map lookup.
const glm::mat4 kShadowBias =
    glm::translate(glm::mat4(1.0f), glm::vec3(0.5f)) * glm::scale(glm::mat4(1.0f), glm::vec3(0.5f));

void setMat4(const ShaderProgram& p, const char* name, const glm::mat4& m) {
    glUniformMatrix4fv(p.uniformLocation(name), 1, GL_FALSE, glm::value_ptr(m));
}
void setVec4(const ShaderProgram& p, const char* name, const glm::vec4& v) {
    glUniform4fv(p.uniformLocation(name), 1, glm::value_ptr(v));
}
void setVec3(const ShaderProgram& p, const char* name, const glm::vec3& v) {
    glUniform3fv(p.uniformLocation(name), 1, glm::value_ptr(v));
}
void setInt(const ShaderProgram& p, const char* name, GLint v) {
    glUniform1i(p.uniformLocation(name), v);
}

void unbindUnit(GLint unit) {
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
    glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace

SceneObject::SceneObject(const SceneObjectOpt& opts) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(opts.path, stepsFor(opts.path));
    const std::string error = importer.GetErrorString();
    std::cout << "Import result: " << (error.empty() ? std::string("No Error") : error) << "\n";
    if (!scene || !scene->mRootNode) {
        std::cout << "Assimp importer could not read file: " << opts.path << "\n";
        return;
    }
    options = std::make_shared<SceneObjectOpt>(opts);
    const aiNode* top = scene->mRootNode;
    if (top->mNumChildren > 0) {
        top = top->mChildren[0];
    } else {
        std::cout << "SceneObject: root hat keine Kinder!\n";
    }
    readNode(*scene, *top, opts.placement, opts.path);
    hasMesh = true;
    placement = opts.placement;
    widenByChildren();
    valid_ = true;
}

SceneObject::SceneObject(const aiScene& scene, const aiNode& node, const glm::mat4& boxPlacement,
                         const std::string& modelPath) {
    readNode(scene, node, boxPlacement, modelPath);
    hasMesh = node.mNumMeshes > 0;
    valid_ = true;
}

SceneObject::~SceneObject() {
    // The root lets go of its tree's textures first, so the cache can drop those
    // that no other model shares.
    if (options) {
        releaseTextures();
        TextureCache::sweep();
    }
}

void SceneObject::releaseTextures() {
    texture = Texture();
    for (SceneObject& c : children) c.releaseTextures();
}

void SceneObject::readNode(const aiScene& scene, const aiNode& node, const glm::mat4& boxPlacement,
                           const std::string& modelPath) {
    name = node.mName.C_Str();
    localTransform = toGlm(node.mTransformation);
    if (node.mNumMeshes > 0) {
        const aiMesh& m = *scene.mMeshes[node.mMeshes[0]];
        readMesh(m, boxPlacement);
        if (scene.mNumMaterials > m.mMaterialIndex)
            readMaterial(scene, m.mMaterialIndex, modelPath);
    }
    for (unsigned a = 0; a < scene.mNumAnimations; ++a) {
        const aiAnimation& anim = *scene.mAnimations[a];
        // Key times are ticks; the clips are laid out in the file's own time units.
        const double ticks = anim.mTicksPerSecond > 0.0 ? anim.mTicksPerSecond : 1.0;
        for (unsigned c = 0; c < anim.mNumChannels; ++c) {
            const aiNodeAnim& ch = *anim.mChannels[c];
            if (name != ch.mNodeName.C_Str()) continue;
            AnimationChannel channel;
            for (unsigned k = 0; k < ch.mNumPositionKeys; ++k) {
                const aiVector3D& v = ch.mPositionKeys[k].mValue;
                channel.translations[ch.mPositionKeys[k].mTime / ticks] = {v.x, v.y, v.z};
            }
            for (unsigned k = 0; k < ch.mNumRotationKeys; ++k) {
                const aiQuaternion& q = ch.mRotationKeys[k].mValue;
                channel.rotations[ch.mRotationKeys[k].mTime / ticks] =
                    glm::quat(q.w, q.x, q.y, q.z);
            }
            for (unsigned k = 0; k < ch.mNumScalingKeys; ++k) {
                const aiVector3D& v = ch.mScalingKeys[k].mValue;
                channel.scalings[ch.mScalingKeys[k].mTime / ticks] = {v.x, v.y, v.z};
            }
            channels.push_back(std::move(channel));
        }
    }
    children.reserve(node.mNumChildren);
    for (unsigned i = 0; i < node.mNumChildren; ++i)
        children.push_back(SceneObject(scene, *node.mChildren[i], boxPlacement, modelPath));
}

MeshReadResult SceneObject::readMesh(const aiMesh& m, const glm::mat4& boxPlacement) {
    std::cout << "Load mesh from " << name << "\n";
    std::cout << "Number of vertices: " << m.mNumVertices << "\n";
    MeshReadResult result;
    result.vertices = m.mNumVertices;
    const bool hasNormals = m.mNormals != nullptr;
    const bool hasUV = m.HasTextureCoords(0);
    for (unsigned i = 0; i < m.mNumVertices; ++i) {
        const aiVector3D& v = m.mVertices[i];
        positions.emplace_back(v.x, v.y, v.z);
        const glm::vec4 p = boxPlacement * glm::vec4(v.x, v.y, v.z, 1.0f);
        const glm::vec3 q = glm::vec3(p) / p.w;
        bbMax = glm::max(bbMax, q);
        bbMin = glm::min(bbMin, q);
        if (hasNormals) normals.emplace_back(m.mNormals[i].x, m.mNormals[i].y, m.mNormals[i].z);
        if (hasUV) texCoords.emplace_back(m.mTextureCoords[0][i].x, m.mTextureCoords[0][i].y);
    }
    for (unsigned f = 0; f < m.mNumFaces; ++f) {
        const aiFace& face = m.mFaces[f];
        if (face.mNumIndices > 3) std::cout << "Damn dieses face ist kein Dreieck!\n";
        if (face.mNumIndices >= 3) {
            indices.insert(indices.end(), {face.mIndices[0], face.mIndices[1], face.mIndices[2]});
        } else {
            ++result.errorFaces;
        }
    }
    std::cout << "Loading " << m.mName.C_Str() << "finished with " << result.errorFaces
              << " Errorfaces.\n";
    return result;
}

void SceneObject::readMaterial(const aiScene& scene, unsigned materialIndex,
                               const std::string& modelPath) {
    const aiMaterial& mat = *scene.mMaterials[materialIndex];
    aiString matName;
    mat.Get(AI_MATKEY_NAME, matName);
    std::cout << "Material " << matName.C_Str() << " in process.\n";
    material.ambient = colourOr(mat, AI_MATKEY_COLOR_AMBIENT);
    material.diffuse = colourOr(mat, AI_MATKEY_COLOR_DIFFUSE);
    material.specular = colourOr(mat, AI_MATKEY_COLOR_SPECULAR);
    float shininess = 0.0f;
    if (mat.Get(AI_MATKEY_SHININESS, shininess) != AI_SUCCESS) shininess = 0.0f;
    material.shininess = shininess;
    if (mat.GetTextureCount(aiTextureType_DIFFUSE) > 0) {
        aiString file;
        mat.Get(AI_MATKEY_TEXTURE_DIFFUSE(0), file);
        float blend = 1.0f;
        if (mat.Get(AI_MATKEY_TEXBLEND_DIFFUSE(0), blend) != AI_SUCCESS) blend = 1.0f;
        try {
            texture = TextureCache::get(TextureOpt{file.C_Str(), 0, blend});
        } catch (const std::logic_error& e) {
            // Say which model and material named the file, so the broken resource is found.
            throw std::logic_error(std::string(e.what()) + ", the diffuse texture of material " +
                                   matName.C_Str() + " in model " + modelPath);
        }
    }
}

void SceneObject::widenByChildren() {
    for (SceneObject& c : children) {
        c.widenByChildren();
        bbMax = glm::max(bbMax, c.bbMax);
        bbMin = glm::min(bbMin, c.bbMin);
    }
}

void SceneObject::genVAO(GLuint positionSlot, GLuint normalSlot, GLuint uvSlot) {
    if (hasMesh && !positions.empty() && !mesh) {
        mesh = std::make_shared<DrawableVAO>();
        mesh->mode = GL_PATCHES;
        mesh->addBuffer(static_cast<GLint>(positionSlot), positions);
        // A mesh without normals still gets a buffer of the right size, so the
        // element counts agree; the shaders fall back to the face normal.
        mesh->addBuffer(static_cast<GLint>(normalSlot),
                        normals.size() == positions.size()
                            ? normals
                            : std::vector<glm::vec3>(positions.size()));
        if (!texCoords.empty()) mesh->addBuffer(static_cast<GLint>(uvSlot), texCoords);
        mesh->setIndices(indices);
        // The buffers hold them now. The positions stay: bounding boxes are measured from them.
        std::vector<glm::vec3>().swap(normals);
        std::vector<glm::vec2>().swap(texCoords);
        std::vector<std::uint32_t>().swap(indices);
        GLUTIL_CHECKPOINT("GLutil::drawableObjects::SceneObject::genVAO");
    }
    for (SceneObject& c : children) c.genVAO(positionSlot, normalSlot, uvSlot);
}

glm::mat4 SceneObject::currentLocal(double now) {
    if (!channels.empty() && channels.front().playing) return channels.front().transformAt(now);
    return localTransform;
}

namespace {

// Models always draw filled, also in wireframe mode. Mesa's software rasteriser, drawing these
// tessellated, multi-output meshes as outlines (polygon mode GL_LINE), reads stray vertices
// (streaks across the whole frame) and overwrites its own heap, so the game crashed minutes
// after the wireframe key was used. The floor and the mountains still show their wire meshes.
void drawFilled(const DrawableVAO& mesh, bool asTriangles) {
    GLint modes[2] = {GL_FILL, GL_FILL};
    if (VX3D::RenderState::wireframe) glGetIntegerv(GL_POLYGON_MODE, modes);
    const bool outlined = modes[0] != GL_FILL;
    if (outlined) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (asTriangles)
        mesh.drawTriangles();
    else
        mesh.draw();
    if (outlined) glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(modes[0]));
}

}  // namespace

void SceneObject::draw(const glm::mat4& viewProjection, const glm::mat4& parent,
                       const glm::vec3& eye, bool transparent, const SceneLight& light,
                       const VX3D::FrameClock& clock, ShaderProgram& program,
                       const std::shared_ptr<TextureHandle>& shadowMap) {
    if (!valid_) return;
    const glm::mat4 model = parent * currentLocal(clock.current) * placement;
    if (hasMesh && mesh) {
        setMat4(program, "modelMatrix", model);
        setMat4(program, "vpMatrix", viewProjection);
        const glm::mat3 normalMatrix(model);
        glUniformMatrix3fv(program.uniformLocation("normalMatrix"), 1, GL_FALSE,
                           glm::value_ptr(normalMatrix));
        setVec4(program, "ambient", material.ambient);
        setVec4(program, "diffuse", material.diffuse);
        setVec4(program, "specular", material.specular);
        glUniform1f(program.uniformLocation("shininess"), material.shininess);
        setVec3(program, "lightPos", light.position);
        setVec3(program, "viewPoint", eye);
        setInt(program, "transparent", transparent ? 1 : 0);
        setInt(program, "doTesselation", doTesselation ? 1 : 0);
        if (texture.loaded()) {
            setInt(program, "hasTexture", 1);
            texture.bind();
            setInt(program, "textureMap", 0);
        } else {
            setInt(program, "hasTexture", 0);
        }
        if (shadowMap) {
            setMat4(program, "SMMatrix", kShadowBias * light.viewProjection);
            glActiveTexture(GL_TEXTURE4);
            glBindTexture(GL_TEXTURE_2D, shadowMap->id());
            setInt(program, "shadowMap", 4);
        }
        drawFilled(*mesh, false);
        if (shadowMap) unbindUnit(4);
        if (texture.loaded()) unbindUnit(texture.unit());
        glActiveTexture(GL_TEXTURE0);
        GLUTIL_CHECKPOINT("GLutil::drawableObjects::SceneObject::draw");
    }
    for (SceneObject& c : children)
        c.draw(viewProjection, model, eye, transparent, light, clock, program, shadowMap);
}

void SceneObject::drawColored(const glm::mat4& viewProjection, const glm::mat4& parent,
                              const VX3D::FrameClock& clock, const glm::vec4& colour,
                              ShaderProgram& program) {
    if (!valid_) return;
    const glm::mat4 model = parent * currentLocal(clock.current) * placement;
    if (hasMesh && mesh) {
        setMat4(program, "mvpMatrix", viewProjection * model);
        setVec4(program, "color", colour);
        drawFilled(*mesh, true);
        GLUTIL_CHECKPOINT("GLutil::drawableObjects::SceneObject::drawColored");
    }
    for (SceneObject& c : children) c.drawColored(viewProjection, model, clock, colour, program);
}

void SceneObject::drawShadow(const glm::mat4& viewProjection, const glm::mat4& parent,
                             const glm::vec3& eye, const VX3D::FrameClock& clock,
                             ShaderProgram& program) {
    if (!valid_) return;
    const glm::mat4 model = parent * currentLocal(clock.current) * placement;
    if (hasMesh && mesh) {
        setMat4(program, "mvpMatrix", viewProjection * model);
        setVec3(program, "viewPoint", eye);
        setInt(program, "doTesselation", 0);
        setInt(program, "hasDisplacement", 0);
        // Lets the depth program drop the faces the cull would drop, before tessellating them.
        setInt(program, "cullBackFaces", VX3D::RenderState::cullFaceEnabled ? 1 : 0);
        setInt(program, "hasTexture", texture.loaded() ? 1 : 0);
        if (texture.loaded()) {
            texture.bind();
            setInt(program, "textureMap", 0);
        }
        drawFilled(*mesh, false);
        if (texture.loaded()) {
            unbindUnit(texture.unit());
            glActiveTexture(GL_TEXTURE0);
        }
        GLUTIL_CHECKPOINT("GLutil::drawableObjects::SceneObject::drawShadow");
    }
    for (SceneObject& c : children) c.drawShadow(viewProjection, model, eye, clock, program);
}

void SceneObject::startAnimation(std::int32_t clip, double duration, const VX3D::FrameClock& clock,
                                 bool looping) {
    if (!channels.empty()) {
        AnimationChannel& ch = channels.front();
        ch.playing = true;
        ch.looping = looping;
        ch.startTime = clock.current;
        ch.duration = duration;
        ch.clip = clip;
    }
    for (SceneObject& c : children) c.startAnimation(clip, duration, clock, looping);
}

void SceneObject::stopLooping() {
    if (!channels.empty()) channels.front().looping = false;
    for (SceneObject& c : children) c.stopLooping();
}

bool SceneObject::isAnimating() const {
    if (!channels.empty() && channels.front().playing) return true;
    for (const SceneObject& c : children)
        if (c.isAnimating()) return true;
    return false;
}

SceneObject* SceneObject::find(const std::string& nodeName) {
    if (valid_ && name == nodeName) return this;
    for (SceneObject& c : children)
        if (SceneObject* hit = c.find(nodeName)) return hit;
    return nullptr;
}

const SceneObject* SceneObject::find(const std::string& nodeName) const {
    return const_cast<SceneObject*>(this)->find(nodeName);
}

}  // namespace GLutil::drawableObjects
