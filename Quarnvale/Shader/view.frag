#version 330 core
// One target of the frame shown in the window in place of the final picture, mapped into
// 0-1 so it reads as a picture:
//   mode 0: a world position, value / 7 + 0.5 (the hall spans about +-3.5 units);
//   mode 1: a normal, value * 0.5 + 0.5;
//   mode 2: a colour as stored;
//   mode 3: the alpha channel as grey (the G-buffer's specular);
//   mode 4: the shadow cube's six faces (+x, -x, +y, -y, +z, -z) as seen from the light, in
//           the grid of square cells "faceGrid" (columns, rows, cell size in pixels) whose
//           lower-left corner is "gridOrigin", row by row from the top; the four side faces
//           upright (+y up the screen), +y with +z up and -y with -z up; distance from the
//           light as grey, near = bright, black around them;
//   mode 5: a half-size target (the blur) at twice its size, texel by texel.
// Each window pixel reads the target texel under it: "texelsPerPixel" is 1 when the targets
// have the window's size, less at a render scale below 1 (the target stretched, nearest).
// In: gl_FragCoord; samplers "target" (2D) and "shadowCube" (cube); uniforms "mode",
// "windowSize" (pixels), "texelsPerPixel", "nearFar" (the shadow projection's near and far
// planes), "faceGrid" and "gridOrigin" (mode 4).

uniform sampler2D target;
uniform samplerCube shadowCube;
uniform int mode;
uniform ivec2 windowSize;
uniform vec2 texelsPerPixel;
uniform vec2 nearFar;
uniform ivec3 faceGrid;
uniform ivec2 gridOrigin;

out vec4 fragColor;

// The direction from the light through point c (-1 to 1, x right, y up) of a face as a camera
// at the light looking along the face's axis sees it, without mirroring.
vec3 cubeDirection(int face, vec2 c) {
    if (face == 0) return vec3(1.0, c.y, c.x);
    if (face == 1) return vec3(-1.0, c.y, -c.x);
    if (face == 2) return vec3(c.x, 1.0, c.y);
    if (face == 3) return vec3(c.x, -1.0, -c.y);
    if (face == 4) return vec3(-c.x, c.y, 1.0);
    return vec3(c.x, c.y, -1.0);
}

vec3 shadowFaces() {
    int columns = faceGrid.x;
    int rows = faceGrid.y;
    vec2 local = (gl_FragCoord.xy - vec2(gridOrigin)) / float(faceGrid.z);
    if (faceGrid.z <= 0 || local.x < 0.0 || local.x >= float(columns) || local.y < 0.0 || local.y >= float(rows))
        return vec3(0.0);
    ivec2 slot = ivec2(local);
    int face = (rows - 1 - slot.y) * columns + slot.x;
    float depth = texture(shadowCube, cubeDirection(face, (local - vec2(slot)) * 2.0 - 1.0)).r;
    float near = nearFar.x;
    float far = nearFar.y;
    float distance = 2.0 * near * far / (far + near - (depth * 2.0 - 1.0) * (far - near));
    return vec3(1.0 - distance / far);
}

void main() {
    ivec2 texel = ivec2(gl_FragCoord.xy * texelsPerPixel);
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
