#version 330 core
// One pass of the separable bloom blur: a Gaussian along x ("horizontal" = 1) or y (0).
// Instead of many neighbouring taps it takes five taps four texels apart along one direction;
// three passes smooth the gaps away. The target has the image's size, so each pixel reads
// texels by integer address (cheaper than filtered look-ups), clamped to the edge.
// In: gl_FragCoord; sampler "image"; int "horizontal".

uniform sampler2D image;
uniform int horizontal;

out vec4 fragColor;

const int tapSpacing = 4;
// Gaussian weights of offsets 0, 1, 2 taps (sigma 1 tap), summing to 1 over +-2.
const float weight0 = 0.4026;
const float weight1 = 0.2442;
const float weight2 = 0.0545;

void main() {
    ivec2 last = textureSize(image, 0) - 1;
    ivec2 axis = horizontal == 1 ? ivec2(1, 0) : ivec2(0, 1);
    ivec2 centre = ivec2(gl_FragCoord.xy);
    ivec2 step = axis * tapSpacing;

    vec3 sum = texelFetch(image, centre, 0).rgb * weight0;
    sum += (texelFetch(image, min(centre + step, last), 0).rgb +
            texelFetch(image, max(centre - step, ivec2(0)), 0).rgb) * weight1;
    sum += (texelFetch(image, min(centre + 2 * step, last), 0).rgb +
            texelFetch(image, max(centre - 2 * step, ivec2(0)), 0).rgb) * weight2;
    fragColor = vec4(sum, 1.0);
}
