#pragma once
// Drawing the size-dependent passes at a fraction of the window's pixels: the size arithmetic
// (how many pixels a scale gives), the steps a chosen scale moves in, and the controller that
// picks the scale holding a frame-rate target from measured frame times. Pure: no GL.
//
// The controller moves in whole steps of `renderscale::step` and holds each choice for several
// frames, so the targets are remade only when the size really changes, never every frame.

#include <limits>
#include <vector>

namespace vantor {

namespace renderscale {

constexpr float minScale = 0.25f;
constexpr float maxScale = 1.0f;
// One step of the controller: 1/40, 32 pixels of a 1280-pixel window.
constexpr float step = 0.025f;

struct Size {
    int width = 1;
    int height = 1;
    bool operator==(const Size& o) const { return width == o.width && height == o.height; }
    bool operator!=(const Size& o) const { return !(*this == o); }
};

// `scale` within [minScale, maxScale]; anything else (NaN included) is brought into it, NaN to 1.
float clampScale(float scale);
// round(window x scale) on each axis, at least 1 pixel. At scale 1 the window's own size.
Size internalSize(int windowWidth, int windowHeight, float scale);
// The controller's step at or below `scale`, or the nearest one when `scale` lies within a
// thousandth of it (so 0.5 read back from text stays 0.5).
int levelBelow(float scale);
float levelScale(int level);
int topLevel();

} // namespace renderscale

// What the controller is fed: a frame's own work, from the top of the loop to the moment its
// picture is handed to the swap (with the GL's queued work finished first, so it is in it). A
// swap interval makes the swap wait for the display, and then every frame's wall-clock time is a
// whole number of refresh periods whatever the scale: fed that, the controller would read a
// frame that meets the refresh rate as exactly on budget and never climb again after a slow
// moment, and read a target above the refresh rate as never met, all the way to the floor. The
// wait is no work a smaller scale can cut; the work before the swap is.
class FrameWork {
public:
    void starts(double seconds) { startedAt = seconds; }
    void handedToSwap(double seconds) { lastMs = (seconds - startedAt) * 1000.0; }
    // The last frame's work, NaN before the first (which the controller does not judge).
    double ms() const { return lastMs; }

private:
    double startedAt = 0.0;
    double lastMs = std::numeric_limits<double>::quiet_NaN();
};

// Holds a frame-time budget by moving the scale. Fed once per frame with the frame's work
// (`FrameWork`); steps down after a few frames over budget (as far as the frames say at once),
// up one step at a time after many frames whose time leaves room for the larger size. A frame's
// cost is taken as a fixed part plus a part proportional to the pixels drawn. The fixed part (the
// shadow pass, the update, a pass at the window's size such as the sharp upscale) is not known
// beforehand: it is worked out from the median frames of two levels below full scale far enough
// apart (full scale is left out: there the passes that stretch the picture to the window are not
// drawn at all), and taken as none until then, which overstates what a step up adds, so such a
// step up never lands over the budget on a steady scene, and understates what a step down
// saves, so a step down may fall short and be followed by another. Where the fixed part makes
// the estimate refuse every step although the frames leave a tenth of the budget free, a step up
// is tried after a longer wait. Should a step up be undone all the same (a noisy scene, a cost
// that grows faster than the pixels), the scale goes back to the level below and the wait
// before climbing to the failed level again doubles with each try.
class RenderScaleController {
public:
    struct Tuning {
        int settleFrames = 2;     // frames after a change that are not judged (targets remade)
        int downFrames = 4;       // consecutive frames over budget before stepping down
        int upFrames = 24;        // frames judged before a step up
        double overBudget = 1.05; // a frame longer than budget x this is over budget
        double upRoom = 0.95;     // step up when the larger size's predicted median fits budget x this
        double downAim = 0.95;    // a step down aims at budget x this
        int trialFrames = 96;     // frames judged before a step up on headroom alone
        double trialRoom = 0.9;   // the headroom: the median within budget x this
        int maxUpWait = 1536;     // the longest the doubling wait grows to
    };

    RenderScaleController() = default;
    explicit RenderScaleController(const Tuning& tuning) : tuning(tuning) {}

    // One finished frame: `frameMs` its work (`FrameWork`), `targetFps` the budget (0: off),
    // `scaleDrawn` the scale it was drawn at. Returns the scale for the next frame: `scaleDrawn` itself while
    // the target is off; otherwise a controller step. A scale changed from outside (or a new
    // target) starts the measuring afresh.
    float frameDone(double frameMs, int targetFps, float scaleDrawn);

    float scale() const { return renderscale::levelScale(level); }
    // Frames a step up to the level last undone waits for (doubled with each undone try).
    int failedLevelWait() const { return failedWait; }
    // Scale changes made since the target was set.
    int changes() const { return changeCount; }
    // The frame's fixed part as last worked out, in ms; 0 until two levels have been measured.
    double fixedPartMs() const { return fixedMs; }

private:
    void restart(int targetFps, float scaleDrawn);
    void moveTo(int newLevel);
    void estimateFixedPart();
    // The frame time at `scaleAt` predicted from a median `ms` at the current scale.
    double predictedMs(double ms, float scaleAt) const;

    Tuning tuning;
    int target = 0;
    int level = renderscale::topLevel();
    float lastReturned = 1.0f;
    int settle = 0;
    int overInARow = 0;
    bool cameUp = false;  // the current level was reached by a step up
    int failedLevel = -1; // the level a step up last had to leave again
    int failedWait = 0;
    int changeCount = 0;
    std::vector<double> judged; // frame times since the last change, settle frames excluded
    double fixedMs = 0.0;
    int measuredLevel = -1; // the last level left below full scale, and its median frame
    double measuredMs = 0.0;
};

} // namespace vantor
