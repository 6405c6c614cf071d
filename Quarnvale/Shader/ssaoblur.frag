#version 330 core
// Smooths the ambient occlusion over the 4 x 4 pixels the noise repeats across, which removes
// the noise's pattern: the average of the 4 x 4 block around the pixel.
// In: "occlusion" (the raw occlusion, half size); gl_FragCoord (the same pixel).

uniform sampler2D occlusion;

out vec4 fragColor;

void main() {
    ivec2 p = ivec2(gl_FragCoord.xy);
    ivec2 last = textureSize(occlusion, 0) - 1;
    float sum = 0.0;
    for (int y = -2; y < 2; ++y)
        for (int x = -2; x < 2; ++x)
            sum += texelFetch(occlusion, clamp(p + ivec2(x, y), ivec2(0), last), 0).r;
    fragColor = vec4(sum / 16.0);
}
