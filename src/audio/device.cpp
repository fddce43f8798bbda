#include "audio/device.h"

#include "audio/format.h"

#include <SDL.h>
#include <alsa/asoundlib.h>
#include <cstdlib>

namespace audio {

namespace {

SDL_AudioDeviceID open_device = 0; // the device while it plays, 0 before and after

// SDL's audio thread asks for `len` bytes of float stereo.
void feed(void* userdata, Uint8* stream, int len) {
    auto* e = static_cast<engine*>(userdata);
    auto frames = static_cast<std::size_t>(len) / (engine_channels * sizeof(float));
    e->render(reinterpret_cast<float*>(stream), frames);
}

// Closes the device before any static object of the process is destroyed, so the audio
// thread never mixes with torn-down state. Registered after SDL started, so it runs before
// the exit handlers of everything loaded earlier.
void close_at_exit() {
    if (open_device == 0) return;
    SDL_CloseAudioDevice(open_device);
    open_device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    SDL_Quit();
}

// libasound prints "ALSA lib ..." lines for every device it probes and fails; SDL loads the
// same libasound, so this handler silences those too.
void silent_alsa(const char*, int, const char*, int, const char*, ...) {}

// SDL's own log messages go nowhere: standard error carries only our one line on failure.
void silent_sdl(void*, int, SDL_LogPriority, const char*) {}

} // namespace

bool device_start(engine& e, std::string& why) {
    if (open_device != 0) return true;
    snd_lib_error_set_handler(silent_alsa);
    SDL_LogSetOutputFunction(silent_sdl, nullptr);
    // The interpreter keeps the default handling of Ctrl-C and termination.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "conscript");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        why = SDL_GetError();
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = engine_rate;
    want.format = AUDIO_F32SYS;
    want.channels = engine_channels;
    want.samples = device_frames;
    want.callback = feed;
    want.userdata = &e;
    // No allowed changes: SDL converts to whatever the hardware takes, so `feed` always
    // gets our format in blocks of device_frames.
    SDL_AudioDeviceID dev = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (dev == 0) {
        why = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    static bool registered = false;
    if (!registered) registered = std::atexit(close_at_exit) == 0;
    open_device = dev;
    SDL_PauseAudioDevice(dev, 0);
    return true;
}

bool device_running() {
    return open_device != 0;
}

} // namespace audio
