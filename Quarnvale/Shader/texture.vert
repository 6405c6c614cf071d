#version 330 core
// Full-screen quad for the blur and the composite: the texture coordinate follows from the
// clip-space position (the quad carries no coordinates of its own).
// In: attribute 0 "position" (x, y in -1..1).

layout(location = 0) in vec3 position;

out vec2 texCoord;

void main() {
    texCoord = position.xy * 0.5 + 0.5;
    gl_Position = vec4(position.xy, 0.0, 1.0);
}
