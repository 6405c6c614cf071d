#version 330 core
// Deferred lighting: lights the G-buffer with the shadow-casting centre light and up to 50
// coloured point lights, tone-maps the result into the 8-bit target and sends its
// brightest part to the bloom.
//
// Coloured lights fade smoothly to exactly zero at their reach, so a pixel only needs the
// lights within it. All lights hover in one horizontal layer; the CPU bins them into a
// floor-plan grid whose cells carry the mask of the lights that can reach them, so one
// texel fetch replaces a distance test per light and the shading loop visits only the set
// bits.
//
// The shadow cube map holds each face's hardware depth; the light-to-pixel vector's major
// axis is the distance along that face's view direction, which converts to the same depth
// scale through near_far.
//
// In: "texCoord"; samplers "gPosition" (world position), "gNormal" (world normal),
// "gColorSpec" (diffuse rgb, specular a), "cubemap_tex" (shadow depth); uniforms "lights",
// "NR_LIGHTS", "viewPos", "WS_pos_light", "near_far"; usampler "lightMasks" and "lightGrid"
// (the grid).
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
// Floor-plan grid of the coloured lights: per cell the 64-bit mask of the lights that reach
// any point of it (red: lights 0-31, green: 32-63). lightGrid: xy = world x/z of the
// grid's corner, z = cells per world unit, w = the lights' reach.
uniform usampler2D lightMasks;
uniform vec4 lightGrid;

out vec4 fragColor;
layout(location = 1) out vec4 brightColor;

const float lightIntensity = 1.6;
const vec3 centreLightColor = vec3(1.0, 0.88, 0.72);
const float centreLightIntensity = 0.8;
const float centreFalloff = 2.0;
const vec3 ambient = vec3(0.06, 0.06, 0.075);

// Depth bias along the face axis and offset along the normal, in world units: they cover
// the cube texel size and the half-float precision of the stored positions.
const float shadowBias = 0.006;
const float normalOffset = 0.008;

vec3 safeNormalize(vec3 v) {
    return v * inversesqrt(max(dot(v, v), 1e-20));
}

// x^16 by repeated squaring.
float specularPower(float x) {
    float s = x * x;
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
    // Phong with the mirrored view direction, computed once: per light only one dot product.
    vec3 reflected = reflect(-toEye, normal);

    // Which coloured lights can reach this pixel: the mask of its floor-plan cell.
    ivec2 cell = ivec2(floor((position.xz - lightGrid.xy) * lightGrid.z));
    ivec2 cells = textureSize(lightMasks, 0);
    bool inGrid = covered > 0.0 && all(greaterThanEqual(cell, ivec2(0))) && all(lessThan(cell, cells));
    uvec2 mask = inGrid ? texelFetch(lightMasks, clamp(cell, ivec2(0), cells - 1), 0).rg : uvec2(0u);
    uint low = mask.x;
    uint high = mask.y;
    int count = clamp(NR_LIGHTS, 0, MAX_LIGHTS);
    low &= count >= 32 ? 0xffffffffu : (1u << uint(count)) - 1u;
    high &= count >= 32 ? (1u << uint(count - 32)) - 1u : 0u;

    float invReach2 = 1.0 / (lightGrid.w * lightGrid.w);
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
        float invDistance = inversesqrt(max(distance2, 1e-12));
        float window = max(1.0 - distance2 * invReach2, 0.0);
        float diffuseTerm = max(dot(normal, toLight), 0.0) * invDistance;
        float specularTerm = specularPower(max(dot(reflected, toLight), 0.0) * invDistance) * specular;
        lit += lights[index].Color * ((albedo * diffuseTerm + specularTerm) * (window * window * window * lightIntensity));
    }

    // The centre light: warm, soft distance falloff, shadowed through the cube map.
    vec3 toCentre = WS_pos_light.xyz - position;
    float centreDistance2 = dot(toCentre, toCentre);
    float invCentreDistance = inversesqrt(max(centreDistance2, 1e-12));
    float centreDiffuse = max(dot(normal, toCentre), 0.0) * invCentreDistance;
    float centreSpecular = specularPower(max(dot(reflected, toCentre), 0.0) * invCentreDistance) * specular;
    float centreAttenuation = centreLightIntensity / (1.0 + centreFalloff * centreDistance2);
    float visible = centreLightVisibility(position, normal);
    lit += centreLightColor * ((albedo * centreDiffuse + centreSpecular) * (centreAttenuation * visible));

    vec3 color = toneMap(lit) * covered;
    float luminance = dot(color, vec3(0.2126, 0.7152, 0.0722));
    fragColor = vec4(color, 1.0);
    brightColor = vec4(color * smoothstep(0.7, 1.0, luminance), 1.0);
}
