#include "app/trace.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace korvalin {

bool TraceEnabled() {
    static const bool enabled = std::getenv("KORVALIN_TRACE") != nullptr;
    return enabled;
}

int64_t MonotonicNanoseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void Trace(std::string_view event, int64_t detail) {
    if (!TraceEnabled()) return;
    std::fprintf(stderr, "korvalin-trace %.*s %lld %lld\n", int(event.size()), event.data(),
                 static_cast<long long>(MonotonicNanoseconds()), static_cast<long long>(detail));
    std::fflush(stderr);
}

} // namespace korvalin
