#version 400
// Blur pass, fragment stage: one direction of a separable Gaussian blur.
// Uniforms: "textureMap" (unit 0) the image to blur; "horizontal" 1 blurs along x, 0 along y;
// "step" the distance between neighbouring samples in texture coordinates (one texel of the
// target the pass draws into).
// Output: the blurred colour, alpha included.
//
// A 9-tap Gaussian (the middle nine binomial weights of row 12: 66 220 495 792 924 ..., scaled to
// sum to 1) read with 5 samples: each outer sample sits between two texels at the offset where
// linear filtering returns their weighted sum, so the filtering hardware does half the work.
uniform sampler2D textureMap;
uniform int horizontal;
uniform float step;

in vec2 textureCoordinate;

out vec4 colour;

const float offsets[3] = float[](0.0, 1.3846153846, 3.2307692308);
const float weights[3] = float[](0.2270270270, 0.3162162162, 0.0702702703);

void main()
{
    vec2 direction = horizontal == 1 ? vec2(step, 0.0) : vec2(0.0, step);
    vec4 sum = texture(textureMap, textureCoordinate) * weights[0];
    for (int i = 1; i < 3; ++i) {
        vec2 offset = direction * offsets[i];
        sum += (texture(textureMap, textureCoordinate + offset) +
                texture(textureMap, textureCoordinate - offset)) * weights[i];
    }
    colour = sum;
}
