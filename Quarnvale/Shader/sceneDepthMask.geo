#version 330 core
// Shadow cube map for a loaded scene's alpha-masked materials, geometry stage: sends every
// world-space triangle to the cube faces that can see it, as pointlightdepth1.geo does, with its
// texture coordinate. Unlike there, both sides are kept: cut-outs (leaves, banners, fences) are
// single sheets, not closed solids, and a sheet turned away from the light still shades what is
// behind it.
// In: world-space triangle corners with "vertexUv"; uniforms "cm_mat" (world to clip space of
// face 0..5, faces +X, -X, +Y, -Y, +Z, -Z).

layout(triangles) in;
layout(triangle_strip, max_vertices = 18) out;

uniform mat4 cm_mat[6];

in vec2 vertexUv[];
out vec2 texCoord;

void main() {
    for (int face = 0; face < 6; ++face) {
        vec4 c0 = cm_mat[face] * gl_in[0].gl_Position;
        vec4 c1 = cm_mat[face] * gl_in[1].gl_Position;
        vec4 c2 = cm_mat[face] * gl_in[2].gl_Position;
        vec3 x = vec3(c0.x, c1.x, c2.x);
        vec3 y = vec3(c0.y, c1.y, c2.y);
        vec3 z = vec3(c0.z, c1.z, c2.z);
        vec3 w = vec3(c0.w, c1.w, c2.w);
        bool outside = all(lessThan(x, -w)) || all(greaterThan(x, w)) || all(lessThan(y, -w)) ||
                       all(greaterThan(y, w)) || all(lessThan(z, -w)) || all(greaterThan(z, w));
        if (outside)
            continue;
        gl_Layer = face;
        texCoord = vertexUv[0];
        gl_Position = c0;
        EmitVertex();
        gl_Layer = face;
        texCoord = vertexUv[1];
        gl_Position = c1;
        EmitVertex();
        gl_Layer = face;
        texCoord = vertexUv[2];
        gl_Position = c2;
        EmitVertex();
        EndPrimitive();
    }
}
