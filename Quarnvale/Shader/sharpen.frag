#version 330 core
// Contrast-adaptive sharpening of the upscaled picture: each pixel minus a share of its four
// neighbours (a negative lobe), renormalised. The share is as large as it can be without pushing
// any channel below 0 or above 1 given the neighbours' range, so flat or already contrasty areas
// get little and nothing clips or rings; `sharpness` scales it.
// In: "picture" (the upscaled picture, read texel by texel), "sharpness" (0 none, 1 strongest);
// gl_FragCoord (the pixel).

uniform sampler2D picture;
uniform float sharpness;

out vec4 fragColor;

void main() {
    ivec2 p = ivec2(gl_FragCoord.xy);
    ivec2 last = textureSize(picture, 0) - 1;
    vec3 c = texelFetch(picture, p, 0).rgb;
    vec3 n = texelFetch(picture, min(p + ivec2(0, 1), last), 0).rgb;
    vec3 s = texelFetch(picture, max(p - ivec2(0, 1), ivec2(0)), 0).rgb;
    vec3 e = texelFetch(picture, min(p + ivec2(1, 0), last), 0).rgb;
    vec3 w = texelFetch(picture, max(p - ivec2(1, 0), ivec2(0)), 0).rgb;
    vec3 lowest = min(min(n, s), min(e, w));
    vec3 highest = max(max(n, s), max(e, w));
    // (c + lobe (n + s + e + w)) / (1 + 4 lobe) stays >= 0 while lobe >= -lowest / (4 highest),
    // and <= 1 while lobe >= (1 - highest) / (4 lowest - 4).
    vec3 keepsAboveZero = -lowest / max(4.0 * highest, 1e-5);
    vec3 keepsBelowOne = (1.0 - highest) / min(4.0 * lowest - 4.0, -1e-5);
    vec3 limit = max(keepsAboveZero, keepsBelowOne);
    float lobe = clamp(max(limit.r, max(limit.g, limit.b)), -0.1875, 0.0) * sharpness;
    fragColor = vec4((c + lobe * (n + s + e + w)) / (1.0 + 4.0 * lobe), 1.0);
}
