// Music modules: a tracker module file decoded by libopenmpt into endless (looping) float
// stereo at the engine's rate.
#ifndef CONSCRIPT_AUDIO_MODULE_H
#define CONSCRIPT_AUDIO_MODULE_H

#include <cstddef>
#include <cstdint>
#include <memory>

namespace audio {

// Largest module file that a load accepts; a larger one gives no module.
constexpr std::int64_t module_file_cap = 64 << 20;

// One loaded module with its own play position.
class module {
  public:
    ~module();
    // Back to the first row of the first pattern, as if just loaded.
    void restart();
    // Stereo separation from 0.0 (mono) to 1.0 (full); values outside are clamped.
    void set_separation(float separation);
    // Writes `frames` frames of interleaved stereo into `out` (it overwrites, it does not add).
    void render(float* out, std::size_t frames);
    // Size of the module file, the measure of what it holds in memory.
    std::int64_t bytes() const { return bytes_; }

  private:
    friend std::unique_ptr<module> module_load(const char* path);
    struct state;
    module(std::unique_ptr<state> s, std::int64_t bytes);
    std::unique_ptr<state> s_; // libopenmpt's module
    std::int64_t bytes_;       // file size
};

// Loads the module file at `path`: null when it is missing, unreadable, empty, larger than
// module_file_cap, or not a module that libopenmpt reads.
std::unique_ptr<module> module_load(const char* path);

} // namespace audio

#endif
