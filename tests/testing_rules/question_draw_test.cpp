#include "testing/question_draw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "store/error.h"

namespace {

using namespace selftest;

// A generator that gives the values it is handed, in order, and records how it is used.
class ScriptedGenerator : public Generator {
public:
    explicit ScriptedGenerator(std::vector<std::int32_t> values = {}) : values_(std::move(values)) {}
    void seedFromClock() override { events_.push_back("seed"); }
    std::int32_t between(std::int32_t low, std::int32_t high) override
    {
        events_.push_back("draw");
        if (low != 0 || high != highestNumber)
            ranges_ok_ = false;
        if (next_ == values_.size()) {
            ADD_FAILURE() << "the generator was asked for more values than scripted";
            return low;
        }
        return values_[next_++];
    }
    std::size_t used() const { return next_; }
    bool rangesOk() const { return ranges_ok_; }
    const std::vector<std::string>& events() const { return events_; }

private:
    std::vector<std::int32_t> values_;
    std::size_t next_ = 0;
    bool ranges_ok_ = true;
    std::vector<std::string> events_;
};

constexpr std::int32_t sentinel = -7;

num sentinelFilled()
{
    num n;
    n.fill(sentinel);
    return n;
}

std::vector<std::int32_t> drawn(const num& numere, std::int32_t from, std::int32_t to)
{
    return std::vector<std::int32_t>(numere.begin() + from, numere.begin() + to + 1);
}

bool pairwiseDistinct(std::vector<std::int32_t> values)
{
    std::sort(values.begin(), values.end());
    return std::adjacent_find(values.begin(), values.end()) == values.end();
}

// One round of 35 numbers: start + 0 .. start + 34.
std::vector<std::int32_t> distinctRound(std::int32_t start)
{
    std::vector<std::int32_t> round;
    for (std::int32_t i = 0; i < drawnCount; ++i)
        round.push_back(start + i);
    return round;
}

// --- the draw ----------------------------------------------------------------------------------------

TEST(Draw, GivesThirtyFiveDistinctNumbersFromZeroTo273AndTouchesNothingElse)
{
    std::int32_t lowest = highestNumber, highest = 0;
    for (std::uint32_t seed = 1; seed <= 3000; ++seed) {
        QuestionDraw generator(seed);
        num numere = sentinelFilled();
        drawDistinct(numere, generator);
        const auto numbers = drawn(numere, 1, drawnCount);
        ASSERT_TRUE(pairwiseDistinct(numbers)) << "seed " << seed;
        for (std::int32_t n : numbers) {
            ASSERT_GE(n, 0) << "seed " << seed;
            ASSERT_LE(n, highestNumber) << "seed " << seed;
            lowest = std::min(lowest, n);
            highest = std::max(highest, n);
        }
        ASSERT_EQ(numere[0], sentinel);
        ASSERT_TRUE(std::all_of(numere.begin() + drawnCount + 1, numere.end(), [](auto n) { return n == sentinel; }));
    }
    // 3000 draws of 35 reach both ends of the range (274 values, not 275, and 0 among them).
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, highestNumber);
}

TEST(Draw, IsRoughlyUniformAndTakesAboutTenRounds)
{
    constexpr int draws = 8000;
    std::vector<double> all(highestNumber + 1), first(highestNumber + 1), last(highestNumber + 1);
    double rounds = 0;
    for (std::uint32_t seed = 1; seed <= draws; ++seed) {
        QuestionDraw generator(seed);
        num numere{};
        rounds += drawDistinct(numere, generator);
        for (std::int32_t i = 1; i <= drawnCount; ++i)
            all[numere[i]] += 1;
        first[numere[1]] += 1;
        last[numere[drawnCount]] += 1;
    }
    // Chi-square over 274 cells has 273 degrees of freedom: mean 273, deviation about 23; the bounds
    // lie more than four deviations out, and a too regular count is as wrong as a skewed one. The 35
    // numbers of one draw are distinct, which narrows the spread of the counts over all places by
    // 1 - 35/274; the statistic over all places is widened back by that factor.
    auto chiSquare = [](const std::vector<double>& counts, double expected) {
        double sum = 0;
        for (double c : counts)
            sum += (c - expected) * (c - expected) / expected;
        return sum;
    };
    const double cells = highestNumber + 1;
    const double overAll = chiSquare(all, draws * drawnCount / cells) / (1 - drawnCount / cells);
    const double overFirst = chiSquare(first, draws / cells);
    const double overLast = chiSquare(last, draws / cells);
    for (double value : {overAll, overFirst, overLast}) {
        EXPECT_GT(value, 170.0);
        EXPECT_LT(value, 380.0);
    }

    // A round is free of repeats with probability 274·273·…·240 / 274^35, about 0.103.
    double clean = 1;
    for (int k = 0; k < drawnCount; ++k)
        clean *= (cells - k) / cells;
    EXPECT_NEAR(clean, 0.103, 0.001);
    const double meanRounds = rounds / draws;
    EXPECT_NEAR(meanRounds, 1 / clean, 0.6);
}

// A repeat anywhere sends the draw back for all 35 numbers, with no new seed.
TEST(Draw, ARepeatAnywhereDrawsAllThirtyFiveAnew)
{
    const std::pair<int, int> repeats[] = {{1, 2}, {34, 35}, {1, 35}, {17, 18}, {5, 29}};
    for (const auto& [i, j] : repeats) {
        std::vector<std::int32_t> script = distinctRound(0);
        script[j - 1] = script[i - 1];
        const std::vector<std::int32_t> second = distinctRound(200);
        script.insert(script.end(), second.begin(), second.end());
        ScriptedGenerator generator(script);
        num numere = sentinelFilled();

        EXPECT_EQ(drawDistinct(numere, generator), 2) << i << "," << j;
        EXPECT_EQ(drawn(numere, 1, drawnCount), second) << i << "," << j;
        EXPECT_EQ(generator.used(), script.size());
        EXPECT_TRUE(generator.rangesOk());
    }
}

TEST(Draw, GenNumSeedsFromTheClockOnceAndOnlyBeforeTheFirstRound)
{
    std::vector<std::int32_t> script;
    for (int round = 0; round < 3; ++round) {
        std::vector<std::int32_t> values = distinctRound(round * 10);
        if (round < 2)
            values[20] = values[3];
        script.insert(script.end(), values.begin(), values.end());
    }
    ScriptedGenerator generator(script);
    num numere{};
    drawTestNumbers(numere, generator);

    std::vector<std::string> expected{"seed"};
    expected.insert(expected.end(), 3 * drawnCount, "draw");
    EXPECT_EQ(generator.events(), expected);
    EXPECT_EQ(drawn(numere, 1, drawnCount), distinctRound(20));
}

TEST(QuestionDraw, AGivenSeedRepeatsItsDrawAndTheClockGivesNewOnes)
{
    num a{}, b{};
    QuestionDraw first(42), second(7);
    second.seed(42);
    drawDistinct(a, first);
    drawDistinct(b, second);
    EXPECT_EQ(a, b);

    // Two seeds from the clock, one after the other, differ.
    QuestionDraw clock;
    drawTestNumbers(a, clock);
    drawTestNumbers(b, clock);
    EXPECT_NE(a, b);
}

// --- choosing the 30 questions -----------------------------------------------------------------------

// Numbers 7, 14, ..., 245 at places 1 to 35: distinct and easy to follow.
num spacedNumbers()
{
    num numere{};
    for (std::int32_t i = 1; i <= drawnCount; ++i)
        numere[i] = 7 * i;
    return numere;
}

auto bankWithout(std::set<std::int32_t> missing)
{
    return [missing](std::int32_t n) { return n >= 0 && n <= highestNumber && !missing.count(n); };
}

TEST(ChooseQuestions, WithEveryNumberInTheBankAreTheFirstThirtyDrawn)
{
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        QuestionDraw draw(seed);
        num numere{};
        drawDistinct(numere, draw);
        ScriptedGenerator untouched;
        EXPECT_EQ(chooseQuestions(numere, bankWithout({}), untouched), drawn(numere, 1, testSize));
        EXPECT_EQ(untouched.used(), 0u);
    }
}

// Places whose number the bank lacks take the spares 31..35 in order; a spare the bank lacks is
// passed over.
TEST(ChooseQuestions, FillsGapsWithTheSparesInOrder)
{
    struct Case {
        std::set<std::int32_t> missingPlaces;
        std::vector<std::pair<std::int32_t, std::int32_t>> placeFromSpare;
    };
    const Case cases[] = {
        {{3}, {{3, 31}}},
        {{3, 10}, {{3, 31}, {10, 32}}},
        {{3, 31}, {{3, 32}}},
        {{1, 2, 3, 4, 5}, {{1, 31}, {2, 32}, {3, 33}, {4, 34}, {5, 35}}},
        {{29, 30, 33}, {{29, 31}, {30, 32}}},
        {{31, 32, 33, 34, 35}, {}},
        {{30, 31, 32, 33, 34}, {{30, 35}}},
    };
    const num numere = spacedNumbers();
    for (const Case& c : cases) {
        std::set<std::int32_t> missing;
        for (std::int32_t place : c.missingPlaces)
            missing.insert(numere[place]);
        std::vector<std::int32_t> expected = drawn(numere, 1, testSize);
        for (const auto& [place, spare] : c.placeFromSpare)
            expected[place - 1] = numere[spare];
        ScriptedGenerator untouched;
        EXPECT_EQ(chooseQuestions(numere, bankWithout(missing), untouched), expected)
            << "first missing place " << *c.missingPlaces.begin();
        EXPECT_EQ(untouched.used(), 0u);
    }
}

// With more gaps than usable spares, further numbers are drawn: never one drawn before, and at random.
TEST(ChooseQuestions, DrawsFurtherNumbersWhenTheSparesRunOut)
{
    const num numere = spacedNumbers();
    const std::set<std::int32_t> drawnBefore(numere.begin() + 1, numere.begin() + drawnCount + 1);
    // Places 1 to 7 and the spare 33 are missing, and so is every number from 250 up.
    std::set<std::int32_t> missing{numere[1], numere[2], numere[3], numere[4],
                                   numere[5], numere[6], numere[7], numere[33]};
    for (std::int32_t n = 250; n <= highestNumber; ++n)
        missing.insert(n);
    std::set<std::int32_t> seenAtPlace6;
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        QuestionDraw generator(seed);
        const auto chosen = chooseQuestions(numere, bankWithout(missing), generator);
        ASSERT_EQ(chosen.size(), 30u);
        EXPECT_EQ(chosen[0], numere[31]);
        EXPECT_EQ(chosen[1], numere[32]);
        EXPECT_EQ(chosen[2], numere[34]);
        EXPECT_EQ(chosen[3], numere[35]);
        for (std::int32_t place : {5, 6, 7}) {
            const std::int32_t n = chosen[place - 1];
            EXPECT_TRUE(n >= 0 && n < 250) << n;
            EXPECT_FALSE(drawnBefore.count(n)) << n;
        }
        EXPECT_TRUE(pairwiseDistinct(chosen));
        EXPECT_EQ(std::vector<std::int32_t>(chosen.begin() + 7, chosen.end()), drawn(numere, 8, testSize));
        seenAtPlace6.insert(chosen[5]);
    }
    EXPECT_GT(seenAtPlace6.size(), 50u);
}

// Whatever the bank and the draw, the choice is 30 distinct bank numbers within 0..273, keeping every
// drawn number the bank has at its place; also when numere repeats itself (never from the draw).
TEST(ChooseQuestions, AlwaysGivesThirtyDistinctNumbersOfTheBank)
{
    for (std::uint32_t seed = 1; seed <= 600; ++seed) {
        QuestionDraw generator(seed);
        const std::int32_t size = generator.between(30, highestNumber + 1);
        std::vector<std::int32_t> all(highestNumber + 1);
        for (std::int32_t n = 0; n <= highestNumber; ++n)
            all[n] = n;
        for (std::int32_t i = 0; i < size; ++i)
            std::swap(all[i], all[generator.between(i, highestNumber)]);
        std::set<std::int32_t> bank(all.begin(), all.begin() + size);
        for (std::int32_t n = 274; n < 400; n += 3)
            bank.insert(n);  // out of the draw's reach: never chosen

        num numere{};
        drawDistinct(numere, generator);
        if (seed % 5 == 0)
            for (std::int32_t i = 2; i <= drawnCount; i += 3)
                numere[i] = numere[i - 1];
        const auto bankHas = [&bank](std::int32_t n) { return bank.count(n) > 0; };
        const auto chosen = chooseQuestions(numere, bankHas, generator);

        ASSERT_EQ(chosen.size(), 30u) << "seed " << seed;
        EXPECT_TRUE(pairwiseDistinct(chosen)) << "seed " << seed;
        std::set<std::int32_t> before;
        for (std::int32_t i = 1; i <= testSize; ++i) {
            const std::int32_t n = chosen[i - 1];
            EXPECT_TRUE(n >= 0 && n <= highestNumber && bank.count(n)) << "seed " << seed << ": " << n;
            if (bank.count(numere[i]) && !before.count(numere[i])) {
                EXPECT_EQ(n, numere[i]) << "seed " << seed << ", place " << i;
            }
            before.insert(numere[i]);
        }
        if (size == 30) {  // the whole bank within reach
            EXPECT_EQ(std::set<std::int32_t>(chosen.begin(), chosen.end()),
                      std::set<std::int32_t>(all.begin(), all.begin() + size));
        }
    }
}

TEST(ChooseQuestions, ABankOfExactlyThirtyGivesAllOfThem)
{
    // The bank's 30 numbers lie where the draw did not look, so every one comes from further draws.
    const num numere = spacedNumbers();
    std::set<std::int32_t> bank;
    for (std::int32_t n = 1; bank.size() < 30; n += 7)
        bank.insert(n);
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        QuestionDraw generator(seed);
        const auto chosen = chooseQuestions(
            numere, [&bank](std::int32_t n) { return bank.count(n) > 0; }, generator);
        EXPECT_EQ(std::set<std::int32_t>(chosen.begin(), chosen.end()), bank);
    }
}

TEST(ChooseQuestions, ABankWithTooFewNumbersIsAnError)
{
    struct Case {
        std::int32_t held;
        const char* message;
    };
    const Case cases[] = {
        {29, "Banca de întrebări are numai 29 de întrebări numerotate de la 0 la 273; un test are nevoie de 30."},
        {20, "Banca de întrebări are numai 20 de întrebări numerotate de la 0 la 273; un test are nevoie de 30."},
        {19, "Banca de întrebări are numai 19 întrebări numerotate de la 0 la 273; un test are nevoie de 30."},
        {12, "Banca de întrebări are numai 12 întrebări numerotate de la 0 la 273; un test are nevoie de 30."},
        {1, "Banca de întrebări are numai o întrebare numerotată de la 0 la 273; un test are nevoie de 30."},
        {0, "Banca de întrebări nu are nicio întrebare numerotată de la 0 la 273; un test are nevoie de 30."},
    };
    const num numere = spacedNumbers();
    for (const Case& c : cases) {
        // The bank's numbers 0..held-1, and many more above 273, which the draw never reaches.
        const auto bankHas = [held = c.held](std::int32_t n) { return n < held || (n > 273 && n < 1000); };
        ScriptedGenerator untouched;
        try {
            chooseQuestions(numere, bankHas, untouched);
            ADD_FAILURE() << "no error for a bank of " << c.held;
        } catch (const store::Error& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
        EXPECT_EQ(untouched.used(), 0u);
    }
}

}  // namespace
