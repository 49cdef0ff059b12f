// Timing helpers for Galvia's benchmarks: the median of repeated runs, and the report
// line "name: galvia X ms, reference Y ms, ratio R (target <= T)".
#pragma once

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <utility>
#include <vector>

namespace galvia::bench {

// Median of durations measured elsewhere, in milliseconds.
inline double mediane(std::vector<double> t) {
    if (t.empty()) return 0;
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// Median duration of `fois` runs of `f`, in milliseconds.
inline double mediane(int fois, const std::function<void()>& f) {
    std::vector<double> t;
    for (int i = 0; i < fois; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        f();
        t.push_back(static_cast<double>(chrono.nsecsElapsed()) / 1e6);
    }
    return mediane(std::move(t));
}

// The peak resident memory of this process so far, in MiB.
inline double memoireMaxMo() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return static_cast<double>(r.ru_maxrss) / 1024.0;
}

// Prints the comparison; returns the ratio.
inline double rapport(const char* nom, double galvia, double reference, double cible) {
    const double r = galvia / reference;
    std::printf("%s: galvia %.1f ms, reference %.1f ms, ratio %.2f (target <= %.2f)%s\n", nom,
                galvia, reference, r, cible, r <= cible ? "" : "  ** above target **");
    std::fflush(stdout);
    return r;
}

} // namespace galvia::bench
