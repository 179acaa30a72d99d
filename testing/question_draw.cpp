#include "testing/question_draw.h"

#include <QString>

#include <algorithm>
#include <array>
#include <chrono>

#include "store/error.h"

namespace selftest {

QuestionDraw::QuestionDraw()
{
    seedFromClock();
}

QuestionDraw::QuestionDraw(std::uint32_t seedValue) : engine_(seedValue) {}

void QuestionDraw::seed(std::uint32_t value)
{
    engine_.seed(value);
}

void QuestionDraw::seedFromClock()
{
    // Nanoseconds of the clock, spread over the engine's whole state, so that two tests started in
    // the same second still draw differently.
    const auto ticks = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    std::seed_seq sequence{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    engine_.seed(sequence);
}

std::int32_t QuestionDraw::between(std::int32_t low, std::int32_t high)
{
    return std::uniform_int_distribution<std::int32_t>(low, high)(engine_);
}

namespace {

bool anyTwoEqual(const num& numere)
{
    for (std::int32_t i = 1; i < drawnCount; ++i)
        for (std::int32_t j = i + 1; j <= drawnCount; ++j)
            if (numere[i] == numere[j])
                return true;
    return false;
}

std::string tooFewQuestions(std::int32_t held)
{
    // Romanian counts: "o întrebare", "12 întrebări", "25 de întrebări".
    QString text;
    if (held == 0)
        text = QStringLiteral("Banca de întrebări nu are nicio întrebare numerotată de la 0 la %1");
    else if (held == 1)
        text = QStringLiteral("Banca de întrebări are numai o întrebare numerotată de la 0 la %1");
    else if (held < 20)
        text = QStringLiteral("Banca de întrebări are numai %2 întrebări numerotate de la 0 la %1");
    else
        text = QStringLiteral("Banca de întrebări are numai %2 de întrebări numerotate de la 0 la %1");
    text = text.arg(highestNumber);
    if (held > 1)
        text = text.arg(held);
    text += QStringLiteral("; un test are nevoie de %1.").arg(testSize);
    return text.toStdString();
}

}  // namespace

std::int32_t drawDistinct(num& numere, Generator& generator)
{
    std::int32_t rounds = 0;
    do {
        ++rounds;
        for (std::int32_t i = 1; i <= drawnCount; ++i)
            numere[i] = generator.between(0, highestNumber);
    } while (anyTwoEqual(numere));
    return rounds;
}

void drawTestNumbers(num& numere, Generator& generator)
{
    generator.seedFromClock();
    drawDistinct(numere, generator);
}

std::vector<std::int32_t> chooseQuestions(const num& numere, const std::function<bool(std::int32_t)>& bankHas,
                                          Generator& generator)
{
    constexpr std::int32_t values = highestNumber + 1;
    std::array<bool, values> inBank{};
    std::int32_t held = 0;
    for (std::int32_t n = 0; n < values; ++n)
        if ((inBank[n] = bankHas(n)))
            ++held;
    if (held < testSize)
        throw store::Error(tooFewQuestions(held));

    std::array<bool, values> taken{};
    auto usable = [&](std::int32_t n) { return n >= 0 && n < values && inBank[n] && !taken[n]; };

    // Further draws come from the numbers the draw did not give, each at most once.
    std::vector<std::int32_t> pool;
    for (std::int32_t n = 0; n < values; ++n)
        if (std::find(numere.begin() + 1, numere.begin() + drawnCount + 1, n) == numere.begin() + drawnCount + 1)
            pool.push_back(n);
    auto drawFurther = [&]() {
        for (;;) {
            // Never empty while a number is still needed: at least 30 bank numbers lie in 0..273, and
            // those among the drawn ones that are not yet used stand at later places, fewer than the
            // places still to fill.
            if (pool.empty())
                throw store::Error(tooFewQuestions(held));
            const auto at = static_cast<std::size_t>(generator.between(0, static_cast<std::int32_t>(pool.size()) - 1));
            const std::int32_t n = pool[at];
            pool[at] = pool.back();
            pool.pop_back();
            if (usable(n))
                return n;
        }
    };

    std::vector<std::int32_t> chosen;
    chosen.reserve(testSize);
    std::int32_t spare = testSize + 1;
    for (std::int32_t i = 1; i <= testSize; ++i) {
        std::int32_t n = numere[i];
        if (!usable(n)) {
            // Missing from the bank, or (only if numere repeats itself) taken already.
            n = -1;
            while (n < 0 && spare <= drawnCount) {
                const std::int32_t candidate = numere[spare++];
                if (usable(candidate))
                    n = candidate;
            }
            if (n < 0)
                n = drawFurther();
        }
        taken[n] = true;
        chosen.push_back(n);
    }
    return chosen;
}

}  // namespace selftest
