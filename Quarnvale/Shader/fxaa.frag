#version 330 core
// Fast approximate anti-aliasing of the finished picture: where the luma of a pixel and its four
// neighbours spans enough contrast to be an edge, find the edge's direction (horizontal or
// vertical, from the neighbours' second differences), walk along it both ways until its luma
// leaves the edge's average, and read the picture bilinearly shifted across the edge by how far
// the pixel lies from the nearer end (a long, nearly straight edge gets a gradient instead of
// stairs). Pixels much brighter or darker than their 3 x 3 neighbourhood (specks, thin lines)
// are also blended towards it.
// Only pixels on the scene's geometric edges are touched: where the G-buffer's surface ends
// (drawn next to empty) or bends or steps (the positions' second difference, across or along,
// is large for the distance). The brick's mortar and the maps' relief are contrast that a
// supersampled picture keeps; smoothing them would only blur the texture.
// The target already holds the picture (copied before this pass), so a pixel left as it is is
// discarded: a software rasteriser runs both sides of every branch, but stops shading a block
// whose pixels are all discarded, and most blocks hold no geometric edge.
// In: "picture" (the composited picture, read bilinearly), "texelSize" (1 / its size in pixels),
// "gPosition" (world position, w = 1 where a surface was drawn; the same size), "viewPos" (the
// eye); gl_FragCoord addresses the same pixel of both.

uniform sampler2D picture;
uniform vec2 texelSize;
uniform sampler2D gPosition;
uniform vec3 viewPos;

out vec4 fragColor;

// Contrast below the larger of these is not an edge: the brighter a neighbourhood, the more it
// takes (its contrast relative to its brightness).
const float edgeThreshold = 0.125;
const float edgeThresholdMin = 0.0312;
// A second difference of the positions longer than this share of the distance to the eye is a
// fold or a step of the surface.
const float creaseShare = 0.003;
// How strongly specks are blended towards their neighbourhood (0 never, 1 fully).
const float subpixelBlend = 0.75;
// Steps of the walk along an edge, in pixels: fine near the pixel, coarser far away.
const int walkSteps = 10;
const float walkStep[10] = float[](1.0, 1.0, 1.0, 1.0, 1.5, 2.0, 2.0, 2.0, 4.0, 8.0);

float luma(vec3 colour) {
    return dot(colour, vec3(0.299, 0.587, 0.114));
}

float lumaAt(vec2 uv) {
    return luma(textureLod(picture, uv, 0.0).rgb);
}

bool geometricEdge(ivec2 p) {
    vec4 c = texelFetch(gPosition, p, 0);
    vec4 n = texelFetchOffset(gPosition, p, 0, ivec2(0, 1));
    vec4 s = texelFetchOffset(gPosition, p, 0, ivec2(0, -1));
    vec4 e = texelFetchOffset(gPosition, p, 0, ivec2(1, 0));
    vec4 w = texelFetchOffset(gPosition, p, 0, ivec2(-1, 0));
    if (min(min(n.w, s.w), min(e.w, w.w)) != max(max(n.w, s.w), max(e.w, w.w)) || c.w != n.w)
        return true;
    if (c.w < 0.5)
        return false;
    float bend = max(length(n.xyz + s.xyz - 2.0 * c.xyz), length(e.xyz + w.xyz - 2.0 * c.xyz));
    return bend > creaseShare * length(c.xyz - viewPos);
}

void main() {
    vec2 uv = gl_FragCoord.xy * texelSize;
    vec3 centre = textureLod(picture, uv, 0.0).rgb;
    if (!geometricEdge(ivec2(gl_FragCoord.xy)))
        discard;
    float lC = luma(centre);
    float lN = luma(textureLodOffset(picture, uv, 0.0, ivec2(0, 1)).rgb);
    float lS = luma(textureLodOffset(picture, uv, 0.0, ivec2(0, -1)).rgb);
    float lE = luma(textureLodOffset(picture, uv, 0.0, ivec2(1, 0)).rgb);
    float lW = luma(textureLodOffset(picture, uv, 0.0, ivec2(-1, 0)).rgb);
    float lowest = min(lC, min(min(lN, lS), min(lE, lW)));
    float highest = max(lC, max(max(lN, lS), max(lE, lW)));
    float contrast = highest - lowest;
    if (contrast < max(edgeThresholdMin, highest * edgeThreshold))
        discard;
    float lNE = luma(textureLodOffset(picture, uv, 0.0, ivec2(1, 1)).rgb);
    float lNW = luma(textureLodOffset(picture, uv, 0.0, ivec2(-1, 1)).rgb);
    float lSE = luma(textureLodOffset(picture, uv, 0.0, ivec2(1, -1)).rgb);
    float lSW = luma(textureLodOffset(picture, uv, 0.0, ivec2(-1, -1)).rgb);

    // A horizontal edge changes from row to row: its second difference down the columns is large.
    float acrossRows = abs(lNW - 2.0 * lW + lSW) + 2.0 * abs(lN - 2.0 * lC + lS) + abs(lNE - 2.0 * lE + lSE);
    float acrossColumns = abs(lNW - 2.0 * lN + lNE) + 2.0 * abs(lW - 2.0 * lC + lE) + abs(lSW - 2.0 * lS + lSE);
    bool horizontal = acrossRows >= acrossColumns;

    // The edge lies on the side of the steeper neighbour across it.
    float below = horizontal ? lS : lW;
    float above = horizontal ? lN : lE;
    float stepBelow = below - lC;
    float stepAbove = above - lC;
    bool towardsBelow = abs(stepBelow) >= abs(stepAbove);
    float stepThreshold = 0.25 * max(abs(stepBelow), abs(stepAbove));
    float across = horizontal ? texelSize.y : texelSize.x;
    float edgeLuma;
    if (towardsBelow) {
        across = -across;
        edgeLuma = 0.5 * (below + lC);
    } else {
        edgeLuma = 0.5 * (above + lC);
    }

    // Walk along the edge half a pixel across, where a bilinear read averages both of its sides.
    vec2 onEdge = uv + (horizontal ? vec2(0.0, 0.5 * across) : vec2(0.5 * across, 0.0));
    vec2 along = horizontal ? vec2(texelSize.x, 0.0) : vec2(0.0, texelSize.y);
    vec2 back = onEdge - along;
    vec2 ahead = onEdge + along;
    float backDelta = lumaAt(back) - edgeLuma;
    float aheadDelta = lumaAt(ahead) - edgeLuma;
    bool backDone = abs(backDelta) >= stepThreshold;
    bool aheadDone = abs(aheadDelta) >= stepThreshold;
    for (int i = 1; i < walkSteps && !(backDone && aheadDone); ++i) {
        if (!backDone) {
            back -= along * walkStep[i];
            backDelta = lumaAt(back) - edgeLuma;
            backDone = abs(backDelta) >= stepThreshold;
        }
        if (!aheadDone) {
            ahead += along * walkStep[i];
            aheadDelta = lumaAt(ahead) - edgeLuma;
            aheadDone = abs(aheadDelta) >= stepThreshold;
        }
    }
    float toBack = horizontal ? uv.x - back.x : uv.y - back.y;
    float toAhead = horizontal ? ahead.x - uv.x : ahead.y - uv.y;
    bool backNearer = toBack < toAhead;
    float nearest = min(toBack, toAhead);
    float edgeOffset = 0.5 - nearest / (toBack + toAhead);
    // Shift only at the end of the edge where the pixel's own side ends: where the luma beyond
    // the nearer end lies on the other side of the edge's average than this pixel's.
    bool centreDarker = lC < edgeLuma;
    bool endsHere = ((backNearer ? backDelta : aheadDelta) < 0.0) != centreDarker;
    float offset = endsHere ? edgeOffset : 0.0;

    // Specks: how far the pixel stands out of its 3 x 3 neighbourhood's average, eased.
    float average = (2.0 * (lN + lS + lE + lW) + (lNE + lNW + lSE + lSW)) / 12.0;
    float standsOut = clamp(abs(average - lC) / contrast, 0.0, 1.0);
    float eased = (3.0 - 2.0 * standsOut) * standsOut * standsOut;
    offset = max(offset, eased * eased * subpixelBlend);

    vec2 shifted = uv + (horizontal ? vec2(0.0, offset * across) : vec2(offset * across, 0.0));
    fragColor = vec4(textureLod(picture, shifted, 0.0).rgb, 1.0);
}
