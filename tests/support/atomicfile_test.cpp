#include "common/tempdir.h"
#include "support/atomicfile.h"
#include "support/errors.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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

TEST(WriteFileAtomically, ReplacesTheFileALinkNamesAndKeepsTheLink) {
    TempDir dir;
    WriteText(dir / "real.ini", "old");
    std::filesystem::create_symlink(dir / "real.ini", dir / "link.ini");
    WriteFileAtomically(dir / "link.ini", "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
    EXPECT_EQ(ReadText(dir / "real.ini"), "new");
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

} // namespace korvex
