#pragma once
// The default field as the game shows it at the start of a game, assembled from the
// scene drawables: floor, mountains, sky, sun, food where the rules put it, portals, a
// move indicator and a status bar. One place to add what later drawables bring (the
// fog, the ants): construct it here, draw it in drawShadow and drawScene (the fog in
// drawFog, into the frame's reduced fog target).
//
// Needs a current OpenGL context and the game's working directory.
#include "Drawables/Ant3D/Ant.h"
#include "Drawables/Environment/Environment.h"
#include "Drawables/Floor/Floor.h"
#include "Drawables/Fog/Fog.h"
#include "Drawables/Food/Food.h"
#include "Drawables/MoveIndicator/MoveIndicator.h"
#include "Drawables/Portal/Portal.h"
#include "Drawables/Skybox/Skybox.h"
#include "Drawables/Statusbar/Statusbar.h"
#include "Drawables/Sun/Sun.h"
#include "Texture/Texture.h"
#include "Veltrix/GameRandom.h"
#include "Veltrix/Referee.h"
#include "Veltrix/RuleOptions.h"
#include "Window/FrameClock.h"

#include <glm/glm.hpp>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace VX3DScene {

struct Scene {
    // Rules from the file, a referee seeded with `seed`, the mountains at `envLevel`.
    Scene(const Veltrix::RuleOptions& rules, unsigned seed, int envLevel);

    // Depth of every shadow caster from the sun.
    void drawShadow(const glm::mat4& lightViewProjection, const glm::vec3& eye,
                    const VX3D::FrameClock& clock);
    // Everything, into the bound scene target's three outputs.
    void drawScene(const glm::mat4& view, const glm::mat4& projection, const glm::vec3& eye,
                   const VX3D::FrameClock& clock, const VX3D::ShadowMap& shadowMap);

    // Where the game puts player 0's camera: 6 units behind ant 0, 4 up, looking at it.
    glm::vec3 playerEye() const;
    glm::vec3 playerTarget() const;

    // Three ants at player 0's start, posed for a frame drawn at clock time 0: ant 0
    // walking one cell ahead, a blue ant two cells ahead fighting it, ant 1 dead.
    void addAnts();

    // The fog of war as the game builds it, cleared around player 0's two ants (the rules'
    // squares of cells); drawn by drawFog.
    void addFog();
    // Moves the fog and draws it into the bound target; returns its cover, not shown without
    // a fog (or with it hidden).
    VX3D::FogCover drawFog(const glm::mat4& viewProjection, const VX3D::FrameClock& clock);
    // Whether food and portals on the cell are drawn: with the fog, as the game draws them,
    // only where player 0's ants see.
    bool seen(Veltrix::Position cell) const;

    // Parts left out of both passes, to see what each costs: "sky", "floor", "mountains",
    // "sun", "food", "portals", "marks" (move indicator and status bar), "ants", "fog".
    std::set<std::string> hidden;
    bool shown(const std::string& part) const { return !hidden.contains(part); }

    Veltrix::RuleOptions rules;
    Veltrix::GameRandom random;
    Veltrix::Referee referee;
    VX3D::Sun sun;
    VX3D::Skybox skybox;
    VX3D::Environment environment;
    std::shared_ptr<VX3D::Floor> floor;
    std::vector<std::unique_ptr<VX3D::Food>> food;  // where the rules put it
    std::vector<GLutil::Texture> energies;          // the portals' three energy textures
    std::vector<std::unique_ptr<VX3D::Portal>> portals;
    std::unique_ptr<VX3D::MoveIndicator> moveIndicator;  // from ant 0 to the cell ahead
    VX3D::Statusbar statusbar;                           // over ant 0, at half
    std::vector<std::unique_ptr<VX3D::Ant>> ants;
    std::unique_ptr<VX3D::Fog> fog;
};

// The world position of a new ant at the cell, and its facing along x (+1 or -1).
int initialFacing(Veltrix::Position cell, int fieldWidth, int fieldHeight);
glm::vec3 antPosition(Veltrix::Position cell, int facing);

}  // namespace VX3DScene
