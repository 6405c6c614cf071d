#version 330 core
// Shadow cube map, vertex stage: moves a mesh vertex to world space; the geometry stage
// projects it once per cube face. The light bodies are the mesh placed by "M" with its
// translation replaced by the body's position: with "instanced" = 1 the instance's own
// "instancePosition" (the first fifty, one instanced draw); with 2 the position of body
// "bodyIndex" in "bodyData" (the rest, one draw of a batch of copies of the coarse sphere).
// A body of the batch whose centre is nearer the light than "bodyClearance" collapses to its
// centre and casts nothing: hugging the lamp, a bead would fill whole faces of the cube (a few
// million texels to write, half the hall in its shadow), and a thousand lights spiralling
// through the axis always have several there.
// In: attributes "position", "instancePosition" (per instance), "bodyIndex"; uniforms "M"
// (model to world), "instanced", "bodyData" (per body: position, then colour), "l_pos" (the
// light), "bodyClearance".

in vec3 position;
in vec3 instancePosition;
in float bodyIndex;

uniform mat4 M;
uniform int instanced;
uniform samplerBuffer bodyData;
uniform vec4 l_pos;
uniform float bodyClearance;
#ifdef ONE_FACE_PER_PASS
// Where there is no geometry stage, the pass runs once per cube face and this stage projects
// to face "face" (0..5) with the same "cm_mat".
uniform mat4 cm_mat[6];
uniform int face;
#endif

void main() {
    mat4 model = M;
    vec3 centre = instanced == 2 ? texelFetch(bodyData, 2 * int(bodyIndex)).xyz : instancePosition;
    model[3] = instanced != 0 ? vec4(centre, M[3].w) : M[3];
    vec3 fromLight = centre - l_pos.xyz;
    bool cleared = instanced == 2 && dot(fromLight, fromLight) < bodyClearance * bodyClearance;
    gl_Position = cleared ? vec4(centre, 1.0) : model * vec4(position, 1.0);
#ifdef ONE_FACE_PER_PASS
    gl_Position = cm_mat[face] * gl_Position;
#endif
}
