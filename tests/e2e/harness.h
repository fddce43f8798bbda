// End-to-end harness: reads tables of cases (scripts, standard input, the exact output
// and exit status they must give) and runs the real binary on each in a fresh folder.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// A file the case writes into its folder before the run, or expects there after it.
struct case_file {
    std::string path;
    std::string bytes;
};

// One case of a table. A case file holds any number of them:
//
//   === name: what the case shows
//   --- file main.cs          a script (the first file is the script the binary runs)
//   --- stdin                 the bytes standard input gives (default: none)
//   --- stdout                the exact bytes standard output must hold (default: none)
//   --- status 1              the exit status (default 0)
//   --- args a b              the arguments instead of the first file's path
//   --- env NAME=VALUE        an environment variable for the run
//   --- expect-file log.txt   a file the run must leave with exactly these bytes
//
// Cases are separated by one blank line, which belongs to neither. A section's lines each end with
// a line feed; `noeol` after the section header drops the last one. In section text, \xHH is the
// byte HH, \\ a backslash, \(N)c the character c N times and \(N:TEXT) the text TEXT N
// times.
struct e2e_case {
    std::string name;   // a C identifier, unique in its table
    std::string what;   // what the case shows
    std::string origin; // table file and line, for failure messages
    std::vector<case_file> files;
    std::vector<case_file> expect_files;
    std::vector<std::string> args;
    std::vector<std::string> env;
    std::string input;
    std::string output;
    int status = 0;
};

// What a run gave.
struct e2e_result {
    std::string output; // standard output
    std::string errors; // standard error
    int status = -1;    // exit status, or 128 + signal
    bool timed_out = false;
    std::vector<case_file> found_files; // the expect-file paths as the run left them
};

// Reads every case of the table at `path`; a malformed table throws.
std::vector<e2e_case> load_cases(const std::string& path);

// Reads every case of every *.cases table in the folder `dir`, in file name order, each
// case named table_case.
std::vector<e2e_case> load_tables(const std::string& dir);

// Runs `binary` for case `c` in a fresh temporary folder (removed afterwards), with
// `extra_env` added to the environment. A run that lasts longer than `timeout_s` is killed.
e2e_result run_case(const e2e_case& c, const std::string& binary,
                    const std::vector<std::string>& extra_env = {}, int timeout_s = 60);

// Runs the case and checks its output, status and expected files with GoogleTest.
void check_case(const e2e_case& c, const std::string& binary,
                const std::vector<std::string>& extra_env = {});

// Shows bytes readably in failure messages (control bytes escaped).
std::string visible(const std::string& bytes);

// Names a case by its place in its table when GoogleTest prints it.
void PrintTo(const e2e_case& c, std::ostream* os);
