#version 330 core
// Final composite into the window: the lit image with the blurred glow added on top.
// A screen blend (1 - (1 - a)(1 - b)) lets the glow brighten dark areas fully while bright
// areas approach white smoothly instead of clipping.
// In: "texCoord"; samplers "renderedTexture" (lit image) and "gaussianTexture" (blurred glow).

in vec2 texCoord;

uniform sampler2D renderedTexture;
uniform sampler2D gaussianTexture;

out vec4 fragColor;

const float bloomStrength = 1.0;

void main() {
    vec3 scene = texture(renderedTexture, texCoord).rgb;
    vec3 glow = min(texture(gaussianTexture, texCoord).rgb * bloomStrength, vec3(1.0));
    fragColor = vec4(1.0 - (1.0 - scene) * (1.0 - glow), 1.0);
}
