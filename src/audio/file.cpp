#include "audio/file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace audio {

open_file::open_file(const char* path) {
    if (path == nullptr || path[0] == '\0') return;
    // O_NONBLOCK so that a named pipe cannot stall the open; regular files ignore it.
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    fd_ = fd;
    id_.dev = static_cast<std::uint64_t>(st.st_dev);
    id_.ino = static_cast<std::uint64_t>(st.st_ino);
    id_.size = static_cast<std::int64_t>(st.st_size);
    id_.mtime_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

open_file::~open_file() {
    if (fd_ >= 0) ::close(fd_);
}

bool open_file::read_all(std::vector<std::byte>& bytes, std::int64_t cap) const {
    if (!ok() || id_.size <= 0 || id_.size > cap) return false;
    bytes.resize(static_cast<std::size_t>(id_.size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = ::pread(fd_, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false; // an error, or the file shrank while we read it
        got += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace audio
