#version 400
// Shadow compositing pass, fragment stage: the scene's colour darkened by its soft shadows.
// Uniforms: "tex1" (unit 0) the scene colour; "tex2bw" (unit 1) the blurred black-and-white
// shadow mask of the scene pass (white lit, black in shadow; read from red).
// Output: the opaque composite.
//
// Shadows keep 45 % of the light, so the ground's colour still shows through them, and the
// blurred mask gives them soft edges.
uniform sampler2D tex1;
uniform sampler2D tex2bw;

in vec2 textureCoordinate;

out vec4 colour;

void main()
{
    vec3 scene = texture(tex1, textureCoordinate).rgb;
    float light = texture(tex2bw, textureCoordinate).r;
    colour = vec4(scene * mix(0.45, 1.0, light), 1.0);
}
