#version 400
// Fog visibility pass, geometry stage: decides whether a particle still hides the field.
// Inputs: vPosition (x y z 1) from fogVisibleUpdate.vert.
// Uniforms: antPos1, antPos2 (world positions of the viewing player's two ants),
//           sichtweite (how far an ant sees, world units).
// Outputs: gVisible (captured): 0 when the particle lies within sichtweite of either ant,
//          measured in the ground plane (height does not matter), else 1.
layout(points) in;
layout(points, max_vertices = 1) out;

in vec4 vPosition[];

flat out uint gVisible;

uniform vec3 antPos1;
uniform vec3 antPos2;
uniform float sichtweite;

void main() {
    vec2 p = vPosition[0].xz;
    bool seen = distance(p, antPos1.xz) <= sichtweite || distance(p, antPos2.xz) <= sichtweite;
    gVisible = seen ? 0u : 1u;
    gl_Position = vPosition[0];
    EmitVertex();
    EndPrimitive();
}
