// A file the lab reads (an events file, a checkpoint, a samples file), read through the system
// itself rather than a C++ stream, so that a pipe or a FIFO that never delivers is given up on
// as soon as a stop signal comes, and so that no input is ever read without a bound.
#pragma once

#include <cstddef>
#include <string>

namespace morvane::lab {

class InputFile {
public:
    // Opens `path`; `name` is how messages call it ("events file e.txt", "--resume w.ckpt").
    // Throws LabError when it cannot be opened or is a folder, RunInterrupted when a stop
    // signal comes while waiting for a FIFO's writer.
    InputFile(std::string path, std::string name);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Reads up to `size` bytes into `into`; 0 only at the end. Throws LabError on a read
    // error, RunInterrupted on a stop signal (looked at before every read, so an endless input
    // is stopped too).
    std::size_t Read(char* into, std::size_t size);
    // Everything to the end, but never more than `most` bytes and one: a caller that gets more
    // than `most` knows the file is too large without having read it all.
    std::string ReadUpTo(std::size_t most);

    const std::string& Name() const { return name_; }

private:
    std::string path_;
    std::string name_;
    int fd_ = -1;
};

} // namespace morvane::lab
