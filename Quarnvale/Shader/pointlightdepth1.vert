#version 330 core
// Shadow cube map, vertex stage: moves a mesh vertex to world space; the geometry stage
// projects it once per cube face. The light bodies come in one instanced draw per sphere mesh:
// with "instanced" = 1, instance i is the mesh placed by "M" with its translation replaced by
// its own "instancePosition" (the same matrix a draw of its own would get).
// In: attributes "position", "instancePosition" (one per instance); uniforms "M" (model to
// world), "instanced".

in vec3 position;
in vec3 instancePosition;

uniform mat4 M;
uniform int instanced;

void main() {
    mat4 model = M;
    model[3] = instanced == 1 ? vec4(instancePosition, M[3].w) : M[3];
    gl_Position = model * vec4(position, 1.0);
}
