#pragma once

#include <filesystem>
#include <string_view>
#include <type_traits>
#include <vector>

namespace korvex {

// Where the data files live: the program folder, whose files are the shipped
// defaults, and the user's data folder with the same layout (cards/,
// options/, lang/, defaults/), which holds the user's own files and copies.
// An installed program folder is read-only; a build tree or a portable copy
// is not.
//
// Reading sees the user's file where there is one, the program folder's
// otherwise. A write goes where reading will find it: into the user's copy
// when there is one, else into the program folder while that can be written,
// else into the user's folder. Without a user folder (an empty path)
// everything is the program folder's, which keeps tests and portable copies
// to the folder they name.
struct TPDataFolders {
    std::filesystem::path program;
    std::filesystem::path user; // empty: no user folder

    TPDataFolders() = default;
    // A program folder alone, without a user folder.
    template <typename Folder>
    requires std::is_constructible_v<std::filesystem::path, const Folder&>
    TPDataFolders(const Folder& programFolder) : program(programFolder) {}
    TPDataFolders(std::filesystem::path programFolder, std::filesystem::path userFolder)
        : program(std::move(programFolder)), user(std::move(userFolder)) {}

    // $XDG_DATA_HOME/korvex when that is an absolute path, else
    // ~/.local/share/korvex; empty when no home folder is known.
    static std::filesystem::path DefaultUserFolder();

    bool HasUserFolder() const { return !user.empty(); }

    // `relative` (e.g. "cards/pics.cfg") as reading sees it: the user's file
    // when there is one, else the program folder's, which need not exist.
    std::filesystem::path FindFile(const std::filesystem::path& relative) const;

    // Where a write of `relative` goes, as the rule above says. Changes nothing.
    std::filesystem::path WriteTarget(const std::filesystem::path& relative) const;
    // WriteTarget, with its folder made when the write goes to the user's
    // folder (a program folder is never given folders). Throws EInOutError,
    // naming the program folder's file, when that folder cannot be made.
    std::filesystem::path PrepareWrite(const std::filesystem::path& relative) const;

    // The entries of `subfolder` in both folders, one per name, the user's
    // where both have it; in no particular order.
    std::vector<std::filesystem::path> List(const std::filesystem::path& subfolder) const;

    // Whether this user may add and remove entries of `folder`.
    static bool MayChange(const std::filesystem::path& folder);

    bool operator==(const TPDataFolders&) const = default;
};

} // namespace korvex
