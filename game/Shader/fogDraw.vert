#version 400
// Fog draw, vertex stage: passes one particle on to the geometry stage, which makes the
// sprite.
// Inputs: position (slot 0, x y z 1), color (slot 1, rgba).
// Uniforms: none. Outputs: vPosition, vColor.
in vec4 position;
in vec4 color;

out vec4 vPosition;
out vec4 vColor;

void main() {
    vPosition = position;
    vColor = color;
    gl_Position = position;
}
