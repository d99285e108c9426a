// Built into the portable platform library everywhere but on Windows.
#include "platform/FileReplace.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace zq {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : FFd(fd) {}
    ~FileDescriptor() {
        if (FFd >= 0)
            ::close(FFd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return FFd; }
    // Closes now; false when the system reports a failure (a late write error).
    bool Close() { return ::close(std::exchange(FFd, -1)) == 0; }

private:
    int FFd;
};

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const ssize_t done = ::write(fd, bytes.data() + at, bytes.size() - at);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        at += static_cast<std::size_t>(done);
    }
    return true;
}

} // namespace

bool ReplaceFileDurably(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
    std::filesystem::path fresh = file;
    fresh += ".new";
    FileDescriptor out(::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (out.Get() < 0)
        return false;
    // On the disk before it takes the old file's place.
    bool written = WriteAll(out.Get(), bytes) && ::fsync(out.Get()) == 0;
    written = out.Close() && written;
    if (written && ::rename(fresh.c_str(), file.c_str()) == 0) {
        // The folder's entry too, so the new name survives a power loss.
        const auto folder =
            file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
        FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (directory.Get() >= 0)
            ::fsync(directory.Get());
        return true;
    }
    ::unlink(fresh.c_str());
    return false;
}

} // namespace zq
