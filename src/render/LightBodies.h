#pragma once
// The lights' bodies on the GPU: one position and one colour per light in a buffer, read two
// ways. The full spheres of the first fifty read it as per-instance vertex attributes (one
// instanced draw); the coarse spheres of the rest read it through a buffer texture from a
// batch, a static mesh of `maxLightCount` copies of the coarse sphere whose vertices carry
// their body's number, drawn as one plain draw. llvmpipe runs its vertex, geometry and clipping
// stages once per instance, at a fixed cost of some tens of microseconds each, which a
// thousand instances of a forty-triangle sphere turn into most of the shadow pass; the batch
// pays it once. Owns its buffers, buffer texture and vertex array.

#include "gpu/Shader.h"
#include "scene/Mesh.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <vector>

namespace vantor {

class LightBodies {
public:
    // The texture unit the batch's programs read the body data from ("bodyData").
    static constexpr int bodyDataUnit = 6;

    LightBodies() = default;
    ~LightBodies();
    LightBodies(const LightBodies&) = delete;
    LightBodies& operator=(const LightBodies&) = delete;

    // Replaces the bodies (fresh storage each time, so a draw still reading the last content
    // never makes this wait): body i at positions[i] in colors[i] (same length).
    void upload(const std::vector<glm::vec3>& positions, const std::vector<glm::vec3>& colors);
    // Points `mesh`'s vertex array at the bodies from `first` on, as `shader`'s "instancePosition"
    // and (when the program has it) "instanceColor", one per instance.
    void attach(Shader* shader, const vantor::scene::Mesh& mesh, int first);
    // Switches those attributes off again, so a draw that is not instanced reads no buffer.
    void detach(Shader* shader, const vantor::scene::Mesh& mesh);
    // Draws bodies [first, first + count) as copies of `mesh` (its batch is made on first use)
    // in one draw through the current program `shader`,
    // whose "position" and "bodyIndex" it feeds; "bodyData" is bound on `bodyDataUnit`.
    void drawBatch(Shader* shader, const vantor::scene::Mesh& mesh, int first, int count);
    // Deletes everything; safe to repeat.
    void release();

    GLuint buffer = 0;      // the bodies: position, 1, colour, 1 per body
    GLuint dataTexture = 0; // the same buffer as RGBA32F texels
    int bodies = 0;

    // One mesh's batch: its corners' xyz and body number, copy after copy, and their triangles.
    struct Batch {
        const vantor::scene::Mesh* mesh = nullptr;
        GLuint vertices = 0;
        GLuint indices = 0;
        GLuint array = 0;
        GLsizei indicesPerBody = 0;
    };
    std::vector<Batch> batches;

private:
    Batch& batchOf(const vantor::scene::Mesh& mesh);
    std::vector<float> staging;
};

} // namespace vantor
