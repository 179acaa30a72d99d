#pragma once

#include <cstdint>
#include <random>

#include "testing/question_draw.h"

namespace fixture {

// A draw a test can repeat: "seeding from the clock" always starts the same sequence.
class FixedDraw : public selftest::Generator {
public:
    explicit FixedDraw(std::uint32_t seed) : seed_(seed), engine_(seed) {}
    void seedFromClock() override { engine_.seed(seed_); }
    std::int32_t between(std::int32_t low, std::int32_t high) override
    {
        return std::uniform_int_distribution<std::int32_t>(low, high)(engine_);
    }

private:
    std::uint32_t seed_;
    std::mt19937 engine_;
};

}  // namespace fixture
