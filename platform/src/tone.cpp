#include "platform/tone.h"
#include "platform/transcript.h"

#include "backend.h"

#include <algorithm>
#include <string>

namespace platform {

namespace {

constexpr int MinFrequencyHz = 20;
constexpr int MaxFrequencyHz = 20000;
constexpr int MaxDurationMs = 5000;

} // namespace

void PlayTone(int frequencyHz, int durationMs) {
    const int hz = std::clamp(frequencyHz, MinFrequencyHz, MaxFrequencyHz);
    const int ms = std::clamp(durationMs, 0, MaxDurationMs);
    TranscriptWrite("tone " + std::to_string(hz) + " " + std::to_string(ms));
    if (ms > 0)
        CurrentBackend().PlayTone(hz, ms);
}

} // namespace platform
