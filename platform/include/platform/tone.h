#pragma once
// A short tone, for alarms. It never waits for the sound to end and never
// fails the caller: without an audio device it is only noted.
namespace platform {

// Sounds frequencyHz for durationMs and writes "tone F D" to the transcript.
// Values out of range are clamped to what a speaker can play.
void PlayTone(int frequencyHz, int durationMs);

} // namespace platform
