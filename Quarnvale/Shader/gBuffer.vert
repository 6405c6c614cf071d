#version 330 core
// Geometry pass, vertex stage: a level vertex to world space with its surface frame.
// Normals go through the inverse transpose, which keeps them perpendicular to the surface
// under any model matrix (non-uniform scale or mirroring included); tangent and bitangent
// are surface directions and go through the model matrix itself.
// In: attributes "position", "normal", "uv", "tangent", "bitangent"; uniforms "M", "V", "P".

in vec3 position;
in vec3 normal;
in vec2 uv;
in vec3 tangent;
in vec3 bitangent;

uniform mat4 M;
uniform mat4 V;
uniform mat4 P;

out vec3 worldPosition;
out vec2 texCoord;
out vec3 worldNormal;
out vec3 worldTangent;
out vec3 worldBitangent;

void main() {
    vec4 world = M * vec4(position, 1.0);
    mat3 model = mat3(M);
    worldPosition = world.xyz;
    texCoord = uv;
    worldNormal = transpose(inverse(model)) * normal;
    worldTangent = model * tangent;
    worldBitangent = model * bitangent;
    gl_Position = P * V * world;
}
