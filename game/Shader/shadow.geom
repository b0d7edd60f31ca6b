#version 400
// Depth-only program, geometry stage: passes the triangles through with their
// texture coordinates for the cut-out test.
layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;

in vec2 teUV[];
out vec2 fsUV;

void main() {
    for (int i = 0; i < 3; ++i) {
        fsUV = teUV[i];
        gl_Position = gl_in[i].gl_Position;
        EmitVertex();
    }
    EndPrimitive();
}
