#version 330 core
// Overlay text, fragment stage: near-white glyph ink with a drop shadow one atlas texel down and
// to the right, or the translucent dark backing box; non-premultiplied colour for SRC_ALPHA,
// ONE_MINUS_SRC_ALPHA blending.
// In: "glyphCoord" (atlas coordinate), "boxWeight" (1 on the box, 0 on glyphs); sampler "atlas"
// (coverage in red times alpha, so a grey atlas and a white-with-alpha one both work).

in vec2 glyphCoord;
in float boxWeight;

uniform sampler2D atlas;

out vec4 fragColor;

const vec4 inkColour = vec4(1.0, 1.0, 0.96, 1.0);
const vec4 shadowColour = vec4(0.0, 0.0, 0.0, 0.85);
const vec4 boxColour = vec4(0.02, 0.03, 0.06, 0.6);

float coverage(vec2 at) {
    vec4 texel = texture(atlas, at);
    return texel.r * texel.a;
}

void main() {
    // The shadow under this pixel is the ink one texel up and to the left of it; the glyph box's
    // blank first row and column keep that read inside the cell.
    vec2 texelSize = 1.0 / vec2(textureSize(atlas, 0));
    float ink = coverage(glyphCoord);
    float shade = coverage(glyphCoord + vec2(-texelSize.x, texelSize.y));
    vec4 glyph = mix(vec4(shadowColour.rgb, shadowColour.a * shade), inkColour, ink);
    fragColor = mix(glyph, boxColour, boxWeight);
}
