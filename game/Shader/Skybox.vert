#version 400
// The sky cube, vertex stage: corners at ±1 around the eye, projected by "mvpMatrix"
// (projection × the view without its translation, so the sky only turns).
// Inputs: "vertex" (slot 0), which is also the direction the cube map is read in.
// Scene pass outputs: see SceneOutputs.md.
in vec3 vertex;

uniform mat4 mvpMatrix;

out vec3 fsDirection;

void main() {
    fsDirection = vertex;
    gl_Position = mvpMatrix * vec4(vertex, 1.0);
}
