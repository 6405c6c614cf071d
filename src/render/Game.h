#pragma once
// The frame renderer: owns every program, target and piece of content, advances the scene
// each frame and draws it through its passes: shadow cube map, G-buffer geometry, deferred
// lighting, forward-drawn light spheres, bloom and composite. Each pass is a public
// operation of its own so a test can run one alone; a tool that times the frame watches
// `render` itself through `passObserver`.

#include "gpu/Shader.h"
#include "input/Controls.h"
#include "render/FrameMath.h"
#include "render/LightGrid.h"
#include "render/LightMaskTexture.h"
#include "render/PassObserver.h"
#include "render/PostProcessing.h"
#include "scene/Mesh.h"
#include "scene/Object.h"
#include "scene/Skybox.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

class Game {
public:
    // Makes no GL call; `init` builds everything.
    Game(GLFWwindow* window, int screenWidth, int screenHeight);
    // Releases everything the Game owns, after `destroy` or without it. Needs the Game's GL
    // context current, unless `init` never ran.
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    void init();
    void update();
    // The frame's passes, top to bottom; each is reported to `passObserver` when one is set.
    void render();
    // Releases the level, the camera, the sky box and its program; safe to repeat.
    void destroy();

    // Set-up steps.
    void createShadowMap();
    void cacheShadowMatrixLocations();
    void createGBuffer();

    // Per-frame steps, in the order `update` and `render` run them.
    void buildShadowTransforms();
    void shadowPass(const glm::mat4& transPosition);
    // The shadow pass without the cache: clears the cube and draws the level and the spheres
    // into it. `shadowPass` falls back to it when the driver cannot copy between textures.
    void renderShadowFromScratch(const glm::mat4& transPosition);
    // Shadow-pass steps: the uniforms every shadow draw shares, both level placements cleared
    // into `framebuffer`'s cube, and all light spheres in instanced draws into the bound cube.
    void setShadowUniforms();
    void drawShadowLevel(GLuint framebuffer, const glm::mat4& transPosition);
    void drawShadowSpheres();
    // Notes which texels of the cube this frame's spheres can cover (see shadowSphereRects).
    void recordShadowSphereRects();
    // Makes the cube and framebuffer the shadow pass keeps the level's depth in.
    void createShadowLevelCache();
    void geometryPass(const glm::mat4& transPosition);
    // Sorts both level placements' triangles nearest first as seen from `eye` (world space)
    // when `levelFrontToBack` is set, and says which placement to draw first (the one with
    // the nearer triangle). `drawLevelPlacement` then draws placement 0 or 1 in that order.
    int sortLevel(const glm::vec3& eye, const glm::mat4 (&placements)[2]);
    void drawLevelPlacement(int placement);
    void prepareLightingTarget();
    void lightingPass();
    void setLightingUniforms(Shader* shader);
    // Bins the coloured lights into the floor-plan grid and hands it to `shader`.
    void uploadLightGrid(Shader* shader);
    // Gives the lit-scene target the G-buffer's depth (copied unless the lighting pass already
    // did since the last geometry pass), then runs `forwardPass` there.
    void depthHandOver();
    void copyGBufferDepth();
    void forwardPass();

    double deltaTime;
    GLFWwindow* window;
    int screenWidth;
    int screenHeight;
    int shadowWidth;
    int shadowHeight;
    GLuint depthMapFBO = 0;
    Shader* depthShader = nullptr;
    GLuint depthCubemap = 0;
    vantor::scene::World* world = nullptr;
    vantor::scene::Ball* ball = nullptr;
    std::vector<vantor::scene::Object*> objects;
    int objectCount;
    vantor::Controls* controls = nullptr;
    Skybox* skybox = nullptr;
    Shader* skyboxShader = nullptr;
    Shader* finalShader = nullptr;
    Shader* defaultShader = nullptr;
    PostProcessing* postProcessing = nullptr;
    Shader* gaussShader = nullptr;
    Shader* textureShader = nullptr;
    GLuint gBuffer = 0;
    GLuint gPosition = 0;
    GLuint gNormal = 0;
    GLuint gColorSpec = 0;
    GLuint quadVAO = 0;
    GLuint quadVBO = 0;
    // The G-buffer's depth attachment.
    GLuint rboDepth = 0;
    Shader* gBufferShader = nullptr;
    Shader* lightingShader = nullptr;
    // The night sky behind the level: the lighting pass's empty pixels, drawn by a program of
    // their own so the lit pixels do not pay for the sky and the sky not for the lights.
    Shader* nightSkyShader = nullptr;
    glm::mat4 view;
    glm::mat4 projection;
    glm::vec3 lightPos;
    std::vector<glm::mat4> shadowTransforms;
    float nearPlane;
    float farPlane;
    glm::mat4 shadowProj;
    std::vector<GLint> shadowMatrixLocations;
    // The level's part of the shadow cube, kept between frames: only the spheres move once the
    // shadow light has come to rest, so when the light and the level placements are the same
    // as in the previous frame the level is rendered once into `shadowLevelCubemap`, and every
    // frame after copies it into `depthCubemap` and draws the spheres over it. While the light
    // moves, the level is drawn straight into `depthCubemap` as without the cache. False
    // renders every frame from scratch.
    struct ShadowLevelKey {
        glm::vec3 light{0.0f};
        std::vector<glm::mat4> matrices; // the two level placements, then the six face matrices
        bool operator==(const ShadowLevelKey& other) const {
            return light == other.light && matrices == other.matrices;
        }
    };
    bool shadowCacheEnabled = true;
    // The geometry pass skips the level's back faces: nowhere on the flight or within the free
    // camera's reach does one show. False draws both sides, the slower path it must match.
    bool levelBackFaceCulling = true;
    // The geometry pass draws the level's triangles nearest first (sorted each frame from the
    // camera), so fewer fragments are shaded and then covered. False keeps the file's order.
    bool levelFrontToBack = true;
    std::vector<glm::vec3> levelTriangleCentres; // in the level's own space, made on first use
    std::vector<std::uint32_t> levelOrder[2];    // per placement, this frame's order
    // The lit-scene target's depth is exactly the current G-buffer's: set by copyGBufferDepth,
    // cleared by the geometry pass and by the forward pass's spheres.
    bool sceneHoldsGBufferDepth = false;
    GLuint shadowLevelCubemap = 0;
    // Where the spheres drawn over the kept level can have written into `depthCubemap`; while
    // valid, the cube is the kept level everywhere else, so the next cached pass restores only
    // these texels. Anything else that draws into the cube must clear the flag.
    std::vector<framemath::FaceRect> shadowSphereRects;
    bool shadowSphereRectsValid = false;
    float shadowBallExtent = -1.0f; // farthest corner of the ball's mesh from its origin, made on first use
    GLuint shadowLevelFBO = 0;
    bool shadowLevelValid = false;
    int shadowLevelRenders = 0;       // how often the kept level was rendered
    ShadowLevelKey shadowLevelKey;    // what the kept level was rendered for
    ShadowLevelKey shadowPreviousKey; // the previous shadow pass's light and placements
    // Filtering of the level's maps during the geometry pass (made by createGBuffer).
    GLuint gBufferSampler = 0;
    // Nearest filtering of the shadow cube while the lighting pass reads it (made by createShadowMap).
    GLuint shadowSampler = 0;
    // The coloured lights binned into a floor-plan grid each frame, read by the lighting
    // pass through "lightMasks" on texture unit 4 (made on the first lighting pass).
    LightMaskTexture lightMasks;
    lightgrid::LightGrid lightGrid; // this frame's grid, its storage kept between frames
    // Told where each pass of `render` begins and ends; not owned, null when nobody watches.
    PassObserver* passObserver = nullptr;
};
