#include "listen/tuning_needle.h"

#include <algorithm>
#include <cmath>

namespace korvalin {

double SmoothToward(double shown, double target, double elapsedMs, double timeConstantMs) {
    if (!std::isfinite(target)) return shown;
    if (!std::isfinite(shown)) return target;
    if (!(elapsedMs >= 0)) return shown;
    if (!(timeConstantMs > 0)) return target;
    const double share = 1.0 - std::exp(-elapsedMs / timeConstantMs);
    return shown + share * (target - shown);
}

double TuningNeedle::Update(double cents, double elapsedMs) {
    if (!std::isfinite(cents)) return shown_;
    cents = std::clamp(cents, -50.0, 50.0);
    shown_ = valid_ ? SmoothToward(shown_, cents, elapsedMs, timeConstantMs_) : cents;
    valid_ = true;
    return shown_;
}

} // namespace korvalin
