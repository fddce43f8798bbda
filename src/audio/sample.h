// Sound samples: a sound file decoded by libsndfile, converted to float stereo at the
// engine's rate by libsamplerate, once, at load time.
#ifndef CONSCRIPT_AUDIO_SAMPLE_H
#define CONSCRIPT_AUDIO_SAMPLE_H

#include "audio/file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace audio {

// Largest decoded sample, in bytes of float stereo at the engine's rate (about 6 minutes);
// a longer sound gives no sample.
constexpr std::int64_t sample_bytes_cap = 128 << 20;

// Decoded sound, shared by every load of the same unchanged file and by the channels that
// play it; never changed once decoded.
struct sample {
    std::vector<float> frames; // interleaved stereo at engine_rate, never empty
    file_identity source;      // the file it was decoded from
    std::size_t length() const { return frames.size() / 2; }
    std::int64_t bytes() const { return static_cast<std::int64_t>(frames.size() * sizeof(float)); }
};

// Decodes the sound file open in `file`: null when it is empty, cut inside its header,
// longer than sample_bytes_cap allows, or not a sound that libsndfile reads. A file cut
// inside its sound data gives the part it holds.
std::shared_ptr<const sample> sample_decode(const open_file& file);

} // namespace audio

#endif
