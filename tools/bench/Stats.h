#pragma once
// Per-pass timings over the measured frames: median and 95th percentile.

#include <string>
#include <vector>

struct PassTimes {
    std::string name;
    std::vector<double> ms; // one entry per measured frame
};

double percentile(std::vector<double> values, double p); // p in [0, 1], nearest-rank; 0 when empty
double median(const std::vector<double>& values);
