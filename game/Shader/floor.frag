#version 400
// The field's ground, fragment stage: grass ("textureMap", unit 1) lit by the sun at
// "lightPos", with glints where "specularMap" (unit 2) is bright, the surface normal
// taken from "slopeMap" (unit 3: the slope of the displacement map per texture unit,
// smoothed, made by the floor from the same image) so the relief shows in the light,
// and the sun's shadow from the sampler2DShadow "shadowMap" (unit 4) by
// a filtered depth comparison. "viewPoint" is the eye.
// Outputs: the scene pass's three (SceneOutputs.md).
in vec3 fsPosition;
in vec4 fsShadowCoord;

uniform sampler2D slopeMap;
uniform sampler2D textureMap;
uniform sampler2D specularMap;
uniform sampler2DShadow shadowMap;
uniform vec3 lightPos;
uniform vec3 viewPoint;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 shadowMask;
layout(location = 2) out vec4 normalColor;

// Every cell shows the whole of each texture and the textures repeat, so the texture
// coordinate is the ground position itself; the cells' own coordinates need not be passed on.

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
    vec2 slope = texture(slopeMap, uv).xy;
    vec3 n = normalize(vec3(-slope.x, 1.0, slope.y));

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
