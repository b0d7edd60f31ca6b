#version 400
// A full-screen quad: positions are already in clip space.
in vec3 vertex;
in vec2 uv;

out vec2 textureCoordinate;

void main()
{
    textureCoordinate = uv;
    gl_Position = vec4(vertex, 1.0);
}
