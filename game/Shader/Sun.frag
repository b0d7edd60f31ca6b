#version 400
// The sun's disc, fragment stage: the glowing sun texture, tinted towards the leading
// player's colour. "dominantColor" carries that colour in rgb and the strength of the
// tint (the lead over the number of food pieces) in alpha; (0,0,0,0) leaves it white.
// Uniforms: "textureMap" (unit 0), "dominantColor".
// Outputs: the scene pass's three (SceneOutputs.md); the sun is never in shadow.
in vec2 fsUV;

uniform sampler2D textureMap;
uniform vec4 dominantColor;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 shadowMask;
layout(location = 2) out vec4 normalColor;

void main() {
    vec4 sun = texture(textureMap, fsUV);
    // The transparent rim would still write depth and hide what is drawn later.
    if (sun.a < 0.02) discard;
    float strength = clamp(dominantColor.a, 0.0, 1.0);
    float glow = max(sun.r, max(sun.g, sun.b));
    // Keep the core bright and let the corona carry most of the colour.
    vec3 tinted = glow * mix(vec3(1.0), dominantColor.rgb, 0.55 + 0.35 * (1.0 - sun.a)) + 0.15 * dominantColor.rgb;
    vec3 colour = mix(sun.rgb, tinted, strength);
    fragColor = vec4(colour, sun.a);
    shadowMask = vec4(1.0, 1.0, 1.0, sun.a);
    normalColor = vec4(0.5, 1.0, 0.5, sun.a);
}
