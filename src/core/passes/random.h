#pragma once

#include <cstdint>

namespace veltrano {

// The program-wide pseudo-random generator: 24-bit linear congruential, never seeded, so a
// fresh program run over the same pages draws the same numbers.
class Random {
public:
    static constexpr std::uint32_t kStart = 327680;

    // The state after this one; the draw r is state / 2^24.
    static constexpr std::uint32_t step(std::uint32_t state) {
        return (state * 16598013u + 12820163u) & 0xFFFFFFu;
    }
    // Whole part of r * 20, plus 20, for the draw of this state: a number from 20 to 39.
    static constexpr std::uint32_t splitDivisor(std::uint32_t state) {
        return 20u + ((20u * state) >> 24);
    }

    // The state n steps after this one, in O(log n): the step is the affine map
    // x -> a x + c (mod 2^24), and n steps compose it with itself by repeated squaring.
    static constexpr std::uint32_t jump(std::uint32_t state, std::uint64_t n) {
        std::uint32_t a = 1, c = 0;                   // the map of the steps taken so far
        std::uint32_t sa = 16598013u, sc = 12820163u; // the map of 2^k steps
        for (; n != 0; n >>= 1) {
            if (n & 1) {
                a *= sa;
                c = c * sa + sc;
            }
            sc = sc * sa + sc;
            sa *= sa;
        }
        return (state * a + c) & 0xFFFFFFu;
    }

    std::uint32_t next() {
        state_ = step(state_);
        return state_;
    }
    int nextSplitDivisor() { return static_cast<int>(splitDivisor(next())); }

    std::uint32_t state() const { return state_; }
    void setState(std::uint32_t state) { state_ = state & 0xFFFFFFu; }

    // The one generator of the process.
    static Random& program();

private:
    std::uint32_t state_ = kStart;
};

} // namespace veltrano
