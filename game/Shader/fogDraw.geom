#version 400
// Fog draw, geometry stage: turns a particle into a camera-facing point sprite sized by its
// distance, or into nothing where the ants see or outside the view.
// Inputs: vPosition, vColor from fogDraw.vert.
// Uniforms: mvpMatrix (model-view-projection), eye (its eye in the world), projectionScale
//           (its projection's x and y scales), viewportHeight (pixels of the target, to
//           turn the world size into a point size), antPos1, antPos2, sichtweite (the
//           viewing player's ants and the half side of the square each sees; a negative
//           sichtweite clears nothing).
// Outputs: gl_Position, gl_PointSize, gColor (rgba; alpha faded near the eye and at the edge
//          of what the ants see), gDepth (the particle's window depth), gHeight (the
//          particle's height, and the height half the sprite spans on screen, for the
//          fragment stage's fade into the ground).
//
// The frame draws the layer into a target a quarter of the window's size each way, and the
// compositing lays it over the fog's closed cover (BlendTexture.frag). On the software
// renderer each sprite drawn costs a fixed set-up on one thread before any pixel: all 20000
// move, and an even share of them is drawn, as puffs large enough to merge into a soft,
// moving cloud surface over the cover.
layout(points) in;
layout(points, max_vertices = 1) out;

in vec4 vPosition[];
in vec4 vColor[];

out vec4 gColor;
out vec2 gHeight;  // the particle's height and how far half the sprite reaches up and down
flat out float gDepth;  // the particle's own window depth, not the nearer one tested

uniform mat4 mvpMatrix;
// Per frame, not per particle: this stage runs on a single thread of the software renderer.
uniform vec3 eye;
uniform vec2 projectionScale;
uniform float viewportHeight;
uniform vec3 antPos1;
uniform vec3 antPos2;
uniform float sichtweite;

const float spriteSize = 0.6;   // world units across
const vec2 area = vec2(20.0, 13.0);
// The particles wrap around the 20 x 13 area, so the layer would thin out over the last
// quarter cell at its border: it is spread this far past every side instead.
const float spill = 0.3;
// The fog thins out over this band inside the edge of a cleared square (half a cell, the
// outer half of the outermost cells the ants see), and is whole from just inside the edge
// on; the cover beneath (BlendTexture.frag) fades alike and closes what the sprites leave.
const float fadeOut = 0.55;
const float fadeIn = 0.05;
const float corner = 0.5;        // radius of the cleared squares' rounded corners
const float milk = 1.12;         // brightens the grey particle colours towards milk
const float drawnShare = 0.25;    // of the particles, picked evenly by a golden-ratio sequence

// How far p lies from the ant, in the measure whose level lines are the square's outline
// with rounded corners: within the square's straight sides it is the larger of the two
// distances along x and z, which is what the rules' square of cells means.
float squareDistance(vec2 p, vec2 ant) {
    vec2 q = abs(p - ant) - vec2(sichtweite - corner);
    return length(max(q, 0.0)) + min(max(q.x, q.y), 0.0) + sichtweite - corner;
}

void main() {
    if (fract(float(gl_PrimitiveIDIn) * 0.618034) >= drawnShare) return;
    vec3 p = vPosition[0].xyz;
    p.xz = p.xz * (1.0 + 2.0 * spill / area) + vec2(-spill, spill);  // x 0..20, z -13..0
    float cover = 1.0;
    if (sichtweite >= 0.0) {
        float d = min(squareDistance(p.xz, antPos1.xz), squareDistance(p.xz, antPos2.xz));
        cover = smoothstep(sichtweite - fadeOut, sichtweite - fadeIn, d);
        if (cover <= 0.0) return;
    }
    vec4 clip = mvpMatrix * vec4(p, 1.0);
    // Behind or at the eye: nothing to draw.
    if (clip.w < 0.05) return;
    float scaleX = projectionScale.x, scaleY = projectionScale.y;
    float size = spriteSize * scaleY / clip.w * 0.5 * viewportHeight;
    // Outside the view by more than the sprite's own half size: nothing to draw.
    float halfY = size / max(viewportHeight, 1.0);
    float halfX = halfY * scaleX / max(scaleY, 1e-6);
    if (abs(clip.x) > clip.w * (1.0 + halfX) || abs(clip.y) > clip.w * (1.0 + halfY) || clip.z > clip.w) return;
    vec3 sight = p - eye;
    float slope = abs(sight.y) / max(length(sight), 1e-4);
    // A flat sprite standing in the layer dips into the ground in front of it, and the depth
    // test would slice its lower part off in a hard line. Test it at a point nearer the eye
    // instead, by about its half size, more where the layer is seen edge-on.
    float lift = min(spriteSize * 0.5 / max(slope, 0.4), 0.5 * length(sight));
    vec4 nearer = mvpMatrix * vec4(p - sight / max(length(sight), 1e-4) * lift, 1.0);
    gl_Position = vec4(clip.xy, nearer.z / nearer.w * clip.w, clip.w);
    gDepth = clip.z / clip.w * 0.5 + 0.5;
    // A sprite larger than the target would cost much and show nothing more.
    float largest = max(viewportHeight, 1.0);
    gl_PointSize = min(size, largest);
    gHeight = vec2(p.y, spriteSize * 0.5 * sqrt(1.0 - slope * slope) * min(1.0, largest / size));
    // Sprites very near the eye fade instead of popping as the camera moves.
    gColor = vec4(min(vColor[0].rgb * milk, 1.0), vColor[0].a * cover * smoothstep(0.05, 0.3, clip.w));
    EmitVertex();
    EndPrimitive();
}
