#version 330 core
// First of the sharp upscale's two passes, at the picture's own size (a quarter of the window's
// pixels at scale 0.5): contrast-adaptive sharpening, and each pixel's say on the local edge for
// the edge-adaptive upscale that follows. Both need the pixel and its four neighbours, so they
// share the five reads, and the upscale reads the edges with one bilinear look-up instead of
// working them out from twelve pixels for every window pixel.
// Sharpening: each pixel minus a share of its four neighbours (a negative lobe), renormalised.
// The share is as large as it can be without pushing any channel below 0 or above 1 given the
// neighbours' range, so flat or already contrasty areas get little and nothing clips or rings;
// `sharpness` scales it.
// Edge: the luma differences between the left and right (lower and upper) neighbours give the
// gradient; how much of the larger one-sided step the two-sided one keeps tells an edge or
// slope (1) from a thin line or speck (0).
// In: "picture" (the composited picture, read texel by texel), "sharpness" (0 none, 1 strongest);
// gl_FragCoord (the pixel).
// Out: 0 the sharpened picture; 1 the edge: xy the luma gradient (x 127/255 + 127/255, so that
// 0 is exact), z its edge-likeness (0..2) / 2.

uniform sampler2D picture;
uniform float sharpness;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 edgeOut;

float luma(vec3 c) {
    return dot(c, vec3(0.299, 0.587, 0.114));
}

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

    float lc = luma(c), ln = luma(n), ls = luma(s), le = luma(e), lw = luma(w);
    vec2 gradient = vec2(le - lw, ln - ls);
    vec2 oneSided = max(abs(vec2(le, ln) - lc), abs(lc - vec2(lw, ls)));
    vec2 kept = clamp(abs(gradient) / max(oneSided, 1e-5), 0.0, 1.0);
    edgeOut = vec4((gradient * 127.0 + 127.0) / 255.0, 0.5 * dot(kept, kept), 1.0);
}
