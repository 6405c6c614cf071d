#version 330 core
// Edge-adaptive upscale of the picture drawn at a smaller render scale to the window: each window
// pixel is a weighted sum of the 12 picture pixels nearest it (the 4 x 4 block without its
// corners), with a windowed sinc-like kernel of two lobes that is turned along the local edge and
// stretched along it (so an edge is continued, not blurred across) and sharpened across it, as
// far as the neighbourhood looks like an edge rather than noise or a thin line. The sum is kept
// within the four nearest pixels' range, so the negative lobe cannot ring.
// In: "picture" (the composited picture, read texel by texel), "inputPerOutput" (picture pixels
// per window pixel on each axis); gl_FragCoord (the window pixel).

uniform sampler2D picture;
uniform vec2 inputPerOutput;

out vec4 fragColor;

ivec2 lastTexel;

vec3 at(ivec2 p) {
    return texelFetch(picture, clamp(p, ivec2(0), lastTexel), 0).rgb;
}

float luma(vec3 c) {
    return dot(c, vec3(0.299, 0.587, 0.114));
}

// One of the four nearest pixels' say on the edge: its luma differences to its left and right
// (up and down) neighbours give the gradient, and how much of the larger one-sided step the
// two-sided one keeps tells an edge or slope (1) from a thin line or speck (0).
void addEdge(float weight, float l, float r, float u, float d, float c, inout vec2 direction,
             inout float strength) {
    float dx = r - l;
    float dy = d - u;
    float sx = clamp(abs(dx) / max(max(abs(r - c), abs(c - l)), 1e-5), 0.0, 1.0);
    float sy = clamp(abs(dy) / max(max(abs(d - c), abs(c - u)), 1e-5), 0.0, 1.0);
    direction += vec2(dx, dy) * weight;
    strength += (sx * sx + sy * sy) * weight;
}

// Adds the pixel at `offset` (from the window pixel's position, in picture pixels) to the sum;
// `scale` shrinks the kernel across the edge (x, along `across`) and widens it along the edge (y).
void addTap(vec2 offset, vec2 across, vec2 scale, float lobe, float cutoff, vec3 colour, inout vec3 sum,
            inout float weights) {
    vec2 turned = vec2(dot(offset, across), dot(offset, vec2(-across.y, across.x))) * scale;
    float d2 = min(dot(turned, turned), cutoff);
    // A cheap two-lobe kernel: (25/16 (2/5 d2 - 1)^2 - 9/16) shapes the base, (lobe d2 - 1)^2 the
    // window; lobe 1/2 gives a soft kernel, near 1/4 a sharp one with a negative lobe.
    float base = 0.4 * d2 - 1.0;
    float window = lobe * d2 - 1.0;
    float w = (1.5625 * base * base - 0.5625) * (window * window);
    sum += colour * w;
    weights += w;
}

void main() {
    lastTexel = textureSize(picture, 0) - 1;
    vec2 position = gl_FragCoord.xy * inputPerOutput - 0.5;
    ivec2 p = ivec2(floor(position));
    vec2 f = position - vec2(p);

    //    b c
    //  e F G h
    //  i J K l
    //    n o       (F at p, rows going up)
    vec3 b = at(p + ivec2(0, -1)), c = at(p + ivec2(1, -1));
    vec3 e = at(p + ivec2(-1, 0)), F = at(p), G = at(p + ivec2(1, 0)), h = at(p + ivec2(2, 0));
    vec3 i = at(p + ivec2(-1, 1)), J = at(p + ivec2(0, 1)), K = at(p + ivec2(1, 1)), l = at(p + ivec2(2, 1));
    vec3 n = at(p + ivec2(0, 2)), o = at(p + ivec2(1, 2));
    float lb = luma(b), lc = luma(c), le = luma(e), lF = luma(F), lG = luma(G), lh = luma(h);
    float li = luma(i), lJ = luma(J), lK = luma(K), ll = luma(l), ln = luma(n), lo = luma(o);

    vec2 direction = vec2(0.0);
    float strength = 0.0;
    addEdge((1.0 - f.x) * (1.0 - f.y), le, lG, lb, lJ, lF, direction, strength);
    addEdge(f.x * (1.0 - f.y), lF, lh, lc, lK, lG, direction, strength);
    addEdge((1.0 - f.x) * f.y, li, lK, lF, ln, lJ, direction, strength);
    addEdge(f.x * f.y, lJ, ll, lG, lo, lK, direction, strength);

    // The gradient points across the edge.
    float length2 = dot(direction, direction);
    vec2 across = length2 < 1.0 / 32768.0 ? vec2(1.0, 0.0) : direction * inversesqrt(length2);
    float edge = 0.5 * strength;
    edge *= edge;
    // A diagonal edge meets the taps' square at its corners: narrower across it, up to sqrt(2).
    float stretch = 1.0 / max(abs(across.x), abs(across.y));
    vec2 scale = vec2(1.0 + (stretch - 1.0) * edge, 1.0 - 0.5 * edge);
    float lobe = 0.5 - 0.29 * edge;
    float cutoff = 1.0 / lobe;

    vec3 sum = vec3(0.0);
    float weights = 0.0;
    addTap(vec2(0.0, -1.0) - f, across, scale, lobe, cutoff, b, sum, weights);
    addTap(vec2(1.0, -1.0) - f, across, scale, lobe, cutoff, c, sum, weights);
    addTap(vec2(-1.0, 0.0) - f, across, scale, lobe, cutoff, e, sum, weights);
    addTap(vec2(0.0, 0.0) - f, across, scale, lobe, cutoff, F, sum, weights);
    addTap(vec2(1.0, 0.0) - f, across, scale, lobe, cutoff, G, sum, weights);
    addTap(vec2(2.0, 0.0) - f, across, scale, lobe, cutoff, h, sum, weights);
    addTap(vec2(-1.0, 1.0) - f, across, scale, lobe, cutoff, i, sum, weights);
    addTap(vec2(0.0, 1.0) - f, across, scale, lobe, cutoff, J, sum, weights);
    addTap(vec2(1.0, 1.0) - f, across, scale, lobe, cutoff, K, sum, weights);
    addTap(vec2(2.0, 1.0) - f, across, scale, lobe, cutoff, l, sum, weights);
    addTap(vec2(0.0, 2.0) - f, across, scale, lobe, cutoff, n, sum, weights);
    addTap(vec2(1.0, 2.0) - f, across, scale, lobe, cutoff, o, sum, weights);

    vec3 lowest = min(min(F, G), min(J, K));
    vec3 highest = max(max(F, G), max(J, K));
    vec3 colour = weights > 0.0 ? sum / weights : F;
    fragColor = vec4(clamp(colour, lowest, highest), 1.0);
}
