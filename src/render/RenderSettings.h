#pragma once
// The knobs of the running renderer as plain data: which effects run, how many lights, how fast
// they move, the tone curve's exposure and what the window shows. The defaults are the demo as
// it is meant to look; the settings panel edits one of these, the bench fills one from its
// command line, and `Game` reads it every frame. Both take their names and ranges from one
// table (`settingNames`). Pure: no GL, no UI.

#include "render/LightCount.h"

#include <string>
#include <vector>

namespace vantor {

struct RenderSettings {
    // The most coloured lights the light path carries.
    static constexpr int maxLights = lightcount::maxLightCount;

    int lights = 50;             // coloured lights that move, light the scene and are drawn
    float lightSpeed = 1.0f;     // factor on the frame time the lights (and the shadow light) advance by
    bool shadows = true;         // the shadow cube: off skips its pass and nothing casts a shadow
    bool normalMaps = true;      // the bricks' normal map bends the surface normal
    bool parallax = true;        // the height map shifts the texture towards the viewer
    float parallaxScale = 0.04f; // depth of the relief in texture-coordinate units
    bool bloom = true;           // off: no blur passes, the composite adds nothing
    float bloomStrength = 1.4f;
    float exposure = 1.15f;   // linear light is scaled by this before the tone curve
    int view = 1;             // what the window shows, as the keys 1-9 choose it
    float renderScale = 1.0f; // share of the window's width and height the scene is drawn at (0.25-1)
    int targetFps = 0;        // frame rate the render scale is moved to hold; 0: off
    // Passes on the finished picture; each off by default, and then it costs nothing.
    int aa = 0;                // anti-aliasing of the composited picture: 0 off, 1 FXAA
    int upscale = 0;           // below scale 1, how the picture reaches the window: 0 bilinear, 1 sharp
    float sharpness = 0.25f;   // the sharp upscale's sharpening, 0 (none) to 1 (strongest)
    bool ssao = false;         // ambient occlusion darkens the ambient term in creases and corners
    float ssaoRadius = 0.1f;   // reach of the occlusion kernel, in world units
    float ssaoStrength = 1.0f; // 0 darkens nothing, 1 takes all the ambient where every sample is occluded

    bool operator==(const RenderSettings& other) const;
    bool operator!=(const RenderSettings& other) const { return !(*this == other); }
};

// The values of the named-choice knobs, in the order of their numbers.
enum AntiAliasing { AaOff = 0, AaFxaa = 1 };
enum Upscale { UpscaleBilinear = 0, UpscaleSharp = 1 };

// One knob as the bench and the panel name it, with the values it takes. Exactly one of the
// four member pointers is set.
struct SettingInfo {
    const char* name = "";
    int RenderSettings::*count = nullptr;    // a whole number in low..high
    float RenderSettings::*number = nullptr; // a finite number in low..high
    bool RenderSettings::*flag = nullptr;    // on|off
    int RenderSettings::*choice = nullptr;   // one of `choices`, kept as its index
    std::vector<std::string> choices;
    double low = 0.0, high = 0.0; // both ends taken
    // The range spans decades (its top is 100 times its first step or more): a slider over it
    // is logarithmic, or the default would sit in its first few pixels.
    bool wide = false;
    bool zeroIsOff = false; // a count that also takes 0, below its range, for off
    std::string range;      // as a usage text says it: "0-1000", "on|off", ...
};
// Every knob, in the order the bench's usage and its JSON list them.
const std::vector<SettingInfo>& settingNames();
// The knob called `name`, or null.
const SettingInfo* findSetting(const std::string& name);

// Sets the knob `name` from `value` ("lights", "42"; "bloom", "off"; ...). A name that is not a
// knob, a value that does not parse or lies outside the knob's range leaves `settings` as it
// was and returns false with a one-line `error` naming what was wrong (and, for a number out
// of range, the range). Numbers are written plainly: no sign but a leading minus, no space.
bool applySetting(RenderSettings& settings, const std::string& name, const std::string& value,
                  std::string& error);
// A comma-separated list of name=value pairs, applied left to right; all or nothing. An empty
// item (",," or a trailing comma) is refused like any other that is not name=value.
bool applySettingList(RenderSettings& settings, const std::string& list, std::string& error);

// `edited` with every knob brought into its range, as the panel's typed values come in: a number
// beyond an end takes that end, and one that is not finite keeps the value it had in `previous`
// (or its default, if that was not finite either).
RenderSettings settingsWithinRanges(const RenderSettings& edited, const RenderSettings& previous);
// The whole number a count knob (`info.count` set) takes for `value`, typed or dragged in the
// panel as any number: the nearest within its range, so that one past an end takes that end
// ("1e9", "99999999999999999999"); below the range, 0 for a knob that takes 0 for off (--set
// takes nothing between); `previous` for a value that is not a number.
int countWithinRange(const SettingInfo& info, double value, int previous);

// The knob's current value as `applySetting` reads it back ("on", "0.04", ...): numbers in the
// shortest text that reads back to the same float.
std::string settingValue(const RenderSettings& settings, const std::string& name);
// Every knob as name=value, comma-separated, in `settingNames` order.
std::string describeSettings(const RenderSettings& settings);

} // namespace vantor
