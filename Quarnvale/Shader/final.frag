#version 330 core
// Full-screen pass-through, fragment stage: shows one texture unchanged.
// In: "texCoord"; sampler "screenTexture".

in vec2 texCoord;

uniform sampler2D screenTexture;

out vec4 fragColor;

void main() {
    fragColor = vec4(texture(screenTexture, texCoord).rgb, 1.0);
}
