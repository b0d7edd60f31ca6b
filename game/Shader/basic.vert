#version 400
// Vertex-coloured lines and solids: bounding boxes, marker cubes, the move indicator and
// the floor's border.
//
// Inputs: slot 0 the position, slot 1 the colour. The slots are fixed here because the
// programs built on this file bind different names to them ("vVertex"/"vColour" or
// "vertex"/"color"); a name the shader does not declare is simply ignored by the binding.
// Three-component position buffers read w = 1.
// Uniforms: "mvpMatrix" (model-view-projection).
// Outputs: the colour, to the fragment stage.
layout(location = 0) in vec4 vVertex;
layout(location = 1) in vec4 vColour;

uniform mat4 mvpMatrix;

out vec4 colour;

void main() {
    colour = vColour;
    gl_Position = mvpMatrix * vVertex;
}
