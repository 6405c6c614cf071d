#pragma once
// The frame renderer: owns every program, target and piece of content, advances the scene
// each frame and draws it through its passes: shadow cube map, G-buffer geometry, deferred
// lighting, forward-drawn light spheres, bloom and composite. Each pass is a public
// operation of its own so a test can run one alone; a tool that times the frame watches
// `render` itself through `passObserver`.

#include "gpu/Shader.h"
#include "gpu/ShaderVariants.h"
#include "gpu/WindowSize.h"
#include "input/Controls.h"
#include "input/ScenePause.h"
#include "render/AmbientOcclusion.h"
#include "render/BodyDrawing.h"
#include "render/FrameMath.h"
#include "render/Fxaa.h"
#include "render/LevelOrder.h"
#include "render/LightBodies.h"
#include "render/LightCount.h"
#include "render/LightFrame.h"
#include "render/PassObserver.h"
#include "render/PostProcessing.h"
#include "render/RenderSettings.h"
#include "render/ShadowLevelCache.h"
#include "render/SharpUpscale.h"
#include "render/TargetView.h"
#include "scene/LightSet.h"
#include "scene/Mesh.h"
#include "scene/SceneData.h"
#include "scene/SceneModel.h"
#include "scene/Skybox.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/glm.hpp>

#include <memory>
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
    // `focus` says what the camera may take from the mouse and keys in this update.
    void update(vantor::ControlsFocus focus = {});
    // The frame's passes, top to bottom; each is reported to `passObserver` when one is set.
    void render();
    // Releases the level, the camera, the sky box and its program; safe to repeat.
    void destroy();

    // Follows the framebuffer: makes every screen-sized target (G-buffer, lit-scene, blur) at
    // `width` x `height` when that differs from the current size. A size the machine or the
    // context cannot hold keeps the current one, says so once and returns false; so does a
    // zero size (a minimised window), silently.
    bool resize(int width, int height);
    // Makes the screen-sized targets the size `settings.renderScale` gives the window, when that
    // differs from the size they have; `render` calls it first.
    void fitTargetsToScale();

    // Set-up steps.
    void createShadowMap();
    void cacheShadowMatrixLocations();
    // The G-buffer (its size-dependent targets and the fixed full-screen quad and sampler).
    void createGBuffer();
    void createGBufferTargets();
    void releaseGBufferTargets();

    // Per-frame steps, in the order `update` and `render` run them.
    void buildShadowTransforms();
    void shadowPass(const glm::mat4& transPosition);
    // Shadow-pass steps: the uniforms every shadow draw shares, both level placements cleared
    // into `framebuffer`'s cube, and the light spheres into the bound cube (instanced, or one
    // draw each as the pass without the cache draws them).
    void setShadowUniforms();
    void drawShadowLevel(GLuint framebuffer, const glm::mat4& transPosition);
    void drawShadowSpheres(bool instanced);
    void geometryPass(const glm::mat4& transPosition);
    // Binds the lit-scene target for both colour attachments, gives it the G-buffer's depth,
    // and lights it: the lighting program where a surface was drawn, the sky elsewhere.
    void lightingPass();
    // This frame's coloured lights for the lighting program (positions, colours, grid).
    void prepareLights();
    // The lighting program's uniforms other than the G-buffer's samplers.
    void setLightingUniforms(Shader* shader);
    void copyGBufferDepth();
    // The light spheres and the shadow light's marker, drawn forward over the lit scene (whose
    // depth the lighting pass made the G-buffer's).
    void forwardPass();
    // The passes on the composited `picture` (the targets' size) on its way to the window:
    // anti-aliasing, then below scale 1 the stretch, bilinear or sharp.
    void finishPicture(GLuint picture);

    double deltaTime;
    GLFWwindow* window;
    int screenWidth;
    int screenHeight;
    // The size the G-buffer, lighting and bloom targets are drawn at: the window's times the
    // render scale (the window's own at scale 1).
    int frameWidth = screenWidth;
    int frameHeight = screenHeight;
    int shadowWidth;
    int shadowHeight;
    GLuint depthMapFBO = 0;
    Shader* depthShader = nullptr;
    GLuint depthCubemap = 0;
    vantor::scene::World* world = nullptr;
    // A model shown in place of the hall: given before `init`, which uploads it into `scene`
    // (fitted into the hall's volume, drawn once, with its own geometry program) and lets the
    // CPU copy go. Without it `world` is the level, as ever; with it `world` stays null.
    std::unique_ptr<vantor::scene::SceneData> sceneData;
    vantor::scene::SceneModel* scene = nullptr;
    Shader* sceneShader = nullptr;
    // The shadow program for the model's cut-out materials (only a model with some has one).
    Shader* sceneDepthShader = nullptr;
    vantor::scene::Ball* ball = nullptr;
    // The bodies of lights past the first fifty: a coarse sphere, a few pixels across.
    vantor::scene::BodySphere* smallBall = nullptr;
    vantor::scene::BodySphere* shadowBall = nullptr; // the same in the shadow cube, an octahedron
    // The lights made so far, in the order made; the first `objectCount` of them (at most
    // lightcount::maxLightCount) are on. Raising the count makes the missing ones; the others
    // keep their state while off.
    vantor::scene::LightSet objects{lightcount::maxLightCount};
    int objectCount;
    // The lights' per-instance body data for the shadow and forward passes, and how they are drawn.
    LightBodies lightBodies;
    BodyDrawing bodyDrawing;
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
    Shader* gBufferShader = nullptr;
    Shader* lightingShader = nullptr;
    glm::mat4 view;
    glm::mat4 projection;
    glm::vec3 lightPos;
    std::vector<glm::mat4> shadowTransforms;
    float nearPlane;
    float farPlane;
    glm::mat4 shadowProj;
    std::vector<GLint> shadowMatrixLocations;
    // The depthShader generation shadowMatrixLocations were looked up in.
    unsigned shadowLocationsGeneration = 0;
    GLuint rboDepth = 0; // the G-buffer's depth attachment
    GLuint quadVBO = 0;
    // The night sky behind the level: the lighting pass's empty pixels, drawn by a program of
    // their own so the lit pixels do not pay for the sky and the sky not for the lights.
    Shader* nightSkyShader = nullptr;
    // Filtering of the level's maps during the geometry pass; nearest filtering of the shadow
    // cube while the lighting pass reads it.
    GLuint gBufferSampler = 0;
    GLuint shadowSampler = 0;

    // The level's depth in the shadow cube, kept while the light rests; false renders every
    // frame's cube from scratch.
    bool shadowCacheEnabled = true;
    ShadowLevelCache shadowCache{shadowWidth}; // shadowWidth is set before it
    // The geometry pass skips the level's back faces: nowhere on the flight or within the free
    // camera's reach does one show. False draws both sides, the slower path it must match.
    bool levelBackFaceCulling = true;
    LevelOrder levelOrder;
    LightFrame lightFrame;
    // The context's largest targets, read by `init`; `resize` stays within them.
    GlSizeLimits sizeLimits;
    int refusedWidth = 0; // the last size refused, so a refusal is said once
    int refusedHeight = 0;
    // The knobs the panel and the bench turn, read every frame: `update` takes the light count
    // and speed from it, `render` which passes run, their program variants and uniforms, and
    // what reaches the window (the final picture, or one of the frame's targets drawn over it).
    RenderSettings settings;
    std::unique_ptr<TargetView> targetView;
    // The passes on the finished picture, made by `init`; their programs on first use.
    std::unique_ptr<Fxaa> fxaa;
    std::unique_ptr<SharpUpscale> sharpUpscale;
    std::unique_ptr<AmbientOcclusion> ambientOcclusion;
    // This frame's ambient occlusion for the lighting pass; 0 without it.
    GLuint occlusionTexture = 0;
    TargetViewId shownView() const { return TargetView::fromNumber(settings.view); }
    // The geometry pass's program for the map switches (NO_NORMAL_MAPS, NO_PARALLAX), and the
    // lighting program for the shadow and occlusion switches (NO_SHADOWS, AMBIENT_OCCLUSION): the
    // described programs at the defaults, variants built from the same files on first use
    // otherwise (the described program while a variant cannot be built).
    ShaderVariants geometryVariants;
    ShaderVariants lightingVariants;
    Shader* geometryProgram();
    Shader* lightingProgram();
    ViewSources viewSources() const;
    // Paused, the coloured lights and the shadow light stand still and the camera's flight holds.
    vantor::ScenePause pause;

    // Told where each pass of `render` begins and ends; not owned, null when nobody watches.
    PassObserver* passObserver = nullptr;
};
