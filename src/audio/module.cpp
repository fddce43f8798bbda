#include "audio/module.h"

#include "audio/file.h"
#include "audio/format.h"

#include <algorithm>
#include <cmath>
#include <libopenmpt/libopenmpt.hpp>
#include <ostream>
#include <vector>

namespace audio {

namespace {

// libopenmpt writes loader remarks to the log stream it is given; a stream without a
// buffer drops them, so nothing of it reaches the terminal.
std::ostream& silent_log() {
    static std::ostream* log = new std::ostream(nullptr);
    return *log;
}

} // namespace

struct module::state {
    state(const std::vector<std::byte>& bytes) : mpt(bytes.data(), bytes.size(), silent_log()) {}
    openmpt::module mpt; // decoder and play position
};

module::module(std::unique_ptr<state> s, std::int64_t bytes) :s_(std::move(s)), bytes_(bytes) {}

module::~module() = default;

void module::restart() {
    s_->mpt.set_position_seconds(0.0);
}

void module::set_separation(float separation) {
    float clamped = std::clamp(separation, 0.0f, 1.0f);
    s_->mpt.set_render_param(openmpt::module::RENDER_STEREOSEPARATION_PERCENT,
                             static_cast<std::int32_t>(std::lround(clamped * 100.0f)));
}

void module::render(float* out, std::size_t frames) {
    std::size_t done = 0;
    while (done < frames) {
        std::size_t n = s_->mpt.read_interleaved_stereo(engine_rate, frames - done, out + 2 * done);
        if (n == 0) break; // a module of no length: the rest stays silent
        done += n;
    }
    std::fill(out + 2 * done, out + 2 * frames, 0.0f);
}

std::unique_ptr<module> module_load(const char* path) {
    open_file file(path);
    std::vector<std::byte> bytes;
    if (!file.read_all(bytes, module_file_cap)) return nullptr;
    try {
        auto s = std::make_unique<module::state>(bytes);
        s->mpt.set_repeat_count(-1); // loop at the end, for ever
        return std::unique_ptr<module>(new module(std::move(s), file.identity().size));
    } catch (...) {
        return nullptr; // not a module libopenmpt reads, or out of memory
    }
}

} // namespace audio
