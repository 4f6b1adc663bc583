#include "catalogue/cfgreader.h"
#include "catalogue/configcalc.h"
#include "support/textconv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace korvex {
namespace {

const std::filesystem::path kCards = std::filesystem::path(KORVEX_SOURCE_DATA_DIR) / "cards";

bool IsKindCode(const std::string& text) {
    return text == "-1" || (text.size() == 1 && text[0] >= '0' && text[0] <= '9');
}

TEST(ShippedCatalogues, ProcessorsAreCompleteAndConsistent) {
    const TPCardReader pics(TPDataFolders(kCards.parent_path()), "cards/pics.cfg"); // checked
    const TPCardReader words(TPDataFolders(kCards.parent_path()), "cards/configwords.cfg");
    ASSERT_GT(pics.GetCount(), 0);

    int entry = 0;
    EXPECT_EQ(pics.FindName("pic 16f84", 0, entry), 3);
    ASSERT_NE(entry, 0);
    EXPECT_EQ(pics.GetField(entry, 3), "1024");
    EXPECT_EQ(pics.GetField(entry, 4), "64");
    EXPECT_EQ(pics.FindName("ATmega163", 0, entry), 9);
    EXPECT_EQ(pics.GetField(entry, 5), "1E9402");

    std::set<int> sets;
    for (int set = 1; set <= words.GetCount(); ++set) {
        sets.insert(StrToInt(words.GetField(set, 1)));
    }
    std::set<std::string> names;
    for (int i = 1; i <= pics.GetCount(); ++i) {
        const std::string name = pics.GetField(i, 1);
        EXPECT_TRUE(names.insert(AsciiUpper(name)).second) << "twice: " << name;
        ASSERT_TRUE(IsKindCode(pics.GetField(i, 2))) << name;
        EXPECT_GT(StrToInt(pics.GetField(i, 3)), 0) << name;
        EXPECT_GE(StrToInt(pics.GetField(i, 4)), 0) << name;
        EXPECT_TRUE(std::filesystem::is_regular_file(kCards.parent_path() / "defaults" /
                                                     (AsciiLower(pics.GetField(i, 6)) + ".hex")))
            << name << " has no default loader image";
        const int set = StrToInt(pics.GetField(i, 7));
        if (StrToInt(pics.GetField(i, 2)) < 8) {
            EXPECT_TRUE(sets.contains(set)) << name << " uses set " << set;
        } else {
            EXPECT_FALSE(pics.GetField(i, 5).empty()) << name;
        }
    }
}

TEST(ShippedCatalogues, EepromsHaveKindsAndSizes) {
    const TPCardReader eeproms(TPDataFolders(kCards.parent_path()), "cards/eeproms.cfg");
    int entry = 0;
    EXPECT_EQ(eeproms.FindName("24c64", 0, entry), 2);
    EXPECT_EQ(eeproms.GetField(entry, 3), "8192");
    EXPECT_EQ(eeproms.FindName("None", 0, entry), -1);
    for (int i = 1; i <= eeproms.GetCount(); ++i) {
        EXPECT_TRUE(IsKindCode(eeproms.GetField(i, 2))) << i;
        EXPECT_TRUE(IsKindCode(eeproms.GetField(i, 4))) << i;
        EXPECT_GE(StrToInt(eeproms.GetField(i, 3)), 0) << i;
    }
}

// Real words: an erased part decodes as unprotected, timer off, watchdog on,
// RC; the protection bits of each family sit where its datasheet puts them.
TEST(ShippedCatalogues, ConfigurationSetsMatchTheFamilies) {
    const std::string blank = "3FFF3FFF3FFF3FFF3FFF3FFF3FFF";
    for (int set = 1; set <= 3; ++set) {
        TPConfigCalculator calc(set, KORVEX_SOURCE_DATA_DIR);
        EXPECT_EQ(calc.GetDefaultWord(), "3FFF") << set;
        calc.LoadConfigText("");
        EXPECT_FALSE(calc.IsProtectionOn()) << set;
        EXPECT_FALSE(calc.IsPowerUpOn()) << set;
        EXPECT_TRUE(calc.IsWatchDogOn()) << set;
        EXPECT_EQ(calc.GetOscillator(), 0) << set;
    }

    TPConfigCalculator f628(2, KORVEX_SOURCE_DATA_DIR);
    f628.LoadConfigText("");
    f628.SetOscillator(1);
    EXPECT_EQ(f628.GetConfigText(), blank + "3FEE");
    f628.SetOscillator(3);
    EXPECT_EQ(f628.GetConfigText(), blank + "3FEC");
    EXPECT_EQ(f628.GetOscillator(), 3);
    f628.SetProtection(true);
    EXPECT_EQ(f628.GetConfigText(), blank + "03EC");

    TPConfigCalculator f87x(3, KORVEX_SOURCE_DATA_DIR);
    f87x.LoadConfigText("");
    f87x.SetProtection(true);
    EXPECT_EQ(f87x.GetConfigText(), blank + "0FCF");
    EXPECT_TRUE(f87x.IsProtectionOn());
    f87x.SetProtection(false);
    EXPECT_EQ(f87x.GetConfigText(), blank + "3FFF");
}

} // namespace
} // namespace korvex
