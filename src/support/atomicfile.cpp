#include "support/atomicfile.h"

#include "support/errors.h"
#include "support/filetarget.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex {

namespace {

[[noreturn]] void Fail(const std::filesystem::path& target, const std::string& what, int error) {
    throw EInOutError(what + ": " + std::strerror(error), target.string());
}

// Closes and removes the temporary file unless the rename went through.
// Only a file mkstemp made is ever removed: after a failure the name holds
// the pattern or the last name mkstemp tried, either of which may belong to
// somebody else.
class TempFile {
public:
    explicit TempFile(std::string pattern) : name_(std::move(pattern)) {
        fd_ = ::mkstemp(name_.data());
        created_ = fd_ >= 0;
    }
    ~TempFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (created_ && !committed_) {
            ::unlink(name_.c_str());
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int Fd() const { return fd_; }
    const std::string& Name() const { return name_; }
    int Close() {
        int result = ::close(fd_);
        fd_ = -1;
        return result;
    }
    void Commit() { committed_ = true; }

private:
    std::string name_;
    int fd_ = -1;
    bool created_ = false;
    bool committed_ = false;
};

// A hidden name beside the target that shows whose it is. A file name holds
// at most 255 bytes, so a long target name is cut short in it.
std::string TempName(const std::string& targetName) {
    constexpr std::string_view kSuffix = ".tmp-XXXXXX";
    constexpr std::size_t kMaxFileName = 255;
    return "." + targetName.substr(0, kMaxFileName - 1 - kSuffix.size()) + std::string(kSuffix);
}

// The rename is only durable once the folder that holds the name is on disk.
void SyncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void WriteFileAtomically(const std::filesystem::path& link, std::string_view contents) {
    // A link is followed, so the file it names is replaced and the link stays.
    const std::filesystem::path target = ResolveLink(link);
    RefuseNonFile(target);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists) {
        // root passes access(W_OK) on any file, so look at the bits as well.
        if (::access(target.c_str(), W_OK) != 0 || (existing.st_mode & 0222) == 0) {
            Fail(target, "Cannot write", EACCES);
        }
    }

    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    TempFile temp((folder / TempName(target.filename().string())).string());
    if (temp.Fd() < 0) {
        Fail(target, "Cannot create a file beside it", errno);
    }

    const mode_t mode = exists ? (existing.st_mode & 07777) : 0666 & ~[] {
        mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
    }();
    if (::fchmod(temp.Fd(), mode) != 0) {
        Fail(target, "Cannot set permissions", errno);
    }

    const char* data = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        ssize_t written = ::write(temp.Fd(), data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(target, "Cannot write", errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::fsync(temp.Fd()) != 0) {
        Fail(target, "Cannot write", errno);
    }
    if (temp.Close() != 0) {
        Fail(target, "Cannot write", errno);
    }
    if (::rename(temp.Name().c_str(), target.c_str()) != 0) {
        Fail(target, "Cannot replace", errno);
    }
    temp.Commit();
    SyncFolder(folder);
}

} // namespace korvex
