#version 400
// Fog draw, fragment stage: one soft, translucent fog sprite.
// Inputs: gColor (particle colour and opacity), gHeight (particle height, half the sprite's
//         height span), gDepth (the particle's own window depth), gl_PointCoord (position in
//         the sprite).
// Uniforms: textureMap (unit 0, the soft fog puff res/Textures/Fog.png).
// Output 0: premultiplied colour and coverage, blended with (1, 1 - source alpha) into the
// frame's reduced fog layer, which the compositing lays over the shadowed scene.
// Output 1: the particle's depth where the sprite shows, else far; the layer keeps the
// smallest, the nearest fog, by which the compositing tells what stands in front of it.
in vec4 gColor;
in vec2 gHeight;
flat in float gDepth;

layout(location = 0) out vec4 fogColour;
layout(location = 1) out vec4 fogDepth;

uniform sampler2D textureMap;

void main() {
    // The puff fades out well inside its square; using the middle of the picture spends
    // the sprite's pixels where it has some opacity.
    vec4 puff = texture(textureMap, 0.5 + (gl_PointCoord - 0.5) * 0.72) * gColor;
    // Where the sprite reaches below the ground the relief would cut it off in a hard line:
    // let it thin out towards the ground instead (gl_PointCoord.y grows downwards).
    float height = gHeight.x - (gl_PointCoord.y * 2.0 - 1.0) * gHeight.y;
    // Round, whatever the picture holds near its square's edge: a sprite near the eye covers
    // much of the frame, and a straight edge would show.
    float round = 1.0 - smoothstep(0.8, 1.0, length(gl_PointCoord * 2.0 - 1.0));
    float alpha = min(puff.a, 1.0) * smoothstep(0.0, 0.3, height) * round;
    fogColour = vec4(puff.rgb * alpha, alpha);
    fogDepth = vec4(alpha > 0.02 ? gDepth : 1.0);
}
