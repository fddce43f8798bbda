// libFuzzer target: the script stream's reads on arbitrary bytes. The first byte picks the
// order of word, line-text and name reads; the rest is the script file. Every read must
// end, keep within its token's limit, and a failed stream must stay failed.
#include "script/stream.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    unsigned pattern = data[0];
    int fd = ::memfd_create("script", 0);
    if (fd < 0) std::abort();
    if (::write(fd, data + 1, size - 1) != static_cast<ssize_t>(size - 1)) std::abort();
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    script_stream s;
    if (!stream_open(s, path.c_str())) std::abort();
    // Each read consumes at least one byte or fails the stream, so this many reads suffice.
    for (std::size_t i = 0; i <= size + 1; ++i) {
        bool was_failed = s.failed;
        token t;
        switch ((pattern >> (i % 4 * 2)) & 3) {
        case 0:
        case 1:
            read_word(s, t);
            break;
        case 2:
            read_line_text(s, t);
            break;
        default: {
            name_field n;
            read_name(s, n);
            if (std::strlen(n) > 11) std::abort();
            std::strcpy(t, n);
        }
        }
        if (std::strlen(t) > token_max) std::abort();
        if (was_failed && (!s.failed || t[0] != '\0')) std::abort();
    }
    if (!s.failed) std::abort();
    stream_close(s);
    ::close(fd);
    return 0;
}
