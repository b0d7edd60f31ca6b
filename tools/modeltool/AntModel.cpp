// The ant: thorax as the root, with petiole and gaster behind, the head with eyes,
// mandibles and elbowed antennae in front, and six legs of three segments each.
//
// Design space: x forward, y up, z to the ant's right, one unit about a fifth of a
// cell (the game draws the ant scaled by 0.2 and turned 180 degrees about z). The
// file holds the design mirrored through the origin, which the game's loader and
// that turn bring back to an upright ant facing +x. Meshes are stored in rest-pose
// model coordinates and every rest transform is the identity, so each node's box
// is meaningful on its own; joints rotate about their pivots in the keys.
#include "Models.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cmath>
#include <functional>
#include <map>

namespace modelkit {
namespace {

constexpr float kScale = 0.86f;  // whole-ant size: mandible tips about 0.23 cells ahead
constexpr int kKeysPerClip = 36;

glm::vec3 S(float x, float y, float z) {
    return glm::vec3(x, y, z) * kScale;
}

float fract(double v) {
    return static_cast<float>(v - std::floor(v));
}
float smoothstep(float a, float b, float x) {
    const float t = glm::clamp((x - a) / (b - a), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

glm::mat4 aboutPivot(glm::vec3 pivot, const glm::quat& q, glm::vec3 offset = glm::vec3(0.0f)) {
    return glm::translate(glm::mat4(1.0f), pivot + offset) * glm::mat4_cast(q) *
           glm::translate(glm::mat4(1.0f), -pivot);
}

glm::mat3 pitched(float degrees) {
    return glm::mat3(glm::rotate(glm::mat4(1.0f), glm::radians(degrees), glm::vec3(0, 0, 1)));
}

struct Leg {
    glm::vec3 hip, trochanter, knee, ankle, foot;
};

// Right-hand legs, front to back; the left ones mirror z.
Leg legGeometry(int index, float side) {
    static const Leg right[3] = {
        {S(0.40f, 0.46f, 0.09f), S(0.50f, 0.38f, 0.19f), S(0.80f, 0.72f, 0.48f),
         S(1.05f, 0.16f, 0.70f), S(1.15f, 0.0f, 0.76f)},
        {S(0.16f, 0.44f, 0.11f), S(0.18f, 0.36f, 0.23f), S(0.25f, 0.74f, 0.66f),
         S(0.31f, 0.15f, 0.97f), S(0.33f, 0.0f, 1.09f)},
        {S(-0.08f, 0.46f, 0.10f), S(-0.15f, 0.38f, 0.21f), S(-0.49f, 0.72f, 0.56f),
         S(-0.86f, 0.16f, 0.84f), S(-1.0f, 0.0f, 0.92f)},
    };
    Leg l = right[index];
    for (glm::vec3* p : {&l.hip, &l.trochanter, &l.knee, &l.ankle, &l.foot}) p->z *= side;
    return l;
}

// Joint angles of one leg at one moment.
struct LegPose {
    float yaw = 0.0f;   // about the vertical through the hip; positive swings the foot forward
    float lift = 0.0f;  // femur raised at the trochanter
    float flex = 0.0f;  // tibia folded at the knee
};

// One leg of a tripod gait: swing in the first half of its cycle, stance in the second.
LegPose gait(double tau, int cycles, float phaseOffset, float amplitude, float liftAmount,
             float direction) {
    const float p = fract(tau / kClipLength * cycles + phaseOffset);
    LegPose pose;
    if (p < 0.5f) {
        const float s = p / 0.5f;
        pose.yaw = amplitude * (-1.0f + 2.0f * smoothstep(0.0f, 1.0f, s));
        pose.lift = liftAmount * std::sin(glm::pi<float>() * s);
        pose.flex = -0.35f * pose.lift;
    } else {
        const float s = (p - 0.5f) / 0.5f;
        pose.yaw = amplitude * (1.0f - 2.0f * s);
    }
    pose.yaw *= direction;
    return pose;
}

// The fight's lunge envelope for one strike per unit of clip time: 0 at rest, 1 at full reach.
float lunge(double tau) {
    const float u = fract(tau);
    return smoothstep(0.22f, 0.42f, u) * (1.0f - smoothstep(0.55f, 0.92f, u));
}
float rearBack(double tau) {
    const float u = fract(tau);
    return u < 0.24f ? std::sin(glm::pi<float>() * u / 0.24f) : 0.0f;
}
// Mandibles: open while rearing back and reaching, snap shut at the strike.
float mandibleOpen(double tau) {
    const float u = fract(tau);
    if (u < 0.36f) return 0.12f + 0.5f * smoothstep(0.05f, 0.3f, u);
    if (u < 0.46f) return 0.62f - 0.74f * smoothstep(0.36f, 0.44f, u);
    return -0.12f + 0.24f * smoothstep(0.5f, 0.95f, u);
}

LegPose legPose(AntClip clip, double tau, int index, float side) {
    // Tripod A: front and hind left with the middle right; tripod B the others.
    const bool tripodA = (side < 0.0f) == (index != 1);
    const float offset = tripodA ? 0.0f : 0.5f;
    switch (clip) {
        case AntClip::Walk:
            return gait(tau, 3, offset, 0.30f, 0.50f, 1.0f);
        case AntClip::TurnLeft:
            // Turning left on the spot: right legs push back, left legs push forward.
            return gait(tau, 2, offset, 0.24f, 0.45f, side > 0.0f ? 1.0f : -1.0f);
        case AntClip::TurnRight:
            return gait(tau, 2, offset, 0.24f, 0.45f, side > 0.0f ? -1.0f : 1.0f);
        case AntClip::Fight: {
            LegPose p;
            if (index == 0) {
                // Front legs raised in threat, pawing.
                p.lift =
                    0.35f + 0.1f * std::sin(glm::two_pi<float>() * static_cast<float>(tau) * 2.0f);
                p.yaw =
                    0.12f * std::sin(glm::two_pi<float>() * static_cast<float>(tau) * 2.0f + side);
                p.flex = -0.2f;
            } else {
                // The others brace against the lunge.
                p.yaw = -0.08f * lunge(tau) * (index == 1 ? 1.0f : 0.5f);
            }
            return p;
        }
    }
    return {};
}

glm::quat axisAngle(float angle, glm::vec3 axis) {
    return glm::angleAxis(angle, glm::normalize(axis));
}

struct Rig {
    // name -> transform of that node at (clip, tau), relative to its parent
    std::map<std::string, std::function<glm::mat4(AntClip, double)>> animators;
};

void addKeys(Node& node, const Rig& rig) {
    const auto it = rig.animators.find(node.name);
    if (it != rig.animators.end()) {
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k <= kKeysPerClip; ++k) {
                const double tau = kClipLength * k / kKeysPerClip;
                node.keys.emplace_back(c * kClipSpacing + tau,
                                       it->second(static_cast<AntClip>(c), tau));
            }
    }
    for (Node& child : node.children) addKeys(child, rig);
}

Node meshNode(const std::string& name, Mesh mesh, int material) {
    Node n;
    n.name = name;
    n.mesh = std::move(mesh);
    n.material = material;
    return n;
}

}  // namespace

Scene buildAnt(const AntColours& colours, const std::string& skinTexture) {
    Scene scene;
    scene.name = "AntScene";
    scene.designToFile = glm::mat3(-1.0f);
    const std::string sfx = colours.suffix;
    scene.materials = {
        {"AntBody" + sfx, colours.body * 0.45f, colours.body, glm::vec3(0.55f, 0.5f, 0.45f), 48.0f,
         skinTexture},
        {"AntLimb" + sfx, colours.limbs * 0.45f, colours.limbs, glm::vec3(0.35f), 32.0f, ""},
        {"AntMandible" + sfx, colours.mandibles * 0.45f, colours.mandibles, glm::vec3(0.5f), 40.0f,
         ""},
        {"AntEye" + sfx, glm::vec3(0.02f), glm::vec3(0.04f), glm::vec3(0.9f), 90.0f, ""},
    };
    enum { Body, Limb, Jaw, Eye };
    Rig rig;

    // Thorax (root): the mesosoma with its raised pronotum and the propodeum bump.
    Mesh thorax = ellipsoid(S(0.16f, 0.58f, 0.0f), S(0.44f, 0.16f, 0.155f), 18, 10);
    thorax.append(ellipsoid(S(0.37f, 0.64f, 0.0f), S(0.2f, 0.15f, 0.15f), 14, 8, pitched(-10.0f)));
    thorax.append(ellipsoid(S(-0.13f, 0.63f, 0.0f), S(0.14f, 0.12f, 0.12f), 12, 8));
    Node root = meshNode("Ant", std::move(thorax), Body);
    rig.animators["Ant"] = [](AntClip clip, double tau) {
        if (clip != AntClip::Fight) return glm::mat4(1.0f);
        // The whole body leans into each strike.
        const float l = lunge(tau) - 0.4f * rearBack(tau);
        return aboutPivot(S(0.0f, 0.0f, 0.0f), axisAngle(-0.06f * l, {0, 0, 1}),
                          S(0.07f * l, 0.0f, 0.0f));
    };

    // Waist and abdomen.
    Node petiole = meshNode(
        "Petiole", ellipsoid(S(-0.36f, 0.63f, 0.0f), S(0.09f, 0.11f, 0.075f), 10, 8), Body);
    const glm::vec3 petiolePivot = S(-0.30f, 0.60f, 0.0f);
    rig.animators["Petiole"] = [petiolePivot](AntClip clip, double tau) {
        const float sway = clip == AntClip::Walk
                               ? 0.04f * std::sin(glm::pi<float>() * 3.0f * static_cast<float>(tau))
                               : 0.0f;
        return aboutPivot(petiolePivot, axisAngle(sway, {0, 1, 0}));
    };
    Node gaster = meshNode(
        "Gaster", ellipsoid(S(-0.93f, 0.70f, 0.0f), S(0.53f, 0.37f, 0.39f), 20, 14, pitched(9.0f)),
        Body);
    const glm::vec3 gasterPivot = S(-0.42f, 0.63f, 0.0f);
    rig.animators["Gaster"] = [gasterPivot](AntClip clip, double tau) {
        float pitch = 0.0f;
        float yaw = 0.0f;
        if (clip == AntClip::Fight)
            pitch = -0.32f * lunge(tau) + 0.08f * rearBack(tau);  // curls under at the strike
        if (clip == AntClip::Walk)
            yaw = 0.05f * std::sin(glm::pi<float>() * 3.0f * static_cast<float>(tau) + 1.0f);
        return aboutPivot(gasterPivot, axisAngle(pitch, {0, 0, 1}) * axisAngle(yaw, {0, 1, 0}));
    };
    petiole.children.push_back(std::move(gaster));
    root.children.push_back(std::move(petiole));

    // Head with neck, eyes, mandibles and antennae.
    Mesh headMesh =
        ellipsoid(S(0.83f, 0.70f, 0.0f), S(0.27f, 0.22f, 0.25f), 18, 12, pitched(-20.0f));
    headMesh.append(ellipsoid(S(0.61f, 0.64f, 0.0f), S(0.1f, 0.075f, 0.075f), 10, 6));
    Node head = meshNode("Head", std::move(headMesh), Body);
    const glm::vec3 neck = S(0.56f, 0.63f, 0.0f);
    rig.animators["Head"] = [neck](AntClip clip, double tau) {
        const float t = static_cast<float>(tau);
        switch (clip) {
            case AntClip::Fight: {
                const float l = lunge(tau), r = rearBack(tau);
                return aboutPivot(neck, axisAngle(-0.30f * l + 0.22f * r, {0, 0, 1}),
                                  S(0.12f * l - 0.03f * r, 0.0f, 0.0f));
            }
            case AntClip::Walk:
                return aboutPivot(
                    neck, axisAngle(0.05f * std::sin(glm::pi<float>() * 3.0f * t), {0, 0, 1}));
            case AntClip::TurnLeft:
            case AntClip::TurnRight: {
                // Looks into the turn.
                const float dir = clip == AntClip::TurnLeft ? 1.0f : -1.0f;
                return aboutPivot(neck, axisAngle(dir * 0.16f * smoothstep(0.0f, 0.3f, t) *
                                                      (1.0f - smoothstep(1.7f, 2.0f, t)),
                                                  {0, 1, 0}));
            }
        }
        return glm::mat4(1.0f);
    };

    for (float side : {-1.0f, 1.0f}) {
        const std::string tag = side < 0.0f ? "_L" : "_R";
        head.children.push_back(meshNode(
            "Eye" + tag, ellipsoid(S(0.88f, 0.79f, 0.205f * side), S(0.075f, 0.065f, 0.05f), 10, 8),
            Eye));

        // Mandible: a curved, tapering blade that closes towards the midline.
        const glm::vec3 base = S(1.0f, 0.58f, 0.10f * side);
        Mesh jaw = sweep(
            {base, S(1.12f, 0.56f, 0.155f * side), S(1.24f, 0.54f, 0.135f * side),
             S(1.31f, 0.53f, 0.07f * side), S(1.33f, 0.53f, 0.03f * side)},
            {0.045f * kScale, 0.04f * kScale, 0.032f * kScale, 0.02f * kScale, 0.008f * kScale}, 7);
        // A tooth on the inner edge.
        jaw.append(sweep({S(1.18f, 0.55f, 0.14f * side), S(1.2f, 0.55f, 0.10f * side)},
                         {0.018f * kScale, 0.005f * kScale}, 5, false, true));
        head.children.push_back(meshNode("Mandible" + tag, std::move(jaw), Jaw));
        rig.animators["Mandible" + tag] = [base, side](AntClip clip, double tau) {
            float open = 0.08f;
            if (clip == AntClip::Fight) open = mandibleOpen(tau);
            if (clip == AntClip::Walk)
                open = 0.08f + 0.05f * std::sin(glm::pi<float>() * 2.0f * static_cast<float>(tau));
            // Positive yaw turns +x towards -z, so the right jaw opens with negative yaw.
            return aboutPivot(base, axisAngle(-side * open, {0, 1, 0}));
        };

        // Elbowed antenna: the scape rises from the head, the funiculus bends forward
        // and ends in a club.
        const glm::vec3 socket = S(0.95f, 0.86f, 0.10f * side);
        const glm::vec3 elbow = S(1.09f, 1.22f, 0.22f * side);
        Node scape = meshNode("Antenna" + tag,
                              sweep({socket, S(1.03f, 1.05f, 0.16f * side), elbow},
                                    {0.03f * kScale, 0.026f * kScale, 0.024f * kScale}, 6),
                              Limb);
        Node funiculus =
            meshNode("AntennaTip" + tag,
                     sweep({elbow, S(1.25f, 1.2f, 0.28f * side), S(1.41f, 1.1f, 0.32f * side),
                            S(1.5f, 0.99f, 0.34f * side), S(1.55f, 0.9f, 0.345f * side)},
                           {0.021f * kScale, 0.019f * kScale, 0.021f * kScale, 0.03f * kScale,
                            0.026f * kScale},
                           6),
                     Limb);
        rig.animators["Antenna" + tag] = [socket, side](AntClip clip, double tau) {
            const float t = static_cast<float>(tau);
            float yaw = 0.0f, pitch = 0.0f;
            switch (clip) {
                case AntClip::Fight:
                    yaw = 0.25f * std::sin(glm::two_pi<float>() * 2.0f * t + side);
                    pitch = -0.2f * lunge(tau);
                    break;
                case AntClip::Walk:
                    yaw = 0.14f * std::sin(glm::two_pi<float>() * t + (side < 0.0f ? 0.0f : 1.7f));
                    break;
                default:
                    yaw = 0.18f * std::sin(glm::pi<float>() * t) * (side < 0.0f ? 1.0f : -1.0f);
            }
            return aboutPivot(socket, axisAngle(yaw, {0, 1, 0}) * axisAngle(pitch, {0, 0, 1}));
        };
        rig.animators["AntennaTip" + tag] = [elbow](AntClip clip, double tau) {
            const float t = static_cast<float>(tau);
            const float pitch = clip == AntClip::Fight
                                    ? 0.25f * std::sin(glm::two_pi<float>() * 2.0f * t)
                                    : 0.1f * std::sin(glm::pi<float>() * 2.0f * t);
            return aboutPivot(elbow, axisAngle(pitch, {0, 0, 1}));
        };
        scape.children.push_back(std::move(funiculus));
        head.children.push_back(std::move(scape));
    }
    root.children.push_back(std::move(head));

    // Legs: coxa swings about the vertical at the hip, the femur lifts at the
    // trochanter, the tibia with its tarsus folds at the knee.
    for (float side : {-1.0f, 1.0f})
        for (int i = 0; i < 3; ++i) {
            const std::string tag = std::string(side < 0.0f ? "_L" : "_R") + std::to_string(i + 1);
            const Leg leg = legGeometry(i, side);
            const glm::vec3 out = glm::normalize(
                glm::vec3(leg.knee.x - leg.trochanter.x, 0.0f, leg.knee.z - leg.trochanter.z));
            const glm::vec3 liftAxis = glm::cross(out, glm::vec3(0, 1, 0));
            const float k = kScale;
            Node coxa = meshNode(
                "Coxa" + tag, sweep({leg.hip, leg.trochanter}, {0.068f * k, 0.056f * k}, 7), Limb);
            const glm::vec3 femurMid =
                (leg.trochanter + leg.knee) * 0.5f + glm::vec3(0.0f, 0.03f * k, 0.0f);
            Node femur = meshNode(
                "Femur" + tag,
                sweep({leg.trochanter, femurMid, leg.knee}, {0.05f * k, 0.048f * k, 0.04f * k}, 7),
                Limb);
            const glm::vec3 tarsusMid =
                (leg.ankle + leg.foot) * 0.5f + glm::vec3(0.0f, 0.01f * k, 0.0f);
            Node tibia = meshNode(
                "Tibia" + tag,
                sweep({leg.knee, (leg.knee + leg.ankle) * 0.5f, leg.ankle, tarsusMid, leg.foot},
                      {0.038f * k, 0.034f * k, 0.026f * k, 0.02f * k, 0.014f * k}, 6),
                Limb);
            rig.animators["Coxa" + tag] = [=](AntClip clip, double tau) {
                const LegPose p = legPose(clip, tau, i, side);
                return aboutPivot(leg.hip, axisAngle(side * p.yaw, {0, 1, 0}));
            };
            rig.animators["Femur" + tag] = [=](AntClip clip, double tau) {
                return aboutPivot(leg.trochanter,
                                  axisAngle(legPose(clip, tau, i, side).lift, liftAxis));
            };
            rig.animators["Tibia" + tag] = [=](AntClip clip, double tau) {
                return aboutPivot(leg.knee, axisAngle(legPose(clip, tau, i, side).flex, liftAxis));
            };
            femur.children.push_back(std::move(tibia));
            coxa.children.push_back(std::move(femur));
            root.children.push_back(std::move(coxa));
        }

    addKeys(root, rig);
    scene.root = std::move(root);
    return scene;
}

}  // namespace modelkit
