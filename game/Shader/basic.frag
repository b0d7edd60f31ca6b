#version 400
// Vertex-coloured lines and solids, fragment stage (see basic.vert).
//
// Inputs: the interpolated vertex colour. Uniforms: none.
// Outputs, the three targets of the scene pass (SceneOutputs.md): 0 the colour, 1 the
// shadow mask as fully lit (these markers take no part in the sun's shadow), 2 a neutral
// upward normal. Each carries the colour's alpha, so a see-through marker stays see-through
// in every target.
in vec4 colour;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 shadowMask;
layout(location = 2) out vec4 normalColor;

void main() {
    fragColor = colour;
    shadowMask = vec4(1.0, 1.0, 1.0, colour.a);
    normalColor = vec4(0.5, 1.0, 0.5, colour.a);
}
