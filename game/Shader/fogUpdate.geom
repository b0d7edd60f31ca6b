#version 400
// Fog movement pass, geometry stage: moves one particle by one frame of a slow air flow
// and hands it to transform feedback.
// Inputs: vPosition (x y z 1) from fogUpdate.vert.
// Uniforms: elapsedTime (seconds to move; 0 leaves every particle where it is),
//           maxHeight (top of the fog layer; the ground is y = 0).
// Outputs: gPosition (captured, x y z 1).
//
// The flow is a sum of stationary eddies plus a light wind. Every part comes from a stream
// function, so the flow neither gathers nor thins the cloud, and most particles circle in
// eddies about a cell wide instead of blowing away from the holes the ants have cleared.
// The vertical rolls stop at the ground and at maxHeight, so the layer keeps its shape;
// particles that start outside it drift into it slowly. Leaving the 20 x 13 area on one
// side brings a particle back on the other.
layout(points) in;
layout(points, max_vertices = 1) out;

in vec4 vPosition[];

out vec4 gPosition;

uniform float elapsedTime;
uniform float maxHeight;

const vec2 area = vec2(20.0, 13.0);      // x 0..20, z -13..0
const vec2 wind = vec2(0.012, -0.006);   // world units per second along x and z
const float settleSpeed = 0.05;          // how fast a stray particle returns to the layer

// Wave numbers are whole waves over the area (2 pi n / 20 across, 2 pi m / 13 deep), so the
// flow joins up where a particle wraps around; otherwise the seams would trap particles.
const float tau = 6.2831853;

vec3 flow(vec3 p) {
    // Broad eddies in the ground plane: psi = a sin(u) sin(v).
    const float a1 = 0.05;
    const float kx1 = tau * 5.0 / 20.0, kz1 = tau * 3.0 / 13.0;
    float u = kx1 * p.x + 0.7, v = kz1 * p.z + 1.3;
    vec2 broad = a1 * vec2(kz1 * sin(u) * cos(v), -kx1 * cos(u) * sin(v));
    // Smaller, weaker eddies across them: psi = a sin(s) cos(t).
    const float a2 = 0.012;
    const float kx2 = tau * 13.0 / 20.0, kz2 = tau * 6.0 / 13.0;
    float s = kx2 * p.x + 2.1, t = kz2 * p.z + 0.4;
    vec2 small = a2 * vec2(-kz2 * sin(s) * sin(t), -kx2 * cos(s) * cos(t));
    // Rolls standing in the layer: psi = a sin(kx x + kz z) sin(pi y / maxHeight), turning
    // in the x-y plane; the vertical part vanishes at the ground and at the top.
    const float a3 = 0.015;
    const float kx3 = tau * 6.0 / 20.0, kz3 = tau * 2.0 / 13.0;
    float h = 3.14159265 / max(maxHeight, 1e-3);
    float r = kx3 * p.x + kz3 * p.z + 0.5;
    float yy = clamp(p.y, 0.0, maxHeight) * h;
    vec3 roll = a3 * vec3(sin(r) * h * cos(yy), -kx3 * cos(r) * sin(yy), 0.0);
    return vec3(broad.x + small.x + wind.x, 0.0, broad.y + small.y + wind.y) + roll;
}

void main() {
    vec3 p = vPosition[0].xyz;
    float dt = elapsedTime;
    // Midpoint step: keeps particles on their closed eddy paths far better than Euler.
    vec3 next = p + dt * flow(p + 0.5 * dt * flow(p));

    // The layer: inside stays inside; outside moves steadily into it, a little past its
    // edge, where the rolls take over (on the edge itself they would never move it).
    if (p.y >= 0.0 && p.y <= maxHeight) {
        next.y = clamp(next.y, 0.0, maxHeight);
    } else {
        float target = clamp(p.y, 0.1 * maxHeight, 0.9 * maxHeight);
        next.y = p.y + clamp(target - p.y, -settleSpeed * dt, settleSpeed * dt);
    }

    // Wrap around the area.
    if (next.x < 0.0) next.x += area.x;
    if (next.x > area.x) next.x -= area.x;
    if (next.z > 0.0) next.z -= area.y;
    if (next.z < -area.y) next.z += area.y;

    gPosition = vec4(next, 1.0);
    gl_Position = gPosition;
    EmitVertex();
    EndPrimitive();
}
