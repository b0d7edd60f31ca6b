#version 400
// Fog visibility pass, vertex stage: hands each particle's position on to the geometry
// stage (nothing is drawn; the pass runs with rasterisation discarded).
// Inputs: position (slot 0, x y z 1). Uniforms: none. Outputs: vPosition.
in vec4 position;

out vec4 vPosition;

void main() {
    vPosition = position;
    gl_Position = position;
}
