#version 400
// The sky cube, fragment stage: the cube map "cubemap" (unit 0) in the direction of the
// fragment. Outputs: the scene pass's three (SceneOutputs.md); the sky is never in shadow
// and has no surface, so it reports an upward normal.
in vec3 fsDirection;

uniform samplerCube cubemap;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 shadowMask;
layout(location = 2) out vec4 normalColor;

void main() {
    // The sky is magnified at any window size, so its one full-size level is the right one.
    fragColor = vec4(textureLod(cubemap, fsDirection, 0.0).rgb, 1.0);
    shadowMask = vec4(1.0);
    normalColor = vec4(0.5, 1.0, 0.5, 1.0);
}
