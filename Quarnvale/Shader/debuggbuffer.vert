#version 330 core
// Deferred lighting and night sky, vertex stage: the full-screen quad at the far plane (the
// depth test then lets the lighting through where the G-buffer holds a surface and the sky
// where it is empty), and for each corner the world-space ray from the eye through the far
// plane, which the sky reads as its direction (the lighting program ignores it). On the far
// plane the world point is affine in the screen position, so the interpolated ray is exact.
// In: attribute 0 position (clip space), attribute 1 texture coordinate; uniforms
// "inverseViewProjection" (clip to world) and "viewPos" (the eye).

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 quadUv;

uniform mat4 inverseViewProjection;
uniform vec3 viewPos;

out vec2 texCoord;
out vec3 skyRay;

void main() {
    texCoord = quadUv;
    vec4 far = inverseViewProjection * vec4(position.xy, 1.0, 1.0);
    skyRay = far.xyz / (abs(far.w) > 1e-20 ? far.w : 1.0) - viewPos;
    gl_Position = vec4(position.xy, 1.0, 1.0);
}
