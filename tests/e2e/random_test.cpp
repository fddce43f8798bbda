// Scripts of random words and bytes, with random standard input: every run ends, with the
// status of a normal end or of a fatal stop, and nothing on standard error.
#include "harness.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Words that steer a run somewhere: keywords, arguments, file names and odd bytes.
const std::string vocabulary[] = {
    "var",          "sfile",   "sfile_set", "sfile_play", "sfile_stop", "SOUND_ACTIVE",
    "set",          "vprint",  "keypress",  "endl",       "print",      "input",
    "vcmp",         ";;",      "func",      "~PROG",      "a",          "b",
    "string",       "num",     "mod",       "sample",     "==",         "!=",
    "b.cs",         "main.cs", "missing",   "\r",         "\x1a",       std::string("\0", 1),
    "\xef\xbb\xbf", "-12",     "007",       "\t",
};

std::string random_script(std::mt19937& rng) {
    std::string s;
    int words = std::uniform_int_distribution<int>(0, 60)(rng);
    for (int i = 0; i < words; ++i) {
        int pick = std::uniform_int_distribution<int>(0, 19)(rng);
        if (pick == 0) {
            s.append(std::uniform_int_distribution<std::size_t>(1, 300)(rng), 'x'); // long token
        } else if (pick == 1) {
            s += static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
        } else {
            constexpr std::size_t n = sizeof vocabulary / sizeof vocabulary[0];
            s += vocabulary[std::uniform_int_distribution<std::size_t>(0, n - 1)(rng)];
        }
        s += std::uniform_int_distribution<int>(0, 3)(rng) == 0 ? "\n" : " ";
    }
    if (std::uniform_int_distribution<int>(0, 1)(rng)) s += "~PROG\n";
    return s;
}

TEST(random_scripts, every_run_ends_cleanly) {
    std::mt19937 rng(20261211);
    for (int round = 0; round < 400; ++round) {
        e2e_case c;
        c.files = {{"main.cs", random_script(rng)}, {"b.cs", random_script(rng)}};
        c.input = random_script(rng);
        SCOPED_TRACE("round " + std::to_string(round) + ", main.cs:\n" + visible(c.files[0].bytes) +
                     "\nb.cs:\n" + visible(c.files[1].bytes));
        e2e_result r = run_case(c, CONSCRIPT_BIN, {"SDL_AUDIODRIVER=dummy"}, 20);
        ASSERT_FALSE(r.timed_out);
        EXPECT_TRUE(r.status == 0 || r.status == 1) << "status " << r.status;
        EXPECT_EQ(r.errors, "");
    }
}

} // namespace
