// Timing for the benchmarks: the processor time this process spends on a piece of work, and
// the median of several rounds. On a machine shared with other work the wall clock also
// counts the waits for a processor, so the two sides of a ratio could meet different loads.
#pragma once

#include <algorithm>
#include <ctime>
#include <functional>
#include <vector>

namespace hivewarden::bench {

inline double CpuSeconds(const std::function<void()>& work) {
    const std::clock_t start = std::clock();
    work();
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

inline double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

}  // namespace hivewarden::bench
