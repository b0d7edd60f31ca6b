#version 400
// Blur pass, vertex stage: the full-screen quad, already in clip space.
// Inputs: "vertex" (slot 0) clip-space corner, "uv" (slot 1) its texture coordinate.
// Output: textureCoordinate for the fragment stage.
in vec3 vertex;
in vec2 uv;

out vec2 textureCoordinate;

void main()
{
    textureCoordinate = uv;
    gl_Position = vec4(vertex, 1.0);
}
