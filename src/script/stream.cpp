#include "script/stream.h"

#include <cerrno>
#include <cstring>
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

// Appends `c` to a token of `n` characters, dropping what goes beyond its limit.
void gather(token& out, std::size_t& n, int c) {
    if (n < token_max) out[n++] = static_cast<char>(c);
}

// Fast path of the reads: takes the bytes from the read position on that text mode reads
// unchanged (no CR, no 0x1A) and that `keep` accepts, straight from the buffer.
template <class Keep> void take_plain(script_stream& s, token& out, std::size_t& n, Keep keep) {
    if (s.look != unread) return;
    std::size_t start = s.pos;
    while (s.pos < s.len && s.buf[s.pos] != '\r' && s.buf[s.pos] != ctrl_z && keep(s.buf[s.pos]))
        ++s.pos;
    std::size_t room = token_max - n;
    std::size_t taken = s.pos - start < room ? s.pos - start : room;
    std::memcpy(out + n, s.buf + start, taken);
    n += taken;
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
    for (;;) {
        take_plain(s, out, n, [](unsigned char c) { return !is_space(c); });
        int c = peek(s);
        if (c == eof || is_space(c)) break;
        gather(out, n, next(s));
    }
    out[n] = '\0';
    if (peek(s) == eof) s.failed = true;
}

void read_line_text(script_stream& s, token& out) {
    std::size_t n = 0;
    out[0] = '\0';
    if (s.failed) return;
    int c;
    for (;;) {
        take_plain(s, out, n, [](unsigned char b) { return b != '\n'; });
        if ((c = next(s)) == eof || c == '\n') break;
        gather(out, n, c);
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
