#pragma once
// Per-pass timings over the measured frames: median and 95th percentile.

#include <string>
#include <vector>

namespace vantor {

struct PassTimes {
    std::string name;
    std::vector<double> ms; // one entry per measured frame
};

double percentile(std::vector<double> values, double p); // p in [0, 1], nearest-rank; 0 when empty
double median(const std::vector<double>& values);

// Peaks of the first and the last tenth of `samples` (each tenth at least one sample; both 0
// when there are none). A soak fails on resident memory when last / first exceeds 1.05.
struct TenthPeaks {
    double first = 0;
    double last = 0;
    double growth() const { return first > 0 ? last / first : 1.0; }
};
TenthPeaks firstAndLastTenthPeaks(const std::vector<double>& samples);

} // namespace vantor
