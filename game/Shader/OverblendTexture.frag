#version 400
// Selection glow compositing pass, fragment stage: a halo in the player's colour around the
// selected ant, laid over the composite.
// Uniforms: "tex1" (unit 0) the composite; "tex2bw" (unit 1) the blurred glow: the selected
// ant's solid-colour silhouette on black, so its hue is the player's colour; "distanceRatio"
// the ant's distance from the eye / 30 (1 at 30 units, more beyond).
// Output: the opaque composite with the halo.
//
// The halo is the rim of the blurred silhouette: where the blur is near 1 (inside a near ant's
// body) it fades out, so the ant's own shape and shading stay visible and the light sits around
// it. The rim lightens what lies beneath (a screen blend) and pulls it a little towards the pure
// player colour, so it reads as red or blue light whatever the ground's colour. Far ants are small and their blur narrow
// (distanceRatio 1 and beyond), so their rim is made stronger than a near ant's.
uniform sampler2D tex1;
uniform sampler2D tex2bw;
uniform float distanceRatio;

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
    vec3 base = texelFetch(tex1, texel(tex1), 0).rgb;
    vec3 glow = texelFetch(tex2bw, texel(tex2bw), 0).rgb;
    float strength = max(max(glow.r, glow.g), glow.b);
    vec3 hue = glow / max(strength, 1.0 / 255.0);
    float rim = clamp(4.0 * strength * (1.0 - strength), 0.0, 1.0);
    float weight = mix(0.9, 1.4, clamp(distanceRatio, 0.0, 1.0));
    vec3 light = clamp(hue * rim * weight, 0.0, 1.0);
    vec3 lit = 1.0 - (1.0 - base) * (1.0 - light);
    colour = vec4(mix(lit, hue, 0.35 * max(max(light.r, light.g), light.b)), 1.0);
}
