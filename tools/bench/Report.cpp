#include "Report.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iomanip>

namespace {

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) >= 0x20)
            out += c;
    }
    return out + "\"";
}

// Switches as strings, numbers as numbers.
std::string jsonValue(const std::string& value) {
    // Numbers bare; switches and named choices ("on", "fxaa", "sharp") as strings.
    const bool number =
        !value.empty() && (std::isdigit(static_cast<unsigned char>(value[0])) || value[0] == '-');
    return number ? value : jsonString(value);
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
    std::ofstream out(path);
    if (!out)
        return false;
    out << std::setprecision(6);
    out << "{\n  \"renderer\": " << jsonString(info.renderer) << ",\n  \"cores\": " << info.cores
        << ",\n  \"width\": " << o.width << ",\n  \"height\": " << o.height << ",\n  \"start\": " << o.start
        << ",\n  \"step\": " << o.step << ",\n  \"warmup\": " << o.warmup
        << ",\n  \"frames\": " << timer.frame.ms.size() << ",\n  \"settings\": {";
    const std::vector<SettingInfo>& names = settingNames();
    for (size_t i = 0; i < names.size(); ++i)
        out << (i ? ", " : "") << jsonString(names[i].name) << ": "
            << jsonValue(settingValue(o.settings, names[i].name));
    out << "},\n  \"passes\": [\n";
    for (size_t i = 0; i < timer.passes.size(); ++i) {
        const PassTimes& pass = timer.passes[i];
        out << "    {\"name\": " << jsonString(pass.name) << ", \"median_ms\": " << median(pass.ms)
            << ", \"p95_ms\": " << percentile(pass.ms, 0.95) << "}"
            << (i + 1 < timer.passes.size() ? "," : "") << "\n";
    }
    const double frameMedian = median(timer.frame.ms);
    out << "  ],\n  \"frame\": {\"median_ms\": " << frameMedian
        << ", \"p95_ms\": " << percentile(timer.frame.ms, 0.95)
        << ", \"fps\": " << (frameMedian > 0 ? 1000.0 / frameMedian : 0.0)
        << ", \"render_scale\": " << timer.renderScale << "},\n  \"startup_ms\": " << info.startupMs
        << ",\n  \"gl_errors\": " << timer.glErrors << "\n}\n";
    return static_cast<bool>(out);
}
