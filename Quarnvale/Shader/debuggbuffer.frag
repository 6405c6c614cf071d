#version 330 core
// Deferred lighting: lights the G-buffer with the shadow-casting centre light and up to 50
// coloured point lights, tone-maps the result into the 8-bit target and sends its
// brightest part to the bloom.
//
// Coloured lights fade smoothly to exactly zero at lightRadius, so a pixel only needs the
// lights within that reach. All lights hover in one horizontal layer; a cheap x/z distance
// test against each of them (constant indices, never drops a light that reaches the pixel)
// builds a 64-bit mask, and the shading loop visits only the set bits.
//
// The shadow cube map holds each face's hardware depth; the light-to-pixel vector's major
// axis is the distance along that face's view direction, which converts to the same depth
// scale through near_far.
//
// In: "texCoord"; samplers "gPosition" (world position), "gNormal" (world normal),
// "gColorSpec" (diffuse rgb, specular a), "cubemap_tex" (shadow depth); uniforms "lights",
// "NR_LIGHTS", "viewPos", "WS_pos_light", "near_far".
// Out: 0 "fragColor" (lit colour), 1 "brightColor" (what blooms).

in vec2 texCoord;

uniform sampler2D gPosition;
uniform sampler2D gNormal;
uniform sampler2D gColorSpec;
uniform samplerCube cubemap_tex;

struct Light {
    vec3 Position;
    vec3 Color;
};
const int MAX_LIGHTS = 50;
uniform Light lights[MAX_LIGHTS];
uniform int NR_LIGHTS;
uniform vec3 viewPos;
uniform vec4 WS_pos_light;
uniform vec2 near_far;

out vec4 fragColor;
layout(location = 1) out vec4 brightColor;

const float lightRadius = 0.6;
const float invLightRadius2 = 1.0 / (lightRadius * lightRadius);
const float lightIntensity = 1.6;
const vec3 centreLightColor = vec3(1.0, 0.88, 0.72);
const float centreLightIntensity = 1.0;
const float centreFalloff = 1.5;
const vec3 ambient = vec3(0.07, 0.07, 0.09);

// Depth bias along the face axis and offset along the normal, in world units: they cover
// the cube texel size and the half-float precision of the stored positions.
const float shadowBias = 0.006;
const float normalOffset = 0.008;

vec3 safeNormalize(vec3 v) {
    return v * inversesqrt(max(dot(v, v), 1e-20));
}

// n^32 by repeated squaring.
float specularPower(float n) {
    float s = n * n;
    s *= s;
    s *= s;
    s *= s;
    return s * s;
}

// Filmic curve (rational fit) from linear light to display values in [0, 1).
vec3 toneMap(vec3 c) {
    return clamp((c * (2.51 * c + 0.03)) / (c * (2.43 * c + 0.59) + 0.14), 0.0, 1.0);
}

// 1 where the centre light reaches the surface point, 0 in its shadow.
float centreLightVisibility(vec3 position, vec3 normal) {
    float nearPlane = near_far.x;
    float farPlane = near_far.y;
    vec3 fromLight = position + normal * normalOffset - WS_pos_light.xyz;
    vec3 a = abs(fromLight);
    float axisDistance = max(max(a.x, a.y), a.z);
    float stored = texture(cubemap_tex, fromLight + vec3(1e-7)).r;
    // Stored window depth back to distance along the face axis.
    float occluder = nearPlane * farPlane / (farPlane - stored * (farPlane - nearPlane));
    // Beyond the far plane the map knows nothing: lit.
    bool shadowed = axisDistance - shadowBias > occluder && axisDistance < farPlane;
    return shadowed ? 0.0 : 1.0;
}

#define REACHES(index, word, bit) { vec2 d = lights[index].Position.xz - surface; word |= uint(dot(d, d) < reach2) << bit; }

void main() {
    vec3 position = texture(gPosition, texCoord).rgb;
    vec3 normal = texture(gNormal, texCoord).rgb;
    vec4 colorSpec = texture(gColorSpec, texCoord);
    vec3 albedo = colorSpec.rgb;
    float specular = colorSpec.a;

    // Empty pixels have a zero normal; they stay black.
    float covered = dot(normal, normal) > 0.25 ? 1.0 : 0.0;
    normal = safeNormalize(normal);
    vec3 toEye = safeNormalize(viewPos - position);

    // Which coloured lights can reach this pixel, judged in x/z alone.
    vec2 surface = position.xz;
    float reach2 = covered * lightRadius * lightRadius;
    uint low = 0u;
    uint high = 0u;
    REACHES(0, low, 0u);
    REACHES(1, low, 1u);
    REACHES(2, low, 2u);
    REACHES(3, low, 3u);
    REACHES(4, low, 4u);
    REACHES(5, low, 5u);
    REACHES(6, low, 6u);
    REACHES(7, low, 7u);
    REACHES(8, low, 8u);
    REACHES(9, low, 9u);
    REACHES(10, low, 10u);
    REACHES(11, low, 11u);
    REACHES(12, low, 12u);
    REACHES(13, low, 13u);
    REACHES(14, low, 14u);
    REACHES(15, low, 15u);
    REACHES(16, low, 16u);
    REACHES(17, low, 17u);
    REACHES(18, low, 18u);
    REACHES(19, low, 19u);
    REACHES(20, low, 20u);
    REACHES(21, low, 21u);
    REACHES(22, low, 22u);
    REACHES(23, low, 23u);
    REACHES(24, low, 24u);
    REACHES(25, low, 25u);
    REACHES(26, low, 26u);
    REACHES(27, low, 27u);
    REACHES(28, low, 28u);
    REACHES(29, low, 29u);
    REACHES(30, low, 30u);
    REACHES(31, low, 31u);
    REACHES(32, high, 0u);
    REACHES(33, high, 1u);
    REACHES(34, high, 2u);
    REACHES(35, high, 3u);
    REACHES(36, high, 4u);
    REACHES(37, high, 5u);
    REACHES(38, high, 6u);
    REACHES(39, high, 7u);
    REACHES(40, high, 8u);
    REACHES(41, high, 9u);
    REACHES(42, high, 10u);
    REACHES(43, high, 11u);
    REACHES(44, high, 12u);
    REACHES(45, high, 13u);
    REACHES(46, high, 14u);
    REACHES(47, high, 15u);
    REACHES(48, high, 16u);
    REACHES(49, high, 17u);
    int count = clamp(NR_LIGHTS, 0, MAX_LIGHTS);
    low &= count >= 32 ? 0xffffffffu : (1u << uint(count)) - 1u;
    high &= count >= 32 ? (1u << uint(count - 32)) - 1u : 0u;

    vec3 lit = ambient * albedo;
    while ((low | high) != 0u) {
        bool inLow = low != 0u;
        uint word = inLow ? low : high;
        uint bit = word & (~word + 1u);
        // A power of two converts to float exactly; its exponent is the bit index.
        int index = int((floatBitsToUint(float(bit)) >> 23) - 127u) + (inLow ? 0 : 32);
        low = inLow ? low ^ bit : low;
        high = inLow ? high : high ^ bit;

        vec3 toLight = lights[index].Position - position;
        float distance2 = dot(toLight, toLight);
        vec3 l = toLight * inversesqrt(max(distance2, 1e-12));
        float window = clamp(1.0 - distance2 * invLightRadius2, 0.0, 1.0);
        vec3 h = safeNormalize(l + toEye);
        float diffuseTerm = max(dot(normal, l), 0.0);
        float specularTerm = specularPower(max(dot(normal, h), 0.0)) * specular;
        lit += lights[index].Color * ((albedo * diffuseTerm + specularTerm) * (window * window * lightIntensity));
    }

    // The centre light: warm, soft distance falloff, shadowed through the cube map.
    vec3 toCentre = WS_pos_light.xyz - position;
    float centreDistance2 = dot(toCentre, toCentre);
    vec3 lc = toCentre * inversesqrt(max(centreDistance2, 1e-12));
    vec3 hc = safeNormalize(lc + toEye);
    float centreDiffuse = max(dot(normal, lc), 0.0);
    float centreSpecular = specularPower(max(dot(normal, hc), 0.0)) * specular;
    float centreAttenuation = centreLightIntensity / (1.0 + centreFalloff * centreDistance2);
    float visible = centreLightVisibility(position, normal);
    lit += centreLightColor * ((albedo * centreDiffuse + centreSpecular) * (centreAttenuation * visible));

    vec3 color = toneMap(lit) * covered;
    float luminance = dot(color, vec3(0.2126, 0.7152, 0.0722));
    fragColor = vec4(color, 1.0);
    brightColor = vec4(color * smoothstep(0.7, 1.0, luminance), 1.0);
}
