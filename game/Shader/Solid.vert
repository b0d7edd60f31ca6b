#version 400
// Flat-colour program: the selected ant's glow silhouette and the status bars.
in vec4 vertex;  // slot 0

uniform mat4 mvpMatrix;

void main() {
    gl_Position = mvpMatrix * vertex;
}
