#pragma once
// Timing shared by the benchmarks.
#include <QElapsedTimer>
#include <algorithm>
#include <vector>

namespace benchtime {

// The median time of some runs of work, in milliseconds.
template <typename F>
double MedianMs(int runs, F work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace benchtime
