// Measuring recorded or rendered sound: its level and its fundamental frequency.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

namespace korvalin::test {

inline double Rms(const std::vector<float>& x, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += double(x[i]) * x[i];
    return std::sqrt(sum / double(to - from));
}

// Fundamental by the cumulative mean normalised difference of the signal with itself delayed: the
// first lag where it dips clearly is the period, which avoids taking a strong overtone for the
// note. Searches 50 Hz to 1 kHz.
inline std::optional<double> Fundamental(const std::vector<float>& x, std::size_t from, std::size_t length,
                                         double rate) {
    const int minLag = int(rate / 1000), maxLag = int(rate / 50);
    if (from + length + std::size_t(maxLag) + 2 > x.size()) return std::nullopt;
    std::vector<double> d(std::size_t(maxLag) + 2, 0.0);
    for (int lag = 1; lag <= maxLag + 1; ++lag) {
        double sum = 0;
        for (std::size_t i = from; i < from + length; ++i) {
            const double diff = double(x[i]) - x[i + std::size_t(lag)];
            sum += diff * diff;
        }
        d[std::size_t(lag)] = sum;
    }
    std::vector<double> cmnd(d.size(), 1.0);
    double running = 0;
    for (std::size_t lag = 1; lag < d.size(); ++lag) {
        running += d[lag];
        cmnd[lag] = running > 0 ? d[lag] * double(lag) / running : 1.0;
    }
    // The deepest dip within two lags of `lag`.
    auto dip = [&](int lag) {
        int best = lag;
        for (int l = std::max(2, lag - 2); l <= std::min(maxLag, lag + 2); ++l)
            if (cmnd[std::size_t(l)] < cmnd[std::size_t(best)]) best = l;
        return best;
    };
    for (int lag = std::max(minLag, 2); lag <= maxLag; ++lag) {
        if (cmnd[std::size_t(lag)] < 0.2) {
            while (lag < maxLag && cmnd[std::size_t(lag) + 1] < cmnd[std::size_t(lag)]) ++lag;
            // A strong second harmonic dips at half the period; the true period then dips far
            // deeper at twice that lag.
            if (2 * lag <= maxLag) {
                const int twice = dip(2 * lag);
                if (cmnd[std::size_t(twice)] < cmnd[std::size_t(lag)] / 3) lag = twice;
            }
            const double a = cmnd[std::size_t(lag) - 1], b = cmnd[std::size_t(lag)], c = cmnd[std::size_t(lag) + 1];
            const double denom = a - 2 * b + c;
            const double shift = denom != 0 ? 0.5 * (a - c) / denom : 0.0;
            return rate / (lag + shift);
        }
    }
    return std::nullopt;
}

inline double MidiFrequency(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// How far `f` is from `reference`, in cents (hundredths of a semitone).
inline double Cents(double f, double reference) { return 1200.0 * std::log2(f / reference); }

} // namespace korvalin::test
