#include "render/RenderSettings.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

// Upper bounds of the number knobs: far past anything that still makes a picture, close enough
// that a typo is caught.
constexpr float maxLightSpeed = 10.0f;
constexpr float maxParallaxScale = 0.2f;
constexpr float maxBloomStrength = 10.0f;
constexpr float maxExposure = 16.0f;
constexpr float minRenderScale = 0.25f;
constexpr int minTargetFps = 10;
constexpr int maxTargetFps = 240;

bool parseFloat(const std::string& text, float low, float high, float& out) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value) || value < low || value > high)
        return false;
    out = static_cast<float>(value);
    return true;
}

bool parseInt(const std::string& text, int low, int high, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high)
        return false;
    out = static_cast<int>(value);
    return true;
}

bool parseSwitch(const std::string& text, bool& out) {
    if (text == "on" || text == "1" || text == "true") {
        out = true;
        return true;
    }
    if (text == "off" || text == "0" || text == "false") {
        out = false;
        return true;
    }
    return false;
}

std::string number(float value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

const char* onOff(bool value) {
    return value ? "on" : "off";
}

} // namespace

bool RenderSettings::operator==(const RenderSettings& o) const {
    return lights == o.lights && lightSpeed == o.lightSpeed && shadows == o.shadows &&
           normalMaps == o.normalMaps && parallax == o.parallax && parallaxScale == o.parallaxScale &&
           bloom == o.bloom && bloomStrength == o.bloomStrength && exposure == o.exposure && view == o.view &&
           renderScale == o.renderScale && targetFps == o.targetFps;
}

const std::vector<SettingInfo>& settingNames() {
    static const std::string lightsRange = "0-" + std::to_string(RenderSettings::maxLights);
    static const std::vector<SettingInfo> names = {
        {"lights", lightsRange.c_str()},
        {"light-speed", "0-10"},
        {"shadows", "on|off"},
        {"normal-maps", "on|off"},
        {"parallax", "on|off"},
        {"parallax-scale", "0-0.2"},
        {"bloom", "on|off"},
        {"bloom-strength", "0-10"},
        {"exposure", "0.01-16"},
        {"view", "1-9"},
        {"render-scale", "0.25-1"},
        {"target-fps", "0 (off) or 10-240"},
    };
    return names;
}

bool applySetting(RenderSettings& settings, const std::string& name, const std::string& value,
                  std::string& error) {
    RenderSettings s = settings;
    bool ok = false;
    if (name == "lights")
        ok = parseInt(value, 0, RenderSettings::maxLights, s.lights);
    else if (name == "light-speed")
        ok = parseFloat(value, 0.0f, maxLightSpeed, s.lightSpeed);
    else if (name == "shadows")
        ok = parseSwitch(value, s.shadows);
    else if (name == "normal-maps")
        ok = parseSwitch(value, s.normalMaps);
    else if (name == "parallax")
        ok = parseSwitch(value, s.parallax);
    else if (name == "parallax-scale")
        ok = parseFloat(value, 0.0f, maxParallaxScale, s.parallaxScale);
    else if (name == "bloom")
        ok = parseSwitch(value, s.bloom);
    else if (name == "bloom-strength")
        ok = parseFloat(value, 0.0f, maxBloomStrength, s.bloomStrength);
    else if (name == "exposure")
        ok = parseFloat(value, 0.01f, maxExposure, s.exposure);
    else if (name == "view")
        ok = parseInt(value, 1, 9, s.view);
    else if (name == "render-scale")
        ok = parseFloat(value, minRenderScale, 1.0f, s.renderScale);
    else if (name == "target-fps")
        ok = parseInt(value, 0, maxTargetFps, s.targetFps) &&
             (s.targetFps == 0 || s.targetFps >= minTargetFps);
    else {
        error = "unknown setting '" + name + "'";
        return false;
    }
    if (!ok) {
        for (const SettingInfo& info : settingNames())
            if (name == info.name)
                error = "bad value '" + value + "' for " + name + " (" + info.range + ")";
        return false;
    }
    settings = s;
    return true;
}

bool applySettingList(RenderSettings& settings, const std::string& list, std::string& error) {
    RenderSettings s = settings;
    std::stringstream items(list);
    std::string item;
    bool any = false;
    while (std::getline(items, item, ',')) {
        const size_t equals = item.find('=');
        if (equals == std::string::npos) {
            error = "setting '" + item + "' is not name=value";
            return false;
        }
        if (!applySetting(s, item.substr(0, equals), item.substr(equals + 1), error))
            return false;
        any = true;
    }
    if (!any) {
        error = "no setting in '" + list + "'";
        return false;
    }
    settings = s;
    return true;
}

std::string settingValue(const RenderSettings& s, const std::string& name) {
    if (name == "lights")
        return std::to_string(s.lights);
    if (name == "light-speed")
        return number(s.lightSpeed);
    if (name == "shadows")
        return onOff(s.shadows);
    if (name == "normal-maps")
        return onOff(s.normalMaps);
    if (name == "parallax")
        return onOff(s.parallax);
    if (name == "parallax-scale")
        return number(s.parallaxScale);
    if (name == "bloom")
        return onOff(s.bloom);
    if (name == "bloom-strength")
        return number(s.bloomStrength);
    if (name == "exposure")
        return number(s.exposure);
    if (name == "view")
        return std::to_string(s.view);
    if (name == "render-scale")
        return number(s.renderScale);
    if (name == "target-fps")
        return std::to_string(s.targetFps);
    return std::string();
}

std::string describeSettings(const RenderSettings& settings) {
    std::string out;
    for (const SettingInfo& info : settingNames())
        out += (out.empty() ? "" : ",") + std::string(info.name) + "=" + settingValue(settings, info.name);
    return out;
}
