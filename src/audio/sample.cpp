#include "audio/sample.h"

#include "audio/format.h"

#include <cmath>
#include <new>
#include <samplerate.h>
#include <sndfile.h>
#include <unistd.h>

namespace audio {

namespace {

// Frames read from libsndfile at a time.
constexpr sf_count_t read_block = 4096;
// Sample rates and channel counts outside these are not sound a file can sensibly hold.
constexpr int min_rate = 1000, max_rate = 768000, max_file_channels = 256;

// Closes a libsndfile handle when it goes out of scope.
struct sndfile_closer {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

// A value fit to mix: not-a-number and infinities from a damaged float file become silence.
float clean(float v) {
    return std::isfinite(v) ? v : 0.0f;
}

// Reads the whole sound as stereo at its own rate into `out`: mono goes to both sides,
// more channels keep their first two. False when the sound is empty, fails to read, or
// exceeds `max_frames`. A file cut inside its sound data gives the frames it holds, as
// players do; the length a header declares is not checked, since for compressed formats
// it is only an estimate.
bool read_stereo(SNDFILE* f, const SF_INFO& info, std::int64_t max_frames,
                 std::vector<float>& out) {
    std::vector<float> block(static_cast<std::size_t>(read_block * info.channels));
    sf_count_t total = 0;
    for (;;) {
        sf_count_t n = sf_readf_float(f, block.data(), read_block);
        if (n <= 0) break;
        if (total + n > max_frames) return false;
        for (sf_count_t i = 0; i < n; ++i) {
            const float* frame = &block[static_cast<std::size_t>(i * info.channels)];
            out.push_back(clean(frame[0]));
            out.push_back(clean(info.channels > 1 ? frame[1] : frame[0]));
        }
        total += n;
    }
    return sf_error(f) == SF_ERR_NO_ERROR && total > 0;
}

// Converts interleaved stereo at `rate` to engine_rate; false when libsamplerate fails.
bool resample(const std::vector<float>& in, int rate, std::vector<float>& out) {
    double ratio = static_cast<double>(engine_rate) / rate;
    long in_frames = static_cast<long>(in.size() / 2);
    long out_frames = static_cast<long>(std::ceil(in_frames * ratio)) + 16;
    out.resize(static_cast<std::size_t>(out_frames) * 2);
    SRC_DATA data{};
    data.data_in = in.data();
    data.input_frames = in_frames;
    data.data_out = out.data();
    data.output_frames = out_frames;
    data.src_ratio = ratio;
    if (src_simple(&data, SRC_SINC_FASTEST, 2) != 0 || data.output_frames_gen <= 0) return false;
    out.resize(static_cast<std::size_t>(data.output_frames_gen) * 2);
    out.shrink_to_fit();
    return true;
}

} // namespace

std::shared_ptr<const sample> sample_decode(const open_file& file) {
    if (!file.ok() || file.identity().size <= 0) return nullptr;
    ::lseek(file.fd(), 0, SEEK_SET);
    SF_INFO info{};
    std::unique_ptr<SNDFILE, sndfile_closer> f(sf_open_fd(file.fd(), SFM_READ, &info, SF_FALSE));
    if (!f || info.samplerate < min_rate || info.samplerate > max_rate || info.channels < 1 ||
        info.channels > max_file_channels)
        return nullptr;
    // The cap counts frames at the engine's rate, so a high-rate file may not slip past it
    // before its conversion.
    std::int64_t max_out = sample_bytes_cap / (2 * static_cast<std::int64_t>(sizeof(float)));
    auto max_in =
        static_cast<std::int64_t>(static_cast<double>(max_out) * info.samplerate / engine_rate);
    try {
        auto s = std::make_shared<sample>();
        s->source = file.identity();
        std::vector<float> in;
        if (!read_stereo(f.get(), info, max_in, in)) return nullptr;
        if (info.samplerate == engine_rate) {
            in.shrink_to_fit();
            s->frames = std::move(in);
        } else if (!resample(in, info.samplerate, s->frames)) {
            return nullptr;
        }
        if (static_cast<std::int64_t>(s->frames.size()) > 2 * max_out) return nullptr;
        return s;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace audio
