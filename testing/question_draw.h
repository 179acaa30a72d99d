#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace selftest {

inline constexpr std::int32_t drawnCount = 35;      // numbers drawn per test
inline constexpr std::int32_t testSize = 30;        // questions copied per test
inline constexpr std::int32_t highestNumber = 273;  // draws cover 0..273: 274 values

// Drawn question numbers, indexed 1 to 300 (element 0 is never used): the draw fills 1 to 35, the
// copy reads 1 to 30.
using num = std::array<std::int32_t, 301>;

// The pseudo-random source of the draw. The program uses QuestionDraw; tests put in their own.
class Generator {
public:
    virtual ~Generator() = default;
    virtual void seedFromClock() = 0;
    // A uniformly distributed integer from low to high, both included.
    virtual std::int32_t between(std::int32_t low, std::int32_t high) = 0;
};

class QuestionDraw final : public Generator {
public:
    QuestionDraw();  // seeded from the clock
    explicit QuestionDraw(std::uint32_t seedValue);
    void seed(std::uint32_t value);
    void seedFromClock() override;
    std::int32_t between(std::int32_t low, std::int32_t high) override;

private:
    std::mt19937 engine_;
};

// Fills numere[1..35] with numbers drawn uniformly from 0..273, drawing all 35 anew (without seeding
// again) until they are pairwise distinct. Returns the number of rounds it took.
std::int32_t drawDistinct(num& numere, Generator& generator);

// The draw of "Start": seeds the generator from the clock once, then draws as drawDistinct does.
void drawTestNumbers(num& numere, Generator& generator);

// The 30 question numbers to copy, in order. numere[1..30] are taken as drawn; a number the bank lacks
// is replaced by the next unused one of numere[31..35], and when those run out, by further distinct
// numbers drawn from 0..273 that were neither drawn nor chosen before. A bank holding every drawn
// number gives exactly numere[1..30]. Throws store::Error when the bank holds fewer than 30 distinct
// numbers within 0..273.
std::vector<std::int32_t> chooseQuestions(const num& numere, const std::function<bool(std::int32_t)>& bankHas,
                                          Generator& generator);

}  // namespace selftest
