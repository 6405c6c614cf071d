#include "Stats.h"

#include <algorithm>
#include <cmath>

namespace vantor {

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    // Nearest rank: the smallest value with at least p of the samples at or below it.
    const double rank = std::ceil(p * static_cast<double>(values.size()));
    const size_t index = rank < 1.0 ? 0 : static_cast<size_t>(rank) - 1;
    return values[std::min(index, values.size() - 1)];
}

double median(const std::vector<double>& values) {
    if (values.empty())
        return 0.0;
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    const size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : 0.5 * (sorted[n / 2 - 1] + sorted[n / 2]);
}

TenthPeaks firstAndLastTenthPeaks(const std::vector<double>& samples) {
    if (samples.empty())
        return {};
    const auto tenth = static_cast<std::ptrdiff_t>(std::max<size_t>(1, samples.size() / 10));
    return {*std::max_element(samples.begin(), samples.begin() + tenth),
            *std::max_element(samples.end() - tenth, samples.end())};
}

} // namespace vantor
