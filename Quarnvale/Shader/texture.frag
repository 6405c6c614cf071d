#version 330 core
// Final composite into the window: the lit image with the blurred glow added on top.
// A screen blend (1 - (1 - a)(1 - b)) lets the glow brighten dark areas fully while bright
// areas approach white smoothly instead of clipping. The lit image has the window's size and
// is read texel by texel; the glow has half its size and is read bilinearly, each window
// pixel at its own position inside it.
// In: gl_FragCoord; samplers "renderedTexture" (lit image) and "gaussianTexture" (blurred glow);
// "bloomStrength" scales the glow (0 adds nothing).

uniform sampler2D renderedTexture;
uniform sampler2D gaussianTexture;

uniform float bloomStrength;

out vec4 fragColor;

void main() {
    vec3 scene = texelFetch(renderedTexture, ivec2(gl_FragCoord.xy), 0).rgb;
    vec2 glowCoord = gl_FragCoord.xy / (2.0 * vec2(textureSize(gaussianTexture, 0)));
    vec3 glow = min(texture(gaussianTexture, glowCoord).rgb * bloomStrength, vec3(1.0));
    fragColor = vec4(1.0 - (1.0 - scene) * (1.0 - glow), 1.0);
}
