#version 400
// Depth-only program for the sun's shadow map, shared by the floor and the models.
// Positions stay in object space until the evaluation stage, where the floor's
// relief is added before "mvpMatrix" (the light's) projects them.
in vec4 vertex;  // slot 0
in vec2 UV;      // slot 2

out vec3 vsPosition;
out vec2 vsUV;

void main() {
    vsPosition = vertex.xyz / vertex.w;
    vsUV = UV;
}
