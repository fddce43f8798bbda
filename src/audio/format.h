// The one format in which the sound library mixes and plays: float stereo at 44100 Hz,
// interleaved (left, right) frame by frame.
#ifndef CONSCRIPT_AUDIO_FORMAT_H
#define CONSCRIPT_AUDIO_FORMAT_H

namespace audio {

constexpr int engine_rate = 44100; // frames per second
constexpr int engine_channels = 2; // floats per frame: left, right

} // namespace audio

#endif
