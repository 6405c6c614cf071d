#version 330 core
// Shadow cube map, vertex stage: moves a mesh vertex to world space; the geometry stage
// projects it once per cube face. The light spheres come in one instanced draw: with
// "instanced" = 1, instance i is the mesh placed by "M" with its translation replaced by
// instancePositions[i] (the same matrix a draw of its own would get).
// In: attribute "position"; uniforms "M" (model to world), "instanced", "instancePositions".

in vec3 position;

uniform mat4 M;
uniform int instanced;
uniform vec3 instancePositions[64];

void main() {
    mat4 model = M;
    model[3] = instanced == 1 ? vec4(instancePositions[gl_InstanceID], M[3].w) : M[3];
    gl_Position = model * vec4(position, 1.0);
}
