// An output file that appears whole or not at all: written to a temporary file beside it
// and renamed into place only when everything is written. A device or a pipe is written
// directly, and a link to a file keeps being a link.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace morvane::lab {

// The file an output named `path` ends up in: `path` itself, or the file its links lead to,
// even one not made yet. Throws LabError for links that lead round in a loop.
std::string OutputPlace(const std::string& path);

class OutputFile {
public:
    // Creates the temporary file at once, so an output that cannot be written is reported
    // before a long run rather than after it; a file that is replaced lends the temporary its
    // permissions and owner, and one the user may not write is refused. A FIFO is opened at
    // once too, waiting for its reader. Throws LabError, or RunInterrupted when a stop signal
    // comes while waiting.
    explicit OutputFile(std::string path);
    ~OutputFile(); // removes the temporary file unless it was put in place
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::FILE* Stream() { return stream_; }
    // Appends `text`; a failure to write shows when the file is completed.
    void Write(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stream_); }
    const std::string& Path() const { return path_; }

    // Flushes and closes. Throws LabError with the reason the first failed write gave, or
    // RunInterrupted when a stop signal cut a write to a pipe short; the temporary is then
    // removed.
    void Complete();
    // Renames the completed temporary into place; nothing for a device or a pipe. Throws
    // LabError.
    void PutInPlace();
    // Both, for a file that stands alone.
    void Commit()
    {
        Complete();
        PutInPlace();
    }
    // Whether bytes have already gone to a device or a pipe written directly, where no
    // temporary can take them back.
    bool Delivered() const { return temporary_.empty() && delivered_ > 0; }

private:
    static ssize_t WriteOut(void* self, const char* bytes, std::size_t size);
    static int CloseOut(void* self);
    void OpenStream();

    std::string path_;      // as the user named it, for messages
    std::string place_;     // the file the temporary replaces: path_ with its links followed
    std::string temporary_; // empty when writing directly to a device or a pipe
    int fd_ = -1;
    std::FILE* stream_ = nullptr;
    int error_ = 0;               // errno of the first write or close that failed; 0: none has
    bool stopped_ = false;        // a stop signal cut a blocked write short
    bool placed_ = false;         // renamed into place: nothing of it to remove any more
    std::uint64_t delivered_ = 0; // bytes handed to the system
};

} // namespace morvane::lab
