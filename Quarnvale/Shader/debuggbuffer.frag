#version 330 core
// Deferred lighting: lights the G-buffer with a dim night-sky ambient, the shadow-casting
// centre light and up to 1000 coloured point lights, lights the building's outside with
// moonlight and the glow of its windows, tone-maps the result into the 8-bit target and
// sends only what outshines the scene to the bloom.
//
// Light is added in linear units: the brick colours are stored display-encoded and are
// decoded first (squared, close to the display curve), the sum is tone-mapped and encoded
// again (square root). Decoding keeps the brick saturated under strong light, encoding keeps
// the dim night-lit parts readable.
//
// Coloured lights fade smoothly to exactly zero at their reach, so a pixel only needs the
// lights within it. The CPU bins them into a grid of boxes (floor-plan cells stacked in
// slabs of height), each with the list of the lights that can reach it, so one texel fetch
// finds the pixel's list and the shading loop visits only the lights on it, in ascending
// order (the sum comes out the same whatever the box's size). With more than fifty lights
// each reaches less far across than up and down; they are shaded in a space stretched across,
// where each is the designed light.
//
// The shadow cube map holds each face's hardware depth; the light-to-pixel vector's major
// axis is the distance along that face's view direction, which converts to the same depth
// scale through near_far.
//
// Variant: NO_SHADOWS lights as if nothing stood between the centre light and any surface.
// Variant: AMBIENT_OCCLUSION scales the night-sky ambient by "ambientOcclusion" (the share of
// it each pixel keeps, at any size over the same screen).
//
// Only covered pixels run this program (the depth test keeps it off the empty ones, which
// nightsky.frag fills).
//
// In: "texCoord"; samplers "gPosition" (world position), "gNormal" (world normal),
// "gColorSpec" (diffuse rgb, specular a), "cubemap_tex" (shadow depth); uniforms: every coloured
// light packed in the block "LightBlock", with "lightColorScale" and "lightSquash"; "NR_LIGHTS",
// "viewPos", "WS_pos_light", "near_far", "exposure"; the
// grid: usampler "lightBoxes", usamplerBuffer "lightLists", "lightGrid" and "lightSlabs"; the
// building's shape: "levelShape", "windowCentreHeights".
// Out: 0 "fragColor" (lit colour), 1 "brightColor" (what blooms).

in vec2 texCoord;

uniform sampler2D gPosition;
uniform sampler2D gNormal;
uniform sampler2D gColorSpec;
uniform samplerCube cubemap_tex;
#ifdef AMBIENT_OCCLUSION
uniform sampler2D ambientOcclusion;
#endif

const int MAX_LIGHTS = 1000;
// What the loop reads per light, made from the lights' positions and colours each frame: xyz the
// position, w the colour pushed away from grey (by 1.4: the random colours are often pale, the
// pools should read as colour) and packed as the integer red + 256 green + 65536 blue (8 bits each,
// one step is lightColorScale). One vec4 read instead of two vec3 reads per light; a uniform
// block, since a thousand vec4 exceed what plain uniforms are sure to hold.
// One more entry after the lights: the light a list's padding names, far away and black.
layout(std140) uniform LightBlock {
    vec4 lightData[MAX_LIGHTS + 1];
};
uniform float lightColorScale;
// With more than fifty lights each reaches less far across the floor plan than up and down:
// the lights are shaded in a space stretched across by this factor (1 up to fifty lights), where
// each is the designed light and its pool the designed pool; narrower, seen in the world. The
// light positions in "lightData" come stretched; the pixel's is stretched here, once.
uniform float lightSquash;
// The lights in use (their lists hold no other).
uniform int NR_LIGHTS;
uniform vec3 viewPos;
uniform vec4 WS_pos_light;
uniform vec2 near_far;
// Linear light is scaled by this before the tone curve.
uniform float exposure;
// Grid of the coloured lights: per box the offset into lightLists (high 22 bits) and the
// length (low 10 bits) of the list of the lights that reach any point of it, one array layer
// per slab. Lists are read a pair of entries (one texel) at a time: each starts at an even
// entry and has even length, padded with the light that reaches nothing. lightGrid: xy = world x/z of the grid's corner, z = cells per world unit, w = the
// lights' reach (up and down). lightSlabs: x = world y of the bottom of slab 0, y = slabs per world unit.
uniform usampler2DArray lightBoxes;
uniform usamplerBuffer lightLists;
uniform vec4 lightGrid;
uniform vec2 lightSlabs;
// The building in world units, from the same numbers the level is generated from: levelShape
// x = the outer face's apothem, y = the roof's height, z = the spacing of the round windows along
// a side (three per side, one in the middle), w = their radius; windowCentreHeights = the
// heights of the two rows of window centres, the lower and the upper.
uniform vec4 levelShape;
uniform vec2 windowCentreHeights;

out vec4 fragColor;
layout(location = 1) out vec4 brightColor;

// Coloured lights: strength at the light.
const float lightIntensity = 12.0;
// Inverse-square core inside the fade window: a bright spot right by the light, a short tail.
const float lightCore = 80.0;
// How much of the brick's own colour the coloured lights see (1: all of it).
const float poolAlbedoSaturation = 0.6;
// The centre light: warm lamp light, strong on the platform and fading towards the walls.
const vec3 centreLightColor = vec3(1.0, 0.70, 0.40);
const float centreLightIntensity = 2.0;
const float centreFalloff = 10.0;
// Night sky: cool light from above, hardly any from below (hemispheric by the normal).
const vec3 skyAmbient = vec3(0.04, 0.07, 0.26);
const vec3 groundAmbient = vec3(0.010, 0.010, 0.016);
// Outside the building: moonlight from high over the glide's starting side (no shadow: it only
// reaches the outward faces and the roof), a brighter open-sky ambient, and the warm light of
// the hall falling out of the round windows onto the facade around them.
const vec3 moonDirection = vec3(-0.2085, 0.4965, 0.8424); // towards the moon, unit length
const vec3 moonColor = vec3(0.27, 0.32, 0.50);
const vec3 outsideSkyAmbient = vec3(0.045, 0.06, 0.15);
const vec3 windowGlowColor = vec3(1.0, 0.62, 0.32);
const float windowGlowIntensity = 1.3;
const float windowGlowReach = 0.06; // world units from the window's rim to half strength
// Inside, the night sky through the windows faintly lights what faces them across the
// ambulatory (the arcade's outer side and beyond).
const vec3 windowSkyLight = vec3(0.08, 0.10, 0.24);
// Linear light that the tone curve maps to white.
const float whitePoint = 4.0;
// Linear light above this blooms (the spheres bloom through the forward pass).
const float bloomThreshold = 1.5;

// Depth bias along the face axis and offset along the normal, in world units: they cover
// the cube texel size and the half-float precision of the stored positions.
const float shadowBias = 0.006;
const float normalOffset = 0.008;

vec3 safeNormalize(vec3 v) {
    return v * inversesqrt(max(dot(v, v), 1e-20));
}

// x^32 by repeated squaring.
float specularPower(float x) {
    float s = x * x;
    s *= s;
    s *= s;
    s *= s;
    return s * s;
}

// Linear light to linear display values in [0, 1): linear in the dark (no toe, so the
// night-lit brick keeps its detail), rolling off smoothly towards white.
vec3 toneMap(vec3 c) {
    return c * (1.0 + c * (1.0 / (whitePoint * whitePoint))) / (1.0 + c);
}

// Light that reaches the building's outside: moonlight and open sky on the outward faces and
// the roof, and the glow of the windows around their rims. Zero on every inner surface.
vec3 outsideLight(vec3 position, vec3 normal) {
    float outerWallApothem = levelShape.x;
    float roofHeight = levelShape.y;
    float windowSpacing = levelShape.z;
    float windowRadius = levelShape.w;
    float lowerWindows = windowCentreHeights.x;
    float windowRowGap = windowCentreHeights.y - windowCentreHeights.x;
    // The side of the octagon the point lies on (a face towards an axis or towards a diagonal,
    // folded into the positive quadrant), its distance out along that side's direction, how far
    // along the side it is (only its size matters: the windows sit symmetrically), and how much
    // the normal faces out along it.
    vec2 folded = abs(position.xz);
    vec2 foldedNormal = normal.xz * sign(position.xz);
    float axial = max(folded.x, folded.y);
    float diagonal = (folded.x + folded.y) * 0.70710678;
    bool onDiagonal = diagonal > axial;
    float apothem = max(axial, diagonal);
    float across = onDiagonal ? abs(folded.x - folded.y) * 0.70710678 : min(folded.x, folded.y);
    float outward = onDiagonal ? (foldedNormal.x + foldedNormal.y) * 0.70710678 : (folded.x > folded.y ? foldedNormal.x : foldedNormal.y);
    float facade = clamp((apothem - (outerWallApothem - 0.06)) * 20.0, 0.0, 1.0) * clamp(outward * (1.0 / 0.3), 0.0, 1.0);
    // Above the roof everything that faces up or out is outside (the roof and the lantern).
    float roof = step(roofHeight - 0.04, position.y) * step(0.3, max(normal.y, outward));
    float open = max(facade, roof);
    vec3 light = open * (moonColor * max(dot(normal, moonDirection), 0.0) + outsideSkyAmbient * (0.6 + 0.4 * normal.y));
    light += windowSkyLight * ((1.0 - open) * smoothstep(0.8, 1.3, apothem) * max(outward, 0.0));

    // Distance from the nearest window's rim, on the face of the wall (the reveals inside the
    // opening are at distance 0 and take the glow at full strength).
    float nearestRow = clamp(round((position.y - lowerWindows) / windowRowGap), 0.0, 1.0);
    vec2 nearest = vec2(min(round(across / windowSpacing), 1.0) * windowSpacing, lowerWindows + nearestRow * windowRowGap);
    float rim = max(length(vec2(across, position.y) - nearest) - windowRadius, 0.0) / windowGlowReach;
    float throughWall = clamp((apothem - (outerWallApothem - 0.12)) * (1.0 / 0.06), 0.0, 1.0);
    light += windowGlowColor * (windowGlowIntensity * throughWall / (1.0 + rim * rim));
    return light;
}

// 1 where the centre light reaches the surface point, 0 in its shadow.
float centreLightVisibility(vec3 position, vec3 normal) {
    float nearPlane = near_far.x;
    float farPlane = near_far.y;
    vec3 fromLight = position + normal * normalOffset - WS_pos_light.xyz;
    vec3 a = abs(fromLight);
    float axisDistance = max(max(a.x, a.y), a.z);
    float stored = texture(cubemap_tex, fromLight + vec3(1e-7)).r;
    // The stored window depth stands for the distance near * far / (far - stored * (far - near))
    // along the face axis; its denominator is at least `near`, so the comparison multiplies it
    // out instead of dividing. Beyond the far plane the map knows nothing: lit.
    float occluderDenominator = farPlane - stored * (farPlane - nearPlane);
    bool shadowed = (axisDistance - shadowBias) * occluderDenominator > nearPlane * farPlane && axisDistance < farPlane;
    return shadowed ? 0.0 : 1.0;
}

// One coloured light's diffuse and specular share, added to the sums before the surface's
// colours and the lights' shared scale apply (so each costs as little as it can). `data`: xyz
// the light's position, w its packed colour.
void addColouredLight(vec4 data, vec3 position, vec3 normal, vec3 reflected, float invReach2, inout vec3 diffuseSum,
                      inout vec3 specularSum) {
    // `position` and the light's are in the stretched space.
    vec3 toLight = data.xyz - position;
    uint packedColor = uint(data.w);
    vec3 color = vec3(uvec3(packedColor, packedColor >> 8u, packedColor >> 16u) & 255u);
    float distance2 = dot(toLight, toLight);
    float invDistance = inversesqrt(max(distance2, 1e-12));
    float window = max(1.0 - distance2 * invReach2, 0.0);
    float falloff = window * window / (1.0 + distance2 * lightCore);
    diffuseSum += color * (max(dot(normal, toLight), 0.0) * invDistance * falloff);
    specularSum += color * (specularPower(max(dot(reflected, toLight), 0.0) * invDistance) * falloff);
}

void main() {
    vec3 position = texture(gPosition, texCoord).rgb;
    // The geometry pass stores unit normals; half floats keep them unit to a thousandth.
    vec3 normal = texture(gNormal, texCoord).rgb;
    vec4 colorSpec = texture(gColorSpec, texCoord);
    vec3 albedo = colorSpec.rgb * colorSpec.rgb;
    float specular = colorSpec.a;

    vec3 toEye = safeNormalize(viewPos - position);
    // Phong with the mirrored view direction, computed once: per light only one dot product.
    vec3 reflected = reflect(-toEye, normal);

    // Which coloured lights can reach this pixel: the list of its box.
    ivec3 cell = ivec3(floor(vec3((position.xz - lightGrid.xy) * lightGrid.z, (position.y - lightSlabs.x) * lightSlabs.y)));
    ivec3 cells = textureSize(lightBoxes, 0);
    bool inGrid = all(greaterThanEqual(cell, ivec3(0))) && all(lessThan(cell, cells));
    uint box = inGrid ? texelFetch(lightBoxes, clamp(cell, ivec3(0), cells - 1), 0).r : 0u;
    int next = int(box >> 10u);
    int end = next + int(box & 1023u);

#ifdef AMBIENT_OCCLUSION
    vec3 ambient = mix(groundAmbient, skyAmbient, normal.y * 0.5 + 0.5) * texture(ambientOcclusion, texCoord).r;
    vec3 lit = (ambient + outsideLight(position, normal)) * albedo;
#else
    vec3 lit = (mix(groundAmbient, skyAmbient, normal.y * 0.5 + 0.5) + outsideLight(position, normal)) * albedo;
#endif
    // The coloured lights see the brick less red than it is, so a green or blue pool on red
    // brick still reads as green or blue instead of vanishing.
    vec3 poolAlbedo = mix(vec3(dot(albedo, vec3(0.2126, 0.7152, 0.0722))), albedo, poolAlbedoSaturation);
    float invReach2 = 1.0 / (lightGrid.w * lightGrid.w);
    // Summed per light before the surface's colours and the lights' shared scale apply, so
    // each visit costs as little as it can.
    vec3 diffuseSum = vec3(0.0);
    vec3 specularSum = vec3(0.0);
    vec3 stretched = position * vec3(lightSquash, 1.0, lightSquash);
    for (; next < end; next += 2) {
        uvec2 pair = texelFetch(lightLists, next >> 1).rg;
        addColouredLight(lightData[pair.x], stretched, normal, reflected, invReach2, diffuseSum, specularSum);
        addColouredLight(lightData[pair.y], stretched, normal, reflected, invReach2, diffuseSum, specularSum);
    }
    lit += (poolAlbedo * diffuseSum + specular * specularSum) * (lightColorScale * lightIntensity);

    // The centre light: warm, shadowed through the cube map.
    vec3 toCentre = WS_pos_light.xyz - position;
    float centreDistance2 = dot(toCentre, toCentre);
    float invCentreDistance = inversesqrt(max(centreDistance2, 1e-12));
    float centreDiffuse = max(dot(normal, toCentre), 0.0) * invCentreDistance;
    float centreSpecular = specularPower(max(dot(reflected, toCentre), 0.0) * invCentreDistance) * specular;
    float centreAttenuation = centreLightIntensity / (1.0 + centreFalloff * centreDistance2);
#ifdef NO_SHADOWS
    float visible = 1.0;
#else
    float visible = centreLightVisibility(position, normal);
#endif
    lit += centreLightColor * ((albedo * centreDiffuse + centreSpecular) * (centreAttenuation * visible));

    lit *= exposure;
    fragColor = vec4(sqrt(toneMap(lit)), 1.0);
    vec3 excess = max(lit - bloomThreshold, 0.0);
    brightColor = vec4(sqrt(toneMap(excess)), 1.0);
}
