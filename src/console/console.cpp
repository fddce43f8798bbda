#include "console/console.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

// Output ------------------------------------------------------------------------------

constexpr std::size_t out_size = 64 * 1024;
char out_buf[out_size]; // bytes written but not yet handed to standard output
std::size_t out_len;    // how many of them

// Writes `n` bytes to file descriptor 1, retrying short and interrupted writes. Errors
// are ignored: nothing the interpreter writes is examined for success.
void write_all(const char* p, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::write(1, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
}

// Input -------------------------------------------------------------------------------

constexpr std::size_t in_size = 64 * 1024;
unsigned char in_buf[in_size]; // bytes read from standard input, not yet taken
std::size_t in_pos, in_len;    // next byte to take, end of the bytes read
bool in_ended;                 // standard input reported its end (or an error)
bool line_failed;              // line reads yield the empty text from now on

// Takes the next raw byte of standard input, refilling the buffer when it is empty.
// Output is flushed before every read, so a prompt is out before the program waits.
int raw_getc() {
    if (in_pos == in_len) {
        if (in_ended) return -1;
        out_flush();
        ssize_t r;
        do r = ::read(0, in_buf, in_size);
        while (r < 0 && errno == EINTR);
        if (r <= 0) {
            in_ended = true;
            return -1;
        }
        in_pos = 0;
        in_len = static_cast<std::size_t>(r);
    }
    return in_buf[in_pos++];
}

// Looks at the next raw byte without taking it.
int raw_peek() {
    int c = raw_getc();
    if (c >= 0) --in_pos;
    return c;
}

} // namespace

void out_write(const char* bytes, std::size_t n) {
    if (n >= out_size) {
        out_flush();
        write_all(bytes, n);
        return;
    }
    if (out_len + n > out_size) out_flush();
    std::memcpy(out_buf + out_len, bytes, n);
    out_len += n;
}

void out_text(const char* text) {
    out_write(text, std::strlen(text));
}

void out_char(char c) {
    out_write(&c, 1);
}

void out_flush() {
    write_all(out_buf, out_len);
    out_len = 0;
}

int in_getc() {
    int c = raw_getc();
    if (c == '\r' && raw_peek() == '\n') c = raw_getc();
    return c;
}

int getche() {
    int c = in_getc();
    if (c >= 0) out_char(static_cast<char>(c));
    out_char('\n');
    return c;
}

void read_line(char (&val)[100]) {
    std::size_t n = 0;
    val[0] = '\0';
    if (line_failed) return;
    int c;
    while ((c = in_getc()) >= 0 && c != '\n') {
        if (n < sizeof val - 1) val[n++] = static_cast<char>(c);
    }
    val[n] = '\0';
    if (c < 0) line_failed = true;
}

void end_process(int status) {
    out_flush();
    std::exit(status);
}

void fatal_stop() {
    getche();
    end_process(1);
}
