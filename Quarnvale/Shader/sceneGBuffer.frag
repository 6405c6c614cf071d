#version 330 core
// Geometry pass for a loaded scene, fragment stage: fills the G-buffer like gBuffer.frag, from
// one material at a time. The colour is the base colour texture (display-encoded, as the bricks
// are) times "baseColour"; "specular" is the material's one intensity. A material with a normal
// map bends the normal ("useNormalMap"); only one with a height map shifts the texture
// coordinate ("useParallax"). Fragments whose alpha falls below "alphaCutoff" are cut away
// (negative: opaque).
// In: as gBuffer.frag's, from gBuffer.vert; uniforms "viewPos", "parallaxScale", the material's;
// samplers "DiffuseTextureSampler", "NormalTextureSampler", "HeightTextureSampler".
// Out: 0 world position, 1 world normal, 2 colour and specular.

in vec3 worldPosition;
in vec2 texCoord;
in vec3 worldNormal;
in vec3 worldTangent;
in vec3 worldBitangent;

uniform vec3 viewPos;
uniform sampler2D DiffuseTextureSampler;
uniform sampler2D NormalTextureSampler;
uniform sampler2D HeightTextureSampler;
uniform float parallaxScale;
uniform vec4 baseColour;
uniform float specular;
uniform float alphaCutoff;
uniform int useNormalMap;
uniform int useParallax;

out vec4 fragColor;
layout(location = 1) out vec4 gNormalOut;
layout(location = 2) out vec4 gColorSpecOut;

vec3 safeNormalize(vec3 v) {
    return v * inversesqrt(max(dot(v, v), 1e-20));
}

void main() {
    vec3 n = safeNormalize(worldNormal);
    n = dot(n, n) < 0.5 ? vec3(0.0, 1.0, 0.0) : n;
    // Without scene normals the surface still faces the viewer: both sides of a sheet are lit.
    n = gl_FrontFacing ? n : -n;
    vec3 t = safeNormalize(worldTangent - n * dot(n, worldTangent));
    vec3 b = cross(n, t) * (dot(cross(n, t), worldBitangent) < 0.0 ? -1.0 : 1.0);

    vec2 uv = texCoord;
    if (useParallax != 0) {
        vec3 toEye = viewPos - worldPosition;
        vec3 eye = safeNormalize(vec3(dot(toEye, t), dot(toEye, b), dot(toEye, n)));
        uv += eye.xy * ((texture(HeightTextureSampler, texCoord).r - 0.5) * parallaxScale);
    }

    vec4 colour = texture(DiffuseTextureSampler, uv) * baseColour;
    if (colour.a < alphaCutoff)
        discard;

    vec3 mapped = n;
    if (useNormalMap != 0 && dot(t, t) > 0.5) {
        vec3 bump = texture(NormalTextureSampler, uv).rgb * 2.0 - 1.0;
        mapped = safeNormalize(t * bump.x + b * bump.y + n * bump.z);
        mapped = dot(mapped, mapped) < 0.5 ? n : mapped;
    }

    fragColor = vec4(worldPosition, 1.0);
    gNormalOut = vec4(mapped, 0.0);
    gColorSpecOut = vec4(min(colour.rgb, vec3(1.0)), specular);
}
