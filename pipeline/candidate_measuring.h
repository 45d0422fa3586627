// The first step of -f auto: the encodings that may give the shortest faithful line, measured.
// The second step, ChooseTrial (pipeline/faithful_choice.h), chooses among them.
#pragma once

#include <functional>

#include "pipeline/encoding_trials.h"

// Runs two pieces of work, side by side or one after the other, and throws what either threw
// once both are done.
using SideBySide = std::function<void(const std::function<void()>&, const std::function<void()>&)>;
void OneAfterOther(const std::function<void()>& first, const std::function<void()>& second);

// Measures, for the trials' picture: lossy WebP and JPEG, each at the lowest quality whose score
// reaches the goal's (at most kMostQualitiesSearched encodings each, the two searches given to
// `sideBySide`, which may run them on two threads: neither depends on the other); GIF, PNG and
// lossless WebP, which keep every pixel, where they may be the shortest; and with a byte limit
// that no faithful line meets, the highest quality of each lossy format that fits it. Any trial
// that fails ends the measuring, and failure() says why; short memory throws std::bad_alloc.
void MeasureCandidates(EncodingTrials& trials, const FaithfulGoal& goal,
                       const SideBySide& sideBySide = OneAfterOther);
