#version 400
// The field's ground, geometry stage: projects each triangle with "mvpMatrix" and forms
// the shadow-map coordinates with "SMMatrix" (bias x the sun's view-projection; zero
// when there is no shadow map, which reads as lit).
layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;

in vec3 tePosition[];
out vec3 fsPosition;
out vec4 fsShadowCoord;

uniform mat4 mvpMatrix;
uniform mat4 SMMatrix;

void main() {
    for (int i = 0; i < 3; ++i) {
        fsPosition = tePosition[i];
        fsShadowCoord = SMMatrix * vec4(tePosition[i], 1.0);
        gl_Position = mvpMatrix * vec4(tePosition[i], 1.0);
        EmitVertex();
    }
    EndPrimitive();
}
