// The renderer's settings as plain data (names, values, refusals, defaults), the bench's --set
// built on them, the panel's frame-time history and the flight's jump to any moment.

#include "Options.h"
#include "app/FrameTimeHistory.h"
#include "input/Controls.h"
#include "render/RenderSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace vantor;

namespace {

bool bench(std::vector<const char*> args, BenchOptions& options, std::string& error) {
    args.insert(args.begin(), "bench");
    args.insert(args.end(), {"--frames", "1"});
    return parseBenchOptions(static_cast<int>(args.size()), args.data(), options, error);
}

} // namespace

TEST(RenderSettings, DefaultsAreTheDescribedDemoAndReadBackAsSet) {
    const RenderSettings s;
    EXPECT_EQ(s.lights, 50);
    EXPECT_EQ(s.lightSpeed, 1.0f);
    EXPECT_TRUE(s.shadows && s.normalMaps && s.parallax && s.bloom);
    EXPECT_EQ(s.parallaxScale, 0.04f);
    EXPECT_EQ(s.bloomStrength, 1.4f);
    EXPECT_EQ(s.exposure, 1.15f);
    EXPECT_EQ(s.view, 1);
    EXPECT_EQ(describeSettings(s), "lights=50,light-speed=1,shadows=on,normal-maps=on,parallax=on,"
                                   "parallax-scale=0.04,bloom=on,bloom-strength=1.4,exposure=1.15,view=1,"
                                   "render-scale=1,target-fps=0,aa=off,upscale=bilinear,sharpness=0.25,"
                                   "ssao=off,ssao-radius=0.1,ssao-strength=1");

    // Every knob's printed value sets it back: the description is a valid --set list.
    RenderSettings changed;
    std::string error;
    ASSERT_TRUE(applySettingList(changed,
                                 "lights=7,light-speed=0.5,shadows=off,normal-maps=0,parallax=false,"
                                 "parallax-scale=0.1,bloom=off,bloom-strength=2,exposure=3,view=6,"
                                 "render-scale=0.575,target-fps=30,aa=fxaa,upscale=sharp,sharpness=1,"
                                 "ssao=on,ssao-radius=0.2,ssao-strength=2",
                                 error))
        << error;
    RenderSettings again;
    ASSERT_TRUE(applySettingList(again, describeSettings(changed), error)) << error;
    EXPECT_EQ(again, changed);
    EXPECT_NE(changed, s);
}

TEST(RenderSettings, RefusesBadNamesValuesAndRangesAllOrNothing) {
    RenderSettings s;
    std::string error;
    const std::pair<const char*, const char*> refused[] = {
        {"lights=1001", "(0-1000)"},
        {"lights=-1", "lights"},
        {"lights=4x", "lights"},
        {"light-speed=nan", "light-speed"},
        {"light-speed=11", "0-10"},
        {"shadows=maybe", "on|off"},
        {"parallax-scale=0.5", "0-0.2"},
        {"exposure=0", "exposure"},
        {"view=10", "1-9"},
        {"render-scale=0.2", "render-scale (0.25-1)"},
        {"render-scale=1.01", "0.25-1"},
        {"target-fps=5", "target-fps (0 (off) or 10-240)"},
        {"target-fps=241", "10-240"},
        {"aa=on", "aa (off|fxaa)"},
        {"aa=1", "off|fxaa"},
        {"upscale=Sharp", "upscale (bilinear|sharp)"},
        {"sharpness=1.5", "0-1"},
        {"ssao-radius=0", "ssao-radius"},
        {"glow=on", "unknown setting 'glow'"},
        {"bloom", "not name=value"},
        {"", "no setting"},
        {"bloom=off,,lights=3", "not name=value"},
    };
    for (const auto& [list, named] : refused) {
        error.clear();
        EXPECT_FALSE(applySettingList(s, list, error)) << list;
        EXPECT_NE(error.find(named), std::string::npos) << list << ": " << error;
    }
    // A bad item anywhere leaves every knob as it was.
    EXPECT_FALSE(applySettingList(s, "bloom=off,lights=5000", error));
    EXPECT_EQ(s, RenderSettings{});

    // The bench: --set is repeatable and later items win; a refusal names the setting.
    BenchOptions o;
    ASSERT_TRUE(bench({"--set", "bloom=off,lights=10", "--set", "lights=20", "--view", "3"}, o, error))
        << error;
    EXPECT_FALSE(o.settings.bloom);
    EXPECT_EQ(o.settings.lights, 20);
    EXPECT_EQ(o.settings.view, 3);
    BenchOptions refusedOptions;
    EXPECT_FALSE(bench({"--set", "lights=9999"}, refusedOptions, error));
    EXPECT_NE(error.find("--set: bad value '9999' for lights (0-1000)"), std::string::npos) << error;
    EXPECT_NE(benchSettingsUsage().find("most lights the light path carries is 1000"), std::string::npos);
}

TEST(RenderSettings, PrintsTheShortestTextThatReadsBackAndRefusesSloppyLists) {
    RenderSettings s;
    std::string error;
    ASSERT_TRUE(applySettingList(s, "light-speed=0.1234567,exposure=1e-2", error)) << error;
    EXPECT_NE(describeSettings(s).find("light-speed=0.1234567,"), std::string::npos) << describeSettings(s);
    EXPECT_EQ(settingValue(s, "exposure"), "0.01");
    // Every float of a range reads back to itself, bit for bit (a sweep over many magnitudes).
    for (float value = 0.01f; value < 16.0f; value = std::nextafter(value * 1.0137f, 20.0f)) {
        s.exposure = value;
        RenderSettings again;
        ASSERT_TRUE(applySetting(again, "exposure", settingValue(s, "exposure"), error)) << error;
        ASSERT_EQ(again.exposure, value) << settingValue(s, "exposure");
    }
    // Refused with the usual message, nothing applied.
    const RenderSettings before = s;
    for (const char* list :
         {"bloom=off,", "lights= 3", "lights=+3", "exposure=+1", "exposure= 2", "exposure=0x1p1"}) {
        error.clear();
        EXPECT_FALSE(applySettingList(s, list, error)) << list;
        EXPECT_TRUE(error.find("bad value") != std::string::npos ||
                    error.find("not name=value") != std::string::npos)
            << list << ": " << error;
    }
    EXPECT_EQ(s, before);
    BenchOptions o;
    EXPECT_FALSE(bench({"--set", "lights=40,"}, o, error));
}

TEST(RenderSettings, PanelEditsStayWithinTheRangesSetTakes) {
    for (const SettingInfo& info : settingNames()) {
        if (info.flag || info.choice)
            continue;
        // Both ends as the usage states them are taken by --set, and an edit past either lands on it.
        // A count that also takes 0 for off ("0 (off) or 10-240"): its range is what follows "or ".
        const std::string span = info.zeroIsOff ? info.range.substr(info.range.find("or ") + 3) : info.range;
        const std::string low = span.substr(0, span.find('-'));
        const std::string high = span.substr(span.find('-') + 1);
        RenderSettings atLow, atHigh, past;
        std::string error;
        ASSERT_TRUE(applySetting(atLow, info.name, low, error)) << error;
        ASSERT_TRUE(applySetting(atHigh, info.name, high, error)) << error;
        if (info.count) {
            past.*info.count = -100000;
            EXPECT_EQ(settingsWithinRanges(past, RenderSettings{}), info.zeroIsOff ? RenderSettings{} : atLow)
                << info.name;
            if (info.zeroIsOff) {
                EXPECT_TRUE(applySetting(past, info.name, "0", error)) << error;
                EXPECT_EQ(past.*info.count, 0);
                EXPECT_FALSE(applySetting(past, info.name, std::to_string(int(info.low) - 1), error));
            }
            past.*info.count = 100000;
            EXPECT_EQ(settingsWithinRanges(past, RenderSettings{}), atHigh) << info.name;
            continue;
        }
        past.*info.number = -1.0f;
        EXPECT_EQ(settingsWithinRanges(past, RenderSettings{}), atLow) << info.name;
        past.*info.number = 1e30f;
        EXPECT_EQ(settingsWithinRanges(past, RenderSettings{}), atHigh) << info.name;
        // Not a number, or infinite: refused, the value before the edit stays.
        RenderSettings previous;
        previous.*info.number = atHigh.*info.number / 2;
        for (float refused : {std::nanf(""), -INFINITY, INFINITY}) {
            past.*info.number = refused;
            EXPECT_EQ(settingsWithinRanges(past, previous), previous) << info.name << " " << refused;
        }
    }
}

TEST(RenderSettings, CountsTypedIntoThePanelMeanWhatSetMeans) {
    // The panel's count fields take any number as text ("1e5", twenty nines); the knob takes the
    // nearest value --set would take, and for target fps anything below its lowest rate is off.
    const SettingInfo& lights = *findSetting("lights");
    const SettingInfo& fps = *findSetting("target-fps");
    const int most = RenderSettings::maxLights;
    for (double typed : {99999999999999999999.0, 2147483648.0, 1e5, 1e9, 1e300, double(INFINITY)})
        EXPECT_EQ(countWithinRange(lights, typed, 7), most) << typed;
    EXPECT_EQ(countWithinRange(lights, -5.0, 7), 0);
    EXPECT_EQ(countWithinRange(lights, 19.4, 7), 19);
    EXPECT_EQ(countWithinRange(lights, std::nan(""), 7), 7);
    EXPECT_EQ(countWithinRange(fps, 1e9, 30), 240);
    for (double off : {-5.0, 0.0, 0.5, 9.9, -double(INFINITY)})
        EXPECT_EQ(countWithinRange(fps, off, 30), 0) << off;
    EXPECT_EQ(countWithinRange(fps, 10.0, 30), 10);
    EXPECT_EQ(countWithinRange(fps, 59.6, 30), 60);
    // The same in a whole edit: a rate dragged below 10 is off, as typed.
    RenderSettings dragged;
    dragged.targetFps = 5;
    EXPECT_EQ(settingsWithinRanges(dragged, RenderSettings{}).targetFps, 0);
    std::string error;
    EXPECT_FALSE(applySetting(dragged, "target-fps", "5", error)) << "--set takes nothing between off and 10";
}

TEST(FrameTimeHistory, KeepsTheLastSecondsAndTheirExtremes) {
    FrameTimeHistory history(1.0);
    EXPECT_TRUE(history.empty());
    for (int i = 0; i < 30; ++i)
        history.add(50.0); // 1.5 s of frames: only the last second stays
    history.add(-1.0);
    history.add(std::nan(""));
    EXPECT_EQ(history.values().size(), 20u);
    history.add(200.0);
    history.add(10.0);
    EXPECT_EQ(history.minMs(), 10.0);
    EXPECT_EQ(history.maxMs(), 200.0);
    const std::vector<float> values = history.values();
    double sum = 0;
    for (float v : values)
        sum += v;
    EXPECT_NEAR(history.meanMs(), sum / values.size(), 1e-9);
    EXPECT_EQ(values.back(), 10.0f);
    // A frame longer than the whole window still shows.
    history.add(5000.0);
    EXPECT_EQ(history.values(), std::vector<float>{5000.0f});
    // After a stretch the loop did not draw, the first time added runs from the stretch's last wait
    // (a fraction of a millisecond after a restore): no frame's time.
    history.restart();
    EXPECT_TRUE(history.empty());
    history.add(0.1);
    EXPECT_TRUE(history.empty());
    history.add(16.0);
    EXPECT_EQ(history.values(), std::vector<float>{16.0f});
}

TEST(FlightJump, LandsWhereTheFlownFlightIsAndFliesOnFromThere) {
    namespace camera = vantor::camera;
    // A flight flown at 60 updates a second from the start, and one that jumps to each moment.
    vantor::Controls flown(0.0f);
    glm::mat4 view, projection;
    vantor::ControlsInput input;
    const int updatesPerSecond = 60;
    int tick = 0;
    for (double moment : {5.0, 14.0, 20.0, 30.0, 44.0}) {
        for (; tick < moment * updatesPerSecond; ++tick) {
            input.time = (tick + 1) / double(updatesPerSecond);
            flown.step(input, 1.0f / updatesPerSecond, 1280, 720, view, projection);
        }
        vantor::Controls jumped(0.0f);
        jumped.jumpFlightTo(moment, 100.0);
        EXPECT_NEAR(jumped.flightTime(100.0), moment, 1e-4);
        EXPECT_LT(glm::distance(jumped.position, flown.position), 0.02f) << "t = " << moment;
        // One more update of each lands them together again.
        input.time = 100.0 + 1.0 / updatesPerSecond;
        jumped.step(input, 1.0f / updatesPerSecond, 1280, 720, view, projection);
        EXPECT_LT(glm::distance(jumped.position, camera::flightPlaceAt(moment + 1.0 / 60, 1.0f).position),
                  0.02f);
    }
    // Paused, a jump shows the new moment at once and holds it.
    vantor::Controls paused(0.0f);
    paused.setPaused(true, 0.0);
    paused.jumpFlightTo(30.0, 3.0);
    input.time = 3.5;
    glm::mat4 first;
    paused.step(input, 0.5f, 1280, 720, first, projection);
    EXPECT_NEAR(paused.flightTime(9.0), 30.0, 1e-4);
    input.time = 4.0;
    paused.step(input, 0.5f, 1280, 720, view, projection);
    EXPECT_EQ(view, first);
    EXPECT_LT(glm::distance(paused.position, camera::flightPlaceAt(30.0, 1.0f).position), 0.02f);
    // Out of range clamps to the flight.
    paused.jumpFlightTo(1e9, 3.0);
    EXPECT_NEAR(paused.flightTime(3.0), camera::kFlightSeconds, 1e-3);
}

TEST(FlightJump, MadeWithTheFreeCameraOnIsWhereTheFlightGoesOnWhenSwitchedBack) {
    glm::mat4 view, projection;
    vantor::ControlsInput input;
    auto update = [&](vantor::Controls& controls, double now, bool j, bool walk) {
        input.time = now;
        input.toggleFlight = j;
        input.keys.forward = walk;
        controls.step(input, 0.1f, 1280, 720, view, projection);
    };
    // Paused: J off, a jump, a walk, a jump away and back, J on: the flight shows that moment.
    vantor::Controls paused(0.0f);
    paused.setPaused(true, 1.0);
    update(paused, 1.0, true, false);
    ASSERT_FALSE(paused.cameraFlight);
    paused.jumpFlightTo(4.9, 2.0);
    for (int i = 0; i < 10; ++i)
        update(paused, 2.0 + i, false, true);
    paused.jumpFlightTo(30.0, 12.0);
    paused.jumpFlightTo(4.9, 12.0);
    update(paused, 12.0, true, false);
    update(paused, 13.0, false, false);
    EXPECT_NEAR(paused.flightTime(13.0), 4.9, 1e-4);
    EXPECT_LT(glm::distance(paused.position, vantor::camera::flightPlaceAt(4.9, 1.0f).position), 1e-3f);
    // Running: the flight switched on 3 s after the jump stands where 3 s more of it would be.
    vantor::Controls running(0.0f);
    update(running, 1.0, true, false);
    running.jumpFlightTo(4.9, 2.0);
    for (int i = 0; i < 3; ++i)
        update(running, 2.0 + i, false, true);
    update(running, 5.0, true, false);
    EXPECT_LT(glm::distance(running.position, vantor::camera::flightPlaceAt(7.9, 1.0f).position), 1e-3f);
}
