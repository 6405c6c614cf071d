#version 330 core
// Shadow cube map for a loaded scene's alpha-masked materials, fragment stage: discards where
// the geometry pass cuts the surface away (the same test as sceneGBuffer.frag's, without
// parallax: a shadow has no eye to shift towards), so light passes through the holes.
// In: "texCoord"; uniforms "baseColour", "alphaCutoff"; sampler "DiffuseTextureSampler".

in vec2 texCoord;

uniform sampler2D DiffuseTextureSampler;
uniform vec4 baseColour;
uniform float alphaCutoff;

void main() {
    if (texture(DiffuseTextureSampler, texCoord).a * baseColour.a < alphaCutoff)
        discard;
}
