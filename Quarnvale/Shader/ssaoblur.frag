#version 330 core
// Smooths the ambient occlusion over the 4 x 4 pixels the noise repeats across, which removes
// the noise's pattern: the average of the 4 x 4 block around the pixel, as the average of four
// bilinear reads, each at the corner shared by one 2 x 2 quarter of the block (the texture is
// filtered linearly and clamped to its edge, as a clamped pixel-by-pixel read would be).
// In: "occlusion" (the raw occlusion, half size); gl_FragCoord (the same pixel).

uniform sampler2D occlusion;

out vec4 fragColor;

void main() {
    vec2 texel = 1.0 / vec2(textureSize(occlusion, 0));
    // The block runs from the pixel's position - 2 to + 2 (pixel edges); its quarters' centres
    // lie one pixel from the block's centre.
    vec2 centre = floor(gl_FragCoord.xy);
    float sum = texture(occlusion, (centre + vec2(-1.0, -1.0)) * texel).r;
    sum += texture(occlusion, (centre + vec2(1.0, -1.0)) * texel).r;
    sum += texture(occlusion, (centre + vec2(-1.0, 1.0)) * texel).r;
    sum += texture(occlusion, (centre + vec2(1.0, 1.0)) * texel).r;
    fragColor = vec4(sum / 4.0);
}
