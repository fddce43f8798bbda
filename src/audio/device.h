// The sound device: SDL2's audio output, opened once, fed by the engine from SDL's audio
// thread in blocks of at most 1024 frames, and closed when the process exits.
#ifndef CONSCRIPT_AUDIO_DEVICE_H
#define CONSCRIPT_AUDIO_DEVICE_H

#include "audio/engine.h"

#include <string>

namespace audio {

// Frames per device buffer.
constexpr int device_frames = 1024;

// Opens the default output device and starts feeding it from `e`, which must outlive the
// process. True when the device plays; otherwise `why` holds SDL's reason and nothing is
// left open. The audio stack's own diagnostics are kept off the terminal.
bool device_start(engine& e, std::string& why);
// True once device_start has succeeded.
bool device_running();

} // namespace audio

#endif
