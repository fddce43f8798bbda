#include "script/stream.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The byte 0x1A (Ctrl-Z) ends a script file in text mode.
constexpr int ctrl_z = 0x1a;
constexpr int eof = -1;
// The look-ahead field holds no character yet.
constexpr int unread = -2;

// Takes the next byte of the file, or eof; a read error counts as the end of the file.
int next_raw(script_stream& s) {
    if (s.pos == s.len) {
        if (s.at_end) return eof;
        ssize_t r;
        do r = ::read(s.fd, s.buf, sizeof s.buf);
        while (r < 0 && errno == EINTR);
        if (r <= 0) {
            s.at_end = true;
            return eof;
        }
        s.pos = 0;
        s.len = static_cast<std::size_t>(r);
    }
    return s.buf[s.pos++];
}

// Reads the next character as text mode sees it: CR LF becomes LF, a lone CR stays, and
// the first 0x1A ends the file for good.
int translate(script_stream& s) {
    int c = next_raw(s);
    if (c == ctrl_z) {
        s.at_end = true;
        s.pos = s.len;
        return eof;
    }
    if (c == '\r') {
        int d = next_raw(s);
        if (d == '\n') return '\n';
        if (d != eof) --s.pos; // d is the last byte taken from buf: give it back
    }
    return c;
}

// The next character, not taken.
int peek(script_stream& s) {
    if (s.look == unread) s.look = translate(s);
    return s.look;
}

// Takes the next character.
int next(script_stream& s) {
    int c = peek(s);
    s.look = unread;
    return c;
}

bool is_space(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

bool stream_open(script_stream& s, const char* path) {
    int fd;
    do fd = ::open(path, O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    s.fd = fd;
    s.failed = s.at_end = false;
    s.look = unread;
    s.pos = s.len = 0;
    return true;
}

void stream_close(script_stream& s) {
    if (s.fd >= 0) ::close(s.fd);
    s.fd = -1;
}

void read_word(script_stream& s, token& out) {
    std::size_t n = 0;
    out[0] = '\0';
    if (s.failed) return;
    while (is_space(peek(s))) next(s);
    for (int c; (c = peek(s)) != eof && !is_space(c); next(s)) {
        if (n < token_max) out[n++] = static_cast<char>(c);
    }
    out[n] = '\0';
    if (peek(s) == eof) s.failed = true;
}

void read_line_text(script_stream& s, token& out) {
    std::size_t n = 0;
    out[0] = '\0';
    if (s.failed) return;
    int c;
    while ((c = next(s)) != eof && c != '\n') {
        if (n < token_max) out[n++] = static_cast<char>(c);
    }
    out[n] = '\0';
    if (c == eof) s.failed = true;
}

void read_name(script_stream& s, name_field& out) {
    token word;
    read_word(s, word);
    std::size_t n = 0;
    for (; n < sizeof out - 1 && word[n] != '\0'; ++n) out[n] = word[n];
    out[n] = '\0';
}
