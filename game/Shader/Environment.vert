#version 400
// The mountain ring, vertex stage: hands the piece's corners (world space, at ground
// level) on to the tessellation stages.
// Inputs: "vertex" (slot 0), "uv" (slot 1: u along the ring, v from the crest (0) to the
// foot at the field's edge (1)). Scene pass outputs: see SceneOutputs.md.
in vec3 vertex;
in vec2 uv;

out vec3 vsPosition;
out vec2 vsUV;

void main() {
    vsPosition = vertex;
    vsUV = uv;
}
