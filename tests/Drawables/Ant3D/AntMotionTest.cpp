// The ant's behaviour without a graphics context: placement, the signed angle and turns,
// the three move records frame by frame (durations, end places, clips, fog updates,
// death), the energy bar's floor, the stale-record warning, and the pick box test.
#include "Drawables/Ant3D/AntMotion.h"
#include "Game/GameFlags.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace VX3D;

namespace {

constexpr float eps = 1e-4f;

void expectNear(const glm::vec3& a, const glm::vec3& b, float tolerance = eps) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

// An ant whose hooks record what it asks of its drawable.
struct Recorder {
    std::vector<AntClip> clips;
    int stops = 0;
    int fogUpdates = 0;
    bool playing = false;
    float ground = 0.0f;

    void attach(AntMotion& ant) {
        ant.hooks.groundHeight = [this](const glm::vec3&) { return ground; };
        ant.hooks.startClip = [this](AntClip c, const FrameClock&) {
            clips.push_back(c);
            playing = true;
        };
        ant.hooks.stopClip = [this] { ++stops; };
        ant.hooks.clipPlaying = [this] { return playing; };
        ant.hooks.updateFog = [this](Fog&, const glm::vec3&, const glm::vec3&, float) {
            ++fogUpdates;
        };
        ant.rebuildModelMatrix();
    }
};

// Only passed along to the fog hook, never dereferenced.
alignas(64) char fogStandIn[64];
Fog* const someFog = reinterpret_cast<Fog*>(fogStandIn);

// Advances the ant frame by frame at 60 Hz from `from` until `until`; returns the time of
// the first frame at which it had no record left (or -1).
double runFrames(AntMotion& ant, FrameClock& clock, double until) {
    double finished = -1.0;
    while (clock.current < until) {
        clock.update(clock.current + 1.0 / 60.0);
        ant.update(clock);
        if (finished < 0.0 && !ant.animating()) finished = clock.current;
    }
    return finished;
}

}  // namespace

TEST(AntPlacement, BehindCellCentreAlongInitialFacing_ModelMatrixOnGround) {
    const AntMotion east({3, 4}, +1, 40, 0), west({3, 4}, -1, 40, 1);
    expectNear(east.position, {3.5f - 0.252f, 0.0f, -4.5f});
    expectNear(east.facing, {1, 0, 0});
    expectNear(west.position, {3.5f + 0.252f, 0.0f, -4.5f});
    expectNear(west.facing, {-1, 0, 0});

    AntMotion ant({3, 4}, -1, 40, 1);
    Recorder r;
    r.ground = 0.125f;
    r.attach(ant);
    expectNear(glm::vec3(ant.modelMatrix[3]), {3.752f, 0.125f, -4.5f});
    // Model +x (the ant's front) points along the facing.
    expectNear(glm::vec3(ant.modelMatrix * glm::vec4(1, 0, 0, 0)), {-1, 0, 0});
    EXPECT_EQ(ant.position.y, 0.0f);
}

TEST(AntTurning, SignedAngleInAllQuadrants_TurnByReachesTarget) {
    const glm::vec3 x(1, 0, 0);
    EXPECT_NEAR(signedAngle(x, glm::normalize(glm::vec3(1, 0, -1))), 45.0f, 1e-3f);
    EXPECT_NEAR(signedAngle(x, glm::normalize(glm::vec3(-1, 0, -1))), 135.0f, 1e-3f);
    EXPECT_NEAR(signedAngle(x, glm::normalize(glm::vec3(-1, 0, 1))), -135.0f, 1e-3f);
    EXPECT_NEAR(signedAngle(x, glm::normalize(glm::vec3(1, 0, 1))), -45.0f, 1e-3f);
    // From a facing with no x component (the formula's division by u.x).
    EXPECT_NEAR(signedAngle({0, 0, -1}, {-1, 0, 0}), 90.0f, 1e-3f);
    EXPECT_NEAR(signedAngle({0, 0, -1}, {1, 0, 0}), -90.0f, 1e-3f);
    // Half turns: positive from +x, negative from -x; y components are ignored.
    EXPECT_NEAR(signedAngle(x, {-1, 0, 0}), 180.0f, 1e-3f);
    EXPECT_NEAR(signedAngle({-1, 0, 0}, x), -180.0f, 1e-3f);
    EXPECT_NEAR(signedAngle({1, 5, 0}, {1, -3, 0}), 0.0f, 1e-3f);

    for (const glm::vec3 u :
         {glm::vec3(1, 0, 0), glm::vec3(0, 0, 1), glm::normalize(glm::vec3(-1, 0, -1))})
        for (const glm::vec3 v :
             {glm::vec3(0, 0, -1), glm::vec3(-1, 0, 0), glm::normalize(glm::vec3(1, 0, 1)),
              glm::normalize(glm::vec3(-1, 0, 1))}) {
            expectNear(turnBy(u, v, 1.0f), v);
            expectNear(turnBy(u, v, 0.0f), u);
            EXPECT_NEAR(signedAngle(u, turnBy(u, v, 0.5f)), 0.5f * signedAngle(u, v), 1e-2f);
        }
    expectNear(turnBy(x, {-1, 0, 0}, 0.5f), {0, 0, -1});
}

TEST(AntMove, TurnTimeAndClip_StraightLeftRight) {
    FrameClock clock(10.0);
    {
        AntMotion ant({2, 2}, +1, 40, 0);
        Recorder r;
        r.attach(ant);
        ant.startMove({3, 2}, clock, false, false, nullptr, {}, 2.6f);
        EXPECT_NEAR(ant.moveData->rotEnd - ant.moveData->timeStart, 0.01, 1e-9);
        EXPECT_NEAR(ant.moveData->movEnd - ant.moveData->timeStart, 1.01, 1e-9);
        EXPECT_TRUE(r.clips.empty());
    }
    {
        AntMotion ant({2, 2}, +1, 40, 0);
        Recorder r;
        r.attach(ant);
        ant.startMove({2, 3}, clock, false, false, nullptr, {},
                      2.6f);  // field +y: world -z, a left turn
        EXPECT_NEAR(ant.moveData->rotEnd - ant.moveData->timeStart, 1.0, 1e-9);
        EXPECT_NEAR(ant.moveData->movEnd - ant.moveData->timeStart, 2.0, 1e-9);
        EXPECT_EQ(r.clips, std::vector<AntClip>{AntClip::TurnLeft});
    }
    {
        AntMotion ant({2, 2}, +1, 40, 0);
        Recorder r;
        r.attach(ant);
        ant.startMove({1, 1}, clock, false, false, nullptr, {}, 2.6f);
        EXPECT_EQ(r.clips, std::vector<AntClip>{AntClip::TurnRight});
    }
}

TEST(AntMove, PlainMove_LastsTurnPlusOneSecond_EndsBehindTargetCentre) {
    AntMotion ant({2, 2}, +1, 40, 0);
    Recorder r;
    r.attach(ant);
    FrameClock clock(5.0);
    ant.startMove({3, 1}, clock, false, false, nullptr, {},
                  2.6f);  // diagonal: a turn of about 63 degrees
    const glm::vec3 start = ant.position, centre(3.5f, 0.0f, -1.5f);
    const glm::vec3 walk = glm::normalize(centre - start);
    EXPECT_EQ(r.clips.size(), 1u);

    const double end = runFrames(ant, clock, 7.5);
    EXPECT_GE(end, 5.0 + 2.0);
    EXPECT_LT(end, 5.0 + 2.0 + 1.0 / 60.0 + 1e-9);
    expectNear(ant.position, centre - 0.252f * walk);
    expectNear(ant.facing, walk);
    EXPECT_EQ(r.clips.back(), AntClip::Walk);
    EXPECT_GE(r.stops, 1);
    EXPECT_TRUE(ant.alive);
    EXPECT_FALSE(ant.plannedEnd());
}

TEST(AntMove, PortalMove_LastsTurnPlusTwoSeconds_JumpsFromEntryToExitBetweenFrames) {
    AntMotion ant({2, 2}, +1, 40, 0);
    Recorder r;
    r.attach(ant);
    FrameClock clock(0.0);
    ant.startPortalMove({3, 2}, {10, 8}, clock, false, false, someFog, {}, 2.6f);
    const auto planned = ant.plannedEnd();
    ASSERT_TRUE(planned);
    expectNear(planned->first, glm::vec3(10.5f - 0.252f, 0.0f, -8.5f));
    expectNear(planned->second, {1, 0, 0});

    glm::vec3 previous = ant.position;
    bool jumped = false;
    while (ant.animating()) {
        clock.update(clock.current + 1.0 / 60.0);
        ant.update(clock);
        if (glm::length(ant.position - previous) > 1.0f) {
            EXPECT_FALSE(jumped);
            jumped = true;
            expectNear(previous, {3.5f, 0.0f, -2.5f}, 0.02f);       // last frame: at the entry
            expectNear(ant.position, {10.5f, 0.0f, -8.5f}, 0.01f);  // this frame: at the exit
        }
        previous = ant.position;
    }
    EXPECT_TRUE(jumped);
    EXPECT_NEAR(clock.current, 2.01, 1.0 / 60.0 + 1e-9);
    expectNear(ant.position, planned->first);
    EXPECT_EQ(r.fogUpdates, 1);  // only on arrival at the exit
}

TEST(AntBattle, AttackedAntEndsFacingAttacker_FightsAndDies) {
    FrameClock clock(1.0);
    AntMotion attacker({2, 2}, +1, 40, 0), defender({3, 2}, +1, 40, 1);
    Recorder ra, rd;
    ra.attach(attacker);
    rd.attach(defender);
    rd.ground = 0.1f;
    attacker.startMove({3, 2}, clock, true, false, nullptr, {}, 2.6f);
    const auto planned = attacker.plannedEnd();
    ASSERT_TRUE(planned);
    defender.startTurnOnSpot(planned->first, planned->second, clock, nullptr, {}, 2.6f);
    EXPECT_EQ(rd.clips, std::vector<AntClip>{AntClip::TurnLeft});  // a half turn from +x
    // The defender also loses a move.
    EXPECT_EQ(defender.energy, 39);

    runFrames(attacker, clock, 3.0);
    FrameClock defenderClock(1.0);
    runFrames(defender, defenderClock, 3.0);
    expectNear(defender.position, attacker.position + 0.504f * attacker.facing);
    expectNear(defender.facing, -attacker.facing);
    EXPECT_EQ(ra.clips.back(), AntClip::Fight);
    EXPECT_EQ(rd.clips.back(), AntClip::Fight);

    // Dying at the end of a fight move: the fight clip starts, then its looping ends and
    // the ant lies 0.2 above the ground.
    AntMotion loser({5, 5}, +1, 40, 0);
    Recorder rl;
    rl.ground = 0.1f;
    rl.attach(loser);
    loser.startMove({6, 5}, clock, true, true, nullptr, {}, 2.6f);
    const int stopsBefore = rl.stops;
    runFrames(loser, clock, 6.0);
    EXPECT_FALSE(loser.alive);
    EXPECT_EQ(rl.clips.back(), AntClip::Fight);
    EXPECT_EQ(rl.stops, stopsBefore + 2);  // end of the walk, then the dying fight clip
    EXPECT_NEAR(loser.modelMatrix[3].y, 0.1f + 0.2f, eps);
    // Lying on its side: the model's up axis lies in the ground plane; its energy bar still
    // floats over it, not beside it on the ground.
    EXPECT_NEAR(glm::vec3(loser.modelMatrix * glm::vec4(0, 1, 0, 0)).y, 0.0f, eps);
    expectNear(loser.energyBarPosition(), loser.position + glm::vec3(0, 0.1f + 0.65f, 0));
}

TEST(AntBattle, TurnOnSpotWithoutAttackerFacing_StaysPut) {
    // A mover without a record gave zero position and facing: the ant must neither slide
    // to the origin nor face NaN.
    AntMotion ant({7, 3}, -1, 40, 1);
    Recorder r;
    r.attach(ant);
    const glm::vec3 place = ant.position, facing = ant.facing;
    FrameClock clock(0.0);
    ant.startTurnOnSpot(glm::vec3(0.0f), glm::vec3(0.0f), clock, nullptr, {}, 2.6f);
    runFrames(ant, clock, 1.5);
    expectNear(ant.position, place);
    expectNear(ant.facing, facing);
    EXPECT_EQ(r.clips, std::vector<AntClip>{AntClip::Fight});
}

TEST(AntMove, EnergyNeverBelowZero_SecondMoveWarnsAndReplaces) {
    AntMotion ant({2, 2}, +1, 1, 0);
    FrameClock clock(0.0);
    testing::internal::CaptureStdout();
    ant.startMove({3, 2}, clock, false, false, nullptr, {}, 2.6f);
    ant.startMove({2, 3}, clock, false, false, nullptr, {}, 2.6f);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(ant.energy, 0);
    ant.startTurnOnSpot({1, 0, -1}, {1, 0, 0}, clock, nullptr, {}, 2.6f);
    ant.startPortalMove({3, 2}, {9, 9}, clock, false, false, nullptr, {}, 2.6f);
    EXPECT_EQ(ant.energy, 0);

    const std::string dashes(66, '-');
    EXPECT_NE(
        out.find(dashes +
                 "MOve to (3,2) created modeDat:\nMoveData:\nTime Start: 0s\nRot end: 0.01s\n"),
        std::string::npos);
    EXPECT_NE(out.find("Ori start: fvec3(1.000000, 0.000000, 0.000000)\n"), std::string::npos);
    const auto warning = out.find("still have move dat that should not be here!\nMoveData:\n");
    ASSERT_NE(warning, std::string::npos);
    EXPECT_LT(warning, out.find(dashes + "MOve to (2,3)"));
    // The replacement walks towards the second target.
    expectNear(ant.moveData->endPos,
               glm::vec3(2.5f, 0, -3.5f) -
                   0.252f * glm::normalize(glm::vec3(2.5f, 0, -3.5f) - ant.position));
}

TEST(AntFog, WalkUpdatesFogForPlayerZero_PlayerOneOnlyWhenShown) {
    auto walkUpdates = [](int player) {
        AntMotion ant({2, 2}, +1, 40, player);
        Recorder r;
        r.attach(ant);
        FrameClock clock(0.0);
        ant.startMove({3, 2}, clock, false, false, someFog, {}, 2.6f);
        runFrames(ant, clock, 1.5);
        return r.fogUpdates;
    };
    EXPECT_GT(walkUpdates(0), 30);
    EXPECT_EQ(walkUpdates(1), 0);
    RenderState::cheatView = true;
    EXPECT_GT(walkUpdates(1), 30);
    RenderState::cheatView = false;
    GameFlags::enemyUncovered = true;
    EXPECT_GT(walkUpdates(1), 30);
    GameFlags::enemyUncovered = false;
}

TEST(AntPickBox, NearestFaceHit_MissBeside_HitBehindOrigin) {
    const glm::vec3 lo(1, 0, -1), hi(2, 0.5f, -2);  // corners need not be ordered
    const glm::vec4 along(1, 0, 0, 0);
    // From x = 0 along +x: enters at x = 1, t = 1 / 1000.
    const auto t = nearestBoxHit(lo, hi, {0, 0.25f, -1.5f, 1}, along);
    ASSERT_TRUE(t);
    EXPECT_NEAR(*t * 1000.0f, 1.0f, 1e-3f);
    // Of two boxes on one ray the nearer gives the smaller distance.
    const auto far = nearestBoxHit(lo + glm::vec3(3, 0, 0), hi + glm::vec3(3, 0, 0),
                                   {0, 0.25f, -1.5f, 1}, along);
    ASSERT_TRUE(far);
    EXPECT_GT(*far, *t);
    // Beside the box: nothing.
    EXPECT_FALSE(nearestBoxHit(lo, hi, {0, 0.25f, -2.5f, 1}, along));
    EXPECT_FALSE(nearestBoxHit(lo, hi, {0, 0.75f, -1.5f, 1}, along));
    // The box behind the origin still counts, with a negative distance.
    const auto behind = nearestBoxHit(lo, hi, {5, 0.25f, -1.5f, 1}, along);
    ASSERT_TRUE(behind);
    EXPECT_NEAR(*behind * 1000.0f, -4.0f, 1e-3f);
}
