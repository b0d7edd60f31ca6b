#version 400
// Fog draw, vertex stage: passes one particle on to the geometry stage, which makes the
// sprite.
// Inputs: position (slot 0, x y z 1), color (slot 1, rgba), isVisible (slot 2, unsigned:
//         0 cleared by the ants, 1 still hiding the field).
// Uniforms: none. Outputs: vPosition, vColor, vVisible.
in vec4 position;
in vec4 color;
in uint isVisible;

out vec4 vPosition;
out vec4 vColor;
flat out uint vVisible;

void main() {
    vPosition = position;
    vColor = color;
    vVisible = isVisible;
    gl_Position = position;
}
