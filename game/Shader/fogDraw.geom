#version 400
// Fog draw, geometry stage: turns a particle into a camera-facing point sprite sized by its
// distance, or into nothing when the ants have cleared it or it lies outside the view.
// Inputs: vPosition, vColor, vVisible from fogDraw.vert.
// Uniforms: mvpMatrix (model-view-projection), viewportHeight (pixels of the target, to
//           turn the world size into a point size).
// Outputs: gl_Position, gl_PointSize, gColor (rgba, alpha faded for sprites very near the
//          eye).
//
// A point sprite costs the rasteriser far less than a two-triangle quad, and most of the
// fog's cost is setting up and blending sprites, so cleared and unseen particles are
// dropped here and the sprites are kept as small as still reads as one layer.
layout(points) in;
layout(points, max_vertices = 1) out;

in vec4 vPosition[];
in vec4 vColor[];
flat in uint vVisible[];

out vec4 gColor;

uniform mat4 mvpMatrix;
uniform float viewportHeight;

const float spriteSize = 0.45;  // world units across
const int drawEvery = 4;
const float opacity = 0.35;
const float maxPointSize = 160.0;

void main() {
    if (vVisible[0] == 0u || gl_PrimitiveIDIn % drawEvery != 0) return;
    vec4 clip = mvpMatrix * vPosition[0];
    // Too near the eye (or behind it): a screen-filling sprite would only smear the view.
    if (clip.w < 0.3) return;
    // The projection's vertical scale, the length of the matrix's second row (the view part
    // has unit rows).
    float scaleY = length(vec3(mvpMatrix[0][1], mvpMatrix[1][1], mvpMatrix[2][1]));
    float size = spriteSize * scaleY / clip.w * 0.5 * viewportHeight;
    // Outside the view by more than the sprite's own half size: nothing to draw.
    float margin = clip.w * (1.0 + size / max(viewportHeight, 1.0));
    if (abs(clip.x) > margin || abs(clip.y) > margin || clip.z > clip.w) return;
    gl_Position = clip;
    gl_PointSize = min(size, maxPointSize);
    // Fade sprites that come close to the eye instead of letting them pop.
    gColor = vec4(vColor[0].rgb, vColor[0].a * opacity * smoothstep(0.3, 1.2, clip.w));
    EmitVertex();
    EndPrimitive();
}
