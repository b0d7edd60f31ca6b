#version 400
// The sun's disc, vertex stage: a unit disc turned towards the camera by its
// "mvpMatrix" (projection × view × translation to the sun × billboard).
// Scene pass outputs: see SceneOutputs.md.
in vec4 vertex;  // slot 0
in vec2 UV;      // slot 1

uniform mat4 mvpMatrix;

out vec2 fsUV;

void main() {
    fsUV = UV;
    gl_Position = mvpMatrix * vertex;
}
