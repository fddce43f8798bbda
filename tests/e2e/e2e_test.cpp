// Runs the built interpreter on every case of the tables in this folder.
#include "harness.h"

#include <gtest/gtest.h>

namespace {

class script : public testing::TestWithParam<e2e_case> {};

TEST_P(script, runs_as_its_table_says) {
    check_case(GetParam(), CONSCRIPT_BIN);
}

INSTANTIATE_TEST_SUITE_P(cases, script, testing::ValuesIn(load_tables(CASES_DIR)),
                         [](const auto& info) { return info.param.name; });

} // namespace
