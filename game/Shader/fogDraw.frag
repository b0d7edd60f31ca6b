#version 400
// Fog draw, fragment stage: one soft, translucent fog sprite.
// Inputs: gColor (particle colour and opacity), gHeight (particle height, half the sprite's
//         height span), gl_PointCoord (position in the sprite).
// Uniforms: textureMap (unit 0, the soft fog puff res/Textures/Fog.png).
// Outputs, the scene pass's three targets (see SceneOutputs.md), all meant to be blended
// with source alpha over what is there:
//   0 colour: the milky puff, alpha from the texture;
//   1 shadow mask: lit, with the puff's alpha, so shadows beneath fade behind the fog
//     and the fog itself is never darkened;
//   2 normal: straight up with the puff's alpha, so the fog reads as a level surface.
in vec4 gColor;
in vec2 gHeight;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 shadowMask;
layout(location = 2) out vec4 normalColor;

uniform sampler2D textureMap;

void main() {
    // The puff fades out well inside its square; using the middle of the picture spends
    // the sprite's pixels where it has some opacity.
    vec4 puff = texture(textureMap, 0.5 + (gl_PointCoord - 0.5) * 0.72) * gColor;
    // Where the sprite reaches below the ground the relief would cut it off in a hard line:
    // let it thin out towards the ground instead (gl_PointCoord.y grows downwards).
    float height = gHeight.x - (gl_PointCoord.y * 2.0 - 1.0) * gHeight.y;
    puff.a = min(puff.a, 1.0) * smoothstep(0.0, 0.3, height);
    fragColor = puff;
    shadowMask = vec4(1.0, 1.0, 1.0, puff.a);
    normalColor = vec4(0.5, 1.0, 0.5, puff.a);
}
