#include "catalogue/cfgfile.h"

#include "support/errors.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

namespace korvex {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

[[noreturn]] void ThrowSystemError(int error, const std::string& path) {
    if (error == ENOENT) {
        throw EInOutError("File not found", path);
    }
    throw EInOutError(std::error_code(error, std::generic_category()).message(), path);
}

} // namespace

std::string ReadCatalogueBytes(const std::filesystem::path& file) {
    const std::string path = file.string();
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> stream(std::fopen(path.c_str(), "rb"));
    if (!stream) {
        ThrowSystemError(errno, path);
    }
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, stream.get());
        bytes.append(buffer, got);
        if (got < sizeof buffer) {
            break;
        }
    }
    if (std::ferror(stream.get())) {
        // A folder opens but does not read (EISDIR); report that, not success.
        ThrowSystemError(errno != 0 ? errno : EIO, path);
    }
    return bytes;
}

} // namespace korvex
