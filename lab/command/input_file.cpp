// Without SA_RESTART, a stop signal cuts a blocked open() or read() short with EINTR; any other
// EINTR (a signal that is not a stop) is simply tried again.
#include "lab/command/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "lab/command/lab_error.h"
#include "lab/run/stop_signals.h"

namespace morvane::lab {

InputFile::InputFile(std::string path, std::string name)
    : path_(std::move(path)), name_(std::move(name))
{
    const std::string waiting = "waiting to read " + path_;
    for (;;) {
        ThrowIfStopped(waiting);
        fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ >= 0 || errno != EINTR) break;
    }
    if (fd_ < 0) throw LabError(name_ + ": cannot be opened for reading");
    struct stat status {};
    if (::fstat(fd_, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw LabError(name_ + " is a folder, not a file");
    }
}

InputFile::~InputFile()
{
    if (fd_ >= 0) ::close(fd_);
}

std::size_t InputFile::Read(char* into, std::size_t size)
{
    for (;;) {
        ThrowIfStopped("reading " + path_);
        const ssize_t got = ::read(fd_, into, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) throw LabError(name_ + ": could not be read: " + std::strerror(errno));
    }
}

std::string InputFile::ReadUpTo(std::size_t most)
{
    // In pieces, so a small file costs no more memory than its size.
    constexpr std::size_t Piece = 1 << 20;
    std::string bytes;
    while (bytes.size() <= most) {
        const std::size_t before = bytes.size();
        bytes.resize(before + std::min(Piece, most + 1 - before));
        const std::size_t got = Read(bytes.data() + before, bytes.size() - before);
        bytes.resize(before + got);
        if (got == 0) break;
    }
    return bytes;
}

} // namespace morvane::lab
