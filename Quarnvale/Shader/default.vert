#version 330 core
// Light bodies, vertex stage: places a sphere-mesh vertex and measures how squarely its
// surface faces the camera (the mesh is centred on its own origin, so the object-space
// position is also the normal direction). A body is the mesh placed by "M" with its
// translation replaced by the body's position: with "instanced" = 1 the instance's own
// "instancePosition" and "instanceColor" (the first fifty, one instanced draw); with 2 those of
// body "bodyIndex" in "bodyData" (the rest, one draw of a batch of copies of the coarse sphere);
// with 0 one sphere at "M" in "colorOfObject" (the shadow light's marker).
// In: attributes "position", "instancePosition", "instanceColor" (per instance), "bodyIndex";
// uniforms "M", "V", "P", "instanced", "colorOfObject", "bodyData" (per body: position, colour).

in vec3 position;
in vec3 instancePosition;
in vec3 instanceColor;
in float bodyIndex;

uniform mat4 M;
uniform mat4 V;
uniform mat4 P;
uniform int instanced;
uniform vec3 colorOfObject;
uniform samplerBuffer bodyData;

out float facing;
flat out vec3 bodyColor;

vec3 safeNormalize(vec3 v) {
    return v * inversesqrt(max(dot(v, v), 1e-20));
}

void main() {
    mat4 model = M;
    int body = 2 * int(bodyIndex);
    vec3 centre = instanced == 2 ? texelFetch(bodyData, body).xyz : instancePosition;
    model[3] = instanced != 0 ? vec4(centre, M[3].w) : M[3];
    bodyColor = instanced == 2 ? texelFetch(bodyData, body + 1).rgb : instanced == 1 ? instanceColor : colorOfObject;
    mat4 modelView = V * model;
    vec4 viewPosition = modelView * vec4(position, 1.0);
    vec3 viewNormal = mat3(modelView) * position;
    facing = abs(dot(safeNormalize(viewNormal), safeNormalize(-viewPosition.xyz)));
    gl_Position = P * viewPosition;
}
