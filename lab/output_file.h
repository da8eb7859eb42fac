// An output file that appears whole or not at all: written to a temporary file beside it
// and renamed into place only when everything is written. A device or a pipe is written
// directly, and a link to a file keeps being a link.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace morvane::lab {

class OutputFile {
public:
    // Creates the temporary file at once, so an output that cannot be written is reported
    // before a long run rather than after it. Throws LabError.
    explicit OutputFile(std::string path);
    ~OutputFile(); // removes the temporary file unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::FILE* Stream() { return stream_; }
    // Appends `text`; a failure to write shows when the file is committed.
    void Write(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stream_); }
    const std::string& Path() const { return path_; }

    // Flushes, closes and renames into place. Throws LabError on any write failure.
    void Commit();

private:
    std::string path_;      // as the user named it, for messages
    std::string place_;     // the file the temporary replaces: path_ with a final link followed
    std::string temporary_; // empty when writing directly to a device or a pipe
    std::FILE* stream_ = nullptr;
};

} // namespace morvane::lab
