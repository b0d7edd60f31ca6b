#version 400
// Copies the texture to the screen unchanged.
uniform sampler2D textureMap;

in vec2 textureCoordinate;

out vec4 colour;

void main()
{
    colour = texture(textureMap, textureCoordinate);
}
