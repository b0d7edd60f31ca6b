#version 400
// Shadow and fog compositing pass, fragment stage: the scene's colour darkened by its soft
// shadows, with the fog of war laid over it.
// Uniforms: "tex1" (unit 0) the scene colour; "tex2bw" (unit 1) the blurred black-and-white
// shadow mask of the scene pass (white lit, black in shadow; read from red); "fogLayer"
// (unit 2) the fog as premultiplied colour and coverage, drawn at a reduced size;
// "fogNearest" (unit 3) the depth of the nearest fog in each of its pixels; "sceneDepth"
// (unit 4) the scene's depth at full size; "withFog" whether there is a fog layer at all;
// "inverseViewProjection" the inverse of the view the scene was drawn with; "antPos1",
// "antPos2", "sichtweite" the squares the viewing player's ants see (centres and half side; a
// negative half side clears nothing).
// Output: the opaque composite.
//
// Shadows keep 45 % of the light, so the ground's colour still shows through them, and the
// blurred mask gives them soft edges. The fog lies above the shadows: what it covers is
// hidden, shadow and all, and the fog itself is never darkened.
uniform sampler2D tex1;
uniform sampler2D tex2bw;
uniform sampler2D fogLayer;
uniform sampler2D fogNearest;
uniform sampler2D sceneDepth;
uniform bool withFog;
uniform mat4 inverseViewProjection;
uniform vec3 antPos1;
uniform vec3 antPos2;
uniform float sichtweite;

in vec2 textureCoordinate;

out vec4 colour;

// The texel under this fragment: the scene inputs are as large as the target, so no
// filtering is needed, and unfiltered reads cost a fraction of filtered ones on a software
// rasteriser.
ivec2 texel(sampler2D map)
{
    return ivec2(textureCoordinate * vec2(textureSize(map, 0)));
}

// The fog's closed cover: each pixel shows a point of the world, found again from its depth;
// where that point lies in a cell the player does not see now, the fog hides it whole, with a
// soft edge over the outer half of the outermost cells the ants see. So whatever stands in a
// seen cell stays clear, however tall, and whatever lies in an unseen one is hidden, from any
// eye. The particles (the fog layer) are the cloud's moving surface over this cover.
const vec2 area = vec2(20.0, 13.0);  // the field: x 0..20, z -13..0
const float spill = 0.3;             // the cover fades out this far past the field's edges
const float fadeOut = 0.55;          // inside a seen square's edge: no fog from here in
const float fadeIn = 0.05;           // ... whole fog from here out
const float corner = 0.5;            // the squares' rounded corners
const vec3 coverColour = vec3(0.77, 0.775, 0.79);  // what the particles make of it on average
const float layerTop = 1.0;          // the fog layer's top: nothing higher is under the fog

// The point this pixel shows at the given depth, in normalised device coordinates.
vec4 deviceAt(float depth)
{
    return vec4(vec3(textureCoordinate, depth) * 2.0 - 1.0, 1.0);
}

// How far ahead of the eye that point lies: the view is rigid, so the w the inverse gives is
// the inverse projection's, one over the eye's depth.
float aheadAt(float depth)
{
    vec4 w = vec4(inverseViewProjection[0][3], inverseViewProjection[1][3],
                  inverseViewProjection[2][3], inverseViewProjection[3][3]);
    return 1.0 / dot(w, deviceAt(depth));
}

float squareDistance(vec2 p, vec2 ant)
{
    vec2 q = abs(p - ant) - vec2(sichtweite - corner);
    return length(max(q, 0.0)) + min(max(q.x, q.y), 0.0) + sichtweite - corner;
}

float coverAt(vec3 world)
{
    vec2 p = world.xz;
    vec2 outside = max(vec2(-p.x, p.y), vec2(p.x - area.x, -p.y - area.y));
    float cover = (1.0 - smoothstep(0.0, spill, max(outside.x, outside.y))) *
                  (1.0 - smoothstep(layerTop, layerTop + spill, world.y));
    if (sichtweite >= 0.0) {
        float d = min(squareDistance(p, antPos1.xz), squareDistance(p, antPos2.xz));
        cover *= smoothstep(sichtweite - fadeOut, sichtweite - fadeIn, d);
    }
    return cover;
}

void main()
{
    vec3 scene = texelFetch(tex1, texel(tex1), 0).rgb;
    float light = texelFetch(tex2bw, texel(tex2bw), 0).r;
    vec3 lit = scene * mix(0.45, 1.0, light);
    if (withFog) {
        float depth = texelFetch(sceneDepth, texel(sceneDepth), 0).r;
        vec4 shown = inverseViewProjection * deviceAt(depth);
        if (depth < 1.0) lit = mix(lit, coverColour, coverAt(shown.xyz / shown.w));  // not the sky
        // The reduced layer, filtered up: the fog is soft, and filtering premultiplied colour
        // leaves no dark or light fringes at its edges. It has no reduced levels of its own.
        vec4 fog = textureLod(fogLayer, textureCoordinate, 0.0);
        if (fog.a > 0.002) {
            // What stands in front of all the fog of the four reduced pixels around this one
            // keeps its own colour, with its full-size outline: a food piece or an ant before
            // a fog bank is often smaller than a reduced pixel, which saw the bank behind it.
            // The change is eased over a short distance, so that the fog's outline stays soft.
            vec4 nearby = textureGather(fogNearest, textureCoordinate, 0);
            float nearest = min(min(nearby.x, nearby.y), min(nearby.z, nearby.w));
            float inFront = aheadAt(nearest) - 1.0 / shown.w;
            fog *= 1.0 - smoothstep(0.0, 0.4, inFront);
            lit = lit * (1.0 - fog.a) + fog.rgb;
        }
    }
    colour = vec4(lit, 1.0);
}
