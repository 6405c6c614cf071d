#version 330 core
// Shadow cube map, vertex stage: moves a mesh vertex to world space; the geometry stage
// projects it once per cube face.
// In: attribute "position"; uniform "M" (model to world).

in vec3 position;

uniform mat4 M;

void main() {
    gl_Position = M * vec4(position, 1.0);
}
