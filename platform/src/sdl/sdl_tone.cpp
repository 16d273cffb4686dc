#include "sdl_tone.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace platform::sdl {

namespace {

constexpr int WantedRate = 22050;
// Quiet enough not to startle; a square wave carries well at this level.
constexpr int16_t Amplitude = 6000;
// Short ramps at both ends keep the speaker from clicking.
constexpr int RampSamples = 64;

} // namespace

ToneQueue::~ToneQueue() {
    Close();
}

void ToneQueue::Close() {
    if (m_device == 0)
        return;
    SDL_CloseAudioDevice(m_device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_device = 0;
}

bool ToneQueue::Open() {
    if (m_device != 0)
        return true;
    if (m_failed)
        return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "No sound: %s\n", SDL_GetError());
        m_failed = true;
        return false;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = WantedRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = 1024;
    SDL_AudioSpec got{};
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &got, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (m_device == 0) {
        std::fprintf(stderr, "No sound: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_failed = true;
        return false;
    }
    m_rate = got.freq;
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void ToneQueue::Play(int frequencyHz, int durationMs) {
    if (!Open())
        return;
    const int count = static_cast<int>(static_cast<int64_t>(m_rate) * durationMs / 1000);
    std::vector<int16_t> samples(static_cast<size_t>(count));
    const int64_t period = std::max<int64_t>(1, m_rate);
    for (int i = 0; i < count; ++i) {
        // Which half of the wave sample i falls in, in whole numbers.
        const bool high = (static_cast<int64_t>(i) * 2 * frequencyHz / period) % 2 == 0;
        int level = high ? Amplitude : -Amplitude;
        const int edge = std::min(i, count - 1 - i);
        if (edge < RampSamples)
            level = level * edge / RampSamples;
        samples[static_cast<size_t>(i)] = static_cast<int16_t>(level);
    }
    if (SDL_QueueAudio(m_device, samples.data(),
                       static_cast<Uint32>(samples.size() * sizeof(int16_t))) != 0)
        std::fprintf(stderr, "No sound: %s\n", SDL_GetError());
}

} // namespace platform::sdl
