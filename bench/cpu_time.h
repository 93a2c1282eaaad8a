// CPU time used so far, in seconds, for the benchmarks' cost figures.
#pragma once

#include <ctime>

namespace korvalin::bench {

// clockId: CLOCK_PROCESS_CPUTIME_ID for the whole process (every thread, the synthesizer's
// included), CLOCK_THREAD_CPUTIME_ID for the calling thread only.
inline double CpuSeconds(clockid_t clockId = CLOCK_PROCESS_CPUTIME_ID) {
    timespec t{};
    clock_gettime(clockId, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

} // namespace korvalin::bench
