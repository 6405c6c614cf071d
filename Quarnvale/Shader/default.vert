#version 330 core
// Light bodies, vertex stage: places a sphere-mesh vertex and measures how squarely its
// surface faces the camera (the mesh is centred on its own origin, so the object-space
// position is also the normal direction). The bodies come in one instanced draw per sphere
// mesh: with "instanced" = 1, instance i is the mesh placed by "M" with its translation replaced
// by its "instancePosition", in its "instanceColor"; otherwise one sphere at "M" in
// "colorOfObject" (the shadow light's marker).
// In: attributes "position", "instancePosition", "instanceColor" (one per instance); uniforms
// "M", "V", "P", "instanced", "colorOfObject".

in vec3 position;
in vec3 instancePosition;
in vec3 instanceColor;

uniform mat4 M;
uniform mat4 V;
uniform mat4 P;
uniform int instanced;
uniform vec3 colorOfObject;

out float facing;
flat out vec3 bodyColor;

vec3 safeNormalize(vec3 v) {
    return v * inversesqrt(max(dot(v, v), 1e-20));
}

void main() {
    mat4 model = M;
    model[3] = instanced == 1 ? vec4(instancePosition, M[3].w) : M[3];
    bodyColor = instanced == 1 ? instanceColor : colorOfObject;
    mat4 modelView = V * model;
    vec4 viewPosition = modelView * vec4(position, 1.0);
    vec3 viewNormal = mat3(modelView) * position;
    facing = abs(dot(safeNormalize(viewNormal), safeNormalize(-viewPosition.xyz)));
    gl_Position = P * viewPosition;
}
