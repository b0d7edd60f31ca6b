#version 400
// Depth-only program, fragment stage: only depth matters. Textured casters drop
// their see-through texels, so cut-outs cast cut-out shadows.
in vec2 fsUV;

uniform int hasTexture;
uniform sampler2D textureMap;  // unit 0

layout(location = 0) out vec4 fragColor;

void main() {
    float alpha = hasTexture != 0 ? texture(textureMap, fsUV).a : 1.0;
    if (alpha < 0.2) discard;
    fragColor = vec4(gl_FragCoord.z);
}
