#version 400
// Fog sheet, fragment stage: a flat sheet just above the highest ground, drawn into the scene
// pass before the ground, opaque and fog-coloured wherever everything it hides lies in cells
// the viewing player does not see now, and nowhere else. The compositing lays the fog over
// those pixels anyway; the sheet's depth spares the renderer the shading of the ground and
// whatever else it hides.
// Inputs: vWorld (the world point).
// Uniforms: eye (the camera's, world), antPos1, antPos2, sichtweite (the viewing player's ants
//           and the half side of the square each sees; a negative sichtweite clears nothing).
// Outputs, the scene pass's three (SceneOutputs.md): the fog's colour, lit, straight up.
in vec3 vWorld;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 shadowMask;
layout(location = 2) out vec4 normalColor;

uniform vec3 eye;
uniform vec3 antPos1;
uniform vec3 antPos2;
uniform float sichtweite;

// As in BlendTexture.frag: how far a point lies from an ant, measured along the rounded square.
const float corner = 0.5;
const float highestGround = 0.3;  // the relief stays below this height
const vec2 area = vec2(20.0, 13.0);

float squareDistance(vec2 p, vec2 ant) {
    vec2 q = abs(p - ant) - vec2(sichtweite - corner);
    return length(max(q, 0.0)) + min(max(q.x, q.y), 0.0) + sichtweite - corner;
}

bool unseen(vec2 p) {
    bool onField = p.x >= 0.0 && p.x <= area.x && p.y <= 0.0 && p.y >= -area.y;
    return onField && (sichtweite < 0.0 || min(squareDistance(p, antPos1.xz),
                                                squareDistance(p, antPos2.xz)) >= sichtweite);
}

// Where the line of sight through this point of the sheet comes down to the given height.
vec2 sightAt(float height) {
    float drop = eye.y - vWorld.y;
    if (drop < 1e-3) return vWorld.xz;  // an eye at or below the sheet: straight below
    return eye.xz + (vWorld.xz - eye.xz) * (eye.y - height) / drop;
}

void main() {
    // Whatever lies behind the sheet here is on the line of sight below it: the sheet may hide
    // it only if that whole stretch lies over unseen cells.
    if (!unseen(vWorld.xz) || !unseen(sightAt(highestGround)) || !unseen(sightAt(0.0))) discard;
    fragColor = vec4(0.77, 0.775, 0.79, 1.0);  // the cover's colour (BlendTexture.frag)
    shadowMask = vec4(1.0);
    normalColor = vec4(0.5, 1.0, 0.5, 1.0);
}
