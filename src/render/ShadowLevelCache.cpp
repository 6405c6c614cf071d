#include "render/ShadowLevelCache.h"

#include <algorithm>
#include <cmath>

namespace vantor {

void allocateDepthCubeFaces(int width, int height) {
    for (GLenum face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT32F, width, height, 0,
                     GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
}

ShadowLevelCache::ShadowLevelCache(int faceSize) : faceSize(faceSize) {}

ShadowLevelCache::~ShadowLevelCache() {
    release();
}

ShadowLevelCache::Step ShadowLevelCache::plan(const Key& key, bool enabled, GLuint shadowCube) {
    ++passes;
    if (!enabled) {
        if (shadowCube == restoredInto)
            sphereRectsValid = false;
        return Step::DrawFromScratch;
    }
    if (shadowCube != restoredInto)
        sphereRectsValid = false;
    if (cube == 0 && passes > 1)
        create();
    const bool kept = levelValid && key == levelKey;
    const bool resting = key == previousKey;
    previousKey = key;

    if (!kept && !resting) {
        sphereRectsValid = false;
        return Step::DrawStraight;
    }
    if (kept)
        return Step::ReuseLevel;
    levelKey = key;
    levelValid = true;
    sphereRectsValid = false;
    ++levelRenders;
    return Step::KeepLevel;
}

void ShadowLevelCache::restore(GLuint shadowCube) {
    if (shadowCube != restoredInto)
        sphereRectsValid = false;
    restoredInto = shadowCube;
#ifndef __EMSCRIPTEN__ // WebGL2 copies no texture into another: the page caches nothing (Game::shadowPass)
    // A plain copy is cheaper than clearing the cube and far cheaper than drawing the level.
    if (!sphereRectsValid) {
        glCopyImageSubData(cube, GL_TEXTURE_CUBE_MAP, 0, 0, 0, 0, shadowCube, GL_TEXTURE_CUBE_MAP, 0, 0, 0, 0,
                           faceSize, faceSize, 6);
        return;
    }
    for (const framemath::FaceRect& r : framemath::faceCopies(sphereRects, faceSize))
        glCopyImageSubData(cube, GL_TEXTURE_CUBE_MAP, 0, r.x0, r.y0, r.face, shadowCube, GL_TEXTURE_CUBE_MAP,
                           0, r.x0, r.y0, r.face, r.x1 - r.x0, r.y1 - r.y0, 1);
#endif
}

void ShadowLevelCache::recordSpheres(const std::vector<Spheres>& spheres, const glm::vec3& light,
                                     const std::vector<glm::mat4>& faces) {
    std::array<glm::mat4, 6> faceMatrices;
    std::copy_n(faces.begin(), 6, faceMatrices.begin());
    sphereRects.clear();
    for (const Spheres& set : spheres) {
        if (set.centres.empty())
            continue;
        // Every corner of the mesh lies within `extent` of its origin; placed, within that times
        // the matrix's largest stretch (bounded by its Frobenius norm) of its centre.
        float extent = 0.0f;
        for (const glm::vec3& v : set.mesh->vertices)
            extent = std::max(extent, glm::length(v));
        const glm::mat3 linear(set.model);
        const float stretch = std::sqrt(glm::dot(linear[0], linear[0]) + glm::dot(linear[1], linear[1]) +
                                        glm::dot(linear[2], linear[2]));
        const float radius = extent * stretch * 1.001f + 1e-5f;
        // A sphere around the light draws nothing into the cube (all its faces face away), though
        // its bounding box covers every face. The margin dwarfs the rounding of the shader's corners.
        const float hidesLight =
            std::max(set.clearance,
                     0.99f * framemath::backFacingRadius(set.mesh->vertices, set.mesh->indices, linear));
        for (const glm::vec3& centre : set.centres)
            if (glm::length(centre - light) >= hidesLight)
                framemath::ballFootprint(faceMatrices, centre, radius, faceSize, sphereRects);
    }
    sphereRectsValid = true;
}

ShadowLevelCache::Key ShadowLevelCache::Key::of(const glm::vec3& light,
                                                const std::vector<glm::mat4>& placements,
                                                const std::vector<glm::mat4>& faces, unsigned program) {
    Key key;
    key.light = light;
    key.matrices = placements;
    key.matrices.insert(key.matrices.end(), faces.begin(), faces.end());
    key.program = program;
    return key;
}

void ShadowLevelCache::recordBodies(const std::vector<BodySet>& sets, const std::vector<glm::vec3>& positions,
                                    const glm::vec3& light, const std::vector<glm::mat4>& faces) {
    std::vector<Spheres> drawn;
    for (const BodySet& set : sets)
        drawn.push_back(
            {set.mesh, set.model,
             std::vector<glm::vec3>(positions.begin() + set.first, positions.begin() + set.first + set.count),
             set.clearance});
    recordSpheres(drawn, light, faces);
}

void ShadowLevelCache::recordSpheres(const vantor::scene::Mesh& ball, const std::vector<glm::vec3>& centres,
                                     const glm::vec3& light, const std::vector<glm::mat4>& faces) {
    recordSpheres({Spheres{&ball, ball.modelMatrix, centres}}, light, faces);
}

void ShadowLevelCache::create() {
    createDepthCube(faceSize, cube, framebuffer);
}

void createDepthCube(int size, GLuint& cube, GLuint& framebuffer) {
    glGenTextures(1, &cube);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    allocateDepthCubeFaces(size, size);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    attachDepthCube(cube);
    drawDepthOnly();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void attachDepthCube(GLuint cube) {
#ifdef __EMSCRIPTEN__
    // WebGL2 attaches one face at a time (attachDepthCubeFace); face 0 makes the target whole.
    attachDepthCubeFace(cube, 0);
#else
    glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, cube, 0);
#endif
}

void drawDepthOnly() {
#ifdef __EMSCRIPTEN__
    const GLenum none = GL_NONE;
    glDrawBuffers(1, &none);
#else
    glDrawBuffer(GL_NONE);
#endif
    glReadBuffer(GL_NONE);
}

void attachDepthCubeFace(GLuint cube, int face) {
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face),
                           cube, 0);
}

void ShadowLevelCache::release() {
    if (framebuffer)
        glDeleteFramebuffers(1, &framebuffer);
    if (cube)
        glDeleteTextures(1, &cube);
    framebuffer = 0;
    cube = 0;
    levelValid = false;
    sphereRectsValid = false;
    previousKey = Key();
    restoredInto = 0;
    passes = 0;
}

} // namespace vantor
