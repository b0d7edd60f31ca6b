#version 400
// Text overlay: glyphs from a signed-distance-field atlas (0.5 on the outline of the glyph,
// rising inside, falling outside; the atlas stores 8 px of distance either side of the edge).
// The edge is resolved per pixel from the screen-space rate of change of the distance, so it
// stays sharp and smooth at any text size. Under the glyph lies an outline band, and under
// that a soft glow sampled slightly offset, like a light shadow.
uniform sampler2D textMap;
uniform vec4 textColour;
uniform vec4 outlineColour;
uniform vec3 glowColour;
uniform vec2 glowOffset;

in vec2 texCoord;

out vec4 fragColour;

const float glyphEdge = 0.5;
const float outlineWidth = 0.12;  // about 2 atlas pixels outside the glyph
const float glowReach = 0.12;     // the glow fades out over about 4 more pixels
const float glowStrength = 0.75;

void main()
{
    float dist = texture(textMap, texCoord).r;
    // the change of distance across one screen pixel
    float pixel = max(fwidth(dist), 1.0e-4);
    float aa = pixel * 0.7;
    // Small text: a slightly bolder glyph and an outline of at most about half a pixel, so the
    // letters stay readable in the text colour instead of drowning in their outline.
    float edge = glyphEdge - min(0.25 * pixel, 0.04);
    float outlineEdge = edge - min(outlineWidth, 0.5 * pixel + 0.02);
    float glyph = smoothstep(edge - aa, edge + aa, dist);
    float outline = smoothstep(outlineEdge - aa, outlineEdge + aa, dist);

    float glowDist = texture(textMap, texCoord + glowOffset).r;
    float glow = glowStrength * smoothstep(outlineEdge - glowReach, outlineEdge, glowDist);

    vec4 colour = vec4(glowColour, glow);
    colour = mix(colour, outlineColour, outline);
    colour = mix(colour, textColour, glyph);
    // Nothing of the quad outside the glow is written, so texts also look right with
    // blending switched off.
    if (colour.a < 0.02) {
        discard;
    }
    fragColour = colour;
}
