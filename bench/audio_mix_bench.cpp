// Renders 60 s of 4 modules and 32 sample channels through the engine, as the device does
// (blocks of 1024 frames), beside libopenmpt rendering the same 4 modules alone, and prints
// the real-time factor of each and their ratio: the cost of the engine's mixing.
#include "audio/device.h"
#include "audio/engine.h"
#include "audio/format.h"
#include "fixtures.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <vector>

namespace {

constexpr int seconds = 60;
constexpr std::size_t frames = static_cast<std::size_t>(seconds) * audio::engine_rate;
constexpr int module_count = 4;

// Module `k`: notes on all four channels every few rows, a different tune for each k.
std::vector<std::uint8_t> busy_mod(int k) {
    static const int periods[] = {856, 762, 678, 640, 570, 508, 453, 428, 381, 339, 320, 285};
    std::vector<fixtures::note> notes;
    for (int row = 0; row < 64; row += 2)
        for (int ch = 0; ch < 4; ++ch) notes.push_back({row, ch, periods[(row + 3 * ch + k) % 12]});
    return fixtures::mod_bytes(notes, 40);
}

// The fixture files of the benchmark, written once.
struct files {
    fixtures::temp_dir dir;
    std::vector<std::string> mods;
    std::string wav;
    files() {
        for (int k = 0; k < module_count; ++k)
            mods.push_back(dir.write("m" + std::to_string(k) + ".mod", busy_mod(k)));
        // 61 s of a quiet mono tone at 22050 Hz, so the engine's copy went through conversion.
        wav = dir.write(
            "s.wav",
            fixtures::wav_bytes(22050, 1, 16, fixtures::sine(22050, 1, 300, 0.02, 22050 * 61)));
    }
};

files& the_files() {
    static files f;
    return f;
}

void openmpt_alone(benchmark::State& state) {
    std::vector<std::unique_ptr<audio::module>> mods;
    for (const auto& path : the_files().mods) mods.push_back(audio::module_load(path.c_str()));
    std::vector<float> block(2 * audio::device_frames);
    for (auto _ : state) {
        for (auto& m : mods) m->restart();
        for (std::size_t done = 0; done < frames; done += audio::device_frames)
            for (auto& m : mods) {
                m->render(block.data(), audio::device_frames);
                benchmark::DoNotOptimize(block.data());
            }
    }
    state.counters["realtime_factor"] = benchmark::Counter(
        seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void engine_mix(benchmark::State& state) {
    audio::engine e;
    std::vector<audio::handle> mods;
    for (const auto& path : the_files().mods)
        mods.push_back(e.add_module(audio::module_load(path.c_str())));
    audio::open_file wav(the_files().wav.c_str());
    audio::handle s = e.add_sample(audio::sample_decode(wav));
    std::vector<float> block(2 * audio::device_frames);
    for (auto _ : state) {
        for (audio::handle m : mods) e.play_module(m);
        for (int c = 0; c < audio::channel_count; ++c) e.play_sample(audio::any_channel, s);
        for (std::size_t done = 0; done < frames; done += audio::device_frames) {
            e.render(block.data(), audio::device_frames);
            benchmark::DoNotOptimize(block.data());
        }
        state.PauseTiming();
        if (e.channels_sounding() != audio::channel_count || e.modules_playing() != module_count)
            state.SkipWithError("something stopped sounding before 60 s");
        state.ResumeTiming();
    }
    state.counters["realtime_factor"] = benchmark::Counter(
        seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Keeps each run's real-time factor for the summary line.
class summary : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> factor;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            auto it = r.counters.find("realtime_factor");
            if (it != r.counters.end() && r.run_type == Run::RT_Iteration)
                factor[r.benchmark_name()] = it->second.value;
        }
    }
};

} // namespace

BENCHMARK(openmpt_alone)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(engine_mix)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    summary s;
    benchmark::RunSpecifiedBenchmarks(&s);
    auto alone = s.factor.find("openmpt_alone/iterations:3/real_time");
    auto mixed = s.factor.find("engine_mix/iterations:3/real_time");
    if (alone != s.factor.end() && mixed != s.factor.end()) {
        std::printf("\n%d s of %d modules: libopenmpt alone %.0fx real time; engine with 32 sample "
                    "channels %.0fx real time; mixing overhead %.3f (goal <= 1.10)\n",
                    seconds, module_count, alone->second, mixed->second,
                    alone->second / mixed->second);
    }
    benchmark::Shutdown();
    return 0;
}
