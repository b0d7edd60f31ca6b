#version 400
// The sky cube, fragment stage: the cross image "cubemap" (unit 0) as it is.
// Outputs: the scene pass's three (SceneOutputs.md); the sky is never in shadow and
// has no surface, so it reports an upward normal.
in vec2 fsUV;

uniform sampler2D cubemap;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 shadowMask;
layout(location = 2) out vec4 normalColor;

void main() {
    // Across the cross the image does not wrap: keep v half a texel inside it, or the top
    // and bottom faces would pick up the opposite edge of the image along their outer rim.
    float halfTexel = 0.5 / float(textureSize(cubemap, 0).y);
    vec2 uv = vec2(fsUV.x, clamp(fsUV.y, halfTexel, 1.0 - halfTexel));
    // The full-size image only: the sky is magnified at any window size, so it is the right
    // level anyway, and reading it alone is cheaper than choosing and blending levels.
    fragColor = vec4(textureLod(cubemap, uv, 0.0).rgb, 1.0);
    shadowMask = vec4(1.0);
    normalColor = vec4(0.5, 1.0, 0.5, 1.0);
}
