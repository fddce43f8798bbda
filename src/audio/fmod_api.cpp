// The eight C operations of the sound library, over the engine, the decoders and the
// device. Every operation answers failure instead of throwing, and does nothing with a
// null or unknown handle. Loads work before FSOUND_Init; plays and stops need it.
#include "fmod/fmod.h"

#include "audio/device.h"
#include "audio/engine.h"
#include "audio/module.h"
#include "audio/sample.h"

#include <cstdio>
#include <string>

#define EXPORT __attribute__((visibility("default")))

namespace {

// The one engine of the process. Never destroyed: the audio thread may still be mixing
// while the process exits, and the device is closed before anything is torn down.
audio::engine& the_engine() {
    static audio::engine* e = new audio::engine();
    return *e;
}

audio::handle id(const void* h) {
    return reinterpret_cast<audio::handle>(h);
}

template <class T> T* as_handle(audio::handle h) {
    return reinterpret_cast<T*>(h);
}

} // namespace

extern "C" {

EXPORT signed char FSOUND_Init(int, int, unsigned int) {
    // The engine always mixes 44100 Hz stereo with 32 sample channels; SDL converts to
    // what the device takes.
    try {
        if (audio::device_running()) return 1;
        std::string why;
        if (audio::device_start(the_engine(), why)) return 1;
        std::fprintf(stderr, "conscript: sound did not start: %s\n",
                     why.empty() ? "no audio device" : why.c_str());
        return 0;
    } catch (...) {
        return 0;
    }
}

EXPORT FMUSIC_MODULE* FMUSIC_LoadSong(const char* name) {
    try {
        return as_handle<FMUSIC_MODULE>(the_engine().add_module(audio::module_load(name)));
    } catch (...) {
        return nullptr;
    }
}

EXPORT signed char FMUSIC_SetPanSeperation(FMUSIC_MODULE* mod, float pansep) {
    try {
        return the_engine().set_separation(id(mod), pansep) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

EXPORT signed char FMUSIC_PlaySong(FMUSIC_MODULE* mod) {
    try {
        return audio::device_running() && the_engine().play_module(id(mod)) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

EXPORT signed char FMUSIC_StopSong(FMUSIC_MODULE* mod) {
    try {
        return audio::device_running() && the_engine().stop_module(id(mod)) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

// `index` and `memlength` only matter for the library's fixed sample slots and for loads
// from memory; this library always loads from the file `name` into a place of its own.
// Samples always play once, so `mode` changes nothing.
EXPORT FSOUND_SAMPLE* FSOUND_Sample_Load(int, const char* name, unsigned int, int) {
    try {
        audio::open_file file(name);
        if (!file.ok()) return nullptr;
        audio::engine& e = the_engine();
        auto data = e.find_sample(file.identity());
        if (!data) data = audio::sample_decode(file);
        return as_handle<FSOUND_SAMPLE>(e.add_sample(std::move(data)));
    } catch (...) {
        return nullptr;
    }
}

EXPORT int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sptr) {
    try {
        return audio::device_running() ? the_engine().play_sample(channel, id(sptr)) : -1;
    } catch (...) {
        return -1;
    }
}

EXPORT signed char FSOUND_StopSound(int channel) {
    try {
        return audio::device_running() && the_engine().stop_sample(channel) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

} // extern "C"
