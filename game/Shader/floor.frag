#version 400
// The field's ground, fragment stage: grass ("textureMap", unit 1) lit by the sun at
// "lightPos", with glints where "specularMap" (unit 2) is bright, the surface normal
// taken from the slope of "displacementMap" (unit 0) so the relief shows in the light,
// and the sun's shadow from the sampler2DShadow "shadowMap" (unit 4) by
// a filtered depth comparison. "viewPoint" is the eye.
// Outputs: the scene pass's three (SceneOutputs.md).
in vec3 fsPosition;
in vec4 fsShadowCoord;

uniform sampler2D displacementMap;
uniform sampler2D textureMap;
uniform sampler2D specularMap;
uniform sampler2DShadow shadowMap;
uniform vec3 lightPos;
uniform vec3 viewPoint;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 shadowMask;
layout(location = 2) out vec4 normalColor;

// From a smaller mipmap: the averaged texels hide the 8-bit steps of the map, which
// would show as ripples in the light.
float relief(vec2 uv) { return length(textureLod(displacementMap, uv, 1.0).rgb) / 6.0; }

// Every cell shows the whole of each texture, so the texture coordinate is the ground
// position itself (the textures repeat). Unlike the cell's own coordinates it does not
// jump from 1 to 0 at a cell's edge, which would pick the smallest mipmap there and draw
// the cells' edges as lines.

// 1 lit, 0 in the sun's shadow; outside the map (or with a zero matrix) lit.
float sunlight() {
    if (fsShadowCoord.w <= 0.0) return 1.0;
    vec3 c = fsShadowCoord.xyz / fsShadowCoord.w;
    if (c.x <= 0.0 || c.x >= 1.0 || c.y <= 0.0 || c.y >= 1.0 || c.z >= 1.0) return 1.0;
    // One linear comparison filters 2 x 2 map texels; the frame blurs the mask anyway.
    return texture(shadowMap, vec3(c.xy, c.z - 0.0015));
}

void main() {
    vec2 uv = vec2(fsPosition.x, -fsPosition.z);
    // One texture unit spans one world unit: u along +x, v along -z.
    const float e = 2.0 / 256.0;
    float dhdu = (relief(uv + vec2(e, 0.0)) - relief(uv - vec2(e, 0.0))) / (2.0 * e);
    float dhdv = (relief(uv + vec2(0.0, e)) - relief(uv - vec2(0.0, e))) / (2.0 * e);
    vec3 n = normalize(vec3(-dhdu, 1.0, dhdv));

    vec3 toLight = normalize(lightPos - fsPosition);
    vec3 toEye = normalize(viewPoint - fsPosition);
    vec3 halfway = normalize(toLight + toEye);
    vec3 grass = texture(textureMap, uv).rgb;
    float glint = texture(specularMap, uv).r;

    float lambert = max(dot(n, toLight), 0.0);
    float highlight = lambert > 0.0 ? pow(max(dot(n, halfway), 0.0), 24.0) : 0.0;
    vec3 colour = grass * (0.38 + 0.82 * lambert) + vec3(0.9, 1.0, 0.7) * glint * highlight * 0.45;

    fragColor = vec4(colour, 1.0);
    shadowMask = vec4(vec3(sunlight()), 1.0);
    normalColor = vec4(n * 0.5 + 0.5, 1.0);
}
