#pragma once

#include <filesystem>
#include <string>

namespace korvex {

// Whatever stands at `target` when it is something other than a regular file
// (a device, a FIFO, a socket, a folder) is refused: written to, it would be
// replaced by a file, or a write would block, or go where nobody reads it.
// A symbolic link is followed and its target judged. Nothing there is fine.
// Throws EInOutError naming the target: "is a device, not a file".
void RefuseNonFile(const std::filesystem::path& target);

// What is wrong with reading `file` before it is opened, in the words every
// message uses: "no such file", "is a folder, not a file", ...; empty for a
// file (a symbolic link is followed).
std::string InputFileProblem(const std::filesystem::path& file);

// Whether the program can put a file at `target`, checked before any work
// whose result would go there: RefuseNonFile; an existing file must not be
// read-only (root's writes included); the folder must exist, be a folder and
// take new files. Throws EInOutError naming the target, with what is wrong.
void CheckDestination(const std::filesystem::path& target);

// Whether two names lead to one file, existing or still to be made: the
// same path once symbolic links and "." or ".." are followed, or one file
// under two hard links.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// The file a symbolic link names, so that it is replaced and the link stays;
// any other path as it is.
std::filesystem::path ResolveLink(const std::filesystem::path& target);

} // namespace korvex
