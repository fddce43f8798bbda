// The script stream's two reads on tables of byte inputs.
#include "script/stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// One read and what it must give: 'w' a word, 'l' a line text, 'n' a name.
struct step {
    char read;
    std::string token;
    bool failed; // the stream's state after the read
};

struct reads_case {
    const char* what;
    std::string bytes;
    std::vector<step> steps;
};

// Writes `bytes` to a fresh file and opens it as a script stream.
class stream_file {
  public:
    explicit stream_file(const std::string& bytes) {
        char path[] = "/tmp/conscript-stream-XXXXXX";
        int fd = ::mkstemp(path);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        ::close(fd);
        path_ = path;
        EXPECT_TRUE(stream_open(s, path));
    }
    ~stream_file() {
        stream_close(s);
        ::unlink(path_.c_str());
    }
    script_stream s;

  private:
    std::string path_;
};

const std::string line99(99, 'x');

const reads_case cases[] = {
    {"empty file: the first word is empty and the stream fails", "", {{'w', "", true}}},
    {"whitespace only", " \t\n\v\f\r\n", {{'w', "", true}}},
    {"words across lines; the ending blank stays for the line text",
     "var\n\n  x\tstring rest\n",
     {{'w', "var", false},
      {'w', "x", false},
      {'w', "string", false},
      {'l', " rest", false},
      {'w', "", true}}},
    {"a word ended by the end of the file is still read",
     "~PROG",
     {{'w', "~PROG", true}, {'w', "", true}}},
    {"line text right after a word at its line end is empty",
     "print\nendl\n",
     {{'w', "print", false}, {'l', "", false}, {'w', "endl", false}}},
    {"line text keeps a tab and inner blanks",
     "print\t a  b \n",
     {{'w', "print", false}, {'l', "\t a  b ", false}}},
    {"CR LF reads as LF, a lone CR separates words and stays in line text",
     "a\r\nb\rc\r\nprint x\ry\r\n",
     {{'w', "a", false},
      {'w', "b", false},
      {'w', "c", false},
      {'w', "print", false},
      {'l', " x\ry", false}}},
    {"CR at the very end is a character", "ab\r", {{'w', "ab", false}, {'l', "\r", true}}},
    {"0x1A ends the file", "one\x1atwo\n", {{'w', "one", true}, {'w', "", true}}},
    {"0x1A after CR ends the file after the CR",
     "x\r\x1ay",
     {{'w', "x", false}, {'l', "\r", true}}},
    {"a zero byte is consumed with its token",
     std::string("ab\0cd ef", 8),
     {{'w', std::string("ab\0cd", 5), false}, {'w', "ef", true}}},
    {"bytes 0x80..0xFF and a byte-order mark are word characters",
     "\xef\xbb\xbfprint \xff\n",
     {{'w', "\xef\xbb\xbfprint", false}, {'w', "\xff", false}}},
    {"a line text of 99 characters and its line end is read whole",
     line99 + "\nnext\n",
     {{'l', line99, false}, {'w', "next", false}}},
    {"a longer line gives 99 characters; its rest is skipped and the stream stays good",
     line99 + "yz\nnext\n",
     {{'l', line99, false}, {'w', "next", false}}},
    {"a line text that meets the end of the file fails the stream",
     "last",
     {{'l', "last", true}, {'l', "", true}}},
    {"a long word keeps 99 characters and is consumed whole",
     std::string(500, 'w') + " z",
     {{'w', std::string(99, 'w'), false}, {'w', "z", true}}},
    {"a name keeps its first 11 characters",
     "abcdefghijklmnop q",
     {{'n', "abcdefghijk", false}, {'w', "q", true}}},
};

TEST(script_stream, reads_tokens_and_states) {
    for (const reads_case& c : cases) {
        SCOPED_TRACE(c.what);
        stream_file f(c.bytes);
        for (const step& st : c.steps) {
            // Tokens may hold a zero byte, so compare the expected bytes and the terminator.
            std::string got;
            if (st.read == 'n') {
                name_field name{};
                read_name(f.s, name);
                got.assign(name, std::min(st.token.size() + 1, sizeof name));
            } else {
                token t{};
                if (st.read == 'w')
                    read_word(f.s, t);
                else
                    read_line_text(f.s, t);
                got.assign(t, std::min(st.token.size() + 1, sizeof t));
            }
            EXPECT_EQ(got, st.token + '\0') << "read " << st.read;
            EXPECT_EQ(f.s.failed, st.failed) << "after reading " << st.token;
        }
    }
}

TEST(script_stream, open_refuses_missing_folder_and_empty_path) {
    script_stream s;
    EXPECT_FALSE(stream_open(s, ""));
    EXPECT_FALSE(stream_open(s, "/nonexistent/conscript"));
    EXPECT_FALSE(stream_open(s, "/tmp"));
}

TEST(script_stream, reads_across_buffer_refills) {
    // A CR LF pair split across two reads of the file still reads as one line feed.
    std::string bytes(sizeof(script_stream::buf) - 1, ' ');
    bytes += "\r\nprint x\r\n";
    stream_file f(bytes);
    token t;
    read_word(f.s, t);
    EXPECT_STREQ(t, "print");
    read_line_text(f.s, t);
    EXPECT_STREQ(t, " x");
    EXPECT_FALSE(f.s.failed);
}

} // namespace

namespace {

// A plain model of the reads over the whole file at once, to compare the stream with.
struct model {
    std::string text; // the file as text mode reads it
    std::size_t pos = 0;
    bool failed = false;

    explicit model(const std::string& bytes) {
        for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\x1a'; ++i) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
            text += bytes[i];
        }
    }
    static bool space(char c) { return std::string(" \t\n\v\f\r").find(c) != std::string::npos; }
    std::string word() {
        if (failed) return "";
        while (pos < text.size() && space(text[pos])) ++pos;
        std::size_t start = pos;
        while (pos < text.size() && !space(text[pos])) ++pos;
        failed = pos == text.size();
        return text.substr(start, std::min<std::size_t>(pos - start, token_max));
    }
    std::string line() {
        if (failed) return "";
        std::size_t end = text.find('\n', pos);
        failed = end == std::string::npos;
        if (failed) end = text.size();
        std::string got = text.substr(pos, std::min<std::size_t>(end - pos, token_max));
        pos = end + 1;
        return got;
    }
};

TEST(script_stream, agrees_with_a_plain_model_on_random_bytes) {
    const char alphabet[] = {' ', '\t', '\n', '\r', '\r', '\x1a', 'a', 'b', '\0', '\xff'};
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        std::size_t size = std::uniform_int_distribution<std::size_t>(0, 9000)(rng);
        // Mostly words and line ends, with long runs that cross the stream's buffer.
        while (bytes.size() < size) {
            char c = alphabet[std::uniform_int_distribution<int>(0, 9)(rng)];
            if (c == '\x1a' && std::uniform_int_distribution<int>(0, 20)(rng) != 0) c = 'c';
            std::size_t run = std::uniform_int_distribution<int>(0, 8)(rng) == 0 ? 150 : 1;
            bytes.append(run, c);
        }
        SCOPED_TRACE("round " + std::to_string(round));
        stream_file f(bytes);
        model m(bytes);
        for (int i = 0; !m.failed || !f.s.failed; ++i) {
            bool word = std::uniform_int_distribution<int>(0, 2)(rng) != 0;
            token t;
            if (word)
                read_word(f.s, t);
            else
                read_line_text(f.s, t);
            std::string want = word ? m.word() : m.line();
            ASSERT_EQ(std::string(t), want.substr(0, want.find('\0'))) << "read " << i;
            ASSERT_EQ(f.s.failed, m.failed) << "read " << i;
        }
    }
}

} // namespace
