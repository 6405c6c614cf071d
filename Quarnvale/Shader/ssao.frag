#version 330 core
// Screen-space ambient occlusion at half the picture's size: for the surface point of each
// pixel, a hemisphere of sample points around its normal (in view space, turned by a small
// tiling noise so neighbouring pixels sample differently), each projected onto the screen; a
// sample behind the surface the G-buffer holds there is occluded, counted only when that
// surface lies within the hemisphere's reach (a wall far in front hides nothing here). Writes
// the share of the ambient light kept: 1 open, lower in creases and corners.
// In: "gPosition", "gNormal" (world position, w = 1 where a surface was drawn; world normal),
// "noise" (4 x 4 unit rotations in xy, tiled over the screen), "samples" (the hemisphere's
// points, z up, within the unit ball), "view", "projection", "radius" (world units),
// "strength" (scales the darkening); gl_FragCoord (the half-size pixel).

uniform sampler2D gPosition;
uniform sampler2D gNormal;
uniform sampler2D noise;
const int sampleCount = 12;
uniform vec3 samples[sampleCount];
uniform mat4 view;
uniform mat4 projection;
uniform float radius;
uniform float strength;

out vec4 fragColor;

void main() {
    ivec2 full = ivec2(gl_FragCoord.xy) * 2;
    vec4 world = texelFetch(gPosition, full, 0);
    if (world.w < 0.5) {
        fragColor = vec4(1.0);
        return;
    }
    vec3 position = (view * vec4(world.xyz, 1.0)).xyz;
    vec3 normal = normalize(mat3(view) * texelFetch(gNormal, full, 0).xyz);
    vec3 turn = vec3(texelFetch(noise, ivec2(gl_FragCoord.xy) & 3, 0).xy, 0.0);
    vec3 tangent = normalize(turn - normal * dot(turn, normal) + vec3(1e-6, 0.0, 0.0));
    mat3 frame = mat3(tangent, cross(normal, tangent), normal);
    // Against the depth quantisation and the surface's own texture relief.
    float bias = 0.04 * radius;

    // A sample's clip position is the surface point's plus a linear map of the sample (the
    // projection of the turned, scaled hemisphere), so the per-pixel part is worked out once and
    // each sample costs three multiply-adds instead of two matrix products. Only x, y and w of the
    // clip position are needed, and only z of the view positions.
    vec4 centreClip = projection * vec4(position, 1.0);
    mat3 clipOfSample = mat3(vec3(projection[0][0], projection[0][1], projection[0][3]),
                             vec3(projection[1][0], projection[1][1], projection[1][3]),
                             vec3(projection[2][0], projection[2][1], projection[2][3])) *
                        frame * radius;
    vec3 zOfSample = vec3(frame[0].z, frame[1].z, frame[2].z) * radius;
    vec4 viewZ = vec4(view[0][2], view[1][2], view[2][2], view[3][2]);

    float occluded = 0.0;
    for (int i = 0; i < sampleCount; ++i) {
        vec3 clip = centreClip.xyw + clipOfSample * samples[i];
        float pointZ = position.z + dot(zOfSample, samples[i]);
        vec2 uv = clip.xy / clip.z * 0.5 + 0.5;
        vec4 there = texture(gPosition, uv);
        float surfaceZ = dot(viewZ.xyz, there.xyz) + viewZ.w;
        float near = smoothstep(0.0, 1.0, radius / max(abs(position.z - surfaceZ), 1e-6));
        occluded += (there.w > 0.5 && surfaceZ >= pointZ + bias) ? near : 0.0;
    }
    float kept = 1.0 - strength * occluded / float(sampleCount);
    fragColor = vec4(clamp(kept, 0.0, 1.0));
}
