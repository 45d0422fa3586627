#include "pipeline/faithful_choice.h"

TrialChoice ChooseTrial(const std::vector<Trial>& trials, const FaithfulGoal& goal) {
    const Trial *shortest = nullptr, *truest = nullptr;
    for (const Trial& trial : trials) {
        if (!trial.score || (goal.maxBytes && trial.lineBytes > *goal.maxBytes)) continue;
        const double score = *trial.score;
        if (score >= goal.minScore && (shortest == nullptr || trial.lineBytes < shortest->lineBytes))
            shortest = &trial;
        if (truest == nullptr || score > *truest->score ||
            (score == *truest->score && trial.lineBytes < truest->lineBytes))
            truest = &trial;
    }
    if (shortest != nullptr) return {*shortest, true};
    if (truest != nullptr) return {*truest, false};
    return {};
}
