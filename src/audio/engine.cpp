#include "audio/engine.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace audio {

// Handles ------------------------------------------------------------------------------
//
// A handle packs the load's serial number above a kind bit and the record's index, so a
// handle of a record that has since been let go, a module handle given as a sample, or any
// other stray value matches no record.

namespace {

constexpr int index_bits = 15;
constexpr handle index_mask = (handle{1} << index_bits) - 1;
constexpr handle sample_kind = handle{1} << index_bits;
static_assert(module_capacity <= index_mask + 1 && sample_capacity <= index_mask + 1);

std::size_t index_of(handle h) {
    return static_cast<std::size_t>(h & index_mask);
}

} // namespace

engine::engine() : scratch_(new float[mix_block * 2]) {}

engine::~engine() = default;

handle engine::next_handle(std::size_t index, bool is_sample) {
    ++serial_;
    return (static_cast<handle>(serial_) << (index_bits + 1)) | (is_sample ? sample_kind : 0) |
           static_cast<handle>(index);
}

engine::module_record* engine::find(handle h) {
    if (h == 0 || (h & sample_kind) != 0 || index_of(h) >= module_capacity) return nullptr;
    module_record& r = modules_[index_of(h)];
    return r.id == h ? &r : nullptr;
}

engine::sample_record* engine::find_sample_record(handle h) {
    if (h == 0 || (h & sample_kind) == 0 || index_of(h) >= sample_capacity) return nullptr;
    sample_record& r = samples_[index_of(h)];
    return r.id == h ? &r : nullptr;
}

// Modules ------------------------------------------------------------------------------

// The record to let go of for a new module: with `free_first`, a free record if there is
// one; else the module loaded longest ago that does not play, else (all play) the one that
// started playing longest ago. module_capacity when no module is held.
std::size_t engine::module_victim(bool free_first) {
    std::size_t best = module_capacity;
    for (std::size_t i = 0; i < module_capacity; ++i) {
        const module_record& r = modules_[i];
        if (r.id == 0) {
            if (free_first) return i;
            continue;
        }
        if (best == module_capacity) {
            best = i;
            continue;
        }
        const module_record& b = modules_[best];
        bool older = r.playing != b.playing ? !r.playing
                     : r.playing            ? r.started < b.started
                                            : r.loaded < b.loaded;
        if (older) best = i;
    }
    return best;
}

handle engine::add_module(std::unique_ptr<module> m) {
    if (!m) return 0;
    std::vector<std::unique_ptr<module>> dropped; // freed after the lock is released
    std::lock_guard<std::mutex> guard(lock_);
    auto held = [&] {
        std::int64_t sum = 0;
        for (const module_record& r : modules_)
            if (r.id != 0) sum += r.mod->bytes();
        return sum;
    };
    auto let_go = [&](std::size_t i) {
        dropped.push_back(std::move(modules_[i].mod));
        modules_[i] = module_record{};
    };
    while (held() + m->bytes() > module_bytes_budget) {
        std::size_t victim = module_victim(false);
        if (victim == module_capacity) break;
        let_go(victim);
    }
    std::size_t slot = module_victim(true);
    if (modules_[slot].id != 0) let_go(slot);
    module_record& r = modules_[slot];
    r.id = next_handle(slot, false);
    r.mod = std::move(m);
    r.loaded = serial_;
    return r.id;
}

bool engine::set_separation(handle h, float separation) {
    std::lock_guard<std::mutex> guard(lock_);
    module_record* r = find(h);
    if (r == nullptr || std::isnan(separation)) return false;
    r->mod->set_separation(separation);
    return true;
}

bool engine::play_module(handle h) {
    std::lock_guard<std::mutex> guard(lock_);
    module_record* r = find(h);
    if (r == nullptr) return false;
    r->mod->restart();
    r->playing = true;
    r->started = ++serial_;
    return true;
}

bool engine::stop_module(handle h) {
    std::lock_guard<std::mutex> guard(lock_);
    module_record* r = find(h);
    if (r == nullptr) return false;
    r->playing = false;
    return true;
}

// Samples ------------------------------------------------------------------------------

std::shared_ptr<const sample> engine::find_sample(const file_identity& id) {
    std::lock_guard<std::mutex> guard(lock_);
    for (const sample_record& r : samples_)
        if (r.id != 0 && r.data->source == id) return r.data;
    return nullptr;
}

// The record that new data takes: a free one, else, or while the decoded data held
// (`incoming` included) exceeds sample_bytes_budget, the sample loaded longest ago.
// Channels that play a let-go sample keep its data and go on sounding.
std::size_t engine::sample_victim(const sample* incoming) {
    std::vector<const sample*> distinct{incoming};
    std::size_t oldest = sample_capacity, free = sample_capacity;
    for (std::size_t i = 0; i < sample_capacity; ++i) {
        const sample_record& r = samples_[i];
        if (r.id == 0) {
            if (free == sample_capacity) free = i;
            continue;
        }
        distinct.push_back(r.data.get());
        if (oldest == sample_capacity || r.loaded < samples_[oldest].loaded) oldest = i;
    }
    // Data shared by several loads counts once against the budget.
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    std::int64_t held = 0;
    for (const sample* s : distinct) held += s->bytes();
    if (held > sample_bytes_budget && oldest != sample_capacity) return oldest;
    return free != sample_capacity ? free : oldest;
}

handle engine::add_sample(std::shared_ptr<const sample> s) {
    if (!s || s->length() == 0) return 0;
    std::vector<std::shared_ptr<const sample>> dropped; // freed after the lock is released
    std::lock_guard<std::mutex> guard(lock_);
    for (channel& c : channels_)
        if (!c.sounding && c.keep) dropped.push_back(std::move(c.keep));
    std::size_t slot = sample_victim(s.get());
    while (samples_[slot].id != 0) {
        dropped.push_back(std::move(samples_[slot].data));
        samples_[slot] = sample_record{};
        slot = sample_victim(s.get());
    }
    sample_record& r = samples_[slot];
    r.id = next_handle(slot, true);
    r.data = std::move(s);
    r.loaded = serial_;
    return r.id;
}

int engine::play_sample(int ch, handle h) {
    std::shared_ptr<const sample> old; // freed after the lock is released
    std::lock_guard<std::mutex> guard(lock_);
    sample_record* r = find_sample_record(h);
    if (r == nullptr || ch < any_channel || ch >= channel_count) return -1;
    if (ch == any_channel) {
        auto free = std::find_if(channels_.begin(), channels_.end(),
                                 [](const channel& c) { return !c.sounding; });
        if (free == channels_.end())
            free = std::min_element(
                channels_.begin(), channels_.end(),
                [](const channel& a, const channel& b) { return a.started < b.started; });
        ch = static_cast<int>(free - channels_.begin());
    }
    channel& c = channels_[static_cast<std::size_t>(ch)];
    old = std::move(c.keep);
    c.keep = r->data;
    c.data = c.keep.get();
    c.pos = 0;
    c.sounding = true;
    c.started = ++serial_;
    return ch;
}

bool engine::stop_sample(int ch) {
    std::vector<std::shared_ptr<const sample>> dropped; // freed after the lock is released
    std::lock_guard<std::mutex> guard(lock_);
    if (ch != every_channel && (ch < 0 || ch >= channel_count)) return false;
    for (int i = 0; i < channel_count; ++i) {
        channel& c = channels_[static_cast<std::size_t>(i)];
        if (ch != every_channel && ch != i) continue;
        c.sounding = false;
        c.data = nullptr;
        if (c.keep) dropped.push_back(std::move(c.keep));
    }
    return true;
}

// Mixing -------------------------------------------------------------------------------

namespace {

// out[i] += in[i] for `n` floats; the buffers never overlap, which lets the compiler
// vectorise the loop.
void add(float* __restrict out, const float* __restrict in, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] += in[i];
}

} // namespace

void engine::mix_block_into(float* out, std::size_t frames) {
    bool empty = true; // nothing written to `out` yet
    for (module_record& r : modules_) {
        if (r.id == 0 || !r.playing) continue;
        // The first module renders straight into the output; the others go through scratch.
        r.mod->render(empty ? out : scratch_.get(), frames);
        if (!empty) add(out, scratch_.get(), 2 * frames);
        empty = false;
    }
    if (empty) std::fill(out, out + 2 * frames, 0.0f);
    for (channel& c : channels_) {
        if (!c.sounding) continue;
        std::size_t n = std::min(frames, c.data->length() - c.pos);
        add(out, c.data->frames.data() + 2 * c.pos, 2 * n);
        c.pos += n;
        if (c.pos == c.data->length()) c.sounding = false; // `keep` is released later
    }
    for (std::size_t i = 0; i < 2 * frames; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

void engine::render(float* out, std::size_t frames) {
    std::lock_guard<std::mutex> guard(lock_);
    for (std::size_t done = 0; done < frames; done += mix_block)
        mix_block_into(out + 2 * done, std::min(mix_block, frames - done));
}

int engine::modules_playing() {
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<int>(std::count_if(modules_.begin(), modules_.end(),
                                          [](const auto& r) { return r.id != 0 && r.playing; }));
}

int engine::channels_sounding() {
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<int>(std::count_if(channels_.begin(), channels_.end(),
                                          [](const channel& c) { return c.sounding; }));
}

} // namespace audio
