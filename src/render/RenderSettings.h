#pragma once
// The knobs of the running renderer as plain data: which effects run, how many lights, how fast
// they move, the tone curve's exposure and what the window shows. The defaults are the demo as
// it is meant to look; the settings panel edits one of these, the bench fills one from its
// command line, and `Game` reads it every frame. Pure: no GL, no UI.

#include "render/LightCount.h"

#include <string>
#include <vector>

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

    bool operator==(const RenderSettings& other) const;
    bool operator!=(const RenderSettings& other) const { return !(*this == other); }
};

// One knob as the bench and the panel name it, with its range.
struct SettingInfo {
    const char* name;
    const char* range; // as a usage text says it: "0-1000", "on|off", ...
};
// Every knob, in the order the bench's usage and its JSON list them.
const std::vector<SettingInfo>& settingNames();

// Sets the knob `name` from `value` ("lights", "42"; "bloom", "off"; ...). A name that is not a
// knob, a value that does not parse or lies outside the knob's range leaves `settings` as it
// was and returns false with a one-line `error` naming what was wrong (and, for a number out
// of range, the range).
bool applySetting(RenderSettings& settings, const std::string& name, const std::string& value,
                  std::string& error);
// A comma-separated list of name=value pairs, applied left to right; all or nothing.
bool applySettingList(RenderSettings& settings, const std::string& list, std::string& error);

// The knob's current value as `applySetting` reads it back ("on", "0.04", ...).
std::string settingValue(const RenderSettings& settings, const std::string& name);
// Every knob as name=value, comma-separated, in `settingNames` order.
std::string describeSettings(const RenderSettings& settings);
