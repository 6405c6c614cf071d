#version 330 core
// Geometry pass, fragment stage: fills the G-buffer with the normal- and parallax-mapped
// bricks. One height fetch shifts the texture coordinate towards the viewer (offset
// parallax with offset limiting, so grazing angles stay bounded); the normal map then
// bends the world-space normal.
// In: world position, uv and surface frame; uniforms "viewPos", "colorOfObject" (added as
// emission, black for the level); samplers "DiffuseTextureSampler", "NormalTextureSampler",
// "HeightTextureSampler".
// Out: 0 "fragColor" -> gPosition (world position), 1 -> gNormal (world normal),
// 2 -> gColorSpec (diffuse colour, specular intensity).
// Variants: NO_PARALLAX reads every map at the mesh's own uv; NO_NORMAL_MAPS keeps the mesh's
// normal. "parallaxScale" is the relief's depth in texture-coordinate units.

in vec3 worldPosition;
in vec2 texCoord;
in vec3 worldNormal;
in vec3 worldTangent;
in vec3 worldBitangent;

uniform vec3 viewPos;
uniform vec3 colorOfObject;
uniform sampler2D DiffuseTextureSampler;
uniform sampler2D NormalTextureSampler;
uniform sampler2D HeightTextureSampler;
uniform float parallaxScale;

out vec4 fragColor;
layout(location = 1) out vec4 gNormalOut;
layout(location = 2) out vec4 gColorSpecOut;

vec3 safeNormalize(vec3 v) {
    return v * inversesqrt(max(dot(v, v), 1e-20));
}

void main() {
    vec3 n = safeNormalize(worldNormal);
    // A mesh without usable normals still gets a valid frame.
    n = dot(n, n) < 0.5 ? vec3(0.0, 1.0, 0.0) : n;
    vec3 t = safeNormalize(worldTangent - n * dot(n, worldTangent));
    // Keep the mesh's handedness (mirrored uvs, mirroring model matrix).
    vec3 b = cross(n, t) * (dot(cross(n, t), worldBitangent) < 0.0 ? -1.0 : 1.0);

    float height = texture(HeightTextureSampler, texCoord).r;
#ifdef NO_PARALLAX
    vec2 uv = texCoord;
#else
    vec3 toEye = viewPos - worldPosition;
    vec3 eye = safeNormalize(vec3(dot(toEye, t), dot(toEye, b), dot(toEye, n)));
    vec2 uv = texCoord + eye.xy * ((height - 0.5) * parallaxScale);
#endif

    vec3 diffuse = texture(DiffuseTextureSampler, uv).rgb;
#ifdef NO_NORMAL_MAPS
    vec3 mapped = n;
#else
    vec3 bump = texture(NormalTextureSampler, uv).rgb * 2.0 - 1.0;
    vec3 mapped = safeNormalize(t * bump.x + b * bump.y + n * bump.z);
    mapped = dot(mapped, mapped) < 0.5 ? n : mapped;
#endif

    fragColor = vec4(worldPosition, 1.0);
    gNormalOut = vec4(mapped, 0.0);
    // Raised brick faces are smoother than the mortar between them.
    gColorSpecOut = vec4(min(diffuse + colorOfObject, vec3(1.0)), 0.15 + 0.45 * height);
}
