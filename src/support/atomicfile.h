#pragma once

#include <filesystem>
#include <string_view>

namespace korvex {

// Replaces `target` with `contents` so that a crash or a full disk never leaves
// half a file: the data go to a temporary file in the same folder, are flushed
// to the disk and then renamed over the target. An existing target keeps its
// permission bits; one the user marked read-only is refused, not replaced, and
// so is anything but a regular file (RefuseNonFile): a device or a FIFO
// named as a log or an image must never become a file.
// Throws EInOutError naming the target, with the reason, when anything fails;
// the target is then untouched and no temporary file is left behind.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view contents);

} // namespace korvex
