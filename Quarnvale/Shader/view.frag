#version 330 core
// One target of the frame shown in the window in place of the final picture, mapped into
// 0-1 so it reads as a picture:
//   mode 0: a world position, value / 7 + 0.5 (the hall spans about +-3.5 units);
//   mode 1: a normal, value * 0.5 + 0.5;
//   mode 2: a colour as stored;
//   mode 3: the alpha channel as grey (the G-buffer's specular);
//   mode 4: the shadow cube's six faces (+x, -x, +y, -y, +z, -z) side by side in square cells,
//           distance from the light as grey, near = bright, black around them;
//   mode 5: a half-size target (the blur) at twice its size, texel by texel.
// Window pixels map 1:1 to the texels of full-size targets.
// In: gl_FragCoord; samplers "target" (2D) and "shadowCube" (cube); uniforms "mode",
// "windowSize" (pixels) and "nearFar" (the shadow projection's near and far planes).

uniform sampler2D target;
uniform samplerCube shadowCube;
uniform int mode;
uniform ivec2 windowSize;
uniform vec2 nearFar;

out vec4 fragColor;

// The direction through texel coordinates (s, t) in 0-1 of a cube face, inverting GL's choice
// of face coordinates for each major axis.
vec3 cubeDirection(int face, vec2 st) {
    vec2 c = st * 2.0 - 1.0;
    if (face == 0) return vec3(1.0, -c.y, -c.x);
    if (face == 1) return vec3(-1.0, -c.y, c.x);
    if (face == 2) return vec3(c.x, 1.0, c.y);
    if (face == 3) return vec3(c.x, -1.0, -c.y);
    if (face == 4) return vec3(c.x, -c.y, 1.0);
    return vec3(-c.x, -c.y, -1.0);
}

vec3 shadowFaces() {
    int cell = min(windowSize.x / 6, windowSize.y);
    ivec2 origin = ivec2((windowSize.x - 6 * cell) / 2, (windowSize.y - cell) / 2);
    vec2 local = (gl_FragCoord.xy - vec2(origin)) / float(cell);
    if (local.x < 0.0 || local.x >= 6.0 || local.y < 0.0 || local.y >= 1.0)
        return vec3(0.0);
    int face = int(local.x);
    float depth = texture(shadowCube, cubeDirection(face, vec2(local.x - float(face), local.y))).r;
    float near = nearFar.x;
    float far = nearFar.y;
    float distance = 2.0 * near * far / (far + near - (depth * 2.0 - 1.0) * (far - near));
    return vec3(1.0 - distance / far);
}

void main() {
    ivec2 texel = ivec2(gl_FragCoord.xy);
    vec3 colour;
    if (mode == 4)
        colour = shadowFaces();
    else if (mode == 5)
        colour = texelFetch(target, texel / 2, 0).rgb;
    else {
        vec4 stored = texelFetch(target, texel, 0);
        if (mode == 0)
            colour = stored.rgb * (1.0 / 7.0) + 0.5;
        else if (mode == 1)
            colour = stored.rgb * 0.5 + 0.5;
        else if (mode == 3)
            colour = vec3(stored.a);
        else
            colour = stored.rgb;
    }
    fragColor = vec4(clamp(colour, 0.0, 1.0), 1.0);
}
