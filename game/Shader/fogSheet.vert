#version 400
// Fog sheet, vertex stage: one corner of the flat sheet that lies inside the fog layer.
// Inputs: position (slot 0, x y z 1, world). Uniforms: mvpMatrix.
// Outputs: vWorld (the world point, for the fragment stage).
in vec4 position;

out vec3 vWorld;

uniform mat4 mvpMatrix;

void main() {
    vWorld = position.xyz;
    gl_Position = mvpMatrix * position;
}
