#version 330 core
// One pass of the separable bloom blur: a Gaussian along x ("horizontal" = 1) or y (0).
// Textures are sampled with GL_NEAREST, so instead of many neighbouring taps it takes seven
// taps two texels apart along one direction vector; three passes smooth the gaps away.
// In: "texCoord"; sampler "image"; int "horizontal".

in vec2 texCoord;

uniform sampler2D image;
uniform int horizontal;

out vec4 fragColor;

const float tapSpacing = 2.0;
// Gaussian weights of offsets 0, 1, 2, 3 taps (sigma 1.5 taps), summing to 1 over +-3.
const float weight0 = 0.2707;
const float weight1 = 0.2167;
const float weight2 = 0.1113;
const float weight3 = 0.0366;

void main() {
    vec2 texel = 1.0 / vec2(textureSize(image, 0));
    vec2 axis = horizontal == 1 ? vec2(texel.x, 0.0) : vec2(0.0, texel.y);
    vec2 step = axis * tapSpacing;

    vec3 sum = texture(image, texCoord).rgb * weight0;
    sum += (texture(image, texCoord + step).rgb + texture(image, texCoord - step).rgb) * weight1;
    sum += (texture(image, texCoord + 2.0 * step).rgb + texture(image, texCoord - 2.0 * step).rgb) * weight2;
    sum += (texture(image, texCoord + 3.0 * step).rgb + texture(image, texCoord - 3.0 * step).rgb) * weight3;
    fragColor = vec4(sum, 1.0);
}
