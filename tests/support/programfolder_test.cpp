#include "common/tempdir.h"
#include "support/programfolder.h"

#include <gtest/gtest.h>

namespace korvex {

using testing::TempDir;

// Which data a program finds, by where the data lies around its folder.
TEST(ShippedDataFolder, BesideTheProgramThenWhereTheInstallPutItThenTheConfiguredPath) {
    struct Case {
        std::vector<std::string> dataFolders; // below the root, each with cards/
        std::string found;                    // below the root
    };
    for (const Case& c : std::vector<Case>{
             {{"usr/bin", "usr/share/korvex"}, "usr/bin"}, // a build tree or a portable copy
             {{"usr/share/korvex"}, "usr/share/korvex"},   // an install, moved or not
             {{"usr/bin/share/korvex"}, "/configured"},    // nothing where it belongs
         }) {
        TempDir root;
        for (const std::string& folder : c.dataFolders) {
            std::filesystem::create_directories(root / folder / "cards");
        }
        const auto found = ShippedDataFolder(root / "usr/bin", "../share/korvex", "/configured");
        EXPECT_EQ(found, c.found.front() == '/' ? std::filesystem::path(c.found) : root / c.found)
            << c.found;
    }
}

} // namespace korvex
