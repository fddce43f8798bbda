// Opening sound files for the decoders: only regular files, never blocking on a pipe or a
// device, with the identity that tells whether a file changed since an earlier load.
#ifndef CONSCRIPT_AUDIO_FILE_H
#define CONSCRIPT_AUDIO_FILE_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace audio {

// What identifies one state of one file: the same inode with the same size and
// modification time holds the same bytes.
struct file_identity {
    std::uint64_t dev = 0;     // device of the file system
    std::uint64_t ino = 0;     // inode on that device
    std::int64_t size = 0;     // size in bytes
    std::int64_t mtime_ns = 0; // last modification, nanoseconds since the epoch
    bool operator==(const file_identity&) const = default;
};

// An open regular file, closed when it goes out of scope.
class open_file {
  public:
    // Opens `path` for reading; `ok()` is false when it is missing, unreadable or not a
    // regular file (a directory, a pipe or a device never reaches a decoder).
    explicit open_file(const char* path);
    ~open_file();
    open_file(const open_file&) = delete;
    open_file& operator=(const open_file&) = delete;

    bool ok() const { return fd_ >= 0; }
    // The descriptor, positioned at the start of the file.
    int fd() const { return fd_; }
    const file_identity& identity() const { return id_; }
    // Reads the whole file into `bytes`; false when it is larger than `cap` bytes, empty,
    // or a read fails.
    bool read_all(std::vector<std::byte>& bytes, std::int64_t cap) const;

  private:
    int fd_ = -1;        // open descriptor, -1 when the open failed
    file_identity id_{}; // the file as it was when opened
};

} // namespace audio

#endif
