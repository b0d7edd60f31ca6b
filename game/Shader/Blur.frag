#version 400
// Blur pass, fragment stage: one direction of a separable Gaussian blur.
// Uniforms: "textureMap" (unit 0) the image to blur; "horizontal" 1 blurs along x, 0 along y;
// "step" the distance between neighbouring samples in texture coordinates (one texel of the
// target the pass draws into).
// Output: the blurred colour, alpha included.
//
// A 5-tap Gaussian (binomial weights 1 4 6 4 1 / 16) read with 3 samples: each outer sample
// sits between two texels at the offset where linear filtering returns their weighted sum, so
// the filtering hardware does part of the work. The reduced target and the mipmaps it is read
// through widen the blur further, so few taps suffice.
uniform sampler2D textureMap;
uniform int horizontal;
uniform float step;

in vec2 textureCoordinate;

out vec4 colour;

const float centreWeight = 0.375;     // 6 / 16
const float sideOffset = 1.2;         // (4 × 1 + 1 × 2) / 5 texels
const float sideWeight = 0.3125;      // (4 + 1) / 16

void main()
{
    vec2 direction = horizontal == 1 ? vec2(step, 0.0) : vec2(0.0, step);
    vec2 offset = direction * sideOffset;
    vec4 sum = texture(textureMap, textureCoordinate) * centreWeight +
               (texture(textureMap, textureCoordinate + offset) +
                texture(textureMap, textureCoordinate - offset)) * sideWeight;
    colour = sum;
}
