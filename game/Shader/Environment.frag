#version 400
// The mountain ring, fragment stage: the mountain texture ("diffuseMap", unit 1: grass at
// the foot, rock above, snow on the crests) lit by the sun at "lightPos", with the normal
// taken from "slopeMap" (unit 2: the smoothed slope of the height map per texture unit,
// and the height, made by the mountains from their displacement map) so the relief shows
// in the light, and the sun's shadow from the sampler2DShadow "shadowMap" (unit 4).
// "viewPoint" is the eye. Outputs: the scene pass's three (SceneOutputs.md).
in vec3 fsPosition;
in vec2 fsUV;
in vec4 fsShadowCoord;
flat in mat2 fsUVPerGround;

uniform sampler2D slopeMap;
uniform sampler2D diffuseMap;
uniform sampler2DShadow shadowMap;
uniform vec3 lightPos;
uniform vec3 viewPoint;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 shadowMask;
layout(location = 2) out vec4 normalColor;

const float peak = 3.2;

float sunlight() {
    if (fsShadowCoord.w <= 0.0) return 1.0;
    vec3 c = fsShadowCoord.xyz / fsShadowCoord.w;
    if (c.x <= 0.0 || c.x >= 1.0 || c.y <= 0.0 || c.y >= 1.0 || c.z >= 1.0) return 1.0;
    // One linear comparison filters 2 x 2 map texels; the frame blurs the mask anyway.
    return texture(shadowMap, vec3(c.xy, c.z - 0.002));
}

void main() {
    // The surface is the map's height x the peak x the fall at the outer edge (as the
    // evaluation stage makes it); its slope along u and v by the product rule.
    vec3 map = texture(slopeMap, fsUV).xyz;
    float edge = clamp(fsUV.y / 0.1, 0.0, 1.0);
    float fall = edge * edge * (3.0 - 2.0 * edge);
    float fallSlope = 6.0 * edge * (1.0 - edge) / 0.1;
    vec2 slopeUV = peak * vec2(map.x * fall, map.y * fall + map.z * fallSlope);
    // d(height)/d(x, z) = transpose(d(uv)/d(x, z)) x d(height)/d(uv)
    vec2 slope = transpose(fsUVPerGround) * slopeUV;
    vec3 n = normalize(vec3(-slope.x, 1.0, -slope.y));

    vec3 toLight = normalize(lightPos - fsPosition);
    vec3 toEye = normalize(viewPoint - fsPosition);
    // On the outer edge's fall, v hardly changes while the height drops: the texture would
    // hang down it in streaks. There the colour runs from the crest (v = 0.1) back down the
    // texture's rock as the height falls, as a mountainside would look.
    vec2 colourUV = vec2(fsUV.x, fsUV.y >= 0.1 ? fsUV.y : 0.1 + 0.4 * (1.0 - fall));
    vec3 albedo = texture(diffuseMap, colourUV).rgb;
    float lambert = max(dot(n, toLight), 0.0);
    // Snow and ice glint; rock and grass hardly.
    float snow = smoothstep(0.7, 0.9, min(albedo.r, min(albedo.g, albedo.b)));
    float highlight = lambert > 0.0 ? pow(max(dot(n, normalize(toLight + toEye)), 0.0), 32.0) : 0.0;
    vec3 colour = albedo * (0.45 + 0.7 * lambert) + vec3(snow * highlight * 0.35);

    fragColor = vec4(colour, 1.0);
    shadowMask = vec4(vec3(sunlight()), 1.0);
    normalColor = vec4(n * 0.5 + 0.5, 1.0);
}
