#include "serials/claims/claimfile.h"

#include "support/errors.h"
#include "support/readfile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace korvex {

namespace {

constexpr std::string_view kClaimed = "claimed";
constexpr std::string_view kSpent = "spent";

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

// The words of a line, one blank between each; nothing for a line with an
// empty word (two blanks, a blank at an end).
std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    for (std::size_t at = 0;;) {
        const std::size_t blank = line.find(' ', at);
        const std::string_view word = line.substr(at, blank - at);
        if (word.empty()) {
            return {};
        }
        words.push_back(word);
        if (blank == std::string_view::npos) {
            return words;
        }
        at = blank + 1;
    }
}

bool IsNumber(std::string_view word, std::uint64_t& number) {
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
    return error == std::errc() && end == word.data() + word.size() &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A value as a list line or a number gives it: printable, without blanks.
bool IsValueText(std::string_view word) {
    return std::all_of(word.begin(), word.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

// As UtcNow writes it: 2026-12-07T15:05:09Z.
bool IsUtcTime(std::string_view word) {
    constexpr std::string_view kPattern = "0000-00-00T00:00:00Z";
    if (word.size() != kPattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (kPattern[i] == '0' ? (word[i] < '0' || word[i] > '9') : word[i] != kPattern[i]) {
            return false;
        }
    }
    return true;
}

bool IsOutcome(std::string_view word) {
    return std::all_of(word.begin(), word.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || c == '-'; });
}

// "claimed <position> <value> <time>" or "spent <position> <value> <outcome
// words> <time>"; nothing for any other line.
std::optional<TClaimLine> ParseClaimLine(std::string_view line, const std::string& field) {
    const std::vector<std::string_view> words = Words(line);
    const bool claimed = words.size() == 4 && words[0] == kClaimed;
    const bool spent = words.size() >= 5 && words[0] == kSpent &&
                       std::all_of(words.begin() + 3, words.end() - 1, IsOutcome);
    TClaimLine read{{field, 0, {}}, {}, {}};
    if ((!claimed && !spent) || !IsNumber(words[1], read.value.position) ||
        !IsValueText(words[2]) || !IsUtcTime(words.back())) {
        return std::nullopt;
    }
    read.value.text = std::string(words[2]);
    for (auto word = words.begin() + 3; word + 1 < words.end(); ++word) {
        read.outcome += (read.outcome.empty() ? "" : " ") + std::string(*word);
    }
    read.time = std::string(words.back());
    return read;
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

std::optional<TSerialValue> TPClaimFile::HighestClaim(TClaimsRead& read) const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        Fail("Cannot read the serial claims", errno);
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    TClaimsRead from = read;
    if (from.device != info.st_dev || from.inode != info.st_ino || from.length > size) {
        from = TClaimsRead{};
        from.device = info.st_dev;
        from.inode = info.st_ino;
    }
    const TClaimsReading reading =
        ReadClaims(ReadAt(from.length, size - from.length), field_, std::move(from));
    if (reading.unreadable) {
        throw EInOutError(DamagedClaimsMessage(field_, reading), file_.string());
    }
    read = reading.read;
    return read.highest;
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
    return std::string(kClaimed) + " " + std::to_string(value.position) + " " + value.text + " " +
           UtcNow();
}

std::string TPClaimFile::SpendLine(const TSerialValue& value, std::string_view outcome) {
    return std::string(kSpent) + " " + std::to_string(value.position) + " " + value.text + " " +
           std::string(outcome) + " " + UtcNow();
}

TClaimsReading ReadClaims(std::string_view content, const std::string& field, TClaimsRead read,
                          const std::function<void(const TClaimLine&)>& each) {
    TPAppendedLines lines(content, read.nextLine);
    TClaimsReading reading;
    reading.unreadable = lines.Read([&](std::string_view line) {
        const std::optional<TClaimLine> claim = ParseClaimLine(line, field);
        if (!claim) {
            return false;
        }
        if (each) {
            each(*claim);
        }
        if (!read.highest || claim->value.position > read.highest->position) {
            read.highest = claim->value;
            read.highestLine = std::string(line);
        }
        return true;
    });
    read.length += lines.WholeLength();
    read.nextLine = lines.NextLine();
    reading.read = std::move(read);
    return reading;
}

std::string DamagedClaimsMessage(const std::string& field, const TClaimsReading& reading) {
    const TUnreadableLine& bad = reading.unreadable.value();
    const std::string line = "line " + std::to_string(bad.number);
    const std::string text = UnreadableLineWords(bad) + " cannot be read, so no value of " + field +
                             " is handed out: the line may have held the highest value a card " +
                             "got. ";
    const std::string find = "Find the highest value any card got (the production record names "
                             "each card's): ";
    if (const std::optional<TSerialValue>& highest = reading.read.highest) {
        return text + "The lines that can be read go up to " + highest->text + " (\"" +
               TPAppendedLines::Quotable(reading.read.highestLine) + "\"). " + find +
               "if it lies above " + highest->text + ", write a line like that one for it in " +
               "place of " + line + "; else delete " + line + ".";
    }
    return text + "No line that can be read holds a value. " + find + "write a line for it in " +
           "place of " + line + ", as \"claimed 1000 1000 2026-12-07T15:05:09Z\" (position, " +
           "value, time); if no card got one, delete " + line + ".";
}

TClaimsState ReadClaimFile(const std::filesystem::path& file, const std::string& field) {
    const std::optional<std::string> content = ReadFileIfExists(file);
    if (!content) {
        return {};
    }
    const TClaimsReading reading = ReadClaims(*content, field, {});
    return {reading.read.highest, reading.unreadable
                                      ? file.string() + ": " + DamagedClaimsMessage(field, reading)
                                      : std::string()};
}

} // namespace korvex
