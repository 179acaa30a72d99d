#include "results/practice_draw.h"

#include <set>
#include <utility>

namespace results {

std::vector<int> practiceQuestions(const Overview& overview, const std::vector<int>& bankNumbers, int count,
                                   const std::function<int(int low, int high)>& between)
{
    const std::set<int> inBank(bankNumbers.begin(), bankNumbers.end());
    const std::set<int> judged(overview.judged.begin(), overview.judged.end());
    std::vector<int> chosen;
    std::set<int> taken;
    auto take = [&](int n) {
        if (static_cast<int>(chosen.size()) < count && inBank.count(n) && taken.insert(n).second)
            chosen.push_back(n);
    };
    for (const Mistake& m : overview.mistakes)
        take(m.questionNumber);
    std::vector<int> unseen, others;
    for (const int n : inBank)
        (judged.count(n) ? others : unseen).push_back(n);
    for (std::vector<int>* group : {&unseen, &others}) {
        // Fisher-Yates with the caller's generator.
        for (int i = static_cast<int>(group->size()) - 1; i > 0; --i)
            std::swap((*group)[i], (*group)[between(0, i)]);
        for (const int n : *group)
            take(n);
    }
    return chosen;
}

}  // namespace results
