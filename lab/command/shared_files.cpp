// A file is known by its device and inode where it exists, and by where its name leads where
// it does not yet, so links, "./" and ".." all show one file as one.
#include "lab/command/shared_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "lab/command/lab_error.h"
#include "lab/outputs/output_file.h"

namespace morvane::lab {

namespace {

// What tells two names of one file apart from two files: the file itself where it exists,
// else the place its name leads to.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::filesystem::path place;

    bool operator==(const FileIdentity& other) const
    {
        if (exists && other.exists) return device == other.device && inode == other.inode;
        return !exists && !other.exists && place == other.place;
    }
};

FileIdentity IdentityOf(const NamedFile& file)
{
    // An output is written where its links lead, even to a file not made yet.
    const std::string place = file.Input() ? file.path : OutputPlace(file.path);
    FileIdentity identity;
    struct stat status {};
    if (::stat(place.c_str(), &status) == 0) {
        identity.exists = true;
        identity.device = status.st_dev;
        identity.inode = status.st_ino;
    }
    // Made absolute first: weakly_canonical leaves a relative path whose first part does
    // not exist as it is, so "a.json" and "./a.json" would look like two files.
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(place, ec);
    identity.place = std::filesystem::weakly_canonical(absolute, ec);
    if (ec) identity.place = absolute.lexically_normal();
    return identity;
}

} // namespace

void RefuseSharedFiles(const std::vector<NamedFile>& files)
{
    std::vector<FileIdentity> seen;
    for (const NamedFile& file : files) {
        const FileIdentity identity = IdentityOf(file);
        const auto earlier = std::find(seen.begin(), seen.end(), identity);
        // The checkpoint a run resumed is read whole before the first tick, so the run may
        // keep its own end there.
        const bool replaces_resumed =
            earlier != seen.end() && files[earlier - seen.begin()].resumed && file.keeps_worlds;
        // Files to merge are only read; one named twice shows as its runs held twice.
        const bool both_merged =
            earlier != seen.end() && files[earlier - seen.begin()].merged && file.merged;
        if (earlier != seen.end() && !replaces_resumed && !both_merged)
            throw LabError(std::string(files[earlier - seen.begin()].role) + " and " + file.role +
                           " both name " + file.path);
        seen.push_back(identity);
    }
}

} // namespace morvane::lab
