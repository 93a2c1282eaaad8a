// Start-up timing marks for the benchmark: with KORVALIN_TRACE set in the environment the
// application writes "korvalin-trace <event> <monotonic ns> <detail>" lines to standard error.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvalin {

bool TraceEnabled();
int64_t MonotonicNanoseconds(); // CLOCK_MONOTONIC: comparable between processes
void Trace(std::string_view event, int64_t detail = 0);

} // namespace korvalin
