// korvex-cli and korvex-sim look for the user's own card types and options in
// $XDG_DATA_HOME/korvex (else ~/.local/share/korvex), and write there when
// the program folder cannot be written. The programs the tests start must
// never see the developer's folder, so before its tests run every test
// program points XDG_DATA_HOME at an empty folder of its own.
#include "common/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

class THermeticDataFolder : public ::testing::Environment {
public:
    void SetUp() override {
        folder_ = std::make_unique<korvex::testing::TempDir>();
        ::setenv("XDG_DATA_HOME", (*folder_ / "data").c_str(), 1);
    }
    void TearDown() override { folder_.reset(); }

private:
    std::unique_ptr<korvex::testing::TempDir> folder_;
};

[[maybe_unused]] ::testing::Environment* const kHermeticDataFolder =
    ::testing::AddGlobalTestEnvironment(new THermeticDataFolder);

} // namespace
