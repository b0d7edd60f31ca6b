#version 400
// Text overlay: the glyph quads arrive already in normalised device coordinates.
in vec4 vVertex;
in vec2 vTexCoord0;

out vec2 texCoord;

void main()
{
    texCoord = vTexCoord0;
    gl_Position = vVertex;
}
