#version 400
// Fog draw, geometry stage: turns a particle into a camera-facing point sprite sized by its
// distance, or into nothing when the ants have cleared it or it lies outside the view.
// Inputs: vPosition, vColor, vVisible from fogDraw.vert.
// Uniforms: mvpMatrix (model-view-projection), viewportHeight (pixels of the target, to
//           turn the world size into a point size).
// Outputs: gl_Position, gl_PointSize, gColor (rgba; alpha faded near the eye and near the
//          share cut below), gHeight (the particle's height, and the height half the sprite
//          spans on screen, for the fragment stage's fade into the ground).
//
// The fog's cost is blending sprite pixels, so: cleared and unseen particles emit nothing;
// a point sprite costs the rasteriser less than a two-triangle quad of the same size; and
// the 20000 particles are many times denser than the picture needs, so only an even share
// of them is drawn, as larger, denser puffs that still merge into one milky layer.
layout(points) in;
layout(points, max_vertices = 1) out;

in vec4 vPosition[];
in vec4 vColor[];
flat in uint vVisible[];

out vec4 gColor;
out vec2 gHeight;  // the particle's height and how far half the sprite reaches up and down

uniform mat4 mvpMatrix;
uniform float viewportHeight;

const float spriteSize = 0.65;  // world units across
const float drawnShare = 0.12;  // of the particles, picked evenly by a golden-ratio sequence
const float opacity = 1.3;     // above 1 makes the puff denser; the fragment stage caps alpha at 1
const float steepSlope = 0.55;  // lines of sight at least this steep (33 degrees) see every drawn particle
const float grazingShare = 0.4; // least fraction of drawnShare kept where the layer is seen edge-on
const float milk = 1.12;        // brightens the grey particle colours towards milk
const float maxPointSize = 160.0;

void main() {
    if (vVisible[0] == 0u) return;
    vec4 clip = mvpMatrix * vPosition[0];
    // Where the layer is seen edge-on, a line of sight crosses many particles and the sprites
    // pile up many deep: fewer of them still cover it, and cost far less to blend. The
    // slope of the line of sight decides; the eye is where clip x, y and w all vanish.
    // Particles near the cut fade instead of popping as the camera moves.
    mat3 rows = transpose(mat3(vec3(mvpMatrix[0][0], mvpMatrix[1][0], mvpMatrix[2][0]),
                               vec3(mvpMatrix[0][1], mvpMatrix[1][1], mvpMatrix[2][1]),
                               vec3(mvpMatrix[0][3], mvpMatrix[1][3], mvpMatrix[2][3])));
    vec3 eye = inverse(rows) * -vec3(mvpMatrix[3][0], mvpMatrix[3][1], mvpMatrix[3][3]);
    vec3 sight = vPosition[0].xyz - eye;
    float slope = abs(sight.y) / max(length(sight), 1e-4);
    float pick = fract(float(gl_PrimitiveIDIn) * 0.618034);
    float share = drawnShare * clamp(slope / steepSlope, grazingShare, 1.0);
    if (pick >= share) return;
    // Too near the eye (or behind it): a screen-filling sprite would only smear the view.
    if (clip.w < 0.3) return;
    // The projection's scales, the lengths of the matrix's first two rows (the view part
    // has unit rows).
    float scaleX = length(vec3(mvpMatrix[0][0], mvpMatrix[1][0], mvpMatrix[2][0]));
    float scaleY = length(vec3(mvpMatrix[0][1], mvpMatrix[1][1], mvpMatrix[2][1]));
    float size = spriteSize * scaleY / clip.w * 0.5 * viewportHeight;
    // Outside the view by more than the sprite's own half size: nothing to draw.
    float halfY = size / max(viewportHeight, 1.0);
    float halfX = halfY * scaleX / max(scaleY, 1e-6);
    if (abs(clip.x) > clip.w * (1.0 + halfX) || abs(clip.y) > clip.w * (1.0 + halfY) || clip.z > clip.w) return;
    // A flat sprite standing in the layer dips into the ground in front of it, and the depth
    // test would slice its lower part off in a hard line. Test it at a point nearer the eye
    // instead, by about its half size, more where the layer is seen edge-on.
    float lift = min(spriteSize * 0.5 / max(slope, 0.4), 0.5 * length(sight));
    vec4 nearer = mvpMatrix * vec4(vPosition[0].xyz - sight / max(length(sight), 1e-4) * lift, 1.0);
    gl_Position = vec4(clip.xy, nearer.z / nearer.w * clip.w, clip.w);
    gl_PointSize = min(size, maxPointSize);
    gHeight = vec2(vPosition[0].y, spriteSize * 0.5 * sqrt(1.0 - slope * slope) * min(1.0, maxPointSize / size));
    // Fade sprites that come close to the eye instead of letting them pop.
    gColor = vec4(min(vColor[0].rgb * milk, 1.0),
                  vColor[0].a * opacity * smoothstep(0.3, 1.2, clip.w) * smoothstep(share, 0.8 * share, pick));
    EmitVertex();
    EndPrimitive();
}
