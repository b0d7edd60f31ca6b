#version 400
// Fog visibility pass, geometry stage: decides whether a particle still hides the field.
// Inputs: vPosition (x y z 1) from fogVisibleUpdate.vert.
// Uniforms: antPos1, antPos2 (world positions of the viewing player's two ants),
//           sichtweite (how far an ant sees, world units).
// Outputs: gVisible (captured): 0 when the particle lies within sichtweite of either ant
//          along x and along z (the square of cells an ant sees; height does not matter),
//          else 1.
layout(points) in;
layout(points, max_vertices = 1) out;

in vec4 vPosition[];

flat out uint gVisible;

uniform vec3 antPos1;
uniform vec3 antPos2;
uniform float sichtweite;

void main() {
    vec2 p = vPosition[0].xz;
    vec2 d1 = abs(p - antPos1.xz), d2 = abs(p - antPos2.xz);
    bool seen = max(d1.x, d1.y) <= sichtweite || max(d2.x, d2.y) <= sichtweite;
    gVisible = seen ? 0u : 1u;
    gl_Position = vPosition[0];
    EmitVertex();
    EndPrimitive();
}
