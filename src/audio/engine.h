// The mixing engine: holds the loaded modules and samples, and renders every playing module
// and the 32 sample channels into float stereo on demand. The device is one consumer of
// `render`; tests call it directly, with no device.
#ifndef CONSCRIPT_AUDIO_ENGINE_H
#define CONSCRIPT_AUDIO_ENGINE_H

#include "audio/module.h"
#include "audio/sample.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace audio {

// Names a loaded module or sample; 0 names nothing. A handle whose module or sample was
// let go to make room names nothing from then on, and is never reused.
using handle = std::uintptr_t;

// Sample channels; a channel plays one sample at a time.
constexpr int channel_count = 32;
// Channel argument: any free channel, else the one whose sound started longest ago.
constexpr int any_channel = -1;
// Channel argument of stop_sample: every sample channel.
constexpr int every_channel = -3;
// Modules and samples held at once, and the memory they may hold together. Beyond either
// limit a load lets go of the one loaded longest ago that does not play (see engine.cpp).
constexpr std::size_t module_capacity = 64;
constexpr std::int64_t module_bytes_budget = 256 << 20;
constexpr std::size_t sample_capacity = 1024;
constexpr std::int64_t sample_bytes_budget = 512 << 20;
// Largest number of frames mixed in one pass; render takes any count, in passes.
constexpr std::size_t mix_block = 1024;

class engine {
  public:
    engine();
    ~engine();
    engine(const engine&) = delete;
    engine& operator=(const engine&) = delete;

    // Takes a loaded module; its handle, or 0 for a null module.
    handle add_module(std::unique_ptr<module> m);
    // Sets a module's stereo separation (0.0 mono to 1.0 full); false for an unknown handle
    // or a separation that is not a number.
    bool set_separation(handle h, float separation);
    // Starts a module from its beginning, also when it plays already; false if unknown.
    bool play_module(handle h);
    // Stops a module; false if unknown.
    bool stop_module(handle h);

    // The decoded data of an earlier load of the file `id` that is still held, or null.
    std::shared_ptr<const sample> find_sample(const file_identity& id);
    // Takes decoded sample data as a new sample; its handle, or 0 for null data.
    handle add_sample(std::shared_ptr<const sample> s);
    // Plays sample `h` from its start on `channel` (0 to 31, or any_channel); the channel
    // used, or -1 for an unknown handle or channel.
    int play_sample(int channel, handle h);
    // Stops `channel` (0 to 31, or every_channel); false for an unknown channel.
    bool stop_sample(int channel);

    // Mixes the next `frames` frames of interleaved stereo into `out` (overwriting it),
    // clamped to [-1, 1]. Allocates nothing; safe to call from the audio thread.
    void render(float* out, std::size_t frames);

    // What is playing, for tests: modules playing and sample channels sounding.
    int modules_playing();
    int channels_sounding();

  private:
    // A held module: its handle, the decoder, and whether and since when it plays.
    struct module_record {
        handle id = 0;               // 0 while the record is free
        std::unique_ptr<module> mod; // the decoder with its play position
        bool playing = false;        // mixed by render
        std::uint64_t loaded = 0;    // order of the load
        std::uint64_t started = 0;   // order of the last play
    };
    // A held sample: its handle and the decoded data it shares with other loads.
    struct sample_record {
        handle id = 0;                      // 0 while the record is free
        std::shared_ptr<const sample> data; // decoded sound
        std::uint64_t loaded = 0;           // order of the load
    };
    // One of the 32 sample channels.
    struct channel {
        const sample* data = nullptr;       // what render reads; valid while `keep` holds it
        std::shared_ptr<const sample> keep; // keeps the data alive; released only outside
                                            // render, so the audio thread never frees
        std::size_t pos = 0;                // next frame to mix
        bool sounding = false;              // mixed by render
        std::uint64_t started = 0;          // order of the play
    };

    handle next_handle(std::size_t index, bool is_sample);
    module_record* find(handle h);
    sample_record* find_sample_record(handle h);
    std::size_t module_victim(bool free_first);
    std::size_t sample_victim(const sample* incoming);
    void mix_block_into(float* out, std::size_t frames);

    std::mutex lock_; // guards everything below; render holds it while it mixes, and
                      // every other call holds it only to change state, never to decode
    std::array<module_record, module_capacity> modules_{};
    std::array<sample_record, sample_capacity> samples_{};
    std::array<channel, channel_count> channels_{};
    std::uint64_t serial_ = 0;         // counts loads and plays, to order them
    std::unique_ptr<float[]> scratch_; // one module's block, mix_block frames
};

} // namespace audio

#endif
