// The temporary lives in the output's own folder so the final rename cannot cross devices.
// The stream writes through our own function rather than stdio's, so the reason of the first
// failed write is kept as it was (a later library call would change errno) and a stop signal
// can cut short a write that a pipe's reader holds up.
#include "lab/outputs/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "lab/command/lab_error.h"
#include "lab/run/stop_signals.h"

namespace morvane::lab {

namespace {

std::string Reason(int error) { return std::strerror(error); }

// A file the process may not write in place is not replaced behind the user's back, even
// though the folder would let a rename do it.
bool MayWrite(const std::string& place)
{
    return ::faccessat(AT_FDCWD, place.c_str(), W_OK, AT_EACCESS) == 0 || errno != EACCES;
}

} // namespace

std::string OutputPlace(const std::string& path)
{
    // As many links as the system itself follows before it gives up on a name.
    constexpr int MostLinks = 40;
    std::filesystem::path place = path;
    for (int links = 0;; ++links) {
        struct stat status {};
        if (::lstat(place.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return place;
        if (links == MostLinks)
            throw LabError("output " + path + " is a link in a loop of links, not a file");
        std::error_code ec;
        const std::filesystem::path target = std::filesystem::read_symlink(place, ec);
        if (ec) return place;
        place = target.is_absolute() ? target : place.parent_path() / target;
    }
}

OutputFile::OutputFile(std::string path) : path_(std::move(path))
{
    std::error_code ec;
    if (path_.empty()) throw LabError("an output file name is empty");
    if (std::filesystem::is_directory(path_, ec))
        throw LabError("output " + path_ + " is a folder, not a file");

    // A device or a pipe (/dev/null, /dev/stdout, a FIFO) is written directly: renaming a
    // temporary over it would put a plain file in its place, and it holds no file that could
    // be left half-written. A FIFO's open() waits for a reader, and a stop ends the wait.
    struct stat status {};
    if (::stat(path_.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        for (;;) {
            ThrowIfStopped("waiting for a reader of " + path_);
            fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd_ >= 0 || errno != EINTR) break;
        }
        if (fd_ < 0) throw LabError("output " + path_ + " cannot be written: " + Reason(errno));
        OpenStream();
        return;
    }

    place_ = OutputPlace(path_);
    struct stat replaced {};
    const bool replaces = ::stat(place_.c_str(), &replaced) == 0;
    if (replaces && !MayWrite(place_))
        throw LabError("output " + path_ + " is read-only, so it is not replaced");
    // The process and this object's address tell apart every temporary alive at one time.
    const auto self = reinterpret_cast<std::uintptr_t>(this);
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = place_ + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(self) +
                     "-" + std::to_string(attempt);
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            const std::string reason = Reason(errno);
            temporary_.clear();
            throw LabError("output " + path_ + " cannot be written: " + reason);
        }
    }
    if (fd_ < 0) {
        temporary_.clear();
        throw LabError("output " + path_ + " cannot be written: no free temporary name");
    }
    if (replaces) {
        // The file keeps who owns it and who may read it: a private file stays private. The
        // owner is kept only where the process may set it; the permissions always.
        if (::fchown(fd_, replaced.st_uid, replaced.st_gid) != 0 &&
            ::fchown(fd_, static_cast<uid_t>(-1), replaced.st_gid) != 0) {
            // Neither could be kept: the file becomes the process's own, as a new one would.
        }
        if (::fchmod(fd_, replaced.st_mode & 07777) != 0) {
            // Only a file system without permissions refuses; it has none to keep.
        }
    }
    OpenStream();
}

void OutputFile::OpenStream()
{
    stream_ =
        ::fopencookie(this, "wb", cookie_io_functions_t{nullptr, WriteOut, nullptr, CloseOut});
    if (!stream_) {
        const std::string reason = Reason(errno);
        ::close(fd_);
        fd_ = -1;
        if (!temporary_.empty()) ::unlink(temporary_.c_str());
        temporary_.clear();
        throw LabError("output " + path_ + " cannot be written: " + reason);
    }
    // Large pieces: a counts table is written a short line a tick.
    std::setvbuf(stream_, nullptr, _IOFBF, 1 << 16);
}

ssize_t OutputFile::WriteOut(void* self, const char* bytes, std::size_t size)
{
    auto& file = *static_cast<OutputFile*>(self);
    std::size_t done = 0;
    while (done < size && file.error_ == 0) {
        const ssize_t wrote = ::write(file.fd_, bytes + done, size - done);
        if (wrote >= 0) {
            done += static_cast<std::size_t>(wrote);
            file.delivered_ += static_cast<std::uint64_t>(wrote);
        } else if (errno != EINTR) {
            file.error_ = errno;
        } else if (StopSignals::Flag().Raised()) {
            file.error_ = EINTR;
            file.stopped_ = true;
        }
    }
    // stdio takes a short count as the error it is; the reason stays in error_.
    return static_cast<ssize_t>(done);
}

int OutputFile::CloseOut(void* self)
{
    auto& file = *static_cast<OutputFile*>(self);
    const int closed = ::close(file.fd_);
    if (closed != 0 && file.error_ == 0 && errno != EINTR) file.error_ = errno;
    file.fd_ = -1;
    return closed;
}

OutputFile::~OutputFile()
{
    if (stream_) std::fclose(stream_);
    if (!temporary_.empty() && !placed_) ::unlink(temporary_.c_str());
}

void OutputFile::Complete()
{
    std::FILE* stream = stream_;
    stream_ = nullptr;
    const bool flushed = std::fflush(stream) == 0;
    std::fclose(stream);
    if (error_ == 0 && flushed) return;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    placed_ = true; // nothing is left to remove
    if (stopped_) ThrowIfStopped("writing " + path_, "nothing was put in place");
    throw LabError("output " + path_ + " could not be written: " + Reason(error_ ? error_ : EIO));
}

void OutputFile::PutInPlace()
{
    if (temporary_.empty() || placed_) return; // written in place: a device or a pipe
    if (std::rename(temporary_.c_str(), place_.c_str()) != 0) {
        const std::string reason = Reason(errno);
        ::unlink(temporary_.c_str());
        placed_ = true;
        throw LabError("output " + path_ + " could not be put in place: " + reason);
    }
    placed_ = true;
}

} // namespace morvane::lab
