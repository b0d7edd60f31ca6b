#pragma once
// One ant of one player as the scene shows it: the animated model standing on the floor's
// relief, its energy bar above the head, a bounding box for culling and picking, and the
// lit, shadow and solid-colour draws. Placement, turning and the move animations are
// AntMotion's (see AntMotion.h); this class drives the model's clips and the fog from them.
//
//   Ant(cell, s, colour, floor, movesPerAnt, player)
//                 loads "res/AntAnim1.DAE" (red: colour.r >= colour.b) or
//                 "res/AntAnim1B.DAE" (blue) and builds the three programs; needs a current
//                 OpenGL context and the game's working directory. A model file that cannot
//                 be read throws std::runtime_error naming it. A null floor means flat ground.
//   hitTest(o, d) tests the segment o + t * 1000 * d against the pick box (the box spanned by
//                 the model's two box corners in the world) and moves the two pick markers
//                 to those corners.
#include "Drawables/Ant3D/AntMotion.h"
#include "Drawables/BoundingBox/BoundingBox.h"
#include "Drawables/Cube/Cube.h"
#include "Drawables/Floor/Floor.h"
#include "Drawables/Fog/Fog.h"
#include "Drawables/SceneObject/SceneObject.h"
#include "Drawables/Statusbar/Statusbar.h"
#include "Drawables/Sun/Sun.h"
#include "Shader/ShaderProgram.h"
#include "Veltrix/Types.h"
#include "Window/FrameClock.h"

#include <glm/glm.hpp>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace VX3D {

class Ant : public AntMotion {
public:
    Ant(Veltrix::Position cell, int facingSign, const glm::vec4& colour,
        std::shared_ptr<Floor> floor, int movesPerAnt, int player);
    Ant(const Ant&) = delete;
    Ant& operator=(const Ant&) = delete;
    Ant(Ant&&) = default;
    Ant& operator=(Ant&&) = default;

    // As AntMotion's, and a new move also clears the pick markers (startTurnOnSpot, from
    // AntMotion, leaves them).
    void startMove(Veltrix::Position target, const FrameClock& clock, bool fightAtEnd,
                   bool dieAtEnd, Fog* fog, const glm::vec3& otherAntPos, float radius);
    void startPortalMove(Veltrix::Position entry, Veltrix::Position exit, const FrameClock& clock,
                         bool fightAtEnd, bool dieAtEnd, Fog* fog, const glm::vec3& otherAntPos,
                         float radius);

    void draw(const glm::mat4& viewProjection, const glm::vec3& eye, const Sun& sun,
              const FrameClock& clock, const ShadowMap& shadowMap, const glm::mat4& projection,
              const glm::mat4& view);
    void drawShadow(const glm::mat4& lightViewProjection, const glm::vec3& eye,
                    const FrameClock& clock);
    void drawSolid(const glm::mat4& viewProjection, const FrameClock& clock);
    bool hitTest(const glm::vec4& origin, const glm::vec4& direction);
    void clearPickMarkers();

    // The model's own turn and size: 180 degrees about z after a uniform scale of 0.2.
    static glm::mat4 baseTransform();
    static std::string modelPath(const glm::vec4& colour);
    // Takes the model's box (already in the base transform's space) into the world.
    glm::mat4 boxMatrix() const;
    // The world corners of the model's box (min corner, max corner).
    std::pair<glm::vec3, glm::vec3> pickBox() const;
    // The pick markers' positions, empty when cleared.
    std::vector<glm::vec3> pickMarkers() const;
    // Whether the last draw passed the culling test.
    bool drawnLastFrame() const { return drawnLastFrame_; }
    const GLutil::drawableObjects::SceneObject& model() const { return *model_; }
    const Statusbar& energyBar() const { return *energyBar_; }

    glm::vec4 colour;

private:
    struct Marker {
        glm::vec3 position;
        glm::mat4 model;
        std::shared_ptr<Cube> cube;
    };

    std::shared_ptr<Floor> floor_;
    std::shared_ptr<GLutil::drawableObjects::SceneObject> model_;
    std::shared_ptr<BoundingBox> box_;
    std::shared_ptr<Statusbar> energyBar_;
    std::shared_ptr<GLutil::ShaderProgram> program_, shadowProgram_, solidProgram_;
    std::vector<Marker> markers_;
    bool drawnLastFrame_ = false;
};

}  // namespace VX3D
