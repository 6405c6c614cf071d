#version 330 core
// Light bodies, fragment stage: an emissive ball in its light's colour, brightest where it
// faces the camera. Output 0 is the lit image; output 1 feeds the bloom, so the balls glow.
// In: "facing", "bodyColor".

in float facing;
flat in vec3 bodyColor;

out vec4 fragColor;
layout(location = 1) out vec4 brightColor;

void main() {
    vec3 core = bodyColor * (0.55 + 0.6 * facing);
    fragColor = vec4(min(core, vec3(1.0)), 1.0);
    brightColor = vec4(bodyColor, 1.0);
}
