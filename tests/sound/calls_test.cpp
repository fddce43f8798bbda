// Runs the built interpreter on every case of the tables in this folder with the recording
// sound library in place of the real one, so each case checks the exact calls the sound
// commands make (the log calls.log) beside standard output and the exit status.
#include "harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// The recorder is loaded ahead of the real library, so its eight symbols are the ones the
// interpreter calls. A sanitizer build of the interpreter must be told that its runtime
// need not come first in the list of loaded libraries.
std::vector<std::string> recorder_env() {
    std::string asan = "verify_asan_link_order=0";
    if (const char* given = std::getenv("ASAN_OPTIONS")) asan = std::string(given) + ":" + asan;
    setenv("ASAN_OPTIONS", asan.c_str(), 1);
    return {"LD_PRELOAD=" RECORDER_LIB, "CONSCRIPT_REC_LOG=calls.log"};
}

class script : public testing::TestWithParam<e2e_case> {};

TEST_P(script, makes_the_calls_its_table_says) {
    static const std::vector<std::string> env = recorder_env();
    check_case(GetParam(), CONSCRIPT_BIN, env);
}

INSTANTIATE_TEST_SUITE_P(cases, script, testing::ValuesIn(load_tables(CASES_DIR)),
                         [](const auto& info) { return info.param.name; });

} // namespace
