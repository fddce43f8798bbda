// The real binary with the real sound library. With SDL's disk driver, which writes what
// the device plays to a file, a script starts the sound system, loads a generated module,
// plays it until a key comes and stops it: the recording must hold the music, and end in
// silence once the stop has reached the library. Without a device the start stops the
// process.
#include "fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// What a run of the binary gave.
struct outcome {
    int status = -1; // exit status, -1 when a signal ended the run
    std::string out; // standard output
    std::string err; // standard error
};

// Runs the binary on `script` in `dir` with SDL's audio driver `driver` (disk: recording to
// out.raw), and types one Enter after each of `pauses`, then closes standard input.
outcome run_with_keys(const fixtures::temp_dir& dir, const char* script, const char* driver,
                      const std::vector<std::chrono::milliseconds>& pauses) {
    int keys[2];
    if (pipe(keys) != 0) return {};
    std::string out = dir.path("run.out"), err = dir.path("run.err");
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.path("").c_str()) != 0) _exit(127);
        dup2(keys[0], 0);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        close(keys[1]);
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILE", "out.raw", 1);
        execl(CONSCRIPT_BIN, CONSCRIPT_BIN, script, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(keys[0]);
    std::signal(SIGPIPE, SIG_IGN);
    for (auto pause : pauses) {
        std::this_thread::sleep_for(pause);
        if (write(keys[1], "\n", 1) != 1) break;
    }
    close(keys[1]);
    // A run that never ends is ended by the test's time limit.
    int status = 0;
    waitpid(pid, &status, 0);
    outcome r;
    if (WIFEXITED(status)) r.status = WEXITSTATUS(status);
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
}

// The recording as float samples (the device plays 32-bit float stereo).
std::vector<float> samples_of(const std::string& bytes) {
    std::vector<float> v(bytes.size() / sizeof(float));
    std::memcpy(v.data(), bytes.data(), v.size() * sizeof(float));
    return v;
}

float peak(const float* begin, const float* end) {
    float p = 0;
    for (const float* x = begin; x != end; ++x) p = std::max(p, std::fabs(*x));
    return p;
}

TEST(playback, a_script_plays_a_module_until_a_key_and_stops_it) {
    fixtures::temp_dir dir;
    dir.write("tune.mod", fixtures::mod_bytes({{0, 0, 428}, {16, 1, 381}, {32, 2, 339}}));
    std::string script = "SOUND_ACTIVE\n"
                         "sfile tune mod\n"
                         "sfile_set tune tune.mod\n"
                         "sfile_play tune\n"
                         "keypress\n"
                         "sfile_stop tune\n"
                         "keypress\n"
                         "~PROG\n";
    dir.write("play.cs", std::vector<std::uint8_t>(script.begin(), script.end()));

    using std::chrono::milliseconds;
    outcome r = run_with_keys(dir, "play.cs", "disk", {milliseconds(800), milliseconds(600)});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "\n\n\n\n"); // each key read echoes the line feed and ends its line
    EXPECT_EQ(r.err, "");

    std::vector<float> rec = samples_of(slurp(dir.path("out.raw")));
    const std::size_t tail = 2 * 4410; // the last 0.1 s, stereo
    ASSERT_GT(rec.size(), 2 * 44100 / 2) << "the device recorded less than 0.5 s";
    EXPECT_GT(peak(rec.data(), rec.data() + rec.size() - tail), 0.05f) << "no music recorded";
    EXPECT_EQ(peak(rec.data() + rec.size() - tail, rec.data() + rec.size()), 0.0f)
        << "the music went on after sfile_stop";
}

TEST(playback, without_a_device_the_start_stops_the_process) {
    fixtures::temp_dir dir;
    std::string script = "SOUND_ACTIVE\nprint never\n~PROG\n";
    dir.write("start.cs", std::vector<std::uint8_t>(script.begin(), script.end()));
    outcome r = run_with_keys(dir, "start.cs", "no-such-driver", {});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "\aFmod did not init. Bailing out.\n\n");
}

} // namespace
