#pragma once
// The level's part of the shadow cube, kept between frames. The level is static and the shadow
// light comes to rest after the first seconds; only the spheres move. Once the light and the
// level's placements stand still, the level's depth is rendered once into a kept cube, and every
// later frame copies it back into the shadow cube and draws the spheres over it. Only the texels
// the previous frame's spheres can have covered need putting back.
//
// Every shadow pass asks `plan` what to do, so the cache sees every pass that writes a shadow
// cube, whatever its path, and forgets what it knew of the cube it restores into when a pass
// draws that cube another way. Owns its cube and framebuffer.

#include "render/BodySet.h"
#include "render/FrameMath.h"
#include "scene/Mesh.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <vector>

namespace vantor {

class ShadowLevelCache {
public:
    // What the level's depth depends on: the light's position, the two level placements, the
    // six face matrices and the shadow program (its generation: a reloaded program may draw
    // differently).
    struct Key {
        glm::vec3 light{0.0f};
        std::vector<glm::mat4> matrices; // the two level placements, then the six face matrices
        unsigned program = 0;
        bool operator==(const Key& other) const {
            return light == other.light && matrices == other.matrices && program == other.program;
        }
        // The key of the level at `placements` seen through the cube's `faces` from `light`.
        static Key of(const glm::vec3& light, const std::vector<glm::mat4>& placements,
                      const std::vector<glm::mat4>& faces, unsigned program);
    };

    // What this frame's shadow pass does with the level.
    enum class Step {
        // The cache is off: clear the shadow cube and draw everything into it, one draw per sphere.
        DrawFromScratch,
        // The light moved since the last pass and will likely move again: draw the level
        // straight into the shadow cube (keeping it would cost a copy on top), then the spheres.
        DrawStraight,
        // The light came to rest: draw the level into `framebuffer` (the kept cube), then
        // `restore` and draw the spheres.
        KeepLevel,
        // The kept level is this frame's: `restore` and draw the spheres.
        ReuseLevel,
    };

    explicit ShadowLevelCache(int faceSize);
    ~ShadowLevelCache();
    ShadowLevelCache(const ShadowLevelCache&) = delete;
    ShadowLevelCache& operator=(const ShadowLevelCache&) = delete;

    // Decides the step of a pass that renders `key` into `shadowCube`; `enabled` false (the cache
    // switched off, or a driver that cannot copy between textures) always draws from scratch,
    // and what the cache knew of that cube's content is void. Makes the kept cube on the
    // second pass: the driver zeroes its 24 MB (about 12 ms), which the first frame should not
    // wait for, and the light cannot come to rest before a second pass.
    Step plan(const Key& key, bool enabled, GLuint shadowCube);
    // Puts the kept level back into `shadowCube`: only the texels the spheres drawn over it by the
    // previous pass can have covered, when that pass went through the cache; else the whole cube.
    void restore(GLuint shadowCube);
    // Spheres of one mesh drawn over the level: `mesh` placed by `model` with its translation
    // replaced by each of `centres`.
    struct Spheres {
        const vantor::scene::Mesh* mesh = nullptr;
        glm::mat4 model{1.0f};
        std::vector<glm::vec3> centres;
        // Spheres whose centre is nearer the light than this were not drawn.
        float clearance = 0.0f;
    };
    // Notes where this pass's spheres can have written into the cube rendered from `light` with
    // `faces`.
    void recordSpheres(const std::vector<Spheres>& spheres, const glm::vec3& light,
                       const std::vector<glm::mat4>& faces);
    // The same for the light bodies LightBodyBatches drew as `sets`, body i at positions[i].
    void recordBodies(const std::vector<BodySet>& sets, const std::vector<glm::vec3>& positions,
                      const glm::vec3& light, const std::vector<glm::mat4>& faces);
    // The same for one mesh at its own `modelMatrix`.
    void recordSpheres(const vantor::scene::Mesh& ball, const std::vector<glm::vec3>& centres,
                       const glm::vec3& light, const std::vector<glm::mat4>& faces);
    // Deletes the cube and framebuffer and forgets the kept level; safe to repeat.
    void release();

    int faceSize;
    // The kept level's cube and the framebuffer that draws into it (made by the second `plan`).
    GLuint cube = 0;
    GLuint framebuffer = 0;
    int levelRenders = 0; // how often the kept level was rendered

    // Where the spheres drawn over the kept level in `restoredInto` can have written, while valid.
    std::vector<framemath::FaceRect> sphereRects;
    bool sphereRectsValid = false;
    GLuint restoredInto = 0;

private:
    void create();

    bool levelValid = false;
    Key levelKey;    // what the kept level was rendered for
    Key previousKey; // the previous pass's light and placements
    int passes = 0;
};

// Storage for the six faces of the cube map bound to GL_TEXTURE_CUBE_MAP: 32-bit float depth,
// level 0 only, no data.
void allocateDepthCubeFaces(int width, int height);
// A depth cube of `size` texels a side (nearest filtering, one level) and a framebuffer that
// draws into all six faces at once.
void createDepthCube(int size, GLuint& cube, GLuint& framebuffer);
// Makes the bound framebuffer draw depth into all six faces of `cube` (layered); where GL has no
// layered attachment (WebGL2), into face 0, the others through attachDepthCubeFace.
void attachDepthCube(GLuint cube);
// The bound framebuffer draws and reads no colour.
void drawDepthOnly();
// Makes the bound framebuffer draw depth into face `face` (0..5: +X, -X, +Y, -Y, +Z, -Z) alone.
void attachDepthCubeFace(GLuint cube, int face);

} // namespace vantor
