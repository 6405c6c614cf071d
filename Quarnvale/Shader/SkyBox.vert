#version 330 core
// Sky box, vertex stage: a cube corner seen from the camera's position, pushed to the far plane.
// In: attribute 0 "position" (cube corner); uniforms "V", "P".

layout(location = 0) in vec3 position;

uniform mat4 V;
uniform mat4 P;

out vec3 direction;

void main() {
    direction = position;
    vec4 clip = P * mat4(mat3(V)) * vec4(position, 1.0);
    gl_Position = clip.xyww;
}
