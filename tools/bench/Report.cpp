#include "Report.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iomanip>

#include <nlohmann/json.hpp>

namespace vantor {

namespace {

// Switches as strings, numbers as numbers.
nlohmann::ordered_json settingJson(const std::string& value) {
    nlohmann::ordered_json number = nlohmann::ordered_json::parse(value, nullptr, false);
    return number.is_number() ? number : nlohmann::ordered_json(value);
}

// A value on one line with a space after each colon and comma: the scripts that read the report
// take it a pass a line. A renderer name that is not UTF-8 has its bad bytes replaced.
std::string oneLine(const nlohmann::ordered_json& value) {
    if (!value.is_object())
        return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    std::string text = "{";
    for (auto item = value.begin(); item != value.end(); ++item)
        text += (item == value.begin() ? "\"" : ", \"") + item.key() + "\": " + oneLine(item.value());
    return text + "}";
}

double sumOfPassMedians(const FrameTimer& timer) {
    double sum = 0;
    for (const PassTimes& pass : timer.passes)
        sum += median(pass.ms);
    return sum;
}

} // namespace

void printTable(std::ostream& out, const FrameTimer& timer, const BenchOptions& o, const RunInfo& info) {
    out << "renderer: " << info.renderer << ", " << info.cores << " cores\n"
        << "settings: " << describeSettings(o.settings) << "\n"
        << o.width << " x " << o.height << ", " << timer.frame.ms.size() << " frames from t = " << o.start
        << " s, step " << o.step << " s, " << o.warmup << " warm-up frames\n\n";
    out << std::fixed << std::setprecision(2);
    out << std::left << std::setw(14) << "pass" << std::right << std::setw(11) << "median ms" << std::setw(10)
        << "p95 ms"
        << "\n";
    for (const PassTimes& pass : timer.passes)
        out << std::left << std::setw(14) << pass.name << std::right << std::setw(11) << median(pass.ms)
            << std::setw(10) << percentile(pass.ms, 0.95) << "\n";
    const double frameMedian = median(timer.frame.ms);
    out << std::left << std::setw(14) << "sum of passes" << std::right << std::setw(11)
        << sumOfPassMedians(timer) << "\n"
        << std::left << std::setw(14) << "frame" << std::right << std::setw(11) << frameMedian
        << std::setw(10) << percentile(timer.frame.ms, 0.95) << "   ("
        << (frameMedian > 0 ? 1000.0 / frameMedian : 0.0) << " fps)\n"
        << "render scale: " << std::setprecision(3) << timer.renderScale << std::setprecision(2) << " ("
        << timer.frameWidth << " x " << timer.frameHeight << " of " << o.width << " x " << o.height << ")";
    if (o.settings.targetFps > 0)
        out << ", " << timer.scaleChanges << " changes holding " << o.settings.targetFps << " fps";
    out << "\nstart-up to first frame: " << info.startupMs << " ms\n";
    out.unsetf(std::ios::floatfield);
}

bool writeJson(const std::string& path, const FrameTimer& timer, const BenchOptions& o, const RunInfo& info) {
    using Json = nlohmann::ordered_json;
    Json settings = Json::object();
    for (const SettingInfo& setting : settingNames())
        settings[setting.name] = settingJson(settingValue(o.settings, setting.name));
    const double frameMedian = median(timer.frame.ms);
    const Json frame = {{"median_ms", frameMedian},
                        {"p95_ms", percentile(timer.frame.ms, 0.95)},
                        {"fps", frameMedian > 0 ? 1000.0 / frameMedian : 0.0},
                        {"render_scale", timer.renderScale}};
    std::ofstream out(path);
    if (!out)
        return false;
    out << "{\n  \"renderer\": " << oneLine(info.renderer) << ",\n  \"cores\": " << info.cores
        << ",\n  \"width\": " << o.width << ",\n  \"height\": " << o.height
        << ",\n  \"start\": " << oneLine(o.start) << ",\n  \"step\": " << oneLine(o.step)
        << ",\n  \"warmup\": " << o.warmup << ",\n  \"frames\": " << timer.frame.ms.size()
        << ",\n  \"settings\": " << oneLine(settings) << ",\n  \"passes\": [\n";
    for (size_t i = 0; i < timer.passes.size(); ++i) {
        const PassTimes& pass = timer.passes[i];
        out << "    "
            << oneLine(Json{{"name", pass.name},
                            {"median_ms", median(pass.ms)},
                            {"p95_ms", percentile(pass.ms, 0.95)}})
            << (i + 1 < timer.passes.size() ? "," : "") << "\n";
    }
    out << "  ],\n  \"frame\": " << oneLine(frame) << ",\n  \"startup_ms\": " << oneLine(info.startupMs)
        << ",\n  \"gl_errors\": " << timer.glErrors << "\n}\n";
    return static_cast<bool>(out);
}

} // namespace vantor
