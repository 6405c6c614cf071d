#version 330 core
// Second of the sharp upscale's two passes, at the window's size: the edge-adaptive upscale of
// the sharpened picture. Each window pixel is a weighted sum of picture pixels near it, with a
// windowed sinc-like kernel of two lobes that is turned along the local edge and stretched along
// it (so an edge is continued, not blurred across) and sharpened across it, as far as the
// neighbourhood looks like an edge rather than noise or a thin line. The edge is the four nearest
// pixels' (from the first pass), weighted by nearness: one bilinear read. The sum is kept within
// the four nearest pixels' range, so the negative lobe cannot ring.
// This pass runs for every window pixel, where a software rasteriser pays most, and there the
// reads cost most: of the 12 pixels around the nearest four (the 4 x 4 block without its
// corners) it reads the four nearest and the four outer ones on the nearer side on each axis,
// which came as close to the full-scale picture as all twelve. The kernel's distances are a
// quadratic form worked out once per pixel, and the block's rows and columns are clamped to the
// picture once, not tap by tap.
// In: "picture" (the sharpened picture, read texel by texel), "edges" (the first pass's edge
// picture, read bilinearly), "inputPerOutput" (picture pixels per window pixel on each axis);
// gl_FragCoord (the window pixel).

uniform sampler2D picture;
uniform sampler2D edges;
uniform vec2 inputPerOutput;

out vec4 fragColor;

// The turned and stretched kernel's squared distance of the tap at offset o from the pixel's
// position f (in picture pixels from the nearest lower-left one) is
//   A (o.x - f.x)^2 + B (o.x - f.x)(o.y - f.y) + C (o.y - f.y)^2
// = A o.x^2 + B o.x o.y + C o.y^2 - o.x gx - o.y gy + q.
float A, B, C, gx, gy, q;
float lobe, cutoff;
ivec4 columns, rows; // the block's columns (rows) p - 1 .. p + 2, clamped to the picture
vec3 sum;
float weights;

// Adds the tap at offset (x, y) from p (column `column`, row `row` of the picture) to the sum.
vec3 tap(float x, float y, int column, int row) {
    vec3 colour = texelFetch(picture, ivec2(column, row), 0).rgb;
    float d2 = min(A * x * x + B * x * y + C * y * y - x * gx - y * gy + q, cutoff);
    // A cheap two-lobe kernel: (25/16 (2/5 d2 - 1)^2 - 9/16) shapes the base, (lobe d2 - 1)^2 the
    // window; lobe 1/2 gives a soft kernel, near 1/4 a sharp one with a negative lobe.
    float base = 0.4 * d2 - 1.0;
    float window = lobe * d2 - 1.0;
    float w = (1.5625 * base * base - 0.5625) * (window * window);
    sum += colour * w;
    weights += w;
    return colour;
}

void main() {
    ivec2 size = textureSize(picture, 0);
    vec2 position = gl_FragCoord.xy * inputPerOutput - 0.5;
    ivec2 p = ivec2(floor(position));
    vec2 f = position - vec2(p);
    columns = clamp(ivec4(p.x) + ivec4(-1, 0, 1, 2), ivec4(0), ivec4(size.x - 1));
    rows = clamp(ivec4(p.y) + ivec4(-1, 0, 1, 2), ivec4(0), ivec4(size.y - 1));

    vec4 edge = textureLod(edges, (position + 0.5) / vec2(size), 0.0);
    vec2 direction = (edge.xy * 255.0 - 127.0) / 127.0;
    // The gradient points across the edge.
    float length2 = dot(direction, direction);
    vec2 across = length2 < 1.0 / 32768.0 ? vec2(1.0, 0.0) : direction * inversesqrt(length2);
    float edgeness = edge.z * edge.z;
    // A diagonal edge meets the taps' square at its corners: narrower across it, up to sqrt(2).
    float stretch = 1.0 / max(abs(across.x), abs(across.y));
    // The kernel shrinks across the edge (by sx) and widens along it (by sy).
    float sx = 1.0 + (stretch - 1.0) * edgeness, sy = 1.0 - 0.5 * edgeness;
    float sx2 = sx * sx, sy2 = sy * sy;
    float ax2 = across.x * across.x, ay2 = across.y * across.y;
    A = sx2 * ax2 + sy2 * ay2;
    B = 2.0 * across.x * across.y * (sx2 - sy2);
    C = sx2 * ay2 + sy2 * ax2;
    gx = 2.0 * A * f.x + B * f.y;
    gy = B * f.x + 2.0 * C * f.y;
    q = (A * f.x + B * f.y) * f.x + C * f.y * f.y;
    lobe = 0.5 - 0.29 * edgeness;
    cutoff = 1.0 / lobe;

    //    b c
    //  e F G h
    //  i J K l
    //    n o       (F at p, rows going up)
    // The four nearest, and of the outer eight the four on the nearer side on each axis (e and i
    // or h and l; b and c or n and o): the farther ones lie at or beyond the kernel's reach
    // unless an edge runs their way.
    sum = vec3(0.0);
    weights = 0.0;
    vec3 F = tap(0.0, 0.0, columns.y, rows.y);
    vec3 G = tap(1.0, 0.0, columns.z, rows.y);
    vec3 J = tap(0.0, 1.0, columns.y, rows.z);
    vec3 K = tap(1.0, 1.0, columns.z, rows.z);
    bool left = f.x < 0.5, below = f.y < 0.5;
    float sideX = left ? -1.0 : 2.0, sideY = below ? -1.0 : 2.0;
    int column = left ? columns.x : columns.w, row = below ? rows.x : rows.w;
    tap(sideX, 0.0, column, rows.y);
    tap(sideX, 1.0, column, rows.z);
    tap(0.0, sideY, columns.y, row);
    tap(1.0, sideY, columns.z, row);

    vec3 lowest = min(min(F, G), min(J, K));
    vec3 highest = max(max(F, G), max(J, K));
    vec3 colour = weights > 0.0 ? sum / weights : F;
    fragColor = vec4(clamp(colour, lowest, highest), 1.0);
}
