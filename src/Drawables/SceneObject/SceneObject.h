#pragma once
// A model read through Assimp as a tree of drawable nodes.
//
//   SceneObject(options)   reads options.path. The extension chooses Assimp's
//                          post-processing (".DAE": the COLLADA set with the
//                          left-handed conversion; ".obj": the Wavefront set; anything
//                          else, ".dae" included: a small default set). Prints
//                          "Import result: ..." and, per node, the mesh and material
//                          lines. An unreadable file prints "Assimp importer could not
//                          read file: <path>" and leaves an empty object that draws
//                          nothing. A material texture that fails to load throws the
//                          texture's std::logic_error ("decoding png ...") with the
//                          material and the model file added.
//   genVAO(p, n, uv)       uploads every node's mesh to the given attribute slots (once;
//                          the normals, texture coordinates and indices are let go then).
//   draw / drawColored / drawShadow
//                          the lit, flat-colour and depth draws of the whole tree. The
//                          caller makes the program current and calls unuse afterwards
//                          (drawColored too). Each uniform is looked up by name, so a
//                          program lacking one throws "Shader Uniform <name> is UNKNOWN".
//   startAnimation / stopLooping / isAnimating
//                          clip playback on every node's first channel.
//
// The root is the file's first top-level node (the root's other children are not
// used); its placement is the options' matrix, every other node's is the identity.
// A node's model matrix is parent x local x placement, local being the animated
// transform while its clip plays. Bounding boxes are in placement space: each
// node's vertices transformed by the placement only, widened by its children's boxes.
#include "Drawables/SceneObject/Animation.h"
#include "Drawables/SceneObject/TextureCache.h"
#include "Shader/ShaderProgram.h"
#include "Texture/Texture.h"
#include "Texture/TextureHandle.h"
#include "VAO/DrawableVAO.h"
#include "Window/FrameClock.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

struct aiMesh;
struct aiNode;
struct aiScene;

namespace GLutil::drawableObjects {

struct SceneObjectOpt {
    std::string path;
    glm::mat4 placement{1.0f};
};

struct Material {
    glm::vec4 ambient{0.0f, 0.0f, 0.0f, 1.0f};
    glm::vec4 diffuse{0.0f, 0.0f, 0.0f, 1.0f};
    glm::vec4 specular{0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 20.0f;
};

// What the lit draw needs of the light (the sun): its position ("lightPos") and its
// view-projection matrix, the base of "SMMatrix".
struct SceneLight {
    glm::vec3 position{0.0f};
    glm::mat4 viewProjection{1.0f};
};

// Counts from reading one mesh (exposed for tests of the face rules).
struct MeshReadResult {
    std::size_t vertices = 0;
    std::size_t errorFaces = 0;
};

class SceneObject {
public:
    // An empty object: no nodes, draws nothing.
    SceneObject() = default;
    explicit SceneObject(const SceneObjectOpt& options);
    ~SceneObject();
    SceneObject(const SceneObject&) = default;
    SceneObject& operator=(const SceneObject&) = default;
    SceneObject(SceneObject&&) noexcept = default;
    SceneObject& operator=(SceneObject&&) noexcept = default;

    void genVAO(GLuint positionSlot, GLuint normalSlot, GLuint uvSlot);

    void draw(const glm::mat4& viewProjection, const glm::mat4& parent, const glm::vec3& eye,
              bool transparent, const SceneLight& light, const VX3D::FrameClock& clock,
              ShaderProgram& program, const std::shared_ptr<TextureHandle>& shadowMap);
    void drawColored(const glm::mat4& viewProjection, const glm::mat4& parent,
                     const VX3D::FrameClock& clock, const glm::vec4& colour,
                     ShaderProgram& program);
    void drawShadow(const glm::mat4& viewProjection, const glm::mat4& parent, const glm::vec3& eye,
                    const VX3D::FrameClock& clock, ShaderProgram& program);

    void startAnimation(std::int32_t clip, double duration, const VX3D::FrameClock& clock,
                        bool looping);
    void stopLooping();
    bool isAnimating() const;

    // The node of that name in this subtree (this one included), or nullptr.
    SceneObject* find(const std::string& nodeName);
    const SceneObject* find(const std::string& nodeName) const;
    // True when the file could be read (the object has a root node).
    bool valid() const { return valid_; }

    // Reads one Assimp mesh into this node: positions (widening the box by
    // `placement`), normals, first texture coordinates and the faces' first three
    // indices; prints the mesh lines.
    MeshReadResult readMesh(const aiMesh& mesh, const glm::mat4& placement);

    std::string name;
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<std::uint32_t> indices;
    std::vector<glm::vec2> texCoords;
    glm::mat4 localTransform{1.0f};
    glm::mat4 placement{1.0f};
    std::vector<SceneObject> children;
    std::vector<AnimationChannel> channels;
    bool hasMesh = false;
    bool doTesselation = false;
    std::shared_ptr<DrawableVAO> mesh;  // made by genVAO, mode GL_PATCHES
    Material material;
    Texture texture;
    std::shared_ptr<SceneObjectOpt> options;
    glm::vec3 bbMax{-std::numeric_limits<float>::infinity()};
    glm::vec3 bbMin{std::numeric_limits<float>::infinity()};

private:
    SceneObject(const aiScene& scene, const aiNode& node, const glm::mat4& boxPlacement,
                const std::string& modelPath);
    void readNode(const aiScene& scene, const aiNode& node, const glm::mat4& boxPlacement,
                  const std::string& modelPath);
    void readMaterial(const aiScene& scene, unsigned materialIndex, const std::string& modelPath);
    void widenByChildren();
    glm::mat4 currentLocal(double now);
    void releaseTextures();

    bool valid_ = false;
};

}  // namespace GLutil::drawableObjects
