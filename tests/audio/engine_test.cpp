// The engine rendered offline: modules and samples reach the mix as they should, channels
// are taken and stopped as the sound commands expect, and bad input does no harm.
#include "audio/engine.h"
#include "audio/format.h"
#include "fixtures.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace audio;
using fixtures::note;

namespace {

constexpr std::size_t second = engine_rate;

// `frames` frames of the engine's output.
std::vector<float> render(engine& e, std::size_t frames) {
    std::vector<float> out(2 * frames, 1234.0f); // render must overwrite, not add
    e.render(out.data(), frames);
    return out;
}

// Root mean square of one side (0 left, 1 right) of interleaved stereo.
double rms(const std::vector<float>& s, int side) {
    double sum = 0;
    for (std::size_t i = static_cast<std::size_t>(side); i < s.size(); i += 2) sum += s[i] * s[i];
    return std::sqrt(sum / static_cast<double>(s.size() / 2));
}

double rms(const std::vector<float>& s) {
    return (rms(s, 0) + rms(s, 1)) / 2;
}

// A test's engine with its fixture files.
class engine_test : public ::testing::Test {
  protected:
    handle load_mod(const std::vector<note>& notes, const char* name = "a.mod") {
        return e.add_module(module_load(dir.write(name, fixtures::mod_bytes(notes)).c_str()));
    }
    std::shared_ptr<const sample> decode_wav(const std::vector<std::uint8_t>& bytes,
                                             const char* name = "a.wav") {
        open_file f(dir.write(name, bytes).c_str());
        return sample_decode(f);
    }
    // A sample of `frames` frames of a 441 Hz sine at half scale, stereo at the engine's rate.
    handle load_tone(int frames, const char* name = "tone.wav") {
        return e.add_sample(
            decode_wav(fixtures::wav_bytes(engine_rate, 2, 16,
                                           fixtures::sine(engine_rate, 2, 441, 0.5, frames)),
                       name));
    }

    fixtures::temp_dir dir;
    engine e;
};

} // namespace

// Modules ------------------------------------------------------------------------------

TEST_F(engine_test, silent_until_something_plays) {
    load_mod({{0, 0, 428}});
    load_tone(1000);
    EXPECT_EQ(rms(render(e, 4096)), 0.0);
}

TEST_F(engine_test, module_sounds_and_loops_past_its_end) {
    handle m = load_mod({{0, 0, 428}});
    ASSERT_NE(m, 0u);
    ASSERT_TRUE(e.play_module(m));
    auto first = render(e, second);
    EXPECT_GT(rms(first), 0.01);
    // The song lasts about 1.3 s; a module that stopped at its end would be silent here.
    render(e, 2 * second);
    EXPECT_GT(rms(render(e, second / 2)), 0.01);
}

TEST_F(engine_test, separation_zero_gives_identical_sides) {
    handle m = load_mod({{0, 0, 428}}); // channel 0 sounds on the left only
    ASSERT_TRUE(e.play_module(m));
    auto full = render(e, 8192);
    EXPECT_GT(rms(full, 0), 2 * rms(full, 1));

    ASSERT_TRUE(e.set_separation(m, 0.0f));
    ASSERT_TRUE(e.play_module(m));
    auto mono = render(e, 8192);
    EXPECT_GT(rms(mono), 0.01);
    for (std::size_t i = 0; i < mono.size(); i += 2) ASSERT_EQ(mono[i], mono[i + 1]) << i;
    EXPECT_FALSE(e.set_separation(m, NAN));
}

TEST_F(engine_test, stop_silences_and_play_restarts_from_the_start) {
    handle m = load_mod({{0, 0, 428}, {16, 1, 214}, {32, 2, 320}});
    ASSERT_TRUE(e.play_module(m));
    auto start = render(e, 4096);
    render(e, second / 2);
    ASSERT_TRUE(e.stop_module(m));
    EXPECT_EQ(rms(render(e, 4096)), 0.0);
    EXPECT_EQ(e.modules_playing(), 0);

    ASSERT_TRUE(e.play_module(m));
    EXPECT_EQ(render(e, 4096), start);
    render(e, second / 2);
    ASSERT_TRUE(e.play_module(m)); // a play while playing restarts too
    EXPECT_EQ(render(e, 4096), start);
}

TEST_F(engine_test, two_modules_mix_as_their_sum) {
    auto a_notes = std::vector<note>{{0, 0, 428}};
    auto b_notes = std::vector<note>{{0, 1, 285}, {20, 2, 190}};
    handle a = load_mod(a_notes, "a.mod");
    ASSERT_TRUE(e.play_module(a));
    auto alone_a = render(e, 8192);
    ASSERT_TRUE(e.stop_module(a));
    handle b = load_mod(b_notes, "b.mod");
    ASSERT_TRUE(e.play_module(b));
    auto alone_b = render(e, 8192);

    ASSERT_TRUE(e.play_module(a));
    ASSERT_TRUE(e.play_module(b));
    EXPECT_EQ(e.modules_playing(), 2);
    auto both = render(e, 8192);
    for (std::size_t i = 0; i < both.size(); ++i)
        ASSERT_NEAR(both[i], alone_a[i] + alone_b[i], 1e-6) << i;
}

// Samples ------------------------------------------------------------------------------

TEST_F(engine_test, sample_plays_its_data_once) {
    auto tone = fixtures::sine(engine_rate, 2, 441, 0.5, 3000);
    handle s = e.add_sample(decode_wav(fixtures::wav_bytes(engine_rate, 2, 16, tone)));
    ASSERT_NE(s, 0u);
    EXPECT_EQ(e.play_sample(any_channel, s), 0);
    auto out = render(e, 4000);
    for (std::size_t i = 0; i < tone.size(); ++i) ASSERT_NEAR(out[i], tone[i], 1.0 / 32767) << i;
    for (std::size_t i = tone.size(); i < out.size(); ++i) ASSERT_EQ(out[i], 0.0f) << i;
    EXPECT_EQ(e.channels_sounding(), 0);
}

TEST_F(engine_test, samples_convert_to_stereo_at_the_engine_rate) {
    struct case_ {
        const char* what;
        int rate, channels, bits;
    };
    for (const case_& c : {case_{"mono 8-bit at the engine rate", engine_rate, 1, 8},
                           case_{"mono at half the rate doubles in length", 22050, 1, 16},
                           case_{"four channels keep the first two", 48000, 4, 16},
                           case_{"float at 32 kHz", 32000, 2, 32}}) {
        SCOPED_TRACE(c.what);
        int frames = c.rate / 10; // 0.1 s
        auto data = decode_wav(fixtures::wav_bytes(
            c.rate, c.channels, c.bits, fixtures::sine(c.rate, c.channels, 441, 0.5, frames)));
        ASSERT_TRUE(data);
        EXPECT_NEAR(static_cast<double>(data->length()), engine_rate / 10, 20);
        // The tone keeps its pitch and level: 441 Hz crosses zero upward 44 times in 0.1 s.
        int ups = 0;
        for (std::size_t i = 2; i < data->frames.size(); i += 2)
            ups += data->frames[i - 2] < 0 && data->frames[i] >= 0;
        EXPECT_NEAR(ups, 44, 1);
        EXPECT_NEAR(rms(data->frames), 0.5 / std::sqrt(2.0), 0.02);
        if (c.channels == 1) {
            for (std::size_t i = 0; i < data->frames.size(); i += 2)
                ASSERT_EQ(data->frames[i], data->frames[i + 1]);
        }
    }
}

TEST_F(engine_test, damaged_float_values_decode_as_silence) {
    auto data = decode_wav(fixtures::wav_bytes(engine_rate, 1, 32, {0.25f, NAN, INFINITY, -0.25f}));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->frames, (std::vector<float>{0.25f, 0.25f, 0, 0, 0, 0, -0.25f, -0.25f}));
}

TEST_F(engine_test, channels_fill_then_the_oldest_is_taken) {
    handle s = load_tone(engine_rate); // 1 s, longer than anything rendered here
    for (int i = 0; i < channel_count; ++i) ASSERT_EQ(e.play_sample(any_channel, s), i);
    EXPECT_EQ(e.channels_sounding(), channel_count);
    // All 32 busy: the 33rd takes channel 0, whose sound started first, then channel 1.
    EXPECT_EQ(e.play_sample(any_channel, s), 0);
    EXPECT_EQ(e.play_sample(any_channel, s), 1);
    // A stopped channel is free and is taken before any busy one.
    ASSERT_TRUE(e.stop_sample(7));
    EXPECT_EQ(e.play_sample(any_channel, s), 7);
    EXPECT_EQ(e.play_sample(any_channel, s), 2);
    // A named channel is taken as asked; a channel out of range is refused.
    EXPECT_EQ(e.play_sample(31, s), 31);
    EXPECT_EQ(e.play_sample(32, s), -1);
    EXPECT_EQ(e.play_sample(-2, s), -1);
    EXPECT_FALSE(e.stop_sample(32));
    EXPECT_FALSE(e.stop_sample(-1));
}

TEST_F(engine_test, stop_all_silences_samples_and_leaves_modules_playing) {
    handle m = load_mod({{0, 0, 428}});
    ASSERT_TRUE(e.play_module(m));
    auto module_alone = render(e, 4096);
    ASSERT_TRUE(e.play_module(m));
    handle a = load_tone(engine_rate, "a.wav");
    handle b = load_tone(engine_rate / 2, "b.wav");
    e.play_sample(any_channel, a);
    e.play_sample(any_channel, b);
    e.play_sample(any_channel, a);
    EXPECT_NE(render(e, 4096), module_alone);

    ASSERT_TRUE(e.play_module(m));
    ASSERT_TRUE(e.stop_sample(every_channel));
    EXPECT_EQ(e.channels_sounding(), 0);
    EXPECT_EQ(e.modules_playing(), 1);
    EXPECT_EQ(render(e, 4096), module_alone);
}

TEST_F(engine_test, mix_is_clamped) {
    handle s = e.add_sample(
        decode_wav(fixtures::wav_bytes(engine_rate, 1, 16, std::vector<float>(1000, 0.9f))));
    e.play_sample(any_channel, s);
    e.play_sample(any_channel, s);
    auto out = render(e, 1000);
    for (float v : out) ASSERT_EQ(v, 1.0f);
}

// Loads and handles ----------------------------------------------------------------------

TEST_F(engine_test, bad_files_give_no_module_and_no_sample) {
    auto mod = fixtures::mod_bytes({{0, 0, 428}});
    auto wav = fixtures::wav_bytes(engine_rate, 1, 16, std::vector<float>(1000, 0.5f));
    auto text = std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o', '\n'};
    std::vector<std::uint8_t> noise(4096);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<std::uint8_t>(i * 7919 >> 3);
    struct case_ {
        const char* what;
        std::string path;
        bool module, sample; // which loader to try
    };
    ASSERT_EQ(mkfifo(dir.path("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.path("dir"));
    const case_ cases[] = {
        {"missing file", dir.path("none"), true, true},
        {"a directory", dir.path("dir"), true, true},
        {"a named pipe with no writer, which must not hang", dir.path("fifo"), true, true},
        {"empty file", dir.write("empty", {}), true, true},
        {"text", dir.write("text", text), true, true},
        {"noise", dir.write("noise", noise), true, true},
        {"module cut inside its header", dir.write("cut.mod", {mod.begin(), mod.begin() + 600}),
         true, false},
        {"module as a sample", dir.write("m.mod", mod), false, true},
        {"sample cut inside its header", dir.write("cut.wav", {wav.begin(), wav.begin() + 30}),
         false, true},
        {"sample with no frames",
         dir.write("none.wav", fixtures::wav_bytes(engine_rate, 1, 16, {})), false, true},
    };
    for (const case_& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.module) {
            EXPECT_EQ(e.add_module(module_load(c.path.c_str())), 0u);
        }
        if (c.sample) {
            open_file f(c.path.c_str());
            EXPECT_EQ(e.add_sample(sample_decode(f)), 0u);
        }
    }
    EXPECT_EQ(e.add_module(module_load(nullptr)), 0u);

    // A sample cut inside its sound data plays what it holds: 478 of its 1000 frames.
    auto part = decode_wav({wav.begin(), wav.begin() + 1000}, "short.wav");
    ASSERT_TRUE(part);
    EXPECT_EQ(part->length(), 478u);
}

TEST_F(engine_test, files_beyond_the_caps_give_nothing) {
    // A module file one byte over the cap (sparse, so nothing is written).
    std::string big = dir.write("big.mod", fixtures::mod_bytes({{0, 0, 428}}));
    std::filesystem::resize_file(big, module_file_cap + 1);
    EXPECT_EQ(module_load(big.c_str()), nullptr);
    // A sample whose conversion to the engine's rate would exceed the decoded cap: 1000 Hz
    // grows 44.1 times, so 400000 frames of 8-bit mono (400 kB) would decode to 141 MB.
    auto low = fixtures::wav_bytes(1000, 1, 8, std::vector<float>(400000, 0.1f));
    EXPECT_EQ(decode_wav(low, "low.wav"), nullptr);
    auto ok = fixtures::wav_bytes(1000, 1, 8, std::vector<float>(1000, 0.1f));
    EXPECT_NE(decode_wav(ok, "ok.wav"), nullptr);
}

TEST_F(engine_test, null_and_stray_handles_do_nothing) {
    handle m = load_mod({{0, 0, 428}});
    handle s = load_tone(1000);
    for (handle h : {handle{0}, handle{1}, m + 1, s, ~handle{0}}) {
        EXPECT_FALSE(e.set_separation(h, 0.5f));
        EXPECT_FALSE(e.play_module(h));
        EXPECT_FALSE(e.stop_module(h));
    }
    for (handle h : {handle{0}, handle{1}, s + 1, m, ~handle{0}})
        EXPECT_EQ(e.play_sample(any_channel, h), -1);
    EXPECT_EQ(e.add_module(nullptr), 0u);
    EXPECT_EQ(e.add_sample(nullptr), 0u);
    EXPECT_EQ(rms(render(e, 1024)), 0.0);
}

TEST_F(engine_test, reloading_a_sample_shares_its_data_and_stays_bounded) {
    std::string path =
        dir.write("a.wav", fixtures::wav_bytes(engine_rate, 1, 16, std::vector<float>(500, 0.5f)));
    auto load = [&] {
        open_file f(path.c_str());
        auto data = e.find_sample(f.identity());
        if (!data) data = sample_decode(f);
        return std::pair{e.add_sample(data), data.get()};
    };
    auto [first, first_data] = load();
    auto [again, again_data] = load();
    EXPECT_NE(first, again);
    EXPECT_EQ(first_data, again_data);
    EXPECT_EQ(e.play_sample(any_channel, first), 0);

    // A changed file is decoded anew.
    dir.write("a.wav", fixtures::wav_bytes(engine_rate, 1, 16, std::vector<float>(600, 0.5f)));
    auto [changed, changed_data] = load();
    EXPECT_NE(changed_data, first_data);
    EXPECT_EQ(changed_data->length(), 600u);

    // A script that reloads on every pass: the table stays at its size, the loads of long
    // ago are let go (their handles do nothing) and the newest plays.
    handle last = 0;
    for (std::size_t i = 0; i < sample_capacity + 10; ++i) last = load().first;
    EXPECT_EQ(e.play_sample(any_channel, first), -1);
    EXPECT_GE(e.play_sample(any_channel, last), 0);
}

TEST_F(engine_test, reloading_a_module_stays_bounded) {
    std::string path = dir.write("a.mod", fixtures::mod_bytes({{0, 0, 428}}));
    handle first = e.add_module(module_load(path.c_str()));
    ASSERT_TRUE(e.play_module(first));
    handle idle = e.add_module(module_load(path.c_str()));
    // The table is full after module_capacity loads; a further load lets go of the module
    // loaded longest ago that does not play, so the playing one stays.
    handle last = 0;
    for (std::size_t i = 0; i < module_capacity; ++i)
        last = e.add_module(module_load(path.c_str()));
    EXPECT_FALSE(e.play_module(idle));
    EXPECT_TRUE(e.stop_module(first));
    EXPECT_TRUE(e.play_module(last));
    EXPECT_EQ(e.modules_playing(), 1);
}
