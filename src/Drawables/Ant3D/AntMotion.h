#pragma once
// Where an ant stands, which way it faces and how its three move animations advance:
// everything about an ant that needs no graphics context. `VX3D::Ant` adds the model,
// the programs and the drawing on top of it.
//
// World placement: cell (x, y) has its centre at (x + 0.5, 0, -(y + 0.5)). An ant stands
// 0.252 behind that centre along its facing, so two ants fighting on one cell face each
// other 0.504 apart. The stored position keeps y = 0; the ground height enters only
// the model matrix.
//
// The three records run independently; each start operation builds one, update()
// advances every present one and drops it when its last phase ends. A phase that ends
// in a frame hands over to the next phase within the same frame, so a long frame never
// leaves an ant one phase behind.
#include "Veltrix/Types.h"
#include "Window/FrameClock.h"

#include <glm/glm.hpp>

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace VX3D {

class Fog;

// How far an ant stands behind the centre of its cell, along its facing.
inline constexpr float antCellOffset = 0.252f;

// Model clips: number and the duration of one cycle in seconds.
enum class AntClip : std::int32_t { Fight = 0, Walk = 1, TurnLeft = 2, TurnRight = 3 };
double clipDuration(AntClip clip);

glm::vec3 cellCentre(Veltrix::Position cell);
// A new ant's place on its cell for the initial facing s = +1 or -1 along world x.
glm::vec3 initialPosition(Veltrix::Position cell, int facingSign);

// Angle in degrees from u to v about the world y axis (y components ignored), positive
// when turning u by it with a right-handed rotation about +y brings it onto v. A half
// turn counts as positive when u points along +x and negative otherwise.
float signedAngle(glm::vec3 u, glm::vec3 v);
// u rotated about +y by the fraction s of signedAngle(u, v).
glm::vec3 turnBy(const glm::vec3& u, const glm::vec3& v, float s);
// 0.01 s for a turn of at most one degree, else 1.0 s.
double turnTime(const glm::vec3& from, const glm::vec3& to);
// The clip of such a turn: none, TurnLeft for a positive angle, TurnRight otherwise.
std::optional<AntClip> turnClip(const glm::vec3& from, const glm::vec3& to);

// "fvec3(%f, %f, %f)" / "fvec4(%f, %f, %f, %f)".
std::string formatVector(const glm::vec3& v);
std::string formatVector(const glm::vec4& v);

// A turn, then a walk to a neighbouring cell.
struct MoveData {
    double timeStart = 0.0;
    double rotEnd = 0.0;
    double movEnd = 0.0;
    glm::vec3 startPos{0.0f};
    glm::vec3 endPos{0.0f};
    glm::vec3 oriStart{1.0f, 0.0f, 0.0f};
    glm::vec3 oriEnd{1.0f, 0.0f, 0.0f};
    bool rotFinished = false;
    bool fightAtEnd = false;
    bool dieAtEnd = false;
    Fog* fog = nullptr;
    glm::vec3 otherAntPos{0.0f};
    float visibilityRadius = 0.0f;

    void print(std::ostream& out) const;
};

// A turn, a walk into a portal's entry, a jump to its exit and a short walk on.
struct MovePortalData {
    double start = 0.0;
    double rotEnd = 0.0;
    double movPortalEnd = 0.0;
    double moveEnd = 0.0;
    glm::vec3 posStart{0.0f};
    glm::vec3 posPortalIn{0.0f};
    glm::vec3 posPortalOut{0.0f};
    glm::vec3 posEnd{0.0f};
    glm::vec3 orientStart{1.0f, 0.0f, 0.0f};
    glm::vec3 orientEnd{1.0f, 0.0f, 0.0f};
    std::int32_t movementPhase = 0;  // 0 rotation, 1 move to portal, 2 move to final position
    bool fightAtEnd = false;
    bool dieAtEnd = false;
    Fog* fog = nullptr;
    glm::vec3 otherAntPos{0.0f};
    float visibilityRadius = 0.0f;

    void print(std::ostream& out) const;
};

// An attacked ant turning on the spot (and sliding onto its side of the cell) to face
// its attacker.
struct MoveOnPosData {
    double startTime = 0.0;
    double endTime = 0.0;
    glm::vec3 startPos{0.0f};
    glm::vec3 endPos{0.0f};
    glm::vec3 startOri{1.0f, 0.0f, 0.0f};
    glm::vec3 endOri{1.0f, 0.0f, 0.0f};
    bool fightAtEnd = true;
    Fog* fog = nullptr;
    glm::vec3 otherAntPos{0.0f};
    float visibilityRadius = 0.0f;

    void print(std::ostream& out) const;
};

// The records as the start operations build them, from the ant's position p and facing f.
MoveData makeMoveData(const glm::vec3& p, const glm::vec3& f, Veltrix::Position target, double now,
                      bool fightAtEnd, bool dieAtEnd, Fog* fog, const glm::vec3& otherAntPos,
                      float radius);
MovePortalData makePortalData(const glm::vec3& p, const glm::vec3& f, Veltrix::Position entry,
                              Veltrix::Position exit, double now, bool fightAtEnd, bool dieAtEnd,
                              Fog* fog, const glm::vec3& otherAntPos, float radius);
// q and g: where the attacker will stand and which way it will face. A facing without
// length (nothing known about the attacker) keeps the ant where it is, facing as it does.
MoveOnPosData makeTurnOnSpot(const glm::vec3& p, const glm::vec3& f, const glm::vec3& q,
                             const glm::vec3& g, double now, Fog* fog, const glm::vec3& otherAntPos,
                             float radius);

// The pick box: corner i takes x from lo when bit 2 is set, y when bit 1, z when bit 0,
// else from hi; the triangles cover its six faces.
std::array<glm::vec3, 8> boxCorners(const glm::vec3& lo, const glm::vec3& hi);
extern const std::array<std::uint8_t, 36> boxTriangles;
// Smallest t at which the segment o + t * 1000 * d meets a triangle of the box between lo
// and hi; t is not bounded below, so a box behind the origin is found too.
std::optional<float> nearestBoxHit(const glm::vec3& lo, const glm::vec3& hi,
                                   const glm::vec4& origin, const glm::vec4& direction);

// What the motion asks of the drawable around it. Every member may be left empty.
struct AntMotionHooks {
    std::function<float(const glm::vec3&)> groundHeight;  // empty: flat ground at 0
    std::function<void(AntClip, const FrameClock&)> startClip;
    std::function<void()> stopClip;
    std::function<bool()> clipPlaying;
    std::function<void(Fog&, const glm::vec3& position, const glm::vec3& otherAntPos, float radius)>
        updateFog;
};

class AntMotion {
public:
    AntMotion(Veltrix::Position cell, int facingSign, int movesPerAnt, int player);

    void update(const FrameClock& clock);
    void startMove(Veltrix::Position target, const FrameClock& clock, bool fightAtEnd,
                   bool dieAtEnd, Fog* fog, const glm::vec3& otherAntPos, float radius);
    void startPortalMove(Veltrix::Position entry, Veltrix::Position exit, const FrameClock& clock,
                         bool fightAtEnd, bool dieAtEnd, Fog* fog, const glm::vec3& otherAntPos,
                         float radius);
    void startTurnOnSpot(const glm::vec3& attackerEndPos, const glm::vec3& attackerFacing,
                         const FrameClock& clock, Fog* fog, const glm::vec3& otherAntPos,
                         float radius);
    // Where a running move or portal move will leave this ant: {end position, final
    // facing}; nullopt without one. The attacked ant of a battle turns towards this.
    std::optional<std::pair<glm::vec3, glm::vec3>> plannedEnd() const;

    void die();
    void stopClip();
    bool animating() const;
    void rebuildModelMatrix();
    // Where the energy bar floats: 0.65 above the ant's feet. A dead ant's bar stays over
    // its body rather than following the lying pose sideways onto the ground.
    glm::vec3 energyBarPosition() const;

    glm::vec3 position, facing;
    bool alive = true;
    glm::mat4 modelMatrix{1.0f};
    // The model matrix as if the ant stood (equal to modelMatrix while it is alive).
    glm::mat4 standingMatrix{1.0f};
    int player;
    // The energy bar's value and maximum: the moves left.
    int energy;
    int energyMaximum;

    std::shared_ptr<MoveData> moveData;
    std::shared_ptr<MovePortalData> portalData;
    std::shared_ptr<MoveOnPosData> onPosData;

    AntMotionHooks hooks;

private:
    void lowerEnergy();
    void startTurnClip(const glm::vec3& from, const glm::vec3& to, const FrameClock& clock);
    void startClip(AntClip clip, const FrameClock& clock);
    void endOfMove(bool fightAtEnd, bool dieAtEnd, const FrameClock& clock);
    // Whether this ant's walks may clear the fog: the viewer's own ants, or the enemy's
    // while it is shown.
    bool revealsFog() const;
    void fogUpdate(Fog* fog, const glm::vec3& otherAntPos, float radius);
    bool advance(MoveData& m, const FrameClock& clock);
    bool advance(MovePortalData& m, const FrameClock& clock);
    bool advance(MoveOnPosData& m, const FrameClock& clock);
};

}  // namespace VX3D
