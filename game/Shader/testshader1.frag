#version 400
// Lit model program, fragment stage: Blinn-Phong under the sun with the material's
// colours, an optional diffuse texture and the sun's shadow map.
//
// Outputs (see the vertex stage): 0 lit colour, 1 shadow mask, 2 normal.
// With "transparent" the texture's alpha becomes the fragment's alpha; textured
// see-through parts (the portal's energy) also glow with their own colour.

in vec3 fsPosition;
in vec3 fsNormal;
in vec2 fsUV;
in vec4 fsShadowCoord;

uniform vec4 ambient;
uniform vec4 diffuse;
uniform vec4 specular;
uniform float shininess;
uniform vec3 lightPos;
uniform vec3 viewPoint;
uniform int transparent;
uniform int hasTexture;
uniform sampler2D textureMap;      // unit 0
uniform sampler2DShadow shadowMap; // unit 4, depth comparison

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 shadowMask;
layout(location = 2) out vec4 normalColor;

// Fraction of the sun's light reaching this point: 1 lit, 0 in shadow. Points the
// map does not cover (or no map at all: a zero matrix gives w = 0) count as lit.
float sunlight() {
    if (fsShadowCoord.w <= 0.0) return 1.0;
    vec3 c = fsShadowCoord.xyz / fsShadowCoord.w;
    if (c.x <= 0.0 || c.x >= 1.0 || c.y <= 0.0 || c.y >= 1.0 || c.z >= 1.0) return 1.0;
    vec2 texel = 1.0 / vec2(textureSize(shadowMap, 0));
    float lit = 0.0;
    for (int i = -1; i <= 1; i += 2)
        for (int j = -1; j <= 1; j += 2)
            lit += texture(shadowMap, vec3(c.xy + vec2(i, j) * 0.75 * texel, c.z - 0.0015));
    return lit * 0.25;
}

void main() {
    vec3 n = normalize(fsNormal);
    if (!gl_FrontFacing) n = -n;
    vec3 toLight = normalize(lightPos - fsPosition);
    vec3 toEye = normalize(viewPoint - fsPosition);
    vec3 halfway = normalize(toLight + toEye);

    vec4 albedo = hasTexture != 0 ? texture(textureMap, fsUV) : vec4(1.0);
    float lambert = max(dot(n, toLight), 0.0);
    float highlight = lambert > 0.0 ? pow(max(dot(n, halfway), 0.0), max(shininess, 1.0)) : 0.0;
    // A little light from the sky on the sides facing away from the sun.
    float sky = 0.5 + 0.5 * n.y;

    vec3 colour = ambient.rgb * albedo.rgb * (0.7 + 0.3 * sky) + diffuse.rgb * albedo.rgb * lambert +
                  specular.rgb * highlight;
    float alpha = 1.0;
    if (transparent != 0) {
        alpha = albedo.a;
        if (hasTexture != 0 && albedo.a < 0.99) {
            float edge = 1.0 - abs(dot(n, toEye));
            colour = diffuse.rgb * albedo.rgb * (0.8 + 0.2 * lambert) + specular.rgb * highlight * 0.5;
            alpha = clamp(albedo.a * (0.7 + 0.6 * edge), 0.0, 1.0);
        }
    }

    float light = sunlight();
    fragColor = vec4(colour, alpha);
    shadowMask = vec4(vec3(light), alpha);
    normalColor = vec4(n * 0.5 + 0.5, alpha);
}
