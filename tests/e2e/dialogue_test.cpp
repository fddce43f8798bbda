// A dialogue over pipes: each answer is typed only once the prompt before it has arrived on
// standard output. Output held back in a buffer while the interpreter waits for input would
// stall the dialogue, so this shows that everything written is out before every read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// One turn: wait until standard output ends with `prompt`, then type `answer`.
struct turn {
    std::string prompt;
    std::string answer;
};

TEST(dialogue, every_prompt_is_out_before_the_program_waits) {
    char dir[] = "/tmp/conscript-dialogue-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    std::string script = std::string(dir) + "/main.cs";
    std::ofstream(script) << "var n string\nprint Name?\ninput n\nprint Hello,\nvprint n\nendl\n"
                             "print Key?\nkeypress\nprint bye\nendl\nfunc missing.cs\n"
                             "~PROG\n";
    const turn turns[] = {
        {" Name?", "Ann\n"},
        {" Hello,Ann\n Key?", "k"},
        {"k\n bye\nFile \"missing.cs\" could not open!\n", "x"},
    };

    int in[2], out[2];
    ASSERT_EQ(::pipe(in), 0);
    ASSERT_EQ(::pipe(out), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::close(in[1]);
        ::close(out[0]);
        ::execl(CONSCRIPT_BIN, CONSCRIPT_BIN, script.c_str(), static_cast<char*>(nullptr));
        ::_exit(126);
    }
    ::close(in[0]);
    ::close(out[1]);

    std::string seen;
    // Reads what has arrived; false when nothing came within ten seconds or output ended.
    auto read_some = [&] {
        pollfd p{out[0], POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) return false;
        char buf[256];
        ssize_t n = ::read(out[0], buf, sizeof buf);
        if (n <= 0) return false;
        seen.append(buf, static_cast<std::size_t>(n));
        return true;
    };
    for (const turn& t : turns) {
        while (seen.size() < t.prompt.size() ||
               seen.compare(seen.size() - t.prompt.size(), t.prompt.size(), t.prompt) != 0) {
            ASSERT_TRUE(read_some())
                << "waiting for \"" << t.prompt << "\", seen \"" << seen << "\"";
        }
        ASSERT_EQ(::write(in[1], t.answer.data(), t.answer.size()),
                  static_cast<ssize_t>(t.answer.size()));
    }
    ::close(in[1]);
    while (read_some()) {
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(out[0]);
    std::system(("rm -rf " + std::string(dir)).c_str());

    EXPECT_EQ(seen, " Name? Hello,Ann\n Key?k\n bye\nFile \"missing.cs\" could not open!\nx\n");
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

} // namespace
