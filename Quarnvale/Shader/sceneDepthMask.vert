#version 330 core
// Shadow cube map for a loaded scene's alpha-masked materials, vertex stage: moves a vertex to
// world space and passes its texture coordinate on, so the fragment stage can cut the shadow out
// where the material is cut out. The rest of the scene and the light bodies keep
// pointlightdepth1's program.
// In: attributes "position", "uv"; uniform "M" (model to world).

in vec3 position;
in vec2 uv;

uniform mat4 M;

out vec2 vertexUv;

void main() {
    vertexUv = uv;
    gl_Position = M * vec4(position, 1.0);
}
