#include "common/tempdir.h"
#include "support/atomicfile.h"
#include "support/errors.h"
#include "support/filetarget.h"
#include "support/logfile.h"
#include "support/readfile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace {

// When set, the next mkstemp fails the way glibc gives up after finding every
// name it tried taken: -1 with EEXIST, the last name tried (an existing file
// of somebody else) left in the template. Its six letters stand for the
// "XXXXXX".
const char* gTakenName = nullptr;

} // namespace

// Stands in for the C library's mkstemp in this test program; the real one
// runs unless a test has set gTakenName.
extern "C" int mkstemp(char* pattern) {
    if (gTakenName != nullptr) {
        std::memcpy(pattern + std::strlen(pattern) - 6, gTakenName, 6);
        gTakenName = nullptr;
        errno = EEXIST;
        return -1;
    }
    using Real = int (*)(char*);
    static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "mkstemp"));
    return real(pattern);
}

namespace korvex {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

TEST(WriteFileAtomically, ReplacesContentAndLeavesNoTemporaryFile) {
    TempDir dir;
    WriteText(dir / "a.ini", "old contents that are longer");
    ::chmod((dir / "a.ini").c_str(), 0640);
    WriteFileAtomically(dir / "a.ini", "new");
    EXPECT_EQ(ReadText(dir / "a.ini"), "new");
    struct stat st {};
    ::stat((dir / "a.ini").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    int files = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

// Fault: a link to a file not made yet was itself replaced by the file.
TEST(WriteFileAtomically, ReplacesTheFileALinkNamesAndKeepsTheLink) {
    for (const bool exists : {true, false}) {
        TempDir dir;
        if (exists) {
            WriteText(dir / "real.ini", "old");
        }
        std::filesystem::create_symlink("real.ini", dir / "link.ini");
        WriteFileAtomically(dir / "link.ini", "new");
        EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini")) << exists;
        EXPECT_EQ(ReadText(dir / "real.ini"), "new") << exists;
    }
}

TEST(WriteFileAtomically, RefusesReadOnlyTargetsAndMissingFolders) {
    TempDir dir;
    WriteText(dir / "ro.ini", "keep");
    ::chmod((dir / "ro.ini").c_str(), 0444);
    try {
        WriteFileAtomically(dir / "ro.ini", "lost");
        FAIL() << "a read-only file was replaced";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Path(), (dir / "ro.ini").string());
    }
    EXPECT_EQ(ReadText(dir / "ro.ini"), "keep");
    EXPECT_THROW(WriteFileAtomically(dir / "missing" / "x.ini", "x"), EInOutError);
    EXPECT_THROW(WriteFileAtomically(dir.Path(), "x"), EInOutError);
}

// Fault: the temporary name added 12 bytes to the target's, so a target with
// a name of 244 to 255 bytes, which the folder can hold, could not be written.
TEST(WriteFileAtomically, WritesATargetWithTheLongestNameAFolderTakes) {
    TempDir dir;
    const std::filesystem::path target = dir / std::string(255, 'n');
    WriteFileAtomically(target, "long");
    EXPECT_EQ(ReadText(target), "long");
    int files = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

// Fault: when no temporary file could be made, the clean-up removed whatever
// file the failed mkstemp left named, which the writer never created.
TEST(WriteFileAtomically, AFailedTemporaryFileRemovesNothingOfSomebodyElse) {
    TempDir dir;
    WriteText(dir / ".a.ini.tmp-TAKEN1", "not the writer's");
    WriteText(dir / "a.ini", "old");
    gTakenName = "TAKEN1";
    EXPECT_THROW(WriteFileAtomically(dir / "a.ini", "new"), EInOutError);
    EXPECT_EQ(ReadText(dir / ".a.ini.tmp-TAKEN1"), "not the writer's");
    EXPECT_EQ(ReadText(dir / "a.ini"), "old");
}

// Fault: as root, "korvex-cli --log /dev/full state" turned /dev/full into a
// 43-byte file; a FIFO named as the production record held the run for ever.
TEST(FileTargets, WhatIsNoFileIsNeverReplacedWrittenOrWaitedFor) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0666), 0);
    std::filesystem::create_directory(dir / "folder");
    std::filesystem::create_symlink(dir / "fifo", dir / "link");
    std::vector<std::pair<std::string, std::string>> targets = {
        {"fifo", "a FIFO (named pipe)"}, {"link", "a FIFO (named pipe)"}, {"folder", "a folder"}};
    if (::mknod((dir / "device").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) { // root only
        targets.emplace_back("device", "a device");
    }
    // Lets a read that waits for a writer of the FIFO end, so the test fails
    // instead of hanging.
    std::atomic<bool> done = false;
    std::thread writer([&] {
        while (!done) {
            const int fd = ::open((dir / "fifo").c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    for (const auto& [name, kind] : targets) {
        const std::filesystem::path target = dir / name;
        const auto type = std::filesystem::status(target).type();
        const auto message = [](const auto& write) {
            try {
                write();
            } catch (const EInOutError& error) {
                return std::string(error.what());
            }
            return std::string("written");
        };
        EXPECT_EQ(message([&] { WriteFileAtomically(target, "x"); }),
                  "is " + kind + ", not a file");
        EXPECT_EQ(message([&] { TPLogFile log(target); }), "is " + kind + ", not a file");
        EXPECT_NE(message([&] { ReadWholeFile(target); }), "written") << name;
        EXPECT_EQ(std::filesystem::status(target).type(), type) << name;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link"));
    done = true;
    writer.join();
}

// Two names of one file, made or still to be made, are found out; names
// that differ in case only are two files.
TEST(SameFile, NamesOfOneFileAreOneFile) {
    const korvex::testing::TempDir dir;
    WriteFileAtomically(dir / "a", "a");
    std::filesystem::create_symlink(dir / "new", dir / "dangling");
    std::filesystem::create_hard_link(dir / "a", dir / "hard");
    EXPECT_TRUE(SameFile(dir / "a", dir / "." / "a"));
    EXPECT_TRUE(SameFile(dir / "dangling", dir / "new"));
    EXPECT_TRUE(SameFile(dir / "hard", dir / "a"));
    EXPECT_FALSE(SameFile(dir / "a", dir / "A"));
}

} // namespace korvex
