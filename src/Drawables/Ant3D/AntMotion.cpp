#include "Drawables/Ant3D/AntMotion.h"

#include "Game/GameFlags.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <limits>

namespace VX3D {
namespace {

constexpr glm::vec3 up{0.0f, 1.0f, 0.0f};

// Fraction of a phase reached at `now`; never below 0, so a record started "in the
// future" (a clock that went back) holds its start pose.
double fraction(double now, double begin, double end) {
    return std::max(0.0, (now - begin) / (end - begin));
}

glm::vec3 lerp(const glm::vec3& a, const glm::vec3& b, double s) {
    return a + (b - a) * static_cast<float>(s);
}

// Unit vector from p towards c in the ground plane (y of the difference forced to
// 0 - p.y, i.e. 0 for every stored position), with its length; nullopt when c is p.
std::optional<std::pair<glm::vec3, float>> walkDirection(const glm::vec3& p, const glm::vec3& c) {
    const glm::vec3 d(c.x - p.x, 0.0f - p.y, c.z - p.z);
    const float length = glm::length(d);
    if (!(length > 1e-6f)) return std::nullopt;
    return std::make_pair(d / length, length);
}

}  // namespace

double clipDuration(AntClip clip) {
    return clip == AntClip::Fight ? 2.0 : 1.0;
}

glm::vec3 cellCentre(Veltrix::Position cell) {
    return {static_cast<float>(cell.x) + 0.5f, 0.0f, -(static_cast<float>(cell.y) + 0.5f)};
}

glm::vec3 initialPosition(Veltrix::Position cell, int facingSign) {
    return cellCentre(cell) - antCellOffset * glm::vec3(static_cast<float>(facingSign), 0.0f, 0.0f);
}

float signedAngle(glm::vec3 u, glm::vec3 v) {
    u.y = 0.0f;
    v.y = 0.0f;
    const float lu = glm::length(u), lv = glm::length(v);
    if (!(lu > 0.0f) || !(lv > 0.0f)) return 0.0f;
    u /= lu;
    v /= lv;
    // Rounding can push the cosine of a (half) turn just past 1, where acos is NaN.
    const float angle = std::acos(std::clamp(u.x * v.x + u.z * v.z, -1.0f, 1.0f)) * 57.295776f;
    // The sign is that of the y component of u x v; for a half turn (no cross product)
    // it is positive exactly when u points along +x.
    const float cross = u.z * v.x - u.x * v.z;
    const bool positive = cross > 0.0f || (cross == 0.0f && u.x > 0.0f);
    return positive ? angle : -angle;
}

glm::vec3 turnBy(const glm::vec3& u, const glm::vec3& v, float s) {
    const float degrees = s * signedAngle(u, v);
    return glm::vec3(glm::rotate(glm::mat4(1.0f), glm::radians(degrees), up) * glm::vec4(u, 0.0f));
}

double turnTime(const glm::vec3& from, const glm::vec3& to) {
    return std::abs(signedAngle(from, to)) <= 1.0f ? 0.01 : 1.0;
}

std::optional<AntClip> turnClip(const glm::vec3& from, const glm::vec3& to) {
    const float angle = signedAngle(from, to);
    if (std::abs(angle) <= 1.0f) return std::nullopt;
    return angle > 0.0f ? AntClip::TurnLeft : AntClip::TurnRight;
}

std::string formatVector(const glm::vec3& v) {
    char text[160];
    std::snprintf(text, sizeof text, "fvec3(%f, %f, %f)", v.x, v.y, v.z);
    return text;
}

std::string formatVector(const glm::vec4& v) {
    char text[200];
    std::snprintf(text, sizeof text, "fvec4(%f, %f, %f, %f)", v.x, v.y, v.z, v.w);
    return text;
}

void MoveData::print(std::ostream& out) const {
    out << "MoveData:\n"
        << "Time Start: " << timeStart << "s\n"
        << "Rot end: " << rotEnd << "s\n"
        << "Mov end: " << movEnd << "s\n"
        << "Ori start: " << formatVector(oriStart) << "\n"
        << "Ori end: " << formatVector(oriEnd) << "\n"
        << "Start Pos: " << formatVector(startPos) << "\n"
        << "End Pos: " << formatVector(endPos) << "\n"
        << "Rot Finished: " << rotFinished << "\n"
        << "fight at end: " << fightAtEnd << "\n"
        << "die at end: " << dieAtEnd << "\n";
}

void MovePortalData::print(std::ostream& out) const {
    static const char* const phases[] = {"rotation", "mov to portal", "mov to final pos"};
    out << "MovePortalData:\n"
        << "Mov Start: " << start << "s"
        << ", time rot end: " << rotEnd << "s"
        << ", time mov portal end: " << movPortalEnd << "s"
        << ", move end: " << moveEnd << "s\n"
        << "pos start: " << formatVector(posStart) << "\n"
        << "pos portal in: " << formatVector(posPortalIn) << "\n"
        << "pos portal out: " << formatVector(posPortalOut) << "\n"
        << "pos end: " << formatVector(posEnd) << "\n"
        << "orient start: " << formatVector(orientStart) << "\n"
        << "orient end: " << formatVector(orientEnd) << "\n"
        << "movementPhase: " << phases[std::clamp(movementPhase, 0, 2)] << "\n"
        << "fight at end: " << fightAtEnd << "\n"
        << "die at end: " << dieAtEnd << "\n";
}

void MoveOnPosData::print(std::ostream& out) const {
    out << "MoveOnPosData:\n"
        << "start time: " << startTime << "s"
        << " end time: " << endTime << "s\n"
        << "start pos: " << formatVector(startPos) << " end pos: " << formatVector(endPos) << "\n"
        << "start ori: " << formatVector(startOri) << " end ori: " << formatVector(endOri) << "\n"
        << "fight at end: " << fightAtEnd << "\n";
}

MoveData makeMoveData(const glm::vec3& p, const glm::vec3& f, Veltrix::Position target, double now,
                      bool fightAtEnd, bool dieAtEnd, Fog* fog, const glm::vec3& otherAntPos,
                      float radius) {
    MoveData m;
    m.startPos = p;
    m.oriStart = f;
    if (const auto walk = walkDirection(p, cellCentre(target))) {
        m.oriEnd = walk->first;
        m.endPos = p + walk->first * (walk->second - antCellOffset);
    } else {
        // Already on the target's centre: nowhere to walk, keep the facing.
        m.oriEnd = f;
        m.endPos = p;
    }
    const double turn = turnTime(m.oriStart, m.oriEnd);
    m.timeStart = now;
    m.rotEnd = now + turn;
    m.movEnd = now + turn + 1.0;
    m.fightAtEnd = fightAtEnd;
    m.dieAtEnd = dieAtEnd;
    m.fog = fog;
    m.otherAntPos = otherAntPos;
    m.visibilityRadius = radius;
    return m;
}

MovePortalData makePortalData(const glm::vec3& p, const glm::vec3& f, Veltrix::Position entry,
                              Veltrix::Position exit, double now, bool fightAtEnd, bool dieAtEnd,
                              Fog* fog, const glm::vec3& otherAntPos, float radius) {
    MovePortalData m;
    m.posStart = p;
    m.posPortalIn = cellCentre(entry);
    m.posPortalOut = cellCentre(exit);
    m.orientStart = f;
    const auto walk = walkDirection(p, m.posPortalIn);
    m.orientEnd = walk ? walk->first : f;
    m.posEnd = m.posPortalOut - antCellOffset * m.orientEnd;
    const double turn = turnTime(m.orientStart, m.orientEnd);
    m.start = now;
    m.rotEnd = now + turn;
    m.movPortalEnd = now + turn + 1.0;
    m.moveEnd = now + turn + 2.0;
    m.movementPhase = 0;
    m.fightAtEnd = fightAtEnd;
    m.dieAtEnd = dieAtEnd;
    m.fog = fog;
    m.otherAntPos = otherAntPos;
    m.visibilityRadius = radius;
    return m;
}

MoveOnPosData makeTurnOnSpot(const glm::vec3& p, const glm::vec3& f, const glm::vec3& q,
                             const glm::vec3& g, double now, Fog* fog, const glm::vec3& otherAntPos,
                             float radius) {
    MoveOnPosData m;
    m.startTime = now;
    m.endTime = now + 1.0;
    m.startPos = p;
    m.startOri = f;
    const glm::vec3 flat(g.x, 0.0f, g.z);
    const float length = glm::length(flat);
    if (length > 1e-6f) {
        const glm::vec3 unit = flat / length;
        m.endPos = q + 2.0f * antCellOffset * unit;
        m.endPos.y = 0.0f;
        m.endOri = -unit + glm::vec3(0.0f);  // no negative zeros in the printed record
    } else {
        // Nothing known about the attacker: a zero facing would put the ant on the
        // attacker's own spot (the world origin when that is unknown too). Stay put.
        m.endPos = p;
        m.endOri = f;
    }
    m.fightAtEnd = true;
    m.fog = fog;
    m.otherAntPos = otherAntPos;
    m.visibilityRadius = radius;
    return m;
}

const std::array<std::uint8_t, 36> boxTriangles{6, 2, 0, 6, 0, 4, 7, 5, 1, 7, 1, 3,
                                                7, 4, 5, 7, 6, 4, 2, 1, 0, 2, 3, 1,
                                                4, 1, 5, 4, 0, 1, 7, 2, 6, 7, 3, 2};

std::array<glm::vec3, 8> boxCorners(const glm::vec3& lo, const glm::vec3& hi) {
    std::array<glm::vec3, 8> c{};
    for (int i = 0; i < 8; ++i)
        c[static_cast<std::size_t>(i)] = {(i & 4) ? lo.x : hi.x, (i & 2) ? lo.y : hi.y,
                                          (i & 1) ? lo.z : hi.z};
    return c;
}

std::optional<float> nearestBoxHit(const glm::vec3& lo, const glm::vec3& hi,
                                   const glm::vec4& origin, const glm::vec4& direction) {
    const auto corners = boxCorners(lo, hi);
    const glm::vec3 o(origin), segment = glm::vec3(direction) * 1000.0f;
    float nearest = std::numeric_limits<float>::max();
    bool hit = false;
    for (std::size_t k = 0; k < boxTriangles.size(); k += 3) {
        const glm::vec3& v0 = corners[boxTriangles[k]];
        const glm::mat3 m(-segment, corners[boxTriangles[k + 1]] - v0,
                          corners[boxTriangles[k + 2]] - v0);
        // A segment parallel to the face (or a flat box) meets it nowhere.
        if (std::abs(glm::determinant(m)) < 1e-12f) continue;
        const glm::vec3 tab = glm::inverse(m) * (o - v0);
        const float t = tab.x, a = tab.y, b = tab.z;
        if (a >= 0.0f && a <= 1.0f && b >= 0.0f && b <= 1.0f && a + b <= 1.0f && t < nearest) {
            nearest = t;
            hit = true;
        }
    }
    if (!hit) return std::nullopt;
    return nearest;
}

AntMotion::AntMotion(Veltrix::Position cell, int facingSign, int movesPerAnt, int player_)
    : position(initialPosition(cell, facingSign)),
      facing(static_cast<float>(facingSign), 0.0f, 0.0f),
      player(player_),
      energy(movesPerAnt),
      energyMaximum(movesPerAnt) {
    rebuildModelMatrix();
}

void AntMotion::rebuildModelMatrix() {
    const float height = hooks.groundHeight ? hooks.groundHeight(position) : 0.0f;
    const float angle = signedAngle(glm::vec3(1.0f, 0.0f, 0.0f), facing);
    standingMatrix =
        glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(position.x, height, position.z)),
                    glm::radians(angle), up);
    modelMatrix = standingMatrix;
    if (!alive) {
        // Lying on its side, lifted so the turned body stays above the ground.
        modelMatrix = glm::rotate(glm::translate(modelMatrix, glm::vec3(0.0f, 0.2f, 0.0f)),
                                  glm::radians(90.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    }
}

glm::vec3 AntMotion::energyBarPosition() const {
    return glm::vec3(standingMatrix * glm::vec4(0.0f, 0.65f, 0.0f, 1.0f));
}

void AntMotion::lowerEnergy() {
    if (energy > 0) --energy;
}

void AntMotion::startClip(AntClip clip, const FrameClock& clock) {
    if (hooks.startClip) hooks.startClip(clip, clock);
}

void AntMotion::startTurnClip(const glm::vec3& from, const glm::vec3& to, const FrameClock& clock) {
    const auto clip = turnClip(from, to);
    if (!clip) return;
    startClip(*clip, clock);
    std::cout << (*clip == AntClip::TurnLeft ? "starting left turn animation\n"
                                             : "starting right turn animation\n");
}

void AntMotion::startMove(Veltrix::Position target, const FrameClock& clock, bool fightAtEnd,
                          bool dieAtEnd, Fog* fog, const glm::vec3& otherAntPos, float radius) {
    if (moveData) {
        std::cout << "still have move dat that should not be here!\n";
        moveData->print(std::cout);
        std::cout << "\n";
    }
    lowerEnergy();
    moveData = std::make_shared<MoveData>(makeMoveData(
        position, facing, target, clock.current, fightAtEnd, dieAtEnd, fog, otherAntPos, radius));
    std::cout << std::string(66, '-') << "MOve to (" << target.x << "," << target.y
              << ") created modeDat:\n";
    moveData->print(std::cout);
    std::cout << "\n";
    startTurnClip(moveData->oriStart, moveData->oriEnd, clock);
}

void AntMotion::startPortalMove(Veltrix::Position entry, Veltrix::Position exit,
                                const FrameClock& clock, bool fightAtEnd, bool dieAtEnd, Fog* fog,
                                const glm::vec3& otherAntPos, float radius) {
    lowerEnergy();
    portalData = std::make_shared<MovePortalData>(
        makePortalData(position, facing, entry, exit, clock.current, fightAtEnd, dieAtEnd, fog,
                       otherAntPos, radius));
    std::cout << std::string(66, '-') << "Portal move to (" << exit.x << "," << exit.y << ") over ("
              << entry.x << "," << entry.y << ") created movePortalDat:\n";
    portalData->print(std::cout);
    startTurnClip(portalData->orientStart, portalData->orientEnd, clock);
}

void AntMotion::startTurnOnSpot(const glm::vec3& attackerEndPos, const glm::vec3& attackerFacing,
                                const FrameClock& clock, Fog* fog, const glm::vec3& otherAntPos,
                                float radius) {
    lowerEnergy();
    onPosData = std::make_shared<MoveOnPosData>(makeTurnOnSpot(
        position, facing, attackerEndPos, attackerFacing, clock.current, fog, otherAntPos, radius));
    std::cout << std::string(68, '-') << "Moving on pos\n";
    onPosData->print(std::cout);
    std::cout << "\n";
    startTurnClip(onPosData->startOri, onPosData->endOri, clock);
}

std::optional<std::pair<glm::vec3, glm::vec3>> AntMotion::plannedEnd() const {
    if (moveData) return std::make_pair(moveData->endPos, moveData->oriEnd);
    if (portalData) return std::make_pair(portalData->posEnd, portalData->orientEnd);
    return std::nullopt;
}

bool AntMotion::revealsFog() const {
    return player == GameFlags::viewedPlayer || RenderState::cheatView || GameFlags::enemyUncovered;
}

void AntMotion::fogUpdate(Fog* fog, const glm::vec3& otherAntPos, float radius) {
    if (fog && hooks.updateFog && revealsFog())
        hooks.updateFog(*fog, position, otherAntPos, radius);
}

void AntMotion::endOfMove(bool fightAtEnd, bool dieAtEnd, const FrameClock& clock) {
    stopClip();
    if (fightAtEnd) {
        startClip(AntClip::Fight, clock);
        std::cout << "starting fight animation\n";
    }
    if (dieAtEnd) die();
}

bool AntMotion::advance(MoveData& m, const FrameClock& clock) {
    const double now = clock.current;
    if (!m.rotFinished) {
        const double s = fraction(now, m.timeStart, m.rotEnd);
        if (s < 1.0) {
            facing = turnBy(m.oriStart, m.oriEnd, static_cast<float>(s));
            return false;
        }
        m.rotFinished = true;
        facing = m.oriEnd;
        startClip(AntClip::Walk, clock);
        std::cout << "starting move animation\n";
    }
    const double s = fraction(now, m.rotEnd, m.movEnd);
    if (s < 1.0) {
        position = lerp(m.startPos, m.endPos, s);
        fogUpdate(m.fog, m.otherAntPos, m.visibilityRadius);
        return false;
    }
    position = m.endPos;
    endOfMove(m.fightAtEnd, m.dieAtEnd, clock);
    return true;
}

bool AntMotion::advance(MovePortalData& m, const FrameClock& clock) {
    const double now = clock.current;
    if (m.movementPhase == 0) {
        const double s = fraction(now, m.start, m.rotEnd);
        if (s < 1.0) {
            facing = turnBy(m.orientStart, m.orientEnd, static_cast<float>(s));
            return false;
        }
        m.movementPhase = 1;
        facing = m.orientEnd;
        startClip(AntClip::Walk, clock);
        std::cout << "starting move animation\n";
    }
    if (m.movementPhase == 1) {
        const double s = fraction(now, m.rotEnd, m.movPortalEnd);
        if (s < 1.0) {
            position = lerp(m.posStart, m.posPortalIn, s);
            return false;
        }
        // Into the entry, out of the exit in the same frame.
        position = m.posPortalOut;
        m.movementPhase = 2;
        fogUpdate(m.fog, m.otherAntPos, m.visibilityRadius);
    }
    const double s = fraction(now, m.movPortalEnd, m.moveEnd);
    if (s < 1.0) {
        position = lerp(m.posPortalOut, m.posEnd, s);
        return false;
    }
    position = m.posEnd;
    endOfMove(m.fightAtEnd, m.dieAtEnd, clock);
    return true;
}

bool AntMotion::advance(MoveOnPosData& m, const FrameClock& clock) {
    const double s = fraction(clock.current, m.startTime, m.endTime);
    if (s < 1.0) {
        position = lerp(m.startPos, m.endPos, s);
        facing = turnBy(m.startOri, m.endOri, static_cast<float>(s));
        fogUpdate(m.fog, m.otherAntPos, m.visibilityRadius);
        return false;
    }
    position = m.endPos;
    facing = m.endOri;
    endOfMove(m.fightAtEnd, false, clock);
    return true;
}

void AntMotion::update(const FrameClock& clock) {
    bool changed = false;
    // The records are shared pointers: hold each while advancing it, so a start
    // operation called from a hook cannot free it underneath.
    if (auto m = moveData) {
        if (advance(*m, clock) && moveData == m) moveData.reset();
        changed = true;
    }
    if (auto m = portalData) {
        if (advance(*m, clock) && portalData == m) portalData.reset();
        changed = true;
    }
    if (auto m = onPosData) {
        if (advance(*m, clock) && onPosData == m) onPosData.reset();
        changed = true;
    }
    if (changed) rebuildModelMatrix();
}

void AntMotion::die() {
    alive = false;
    rebuildModelMatrix();
    if (hooks.clipPlaying && hooks.clipPlaying()) stopClip();
}

void AntMotion::stopClip() {
    if (hooks.stopClip) hooks.stopClip();
}

bool AntMotion::animating() const {
    return moveData || portalData || onPosData;
}

}  // namespace VX3D
