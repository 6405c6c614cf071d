#pragma once
// The benchmark's results: a plain table for people and a JSON file for tracking.

#include "FrameTimer.h"
#include "Options.h"

#include <ostream>
#include <string>

namespace vantor {

struct RunInfo {
    std::string renderer; // GL_RENDERER
    unsigned cores = 0;
    // From the bench's start (its static initialisation, after the dynamic loader) to the end
    // of its first frame, less the fast-forward to the first frame's flight time: what the demo
    // spends between its start and its first picture.
    double startupMs = 0;
};

void printTable(std::ostream& out, const FrameTimer& timer, const BenchOptions& options, const RunInfo& info);
bool writeJson(const std::string& path, const FrameTimer& timer, const BenchOptions& options,
               const RunInfo& info);

} // namespace vantor
