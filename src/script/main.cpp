// conscript: runs a script of the console script language.
#include "console/console.h"
#include "script/run.h"

#include <cstdio>
#include <cstring>

namespace {

const char usage[] = "usage: conscript SCRIPT\n"
                     "Runs the script file SCRIPT: its commands print text, read keys and\n"
                     "lines, keep variables and play music and samples, until ~PROG.\n"
                     "  -h, --help   show this help\n"
                     "  --version    show the version\n";

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(usage, stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0) {
        out_text(usage);
        end_process(0);
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        out_text("conscript " CONSCRIPT_VERSION "\n");
        end_process(0);
    }
    set_vars();
    parse(argv[1]);
    end_process(0);
}
