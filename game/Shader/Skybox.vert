#version 400
// The sky cube, vertex stage: corners at ±1 around the eye, projected by "mvpMatrix"
// (projection × the view without its translation, so the sky only turns).
// Inputs: "vertex" (slot 0), "uv" (slot 1, a cell of the cross image).
// Scene pass outputs: see SceneOutputs.md.
in vec3 vertex;
in vec2 uv;

uniform mat4 mvpMatrix;

out vec2 fsUV;

void main() {
    fsUV = uv;
    gl_Position = mvpMatrix * vec4(vertex, 1.0);
}
