#version 330 core
// Light spheres, vertex stage: places a sphere-mesh vertex and measures how squarely its
// surface faces the camera (the mesh is centred on its own origin, so the object-space
// position is also the normal direction).
// In: attribute "position"; uniforms "M", "V", "P".

in vec3 position;

uniform mat4 M;
uniform mat4 V;
uniform mat4 P;

out float facing;

vec3 safeNormalize(vec3 v) {
    return v * inversesqrt(max(dot(v, v), 1e-20));
}

void main() {
    mat4 modelView = V * M;
    vec4 viewPosition = modelView * vec4(position, 1.0);
    vec3 viewNormal = mat3(modelView) * position;
    facing = abs(dot(safeNormalize(viewNormal), safeNormalize(-viewPosition.xyz)));
    gl_Position = P * viewPosition;
}
