#version 400
// Flat-colour program: "color" everywhere. In the scene pass it also writes an
// unshadowed mask and a neutral normal, so every target holds a defined value.
uniform vec4 color;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 shadowMask;
layout(location = 2) out vec4 normalColor;

void main() {
    fragColor = color;
    shadowMask = vec4(1.0, 1.0, 1.0, color.a);
    normalColor = vec4(0.5, 1.0, 0.5, color.a);
}
