#pragma once

#include <filesystem>
#include <string>

namespace korvex {

// The whole file as bytes, untranslated. A missing file throws
// EInOutError("File not found", path); any other failure to open or read
// throws EInOutError with the system's reason.
std::string ReadCatalogueBytes(const std::filesystem::path& file);

} // namespace korvex
