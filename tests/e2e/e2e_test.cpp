// Runs the built interpreter on every case of the tables in this folder.
#include "harness.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// Every case of every *.cases table, named table_case.
std::vector<e2e_case> all_cases() {
    std::vector<e2e_case> cases;
    std::vector<std::filesystem::path> tables;
    for (const auto& entry : std::filesystem::directory_iterator(CASES_DIR)) {
        if (entry.path().extension() == ".cases") tables.push_back(entry.path());
    }
    std::sort(tables.begin(), tables.end());
    for (const auto& table : tables) {
        for (e2e_case c : load_cases(table.string())) {
            c.name = table.stem().string() + "_" + c.name;
            cases.push_back(c);
        }
    }
    return cases;
}

class script : public testing::TestWithParam<e2e_case> {};

TEST_P(script, runs_as_its_table_says) {
    check_case(GetParam(), CONSCRIPT_BIN);
}

INSTANTIATE_TEST_SUITE_P(cases, script, testing::ValuesIn(all_cases()),
                         [](const auto& info) { return info.param.name; });

} // namespace
