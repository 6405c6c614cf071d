#pragma once
// The benchmark's results: a plain table for people and a JSON file for tracking.

#include "FrameTimer.h"
#include "Options.h"

#include <ostream>
#include <string>

struct RunInfo {
    std::string renderer; // GL_RENDERER
    unsigned cores = 0;
};

void printTable(std::ostream& out, const FrameTimer& timer, const BenchOptions& options, const RunInfo& info);
bool writeJson(const std::string& path, const FrameTimer& timer, const BenchOptions& options,
               const RunInfo& info);
