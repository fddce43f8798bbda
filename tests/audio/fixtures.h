// Sound files for the tests, written by the tests themselves: a 4-channel MOD with a
// square-wave instrument, and WAV files of given content. Nothing is copied from elsewhere.
#ifndef CONSCRIPT_TESTS_AUDIO_FIXTURES_H
#define CONSCRIPT_TESTS_AUDIO_FIXTURES_H

#include <cstdint>
#include <string>
#include <vector>

namespace fixtures {

// One note of the MOD writer: on `row` (0 to 63) of the one pattern, on `channel` (0 to 3;
// 0 and 3 sound left, 1 and 2 right), at Amiga `period` (428 is middle C).
struct note {
    int row;
    int channel;
    int period;
};

// A MOD of one 64-row pattern at speed 1 (about 1.3 s), playing `notes` with a looped
// square wave of `volume` (0 to 64), so a note sounds until the song ends.
std::vector<std::uint8_t> mod_bytes(const std::vector<note>& notes, int volume = 32);

// A PCM WAV: `bits` 8 or 16 (integer) or 32 (float), `samples` interleaved over
// `channels`, each a value in [-1, 1].
std::vector<std::uint8_t> wav_bytes(int rate, int channels, int bits,
                                    const std::vector<float>& samples);

// `frames` frames of a sine of `hz` and amplitude `amp`, the same on all `channels`.
std::vector<float> sine(int rate, int channels, double hz, double amp, int frames);

// A fresh directory for one test's files, removed with its content on destruction.
class temp_dir {
  public:
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;
    // The path of `name` inside the directory.
    std::string path(const std::string& name) const;
    // Writes `bytes` to `name`; returns its path.
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

  private:
    std::string dir_; // absolute path of the directory
};

} // namespace fixtures

#endif
