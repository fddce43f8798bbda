// The eight operations of the shared library as the interpreter calls them: before the
// sound system starts, with null handles, and with SDL's headless drivers (dummy: silent
// with real timing; disk: records the output). Each start runs in a child process, since a
// process starts its sound system once.
#include "fixtures.h"
#include "fmod/fmod.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// What a child process left behind.
struct outcome {
    int status = -1; // exit status, -1 when it did not exit by itself in time
    std::string out; // its standard output
    std::string err; // its standard error
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs `body` in a child process with the environment variables `env` set; the child ends
// with std::exit of what `body` returns, as the interpreter does, so exit handlers run
// while sound may still be playing. A child that has not ended after 20 s is killed.
outcome run_child(const fixtures::temp_dir& dir,
                  const std::vector<std::pair<const char*, std::string>>& env,
                  const std::function<int()>& body) {
    std::string out = dir.path("child.out"), err = dir.path("child.err");
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(o, 1);
        dup2(e, 2);
        for (const auto& [name, value] : env) setenv(name, value.c_str(), 1);
        std::exit(body());
    }
    outcome r;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return r;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (WIFEXITED(status)) r.status = WEXITSTATUS(status);
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
}

// The fixture files every test here uses.
class api_test : public ::testing::Test {
  protected:
    fixtures::temp_dir dir;
    std::string mod = dir.write("a.mod", fixtures::mod_bytes({{0, 0, 428}, {8, 1, 285}}));
    // 0.2 s of a constant level, so the recording can be searched for it exactly.
    std::string wav =
        dir.write("a.wav", fixtures::wav_bytes(44100, 1, 32, std::vector<float>(8820, 0.25f)));
};

} // namespace

TEST_F(api_test, before_the_start_loads_work_and_plays_and_stops_answer_failure) {
    FMUSIC_MODULE* m = FMUSIC_LoadSong(mod.c_str());
    FSOUND_SAMPLE* s = FSOUND_Sample_Load(FSOUND_PICK_FREE, wav.c_str(), FSOUND_PLAY_ONCE, 0);
    ASSERT_NE(m, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(FMUSIC_SetPanSeperation(m, 0.0f), 1);
    EXPECT_EQ(FMUSIC_PlaySong(m), 0);
    EXPECT_EQ(FMUSIC_StopSong(m), 0);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_PICK_FREE, s), -1);
    EXPECT_EQ(FSOUND_StopSound(FSOUND_EVERY_CHANNEL), 0);
    // A second load of the same file is a handle of its own.
    EXPECT_NE(FSOUND_Sample_Load(FSOUND_PICK_FREE, wav.c_str(), FSOUND_PLAY_ONCE, 0), s);
}

TEST_F(api_test, failed_loads_give_null_and_null_handles_answer_failure) {
    EXPECT_EQ(FMUSIC_LoadSong(dir.path("missing.mod").c_str()), nullptr);
    EXPECT_EQ(FMUSIC_LoadSong(wav.c_str() + wav.size()), nullptr); // empty name
    EXPECT_EQ(FMUSIC_LoadSong(nullptr), nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_PICK_FREE, mod.c_str(), FSOUND_PLAY_ONCE, 0), nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_PICK_FREE, nullptr, FSOUND_PLAY_ONCE, 0), nullptr);
    EXPECT_EQ(FMUSIC_SetPanSeperation(nullptr, 0.0f), 0);
    EXPECT_EQ(FMUSIC_PlaySong(nullptr), 0);
    EXPECT_EQ(FMUSIC_StopSong(nullptr), 0);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_PICK_FREE, nullptr), -1);
}

TEST_F(api_test, dummy_driver_starts_and_plays_and_exit_while_playing_is_clean) {
    outcome r = run_child(dir, {{"SDL_AUDIODRIVER", "dummy"}}, [&] {
        if (FSOUND_Init(44100, 32, 0) != 1 || FSOUND_Init(44100, 32, 0) != 1) return 10;
        FMUSIC_MODULE* m = FMUSIC_LoadSong(mod.c_str());
        FSOUND_SAMPLE* s = FSOUND_Sample_Load(FSOUND_PICK_FREE, wav.c_str(), FSOUND_PLAY_ONCE, 0);
        FMUSIC_SetPanSeperation(m, 0.0f);
        if (FMUSIC_PlaySong(m) != 1 || FSOUND_PlaySound(FSOUND_PICK_FREE, s) != 0) return 11;
        if (FSOUND_PlaySound(FSOUND_PICK_FREE, s) != 1) return 12;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (FSOUND_StopSound(FSOUND_EVERY_CHANNEL) != 1 || FMUSIC_StopSong(nullptr) != 0) return 13;
        if (FMUSIC_PlaySong(m) != 1 || FSOUND_PlaySound(FSOUND_PICK_FREE, s) < 0) return 14;
        return 0; // exits with the module and the sample still sounding
    });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
}

TEST_F(api_test, start_without_a_device_answers_zero_with_one_line_why) {
    struct case_ {
        const char* what;
        std::vector<std::pair<const char*, std::string>> env;
    };
    const case_ cases[] = {
        {"a driver SDL does not have", {{"SDL_AUDIODRIVER", "no-such-driver"}}},
        {"ALSA with a device it does not know, which libasound would report on stderr",
         {{"SDL_AUDIODRIVER", "alsa"}, {"AUDIODEV", "no_such_pcm"}}},
    };
    for (const case_& c : cases) {
        SCOPED_TRACE(c.what);
        outcome r = run_child(dir, c.env, [&] {
            FSOUND_SAMPLE* s =
                FSOUND_Sample_Load(FSOUND_PICK_FREE, wav.c_str(), FSOUND_PLAY_ONCE, 0);
            if (FSOUND_Init(44100, 32, 0) != 0) return 10;
            return FSOUND_PlaySound(FSOUND_PICK_FREE, s) == -1 ? 0 : 11;
        });
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("conscript: sound did not start: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST_F(api_test, disk_driver_records_a_played_sample) {
    std::string recording = dir.path("out.raw");
    outcome r =
        run_child(dir, {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", recording}}, [&] {
            FSOUND_SAMPLE* s =
                FSOUND_Sample_Load(FSOUND_PICK_FREE, wav.c_str(), FSOUND_PLAY_ONCE, 0);
            if (FSOUND_Init(44100, 32, 0) != 1) return 10;
            if (FSOUND_PlaySound(FSOUND_PICK_FREE, s) != 0) return 11;
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            return 0;
        });
    ASSERT_EQ(r.status, 0) << r.err;
    // The device takes float stereo unchanged: the sample's 8820 frames of 0.25 appear on
    // both sides, in one run.
    std::string raw = slurp(recording);
    std::vector<float> rec(raw.size() / sizeof(float));
    std::memcpy(rec.data(), raw.data(), rec.size() * sizeof(float));
    std::size_t run = 0, longest = 0;
    for (float v : rec) {
        run = v == 0.25f ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    EXPECT_EQ(longest, 2u * 8820) << "recorded " << rec.size() / 2 << " frames";
}
