#version 330 core
// Deferred lighting, vertex stage: the full-screen quad.
// In: attribute 0 position (clip space), attribute 1 texture coordinate.

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 quadUv;

out vec2 texCoord;

void main() {
    texCoord = quadUv;
    gl_Position = vec4(position, 1.0);
}
