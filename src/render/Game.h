#pragma once
// The frame renderer: owns every program, target and piece of content, advances the scene
// each frame and draws it through its passes: shadow cube map, G-buffer geometry, deferred
// lighting, forward-drawn light spheres, bloom and composite. Each pass is a public
// operation of its own so a test can run one alone; a tool that times the frame watches
// `render` itself through `passObserver`.

#include "gpu/WindowSize.h"
#include "input/Controls.h"
#include "input/SceneClock.h"
#include "render/RenderSettings.h"
#include "render/TargetView.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/glm.hpp>

#include <memory>
#include <vector>

namespace vantor {

class PassObserver;
class Shader;
struct GBuffer;
struct GamePrograms;
struct LightRig;
struct PicturePasses;
struct SceneContent;
struct ShadowCube;

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

    // The full-screen quad the lighting and picture passes draw.
    void createQuad();

    // Per-frame steps, in the order `render` runs them.
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
    glm::mat4 view;
    glm::mat4 projection;
    vantor::Controls* controls = nullptr;
    GLuint quadVAO = 0;
    GLuint quadVBO = 0;

    // The frame's parts, one owner each: the shadow light's cube, the G-buffer, the coloured
    // lights, what is drawn (level or model, bodies, sky), the programs, and the passes after
    // the lighting.
    std::unique_ptr<ShadowCube> shadow;
    std::unique_ptr<GBuffer> gbuffer;
    std::unique_ptr<LightRig> lightRig;
    std::unique_ptr<SceneContent> content;
    std::unique_ptr<GamePrograms> programs;
    std::unique_ptr<PicturePasses> passes;

    // The geometry pass skips the level's back faces: nowhere on the flight or within the free
    // camera's reach does one show. False draws both sides, the slower path it must match.
    bool levelBackFaceCulling = true;
    // The context's largest targets, read by `init`; `resize` stays within them.
    GlSizeLimits sizeLimits;
    int refusedWidth = 0; // the last size refused, so a refusal is said once
    int refusedHeight = 0;
    // The knobs the panel and the bench turn, read every frame: `update` takes the light count
    // and speed from it, `render` which passes run, their program variants and uniforms, and
    // what reaches the window (the final picture, or one of the frame's targets drawn over it).
    RenderSettings settings;
    TargetViewId shownView() const { return TargetView::fromNumber(settings.view); }
    // The geometry program for the map switches, the lighting program for the shadow and
    // occlusion switches (GamePrograms).
    Shader* geometryProgram();
    Shader* lightingProgram();
    ViewSources viewSources() const;
    // Every program the frame has made so far, for the shader watcher.
    std::vector<Shader*> allPrograms() const;
    // The pause and the flight's clock: paused, the coloured lights and the shadow light stand
    // still and the camera's flight holds.
    vantor::SceneClock sceneClock;

    // Told where each pass of `render` begins and ends; not owned, null when nobody watches.
    PassObserver* passObserver = nullptr;
};

} // namespace vantor
