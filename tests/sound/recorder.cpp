// A recording stand-in for the sound library, built for the tests only. It exports the
// same eight operations and writes one line per call: the operation, its arguments and,
// for the start and the loads, its answer. Handles are named by load order (mod1, mod2,
// sample1, ...) and the null handle is `null`, so a test can follow each handle from its
// load to every call that passes it on.
//
//   CONSCRIPT_REC_LOG=PATH   append the lines to PATH (without it nothing is written)
//   CONSCRIPT_REC_INIT=0     FSOUND_Init answers 0, as when there is no sound device
//
// A load of a file that cannot be opened for reading answers null, as the real library does.
#include "fmod/fmod.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#define EXPORT __attribute__((visibility("default")))

namespace {

std::uintptr_t modules; // modules loaded so far; module n is the handle of value n
std::uintptr_t samples; // samples loaded so far; sample n is the handle of value n
int next_channel;       // the channel the next sample play answers

// Appends one formatted line to the log. The file is opened and closed for every line, so
// the log is complete however the process ends.
void record(const char* format, ...) {
    const char* path = std::getenv("CONSCRIPT_REC_LOG");
    if (path == nullptr) return;
    char line[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (n < 0) return;
    std::size_t len = std::min(static_cast<std::size_t>(n), sizeof line - 2);
    line[len++] = '\n';
    int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    ssize_t written = ::write(fd, line, len);
    (void)written;
    ::close(fd);
}

// The name of a handle in the log: `kind` and its load number, or null.
struct handle_name {
    char text[32];
    handle_name(const char* kind, const void* h) {
        auto n = reinterpret_cast<std::uintptr_t>(h);
        if (n == 0)
            std::snprintf(text, sizeof text, "null");
        else
            std::snprintf(text, sizeof text, "%s%ju", kind, static_cast<std::uintmax_t>(n));
    }
};

bool readable(const char* name) {
    int fd = ::open(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

} // namespace

extern "C" {

EXPORT signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags) {
    const char* answer = std::getenv("CONSCRIPT_REC_INIT");
    signed char ok = answer != nullptr && std::strcmp(answer, "0") == 0 ? 0 : 1;
    record("FSOUND_Init(%d, %d, %u) = %d", mixrate, maxsoftwarechannels, flags, ok);
    return ok;
}

EXPORT FMUSIC_MODULE* FMUSIC_LoadSong(const char* name) {
    FMUSIC_MODULE* mod = nullptr;
    if (readable(name)) mod = reinterpret_cast<FMUSIC_MODULE*>(++modules);
    record("FMUSIC_LoadSong(\"%s\") = %s", name, handle_name("mod", mod).text);
    return mod;
}

EXPORT signed char FMUSIC_SetPanSeperation(FMUSIC_MODULE* mod, float pansep) {
    record("FMUSIC_SetPanSeperation(%s, %.1f)", handle_name("mod", mod).text,
           static_cast<double>(pansep));
    return mod != nullptr;
}

EXPORT signed char FMUSIC_PlaySong(FMUSIC_MODULE* mod) {
    record("FMUSIC_PlaySong(%s)", handle_name("mod", mod).text);
    return mod != nullptr;
}

EXPORT signed char FMUSIC_StopSong(FMUSIC_MODULE* mod) {
    record("FMUSIC_StopSong(%s)", handle_name("mod", mod).text);
    return mod != nullptr;
}

EXPORT FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode,
                                         int memlength) {
    FSOUND_SAMPLE* sptr = nullptr;
    if (readable(name)) sptr = reinterpret_cast<FSOUND_SAMPLE*>(++samples);
    record("FSOUND_Sample_Load(%d, \"%s\", %u, %d) = %s", index, name, mode, memlength,
           handle_name("sample", sptr).text);
    return sptr;
}

EXPORT int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sptr) {
    record("FSOUND_PlaySound(%d, %s)", channel, handle_name("sample", sptr).text);
    if (sptr == nullptr) return -1;
    int used = next_channel;
    next_channel = (next_channel + 1) % 32;
    return used;
}

EXPORT signed char FSOUND_StopSound(int channel) {
    record("FSOUND_StopSound(%d)", channel);
    return 1;
}

} // extern "C"
