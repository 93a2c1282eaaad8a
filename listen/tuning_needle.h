// The tuning meter's needle: the cents a tracker reports jump a little from hop to hop, so the
// needle follows them through exponential smoothing with a time constant, which keeps it steady
// and still lets it settle on a new value within a few tenths of a second.
#pragma once

namespace korvalin {

// One smoothing step: moves `shown` toward `target` by the share 1 - e^(-elapsed/timeConstant)
// of the distance. A time constant of 0 or less jumps to the target; a negative elapsed time
// moves nothing.
double SmoothToward(double shown, double target, double elapsedMs, double timeConstantMs);

class TuningNeedle {
public:
    explicit TuningNeedle(double timeConstantMs = 150.0) : timeConstantMs_(timeConstantMs) {}

    // The needle's new position in cents (-50 to +50) after `elapsedMs` more with `cents` heard.
    // The first reading after construction or Reset() is shown at once, so a new note does not
    // sweep in from the centre.
    double Update(double cents, double elapsedMs);
    // Forgets the position (no note): the next reading is shown at once.
    void Reset() { valid_ = false; }
    bool HasPosition() const { return valid_; }
    double Position() const { return shown_; }

private:
    double timeConstantMs_;
    double shown_ = 0;
    bool valid_ = false;
};

} // namespace korvalin
