#version 330 core
// Sky box, fragment stage: the sky colour in the direction of the cube corner.
// In: "direction"; sampler "skybox" (cube map).

in vec3 direction;

uniform samplerCube skybox;

out vec4 fragColor;

void main() {
    fragColor = texture(skybox, direction);
}
