#pragma once

#include <cstdint>

// Turns wheel deltas into whole scroll steps. Precision wheels send small deltas; their sum
// scrolls once it reaches a step, and a turn the other way starts afresh.
class WheelSteps {
public:
    // Whole steps for the delta (positive: toward the start), stepsPerNotch steps for every
    // full notch of 120; the remainder waits for the next delta in the same direction.
    int32_t Add(int32_t delta, int32_t stepsPerNotch) {
        const int64_t scaled = static_cast<int64_t>(delta) * stepsPerNotch;
        if ((scaled < 0 && rest > 0) || (scaled > 0 && rest < 0))
            rest = 0;
        rest += scaled;
        const int64_t steps = rest / notch;
        rest -= steps * notch;
        return static_cast<int32_t>(steps);
    }
    void Reset() { rest = 0; }

private:
    static constexpr int64_t notch = 120;
    int64_t rest = 0;
};
