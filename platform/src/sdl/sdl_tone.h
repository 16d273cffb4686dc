#pragma once
// Tones through SDL's audio queue. The device is opened on the first tone,
// so a run that never sounds one never touches the audio system.
#include <SDL.h>

namespace platform::sdl {

class ToneQueue {
public:
    ToneQueue() = default;
    ~ToneQueue();
    ToneQueue(const ToneQueue&) = delete;
    ToneQueue& operator=(const ToneQueue&) = delete;

    // Queues a square wave; without a device it says so once on stderr.
    void Play(int frequencyHz, int durationMs);
    // Before SDL itself is shut down.
    void Close();

private:
    bool Open();

    SDL_AudioDeviceID m_device = 0;
    int m_rate = 0;
    bool m_failed = false;
};

} // namespace platform::sdl
