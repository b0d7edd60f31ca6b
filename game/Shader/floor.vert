#version 400
// The field's ground, vertex stage: hands the cell corners on to the tessellation
// stages untouched (world space; the floor has no model matrix).
// Inputs: "vertex" (slot 0), "color" (slot 1, unused: the grass texture gives the
// colour), "UV" (slot 2). Scene pass outputs: see SceneOutputs.md.
in vec4 vertex;
in vec2 UV;

out vec3 vsPosition;
out vec2 vsUV;

void main() {
    vsPosition = vertex.xyz / vertex.w;
    vsUV = UV;
}
