// The temporary lives in the output's own folder so the final rename cannot cross devices.
#include "lab/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "lab/lab_error.h"

namespace morvane::lab {

namespace {

std::string Reason() { return std::strerror(errno); }

// A name that leads, through links, to an existing regular file is replaced at the file's
// own place, so a link stays a link and the file it names gets the output.
std::string FinalPlace(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec)) return path;
    const std::filesystem::path target = std::filesystem::canonical(path, ec);
    return ec ? path : target.string();
}

} // namespace

OutputFile::OutputFile(std::string path) : path_(std::move(path))
{
    std::error_code ec;
    if (path_.empty()) throw LabError("an output file name is empty");
    if (std::filesystem::is_directory(path_, ec))
        throw LabError("output " + path_ + " is a folder, not a file");

    // A device or a pipe (/dev/null, /dev/stdout, a FIFO) is written directly: renaming a
    // temporary over it would put a plain file in its place, and it holds no file that could
    // be left half-written.
    struct stat status {};
    if (::stat(path_.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) throw LabError("output " + path_ + " cannot be written: " + Reason());
        stream_ = ::fdopen(fd, "wb");
        if (!stream_) {
            const std::string reason = Reason();
            ::close(fd);
            throw LabError("output " + path_ + " cannot be written: " + reason);
        }
        return;
    }

    place_ = FinalPlace(path_);
    // The process and this object's address tell apart every temporary alive at one time.
    const auto self = reinterpret_cast<std::uintptr_t>(this);
    for (int attempt = 0; attempt < 100 && !stream_; ++attempt) {
        temporary_ = place_ + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(self) +
                     "-" + std::to_string(attempt);
        const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            throw LabError("output " + path_ + " cannot be written: " + Reason());
        }
        stream_ = ::fdopen(fd, "wb");
        if (!stream_) {
            const std::string reason = Reason();
            ::close(fd);
            ::unlink(temporary_.c_str());
            throw LabError("output " + path_ + " cannot be written: " + reason);
        }
    }
    if (!stream_) throw LabError("output " + path_ + " cannot be written: no free temporary name");
}

OutputFile::~OutputFile()
{
    if (stream_) {
        std::fclose(stream_);
        if (!temporary_.empty()) ::unlink(temporary_.c_str());
    }
}

void OutputFile::Commit()
{
    std::FILE* stream = stream_;
    stream_ = nullptr;
    const bool written = std::fflush(stream) == 0 && !std::ferror(stream);
    const std::string write_reason = written ? "" : Reason();
    const bool closed = std::fclose(stream) == 0;
    if (!written || !closed) {
        if (!temporary_.empty()) ::unlink(temporary_.c_str());
        throw LabError("output " + path_ +
                       " could not be written: " + (written ? Reason() : write_reason));
    }
    if (temporary_.empty()) return; // written in place: a device or a pipe
    if (std::rename(temporary_.c_str(), place_.c_str()) != 0) {
        const std::string reason = Reason();
        ::unlink(temporary_.c_str());
        throw LabError("output " + path_ + " could not be put in place: " + reason);
    }
}

} // namespace morvane::lab
