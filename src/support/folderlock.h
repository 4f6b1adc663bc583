#pragma once

#include <filesystem>

namespace korvex {

// Holds the exclusive lock (flock) of a folder for the object's life. A file
// that is rewritten whole and renamed into place (a production record) gets a
// new inode each time, so the lock is taken on its folder: every writer of a
// file there, a thread of this program or another program, takes its turn
// and none of them reads the file while another replaces it. Throws
// EInOutError naming the folder when it cannot be opened or locked.
class TFolderLock {
public:
    explicit TFolderLock(const std::filesystem::path& folder);
    ~TFolderLock();
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace korvex
