#include "render/RenderSettings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <type_traits>
#include <utility>

namespace vantor {

namespace {

// Shortest text that reads back to the same value (std::to_chars without a precision).
template <class T> std::string shortest(T value) {
    char text[64];
#ifndef __cpp_lib_to_chars
    // A standard library without floating-point to_chars (LLVM's before 15, the web build's):
    // the fewest significant digits that read back to the value.
    if constexpr (std::is_floating_point_v<T>) {
        for (int digits = 1; digits <= 17; ++digits) {
            std::snprintf(text, sizeof text, "%.*g", digits, double(value));
            if (T(std::strtod(text, nullptr)) == value)
                break;
        }
        return text;
    } else
#endif
    {
        const std::to_chars_result written = std::to_chars(text, text + sizeof(text), value);
        return std::string(text, written.ptr);
    }
}

SettingInfo countKnob(const char* name, int RenderSettings::*member, int low, int high, bool wide) {
    SettingInfo info;
    info.name = name;
    info.count = member;
    info.low = low;
    info.high = high;
    info.wide = wide;
    info.range = shortest(low) + "-" + shortest(high);
    return info;
}

SettingInfo numberKnob(const char* name, float RenderSettings::*member, double low, double high, bool wide) {
    SettingInfo info;
    info.name = name;
    info.number = member;
    info.low = low;
    info.high = high;
    info.wide = wide;
    info.range = shortest(low) + "-" + shortest(high);
    return info;
}

// A whole number in low..high, or 0 for off.
SettingInfo offOrCountKnob(const char* name, int RenderSettings::*member, int low, int high) {
    SettingInfo info = countKnob(name, member, low, high, false);
    info.zeroIsOff = true;
    info.range = "0 (off) or " + info.range;
    return info;
}

// One of a few names ("off|fxaa"), kept as its index in `names`.
SettingInfo choiceKnob(const char* name, int RenderSettings::*member, std::vector<std::string> names) {
    SettingInfo info;
    info.name = name;
    info.choice = member;
    info.choices = std::move(names);
    for (const std::string& choice : info.choices)
        info.range += (info.range.empty() ? "" : "|") + choice;
    info.low = 0;
    info.high = double(info.choices.size() - 1);
    return info;
}

bool parseChoice(const std::vector<std::string>& choices, const std::string& text, int& out) {
    const auto found = std::find(choices.begin(), choices.end(), text);
    if (found == choices.end())
        return false;
    out = int(found - choices.begin());
    return true;
}

SettingInfo switchKnob(const char* name, bool RenderSettings::*member) {
    SettingInfo info;
    info.name = name;
    info.flag = member;
    info.range = "on|off";
    return info;
}

// A number as a person writes one on a command line: an optional minus, then a digit or a point.
// strtod and strtol would also take leading blanks, a plus sign and (strtod) hexadecimal, which
// are more likely a slip than meant.
bool plainNumber(const std::string& text) {
    const size_t first = !text.empty() && text[0] == '-' ? 1 : 0;
    if (first >= text.size() ||
        !(std::isdigit(static_cast<unsigned char>(text[first])) || text[first] == '.'))
        return false;
    return text.find_first_of("xX") == std::string::npos;
}

bool parseNumber(const std::string& text, double low, double high, float& out) {
    if (!plainNumber(text))
        return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value) || value < low || value > high)
        return false;
    out = static_cast<float>(value);
    return true;
}

bool parseCount(const std::string& text, double low, double high, int& out) {
    if (!plainNumber(text))
        return false;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || value < low || value > high)
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

} // namespace

bool RenderSettings::operator==(const RenderSettings& o) const {
    return lights == o.lights && lightSpeed == o.lightSpeed && shadows == o.shadows &&
           normalMaps == o.normalMaps && parallax == o.parallax && parallaxScale == o.parallaxScale &&
           bloom == o.bloom && bloomStrength == o.bloomStrength && exposure == o.exposure && view == o.view &&
           renderScale == o.renderScale && targetFps == o.targetFps && aa == o.aa && upscale == o.upscale &&
           sharpness == o.sharpness && ssao == o.ssao && ssaoRadius == o.ssaoRadius &&
           ssaoStrength == o.ssaoStrength;
}

const std::vector<SettingInfo>& settingNames() {
    // Upper bounds of the number knobs: far past anything that still makes a picture, close enough
    // that a typo is caught.
    static const std::vector<SettingInfo> names = {
        countKnob("lights", &RenderSettings::lights, 0, RenderSettings::maxLights, true),
        numberKnob("light-speed", &RenderSettings::lightSpeed, 0.0, 10.0, true),
        switchKnob("shadows", &RenderSettings::shadows),
        switchKnob("normal-maps", &RenderSettings::normalMaps),
        switchKnob("parallax", &RenderSettings::parallax),
        numberKnob("parallax-scale", &RenderSettings::parallaxScale, 0.0, 0.2, false),
        switchKnob("bloom", &RenderSettings::bloom),
        numberKnob("bloom-strength", &RenderSettings::bloomStrength, 0.0, 10.0, true),
        numberKnob("exposure", &RenderSettings::exposure, 0.01, 16.0, true),
        countKnob("view", &RenderSettings::view, 1, 9, false),
        numberKnob("render-scale", &RenderSettings::renderScale, 0.25, 1.0, false),
        offOrCountKnob("target-fps", &RenderSettings::targetFps, 10, 240),
        choiceKnob("aa", &RenderSettings::aa, {"off", "fxaa"}),
        choiceKnob("upscale", &RenderSettings::upscale, {"bilinear", "sharp"}),
        numberKnob("sharpness", &RenderSettings::sharpness, 0.0, 1.0, false),
        switchKnob("ssao", &RenderSettings::ssao),
        numberKnob("ssao-radius", &RenderSettings::ssaoRadius, 0.005, 1.0, true),
        numberKnob("ssao-strength", &RenderSettings::ssaoStrength, 0.0, 4.0, false),
    };
    return names;
}

const SettingInfo* findSetting(const std::string& name) {
    for (const SettingInfo& info : settingNames())
        if (name == info.name)
            return &info;
    return nullptr;
}

bool applySetting(RenderSettings& settings, const std::string& name, const std::string& value,
                  std::string& error) {
    const SettingInfo* info = findSetting(name);
    if (!info) {
        error = "unknown setting '" + name + "'";
        return false;
    }
    RenderSettings s = settings;
    if (info->zeroIsOff && value == "0")
        s.*info->count = 0;
    const bool ok = info->zeroIsOff && value == "0" ? true
                    : info->count                   ? parseCount(value, info->low, info->high, s.*info->count)
                    : info->number ? parseNumber(value, info->low, info->high, s.*info->number)
                    : info->choice ? parseChoice(info->choices, value, s.*info->choice)
                                   : parseSwitch(value, s.*info->flag);
    if (!ok) {
        error = "bad value '" + value + "' for " + name + " (" + info->range + ")";
        return false;
    }
    settings = s;
    return true;
}

bool applySettingList(RenderSettings& settings, const std::string& list, std::string& error) {
    if (list.empty()) {
        error = "no setting in '" + list + "'";
        return false;
    }
    RenderSettings s = settings;
    // Every comma ends an item, the last one included: "a=1," has an empty second item.
    for (size_t start = 0; start <= list.size();) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string item = list.substr(start, comma - start);
        const size_t equals = item.find('=');
        if (equals == std::string::npos) {
            error = "setting '" + item + "' is not name=value";
            return false;
        }
        if (!applySetting(s, item.substr(0, equals), item.substr(equals + 1), error))
            return false;
        start = comma + 1;
    }
    settings = s;
    return true;
}

RenderSettings settingsWithinRanges(const RenderSettings& edited, const RenderSettings& previous) {
    static const RenderSettings defaults;
    RenderSettings s = edited;
    for (const SettingInfo& info : settingNames()) {
        if (info.count) {
            int& value = s.*info.count;
            value = countWithinRange(info, value, value);
        } else if (info.number) {
            float& value = s.*info.number;
            if (!std::isfinite(value))
                value = std::isfinite(previous.*info.number) ? previous.*info.number : defaults.*info.number;
            value = float(std::clamp(double(value), info.low, info.high));
        } else if (info.choice) {
            int& value = s.*info.choice;
            value = std::clamp(value, int(info.low), int(info.high));
        }
    }
    return s;
}

int countWithinRange(const SettingInfo& info, double value, int previous) {
    if (std::isnan(value))
        return previous;
    if (info.zeroIsOff && value < info.low)
        return 0;
    return int(std::lround(std::clamp(value, info.low, info.high)));
}

std::string settingValue(const RenderSettings& s, const std::string& name) {
    const SettingInfo* info = findSetting(name);
    if (!info)
        return std::string();
    if (info->count)
        return std::to_string(s.*info->count);
    if (info->number)
        return shortest(s.*info->number);
    if (info->choice) {
        const int index = std::clamp(s.*info->choice, 0, int(info->choices.size()) - 1);
        return info->choices[size_t(index)];
    }
    return s.*info->flag ? "on" : "off";
}

std::string describeSettings(const RenderSettings& settings) {
    std::string out;
    for (const SettingInfo& info : settingNames())
        out += (out.empty() ? "" : ",") + std::string(info.name) + "=" + settingValue(settings, info.name);
    return out;
}

} // namespace vantor
