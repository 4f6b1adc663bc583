#pragma once

// korvex-cli as a package installs it: cards/, lang/, options/ and defaults/
// in a program folder the user cannot change (named with --data), run by an
// ordinary user with a home, a data folder and a settings folder of their own.

#include "common/ordinaryuser.h"
#include "common/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace korvex::testing {

class InstalledCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = TOrdinaryUser::Unavailable(); !why.empty()) {
            GTEST_SKIP() << why;
        }
        namespace fs = std::filesystem;
        // The temporary folder is private to whoever made it; the user must
        // get through it to the program and to their own folders.
        fs::permissions(root.Path(), fs::perms::owner_all | fs::perms::group_read |
                                         fs::perms::group_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
        fs::create_directories(program);
        for (const char* folder : {"cards", "lang", "options", "defaults"}) {
            fs::copy(fs::path(KORVEX_PROGRAM_DIR) / folder, program / folder,
                     fs::copy_options::recursive);
        }
        // The tool as built, when the user can get to it; else a copy beside
        // the data (a build tree in a private home folder is out of reach).
        if (TOrdinaryUser::Run("test", {"-x", KORVEX_CLI}, {}).exitCode != 0) {
            fs::copy_file(KORVEX_CLI, program / "korvex-cli");
            cli_ = program / "korvex-cli";
        }
        for (const fs::path& folder : {home, data, config}) {
            fs::create_directories(folder);
            TOrdinaryUser::Own(folder);
        }
    }

    // Takes the write permission away from the whole program folder; what
    // the test could not read stays unreadable.
    void SealProgramFolder() {
        namespace fs = std::filesystem;
        const auto noWrite =
            fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        for (const auto& entry : fs::recursive_directory_iterator(program)) {
            fs::permissions(entry.path(), noWrite, fs::perm_options::remove);
        }
        fs::permissions(program, noWrite, fs::perm_options::remove);
    }

    ProgramResult Cli(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--data", program.string()});
        return TOrdinaryUser::Run(cli_.string(), args,
                                  {"HOME=" + home.string(), "XDG_DATA_HOME=" + data.string(),
                                   "XDG_CONFIG_HOME=" + config.string()});
    }

    // A file of the user's data folder.
    std::filesystem::path UserFile(const std::string& relative) const {
        return data / "korvex" / relative;
    }

    TempDir root;
    const std::filesystem::path program = root / "program";
    const std::filesystem::path home = root / "home";
    const std::filesystem::path data = root / "data";
    const std::filesystem::path config = root / "config";

private:
    std::filesystem::path cli_ = KORVEX_CLI;
};

} // namespace korvex::testing
