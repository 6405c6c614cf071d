#version 330 core
// Final composite into the window: the lit image with the blurred glow added on top.
// A screen blend (1 - (1 - a)(1 - b)) lets the glow brighten dark areas fully while bright
// areas approach white smoothly instead of clipping. Both images have the window's size, so
// each pixel reads its own texel by integer address.
// In: gl_FragCoord; samplers "renderedTexture" (lit image) and "gaussianTexture" (blurred glow).

uniform sampler2D renderedTexture;
uniform sampler2D gaussianTexture;

out vec4 fragColor;

const float bloomStrength = 1.4;

void main() {
    ivec2 texel = ivec2(gl_FragCoord.xy);
    vec3 scene = texelFetch(renderedTexture, texel, 0).rgb;
    vec3 glow = min(texelFetch(gaussianTexture, texel, 0).rgb * bloomStrength, vec3(1.0));
    fragColor = vec4(1.0 - (1.0 - scene) * (1.0 - glow), 1.0);
}
