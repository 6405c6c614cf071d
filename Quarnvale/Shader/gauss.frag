#version 330 core
// One pass of the separable bloom blur: a Gaussian along x ("horizontal" = 1) or y (0),
// into a half-size target. The taps lie two target pixels (four window pixels) apart; three
// passes smooth the gaps away. "image" is read at texel centres when it has the target's
// size, and bilinearly at the centres of 2 x 2 texel blocks (their average) when it has the
// window's size, so the blur works on block averages either way.
// In: gl_FragCoord; sampler "image"; int "horizontal"; vec2 "pixelToUv" (window position of
// the target pixel to the coordinate of its centre in "image").

uniform sampler2D image;
uniform int horizontal;
uniform vec2 pixelToUv;

out vec4 fragColor;

// Taps are this many target pixels apart.
const float tapSpacing = 2.0;
// Gaussian weights of offsets 0, 1, 2 taps (sigma 1 tap), summing to 1 over +-2.
const float weight0 = 0.4026;
const float weight1 = 0.2442;
const float weight2 = 0.0545;

void main() {
    vec2 centre = gl_FragCoord.xy * pixelToUv;
    vec2 step = (horizontal == 1 ? vec2(pixelToUv.x, 0.0) : vec2(0.0, pixelToUv.y)) * tapSpacing;

    vec3 sum = texture(image, centre).rgb * weight0;
    sum += (texture(image, centre + step).rgb + texture(image, centre - step).rgb) * weight1;
    sum += (texture(image, centre + 2.0 * step).rgb + texture(image, centre - 2.0 * step).rgb) * weight2;
    fragColor = vec4(sum, 1.0);
}
