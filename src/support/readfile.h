#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace korvex {

// A file opened for reading. Every failure is an EInOutError naming the file:
// "no such file" when it is missing, "is a folder, not a file" and the like
// (see InputFileProblem), the system's reason otherwise.
class TReadOnlyFile {
public:
    explicit TReadOnlyFile(const std::filesystem::path& file);
    ~TReadOnlyFile();
    TReadOnlyFile(const TReadOnlyFile&) = delete;
    TReadOnlyFile& operator=(const TReadOnlyFile&) = delete;

    std::uint64_t Size() const { return size_; }

    // `count` bytes from `offset`; fewer only if the file shrank meanwhile.
    std::string Read(std::uint64_t offset, std::uint64_t count) const;
    std::string ReadAll() const { return Read(0, size_); }

private:
    [[noreturn]] void Fail(int error) const;

    std::filesystem::path path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// The whole file, with the errors of TReadOnlyFile.
std::string ReadWholeFile(const std::filesystem::path& file);

// The same, but a file (or folder on its path) that does not exist gives nothing.
std::optional<std::string> ReadFileIfExists(const std::filesystem::path& file);

} // namespace korvex
