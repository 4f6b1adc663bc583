#include "serials/claimfile.h"

#include "support/errors.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex {

namespace {

constexpr std::string_view kClaimed = "claimed ";

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc));
}

void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Makes the folders one by one, each made durable in its parent, so a claim
// kept in a new file does not vanish with the folder's entry after a crash.
void MakeFolders(const std::filesystem::path& folder) {
    std::error_code error;
    if (folder.empty() || std::filesystem::is_directory(folder, error)) {
        return;
    }
    MakeFolders(folder.parent_path());
    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
        throw EInOutError(std::string("Cannot create the folder of serial claims: ") +
                              std::strerror(errno),
                          folder.string());
    }
    SyncFolder(folder.parent_path().empty() ? "." : folder.parent_path());
}

// "claimed <position> <value> <time>": the position and value.
std::optional<TSerialValue> ParseClaim(std::string_view line, const std::string& field) {
    if (!line.starts_with(kClaimed)) {
        return std::nullopt;
    }
    line.remove_prefix(kClaimed.size());
    TSerialValue value{field, 0, {}};
    const auto [end, error] =
        std::from_chars(line.data(), line.data() + line.size(), value.position);
    if (error != std::errc() || end == line.data() + line.size() || *end != ' ') {
        return std::nullopt;
    }
    line.remove_prefix(static_cast<std::size_t>(end - line.data()) + 1);
    value.text = std::string(line.substr(0, line.find(' ')));
    return value.text.empty() ? std::nullopt : std::optional(value);
}

// The last claim line of the file's first `size` bytes, read from the end in
// growing pieces so that a file of many claims is not read whole. A last line
// without its line end is unfinished and does not count.
template <typename Read>
std::optional<TSerialValue> FindLastClaim(std::uint64_t size, const std::string& field, Read read) {
    for (std::uint64_t piece = 4096;; piece *= 4) {
        const std::uint64_t from = size > piece ? size - piece : 0;
        const std::string tail = read(from, size - from);
        std::size_t end = tail.rfind('\n');
        while (end != std::string::npos) {
            const std::size_t newline = end == 0 ? std::string::npos : tail.rfind('\n', end - 1);
            if (newline == std::string::npos && from > 0) {
                break; // the line may begin before the piece
            }
            const std::size_t start = newline == std::string::npos ? 0 : newline + 1;
            if (auto value = ParseClaim(std::string_view(tail).substr(start, end - start), field)) {
                return value;
            }
            end = newline;
        }
        if (from == 0) {
            return std::nullopt;
        }
    }
}

std::string PreadAll(int fd, std::uint64_t offset, std::uint64_t count) {
    std::string data(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got =
            ::pread(fd, data.data() + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    data.resize(done);
    return data;
}

} // namespace

TPClaimFile::TPClaimFile(std::filesystem::path file)
    : file_(std::move(file)), field_(file_.stem().string()) {
    MakeFolders(file_.parent_path());
    bool made = true;
    fd_ = ::open(file_.c_str(), O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno == EEXIST) {
        made = false;
        fd_ = ::open(file_.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
    }
    if (fd_ < 0) {
        Fail("Cannot open the serial claims", errno);
    }
    try {
        if (made) {
            SyncFolder(file_.parent_path());
        }
        LockAndMend();
    } catch (...) {
        ::close(fd_);
        throw;
    }
}

void TPClaimFile::LockAndMend() {
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            Fail("Cannot lock the serial claims", errno);
        }
    }
    const std::uint64_t size = Size();
    if (size > 0 && ReadAt(size - 1, 1) != "\n") {
        std::uint64_t keep = size;
        for (std::uint64_t piece = 256; keep == size; piece *= 4) {
            const std::uint64_t from = size > piece ? size - piece : 0;
            const std::size_t newline = ReadAt(from, size - from).rfind('\n');
            keep = newline != std::string::npos ? from + newline + 1 : (from == 0 ? 0 : size);
        }
        if (::ftruncate(fd_, static_cast<off_t>(keep)) != 0 || ::fsync(fd_) != 0) {
            Fail("Cannot mend the serial claims' last line", errno);
        }
    }
}

TPClaimFile::~TPClaimFile() {
    if (fd_ >= 0) {
        ::close(fd_); // also releases the lock
    }
}

void TPClaimFile::Fail(const std::string& what, int error) const {
    throw EInOutError(what + ": " + std::strerror(error), file_.string());
}

std::uint64_t TPClaimFile::Size() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        Fail("Cannot read the serial claims", errno);
    }
    return static_cast<std::uint64_t>(info.st_size);
}

std::string TPClaimFile::ReadAt(std::uint64_t offset, std::uint64_t count) const {
    std::string data = PreadAll(fd_, offset, count);
    if (data.size() != count) {
        Fail("Cannot read the serial claims", errno != 0 ? errno : EIO);
    }
    return data;
}

std::optional<TSerialValue> TPClaimFile::LastClaim() const {
    return FindLastClaim(Size(), field_, [this](std::uint64_t offset, std::uint64_t count) {
        return ReadAt(offset, count);
    });
}

void TPClaimFile::Append(std::string_view line) {
    const std::string whole = std::string(line) + "\n";
    std::size_t done = 0;
    while (done < whole.size()) {
        const ssize_t written = ::write(fd_, whole.data() + done, whole.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            Fail("Cannot add to the serial claims", errno);
        }
        done += static_cast<std::size_t>(written);
    }
    if (::fdatasync(fd_) != 0) {
        Fail("Cannot flush the serial claims to the disk", errno);
    }
}

std::string TPClaimFile::ClaimLine(const TSerialValue& value) {
    return std::string(kClaimed) + std::to_string(value.position) + " " + value.text + " " +
           UtcNow();
}

std::string TPClaimFile::SpendLine(const TSerialValue& value, std::string_view outcome) {
    return "spent " + std::to_string(value.position) + " " + value.text + " " +
           std::string(outcome) + " " + UtcNow();
}

std::optional<TSerialValue> LastClaimIn(const std::filesystem::path& file,
                                        const std::string& field) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        throw EInOutError(std::string("Cannot read the serial claims: ") + std::strerror(errno),
                          file.string());
    }
    struct stat info {};
    std::optional<TSerialValue> last;
    if (::fstat(fd, &info) == 0) {
        last = FindLastClaim(static_cast<std::uint64_t>(info.st_size), field,
                             [fd](std::uint64_t offset, std::uint64_t count) {
                                 return PreadAll(fd, offset, count);
                             });
    }
    ::close(fd);
    return last;
}

} // namespace korvex
