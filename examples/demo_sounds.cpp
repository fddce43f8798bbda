// Writes the sounds of the sound demo into a folder: theme.mod, a short looping tune, and
// chime.wav, a bell-like sound effect. Both are generated here with the MOD and WAV
// writers of the sound library's tests; nothing is copied from elsewhere.
#include "fixtures.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

// Amiga periods of the notes the tune uses.
constexpr int c2 = 428, f2 = 320;
constexpr int c3 = 214, e3 = 170, f3 = 160, g3 = 143, a3 = 127;

// The tune: a melody of eight notes on the left over two bass notes on the right, about
// 1.3 s, looped by the library.
std::vector<std::uint8_t> theme() {
    const int melody[] = {c3, e3, g3, e3, f3, a3, g3, e3};
    std::vector<fixtures::note> notes = {{0, 1, c2}, {32, 1, f2}};
    for (int i = 0; i < 8; ++i) notes.push_back({i * 8, 0, melody[i]});
    return fixtures::mod_bytes(notes, 40);
}

// The chime: two sines a fifth apart that fade out over 0.7 s, 16-bit mono.
std::vector<std::uint8_t> chime() {
    constexpr int rate = 44100, frames = rate * 7 / 10;
    std::vector<float> low = fixtures::sine(rate, 1, 880.0, 0.35, frames);
    std::vector<float> high = fixtures::sine(rate, 1, 1320.0, 0.2, frames);
    std::vector<float> mix(frames);
    for (int i = 0; i < frames; ++i)
        mix[i] = (low[i] + high[i]) * static_cast<float>(std::exp(-6.0 * i / rate));
    return fixtures::wav_bytes(rate, 1, 16, mix);
}

bool write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: demo_sounds FOLDER\nWrites theme.mod and chime.wav into FOLDER.\n",
                   stderr);
        return 2;
    }
    std::string dir = argv[1];
    if (!write(dir + "/theme.mod", theme()) || !write(dir + "/chime.wav", chime())) {
        std::fprintf(stderr, "demo_sounds: cannot write the sounds into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
