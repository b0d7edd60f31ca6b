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

// The texel under this fragment: the inputs are as large as the target, so no filtering is
// needed, and unfiltered reads cost a fraction of filtered ones on a software rasteriser.
ivec2 texel(sampler2D map)
{
    return ivec2(textureCoordinate * vec2(textureSize(map, 0)));
}

void main()
{
    vec3 scene = texelFetch(tex1, texel(tex1), 0).rgb;
    float light = texelFetch(tex2bw, texel(tex2bw), 0).r;
    colour = vec4(scene * mix(0.45, 1.0, light), 1.0);
}
