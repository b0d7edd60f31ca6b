#version 400
// Lit model program, vertex stage: moves each vertex into world space.
//
// The scene pass writes three colour targets: 0 the lit colour (the sun's shadow
// not applied), 1 the shadow mask (1 lit, 0 in the sun's shadow; the frame blurs
// it and darkens the colour with it), 2 the world normal as a colour.

in vec4 vertexPosition;    // slot 0; three-component buffers read w = 1
in vec3 vertex_normal_in;  // slot 1
in vec2 uv_coordinates;    // slot 2; (0, 0) for meshes without coordinates

uniform mat4 modelMatrix;
uniform mat3 normalMatrix;

out vec3 vsPosition;
out vec3 vsNormal;
out vec2 vsUV;

void main() {
    vec4 world = modelMatrix * vertexPosition;
    vsPosition = world.xyz / world.w;
    vsNormal = normalMatrix * vertex_normal_in;
    vsUV = uv_coordinates;
}
