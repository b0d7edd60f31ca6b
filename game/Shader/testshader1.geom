#version 400
// Lit model program, geometry stage: projects each triangle, gives corners without
// a usable normal the face normal, and forms the shadow-map coordinates.
layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;

in vec3 tePosition[];
in vec3 teNormal[];
in vec2 teUV[];

out vec3 fsPosition;
out vec3 fsNormal;
out vec2 fsUV;
out vec4 fsShadowCoord;

uniform mat4 vpMatrix;
uniform mat4 SMMatrix;  // bias x the sun's view-projection; all zero until a shadow map is given

void main() {
    vec3 face = cross(tePosition[1] - tePosition[0], tePosition[2] - tePosition[0]);
    for (int i = 0; i < 3; ++i) {
        fsPosition = tePosition[i];
        fsNormal = dot(teNormal[i], teNormal[i]) > 1e-12 ? teNormal[i] : face;
        fsUV = teUV[i];
        fsShadowCoord = SMMatrix * vec4(tePosition[i], 1.0);
        gl_Position = vpMatrix * vec4(tePosition[i], 1.0);
        EmitVertex();
    }
    EndPrimitive();
}
