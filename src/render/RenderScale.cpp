#include "render/RenderScale.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace renderscale {

namespace {

// Levels count steps from the floor; a level's scale is (floorSteps + level) / stepsPerUnit,
// exact in binary for the scales a user types (0.25, 0.5, 0.75, 1).
constexpr int stepsPerUnit = 40;
constexpr int floorSteps = 10;

} // namespace

float clampScale(float scale) {
    if (std::isnan(scale))
        return maxScale;
    return std::clamp(scale, minScale, maxScale);
}

Size internalSize(int windowWidth, int windowHeight, float scale) {
    const double s = clampScale(scale);
    Size size;
    size.width = std::max(1, static_cast<int>(std::lround(windowWidth * s)));
    size.height = std::max(1, static_cast<int>(std::lround(windowHeight * s)));
    return size;
}

int levelBelow(float scale) {
    const int steps = static_cast<int>(std::floor(clampScale(scale) * stepsPerUnit + 0.04));
    return std::clamp(steps - floorSteps, 0, topLevel());
}

float levelScale(int level) {
    return float(floorSteps + std::clamp(level, 0, topLevel())) / float(stepsPerUnit);
}

int topLevel() {
    return stepsPerUnit - floorSteps;
}

} // namespace renderscale

namespace {

double medianOf(std::vector<double> values) {
    if (values.empty())
        return 0.0;
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + middle, values.end());
    return values[middle];
}

} // namespace

void RenderScaleController::restart(int targetFps, float scaleDrawn) {
    target = targetFps;
    level = renderscale::levelBelow(scaleDrawn);
    lastReturned = scale();
    // A scale off the steps is remade at the step below it; that frame is not judged.
    settle = lastReturned == scaleDrawn ? 0 : tuning.settleFrames;
    overInARow = 0;
    cameUp = false;
    failedLevel = -1;
    failedWait = tuning.upFrames;
    changeCount = 0;
    judged.clear();
    fixedMs = 0.0;
    measuredLevel = -1;
}

void RenderScaleController::moveTo(int newLevel) {
    if (level < renderscale::topLevel() && int(judged.size()) >= tuning.downFrames) {
        measuredLevel = level;
        measuredMs = medianOf(judged);
    }
    level = std::clamp(newLevel, 0, renderscale::topLevel());
    lastReturned = scale();
    settle = tuning.settleFrames;
    overInARow = 0;
    ++changeCount;
    judged.clear();
}

void RenderScaleController::estimateFixedPart() {
    if (measuredLevel < 0 || level == measuredLevel || level == renderscale::topLevel() ||
        int(judged.size()) < tuning.downFrames)
        return;
    const double a = double(renderscale::levelScale(measuredLevel)), b = double(scale());
    const double a2 = a * a, b2 = b * b;
    // Neighbouring levels differ by a few per cent in pixels, less than the frames' noise.
    if (std::abs(a2 - b2) < 0.25 * std::max(a2, b2))
        return;
    const double here = medianOf(judged);
    // Through both (scale^2, ms) points; a noisy pair could claim nearly the whole frame fixed,
    // which would make every step up look free.
    const double fixed = (measuredMs * b2 - here * a2) / (b2 - a2);
    fixedMs = std::clamp(fixed, 0.0, 0.75 * std::min(measuredMs, here));
}

double RenderScaleController::predictedMs(double ms, float scaleAt) const {
    const double fixed = std::min(fixedMs, ms);
    return fixed + (ms - fixed) * double(scaleAt) * scaleAt / (double(scale()) * scale());
}

float RenderScaleController::frameDone(double frameMs, int targetFps, float scaleDrawn) {
    if (targetFps <= 0) {
        target = 0;
        return scaleDrawn;
    }
    if (targetFps != target || scaleDrawn != lastReturned)
        restart(targetFps, scaleDrawn);
    if (!std::isfinite(frameMs) || frameMs < 0.0)
        return lastReturned;
    if (settle > 0) {
        --settle;
        return lastReturned;
    }

    const double budget = 1000.0 / target;
    judged.push_back(frameMs);
    estimateFixedPart();
    overInARow = frameMs > budget * tuning.overBudget ? overInARow + 1 : 0;

    if (overInARow >= tuning.downFrames && level > 0) {
        // Aimed from the least of the frames over budget, so one slow frame among them (a
        // shader compiled, the targets remade) does not send the scale to the floor.
        const double least = *std::min_element(judged.end() - tuning.downFrames, judged.end());
        const double fixed = std::min(fixedMs, least);
        const double pixelsMay = budget * tuning.downAim - fixed;
        const float aim = pixelsMay <= 0.0 || least <= fixed
                              ? renderscale::minScale
                              : scale() * float(std::sqrt(pixelsMay / (least - fixed)));
        int down = std::min(renderscale::levelBelow(aim), level - 1);
        // A step up that did not hold goes back to the level below, which did; climbing to
        // this level again waits twice as long as the last try.
        if (cameUp) {
            failedWait =
                failedLevel == level ? std::min(failedWait * 2, tuning.maxUpWait) : 2 * tuning.upFrames;
            failedLevel = level;
            down = level - 1;
        }
        cameUp = false;
        moveTo(down);
        return lastReturned;
    }

    if (level == renderscale::topLevel())
        return lastReturned;
    // Two ways up: the frames say the next step fits even if all of their time were pixels; or,
    // after a longer wait, they leave room that a fixed part of the frame (the shadow pass,
    // the update) would fill less than the pixels say. The second is a trial: undone, it waits
    // twice as long next time, like any step up that does not hold.
    const int wait = level + 1 == failedLevel ? failedWait : tuning.upFrames;
    const int trialWait = std::max(wait, tuning.trialFrames);
    if (int(judged.size()) > trialWait)
        judged.erase(judged.begin(), judged.end() - trialWait);
    const float up = renderscale::levelScale(level + 1);
    const bool fits = int(judged.size()) >= wait &&
                      predictedMs(medianOf(std::vector<double>(judged.end() - wait, judged.end())), up) <=
                          budget * tuning.upRoom;
    const bool trial = int(judged.size()) == trialWait && medianOf(judged) <= budget * tuning.trialRoom;
    if (fits || trial) {
        moveTo(level + 1);
        cameUp = true;
    }
    return lastReturned;
}

} // namespace vantor
