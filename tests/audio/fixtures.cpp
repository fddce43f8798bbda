#include "fixtures.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fixtures {

namespace {

void put_be16(std::vector<std::uint8_t>& b, int v) {
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
    b.push_back(static_cast<std::uint8_t>(v & 0xff));
}

void put_le(std::vector<std::uint8_t>& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xff));
}

void put_text(std::vector<std::uint8_t>& b, const char* text, std::size_t width) {
    std::string s(text);
    s.resize(width, '\0');
    b.insert(b.end(), s.begin(), s.end());
}

} // namespace

std::vector<std::uint8_t> mod_bytes(const std::vector<note>& notes, int volume) {
    constexpr int wave_bytes = 64; // one period of the square wave
    std::vector<std::uint8_t> b;
    put_text(b, "test", 20);
    // Sample 1: the square wave, looped over its whole length; samples 2 to 31 empty.
    put_text(b, "square", 22);
    put_be16(b, wave_bytes / 2);
    b.push_back(0); // finetune
    b.push_back(static_cast<std::uint8_t>(volume));
    put_be16(b, 0);              // loop start, in words
    put_be16(b, wave_bytes / 2); // loop length, in words
    for (int i = 1; i < 31; ++i) {
        put_text(b, "", 22);
        put_be16(b, 0);
        b.push_back(0);
        b.push_back(0);
        put_be16(b, 0);
        put_be16(b, 1);
    }
    b.push_back(1);   // song length: one order
    b.push_back(127); // restart byte
    b.push_back(0);   // order 0 plays pattern 0
    b.insert(b.end(), 127, 0);
    put_text(b, "M.K.", 4);
    // Pattern 0: 64 rows of 4 cells; row 0, channel 3 sets speed 1 (effect F01).
    std::vector<std::uint8_t> cells(64 * 4 * 4, 0);
    cells[3 * 4 + 2] = 0x0f;
    cells[3 * 4 + 3] = 0x01;
    for (const note& n : notes) {
        std::uint8_t* c = &cells[static_cast<std::size_t>((n.row * 4 + n.channel) * 4)];
        c[0] = static_cast<std::uint8_t>((n.period >> 8) & 0x0f); // sample 1: high nibble 0
        c[1] = static_cast<std::uint8_t>(n.period & 0xff);
        c[2] = static_cast<std::uint8_t>(1 << 4 | (c[2] & 0x0f));
    }
    b.insert(b.end(), cells.begin(), cells.end());
    for (int i = 0; i < wave_bytes; ++i) b.push_back(i < wave_bytes / 2 ? 100 : 156); // +/-100
    return b;
}

std::vector<std::uint8_t> wav_bytes(int rate, int channels, int bits,
                                    const std::vector<float>& samples) {
    int bytes_per = bits / 8;
    auto data_len = static_cast<std::uint32_t>(samples.size() * bytes_per);
    std::vector<std::uint8_t> b;
    put_text(b, "RIFF", 4);
    put_le(b, 36 + data_len, 4);
    put_text(b, "WAVEfmt ", 8);
    put_le(b, 16, 4);
    put_le(b, bits == 32 ? 3 : 1, 2); // 3: IEEE float, 1: integer PCM
    put_le(b, static_cast<std::uint32_t>(channels), 2);
    put_le(b, static_cast<std::uint32_t>(rate), 4);
    put_le(b, static_cast<std::uint32_t>(rate * channels * bytes_per), 4);
    put_le(b, static_cast<std::uint32_t>(channels * bytes_per), 2);
    put_le(b, static_cast<std::uint32_t>(bits), 2);
    put_text(b, "data", 4);
    put_le(b, data_len, 4);
    for (float v : samples) {
        if (bits == 32) {
            std::uint32_t raw;
            static_assert(sizeof raw == sizeof v);
            std::memcpy(&raw, &v, sizeof raw);
            put_le(b, raw, 4);
        } else if (bits == 16) {
            put_le(b, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * 32767))),
                   2);
        } else {
            b.push_back(static_cast<std::uint8_t>(128 + std::lround(v * 127)));
        }
    }
    return b;
}

std::vector<float> sine(int rate, int channels, double hz, double amp, int frames) {
    std::vector<float> s;
    for (int i = 0; i < frames; ++i) {
        auto v = static_cast<float>(amp * std::sin(2 * M_PI * hz * i / rate));
        s.insert(s.end(), static_cast<std::size_t>(channels), v);
    }
    return s;
}

temp_dir::temp_dir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "conscript-audio-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
}

temp_dir::~temp_dir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string temp_dir::path(const std::string& name) const {
    return dir_ + "/" + name;
}

std::string temp_dir::write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::string p = path(name);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + p);
    return p;
}

} // namespace fixtures
